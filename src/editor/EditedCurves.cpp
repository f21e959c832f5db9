#include "editor/EditedCurves.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "editor/CurveLayout.h"
#include "markpoints/ValueSnapping.h"

namespace Editor {

using MarkPoints::CMarkPoint;
using MarkPoints::CMarkPointArray;

namespace {
constexpr std::int64_t kMostFrames = std::numeric_limits<std::int32_t>::max();

void checkScale(std::uint32_t scaleId) {
    if (!MarkPoints::isValidScaleId(scaleId))
        throw std::invalid_argument("CMarkPointEdit: scale id not identified!");
}
} // namespace

EditedCurves::EditedCurves(Curves& rowCurves, std::int64_t length, double baseBpm,
                           std::uint32_t currentScale)
    : curves(rowCurves), fileLength(std::clamp<std::int64_t>(length, 0, kMostFrames)),
      geometry(baseBpm), moving(curves[0], curves[1], curves[2], geometry.scale()),
      history(curves[0], curves[1], curves[2]) {
    setCurrentScale(currentScale);
}

CMarkPointArray& EditedCurves::curveOf(std::uint32_t scaleId) {
    checkScale(scaleId);
    return curves[scaleId - 1];
}

const CMarkPointArray& EditedCurves::curve(std::uint32_t scaleId) const {
    checkScale(scaleId);
    return curves[scaleId - 1];
}

void EditedCurves::setCurrentScale(std::uint32_t scaleId) {
    checkScale(scaleId);
    current = scaleId;
}

std::int32_t EditedCurves::lastFrame() const {
    return static_cast<std::int32_t>(std::max<std::int64_t>(0, fileLength - 1));
}

void EditedCurves::sortCurves() {
    for (CMarkPointArray& c : curves)
        c.sort();
}

void EditedCurves::rebuildMarkers() {
    for (std::uint32_t id = MarkPoints::SCALE_TIME; id <= MarkPoints::SCALE_FORMANT; ++id)
        markerLists[id - 1] =
            shown[id - 1] ? layoutMarkers(curves[id - 1], geometry) : std::vector<Marker>{};
}

const std::vector<Marker>& EditedCurves::markers(std::uint32_t scaleId) const {
    checkScale(scaleId);
    return markerLists[scaleId - 1];
}

std::optional<std::pair<std::uint32_t, CMarkPoint>> EditedCurves::hitTest(PixelPoint at) {
    rebuildMarkers();
    std::array<std::uint32_t, 3> order{current, 0, 0};
    std::size_t n = 1;
    for (std::uint32_t id = MarkPoints::SCALE_TIME; id <= MarkPoints::SCALE_FORMANT; ++id)
        if (id != current) order[n++] = id;
    for (std::uint32_t id : order)
        if (const auto hit = hitMarker(markerLists[id - 1], at)) return std::pair{id, *hit};
    return std::nullopt;
}

double EditedCurves::snappedValue(std::uint32_t scaleId, int y) const {
    if (!MarkPoints::isValidScaleId(scaleId))
        throw std::invalid_argument("CMarkPointEdit::getValue(): _dwScaleID invalid!");
    return MarkPoints::snappedValueOfPixel(geometry.scale(), scaleId, timeDisplay,
                                           geometry.axisPixel(y));
}

void EditedCurves::markModified() {
    modified = true;
    touch();
}

void EditedCurves::setModified(bool isModified) {
    if (modified != isModified) touch();
    modified = isModified;
}

void EditedCurves::setCursorFrame(std::int64_t frame) {
    if (frame < 0) return;
    std::lock_guard guard(cursorLock);
    cursor = std::min<std::int64_t>(frame, lastFrame());
}

std::int64_t EditedCurves::cursorFrame() const {
    std::lock_guard guard(cursorLock);
    return cursor;
}

} // namespace Editor
