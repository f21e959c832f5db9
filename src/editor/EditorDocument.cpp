#include "editor/EditorDocument.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

bool isDrawableStyle(std::uint32_t style) {
    return style == MarkPoints::LINEAR || style == MarkPoints::SQUARE || style == MarkPoints::KEEP;
}

std::int32_t toFrame(std::int64_t frame) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(frame, -kMostFrames, kMostFrames));
}
} // namespace

CEditorDocument::CEditorDocument(std::array<CMarkPointArray, 3>& curves_, std::int64_t fileLength_,
                                 double baseBpm, std::uint32_t currentScale_)
    : curves(curves_), fileLength(std::clamp<std::int64_t>(fileLength_, 0, kMostFrames)),
      geometry(baseBpm), moving(curves[0], curves[1], curves[2], geometry.scale()),
      history(curves[0], curves[1], curves[2]), currentScale(MarkPoints::SCALE_TIME) {
    setCurrentScale(currentScale_);
}

// --- view geometry ---------------------------------------------------------------------

void CEditorDocument::setViewRect(const MarkPoints::CPixelRect& rect) {
    geometry.setViewRect(rect);
}
const MarkPoints::CPixelRect& CEditorDocument::getViewRect() const {
    return geometry.getViewRect();
}
void CEditorDocument::setFirstFrame(std::int64_t frame) {
    geometry.setFirstFrame(frame);
}
std::int64_t CEditorDocument::getFirstFrame() const {
    return geometry.getFirstFrame();
}
void CEditorDocument::setFramesPerPixel(double framesPerPixel) {
    geometry.setFramesPerPixel(framesPerPixel);
}
double CEditorDocument::getFramesPerPixel() const {
    return geometry.getFramesPerPixel();
}
void CEditorDocument::setVerticalZoom(double zoom) {
    geometry.setVerticalZoom(zoom);
}
double CEditorDocument::getVerticalZoom() const {
    return geometry.getVerticalZoom();
}
void CEditorDocument::setVerticalScroll(int pixels) {
    geometry.setVerticalScroll(pixels);
}
int CEditorDocument::getVerticalScroll() const {
    return geometry.getVerticalScroll();
}
std::int64_t CEditorDocument::getFileLength() const {
    return fileLength;
}
std::int64_t CEditorDocument::frameOfPixel(int x) const {
    return geometry.frameOfPixel(x);
}
int CEditorDocument::pixelOfFrame(std::int64_t frame) const {
    return geometry.pixelOfFrame(frame);
}
int CEditorDocument::pixelOfValue(double value) const {
    return geometry.pixelOfValue(value);
}
double CEditorDocument::valueOfPixel(int y) const {
    return geometry.valueOfPixel(y);
}

// --- helpers ---------------------------------------------------------------------------

CMarkPointArray& CEditorDocument::curveOf(std::uint32_t scaleId) {
    checkScale(scaleId);
    return curves[scaleId - 1];
}

const CMarkPointArray& CEditorDocument::curve(std::uint32_t scaleId) const {
    checkScale(scaleId);
    return curves[scaleId - 1];
}

std::int32_t CEditorDocument::lastFrame() const {
    return static_cast<std::int32_t>(std::max<std::int64_t>(0, fileLength - 1));
}

void CEditorDocument::sortCurves() {
    for (CMarkPointArray& c : curves)
        c.sort();
}

void CEditorDocument::rebuildMarkers() {
    for (std::uint32_t id = MarkPoints::SCALE_TIME; id <= MarkPoints::SCALE_FORMANT; ++id)
        markerLists[id - 1] =
            shown[id - 1] ? layoutMarkers(curves[id - 1], geometry) : std::vector<Marker>{};
}

std::optional<std::pair<std::uint32_t, CMarkPoint>> CEditorDocument::hitTest(PixelPoint at) {
    rebuildMarkers();
    std::array<std::uint32_t, 3> order{currentScale, 0, 0};
    std::size_t n = 1;
    for (std::uint32_t id = MarkPoints::SCALE_TIME; id <= MarkPoints::SCALE_FORMANT; ++id)
        if (id != currentScale) order[n++] = id;
    for (std::uint32_t id : order)
        if (const auto hit = hitMarker(markerLists[id - 1], at)) return std::pair{id, *hit};
    return std::nullopt;
}

void CEditorDocument::trackMouse(PixelPoint at) {
    mousePoint = at;
    mouseFrame = geometry.frameOfPixel(at.x);
    mouseValue = geometry.valueOfPixel(at.y);
}

void CEditorDocument::beginMove() {
    moving.clear();
    moving.beginMove(shown[0], shown[1], shown[2], timeDisplay);
}

void CEditorDocument::finishMove() {
    bool changed = false;
    for (const MarkPoints::CMovingPoint& e : moving.getElements())
        changed = changed || e.initial.framePosition != e.current.framePosition ||
                  e.initial.value != e.current.value;
    if (moved && changed) {
        history.pushMove(moving);
        modified = true;
    }
    moved = false;
}

void CEditorDocument::interrupt() {
    if (state == EditState::Drag) {
        moving.cancelMove();
        sortCurves();
        moved = false;
    } else if (state == EditState::KeyboardMove) {
        finishMove();
    }
    state = EditState::Idle;
}

// --- mouse and keys --------------------------------------------------------------------

void CEditorDocument::buttonDown(PixelPoint at, int button, std::uint32_t modifiers) {
    trackMouse(at);
    // A press while anything runs only ends that (a drag is undone).
    if (state != EditState::Idle) {
        interrupt();
        return;
    }
    pressPoint = at;
    pressFrame = mouseFrame;
    pressValue = mouseValue;
    if (button == kLeftButton) {
        leftDown(at, modifiers);
    } else if (button == kRightButton) {
        state = modifiers == kShift ? EditState::RubberAdd
                : modifiers == kAlt ? EditState::RubberRemove
                                    : EditState::MenuPending;
    }
}

void CEditorDocument::leftDown(PixelPoint at, std::uint32_t modifiers) {
    if (const auto hit = hitTest(at))
        pressOnPoint(hit->first, hit->second, modifiers);
    else
        pressOnEmptySpace(modifiers);
}

void CEditorDocument::pressOnPoint(std::uint32_t scaleId, const CMarkPoint& point,
                                   std::uint32_t modifiers) {
    CMarkPoint* stored = curveOf(scaleId).find(point.framePosition);
    if (!stored) return;
    if (modifiers == kShift) {
        stored->selected = 1;
    } else if (modifiers == kAlt) {
        stored->selected = 0;
    } else if (modifiers == kCtrl) {
        state = EditState::RubberReplace;
    } else {
        if (!stored->selected) {
            moving.clearSelection(shown);
            stored->selected = 1;
        }
        beginMove();
        moved = false;
        state = EditState::Drag;
    }
}

void CEditorDocument::pressOnEmptySpace(std::uint32_t modifiers) {
    if (modifiers == kShift)
        state = EditState::RubberAdd;
    else if (modifiers == kAlt)
        state = EditState::RubberRemove;
    else if (modifiers == kCtrl)
        state = EditState::MenuPending;
    else
        state = shown[currentScale - 1] ? EditState::AddOnRelease : EditState::Idle;
}

ReleaseOutcome CEditorDocument::buttonUp(PixelPoint at, int /*button*/) {
    trackMouse(at);
    setCursorFrame(mouseFrame);
    ReleaseOutcome outcome;
    const EditState was = state;
    if (was == EditState::KeyboardMove) return outcome;
    state = EditState::Idle;
    switch (was) {
    case EditState::AddOnRelease:
        addPoint(currentScale, at, getValue(currentScale, at.y));
        break;
    case EditState::FineTune:
        addPoint(fineTune.getScaleId(), at, fineTune.value(geometry.scale()));
        break;
    case EditState::RubberReplace:
        selectInBand(pressPoint, at, true, true);
        break;
    case EditState::RubberAdd:
        selectInBand(pressPoint, at, false, true);
        break;
    case EditState::RubberRemove:
        selectInBand(pressPoint, at, false, false);
        break;
    case EditState::Drag:
        finishMove();
        break;
    case EditState::MenuPending:
        outcome = {true, at};
        break;
    default:
        break;
    }
    return outcome;
}

void CEditorDocument::addPoint(std::uint32_t scaleId, PixelPoint at, double value) {
    if (fileLength <= 0) return;
    // One point per pixel column: a column already holding one takes no second.
    const std::int64_t f0 = std::min<std::int64_t>(geometry.frameOfPixel(at.x), lastFrame());
    const std::int64_t f1 = std::max(geometry.frameOfPixel(at.x + 1), f0 + 1);
    CMarkPointArray& points = curveOf(scaleId);
    const std::size_t i = points.lowerBound(static_cast<std::int32_t>(f0));
    if (i < points.size() && points[i].framePosition < f1) return;
    CMarkPoint point{static_cast<std::int32_t>(f0),
                     static_cast<float>(geometry.scale().clamp(value)), newPointStyle, 0};
    point.framePosition = points.insertFree(point, static_cast<std::int32_t>(fileLength));
    history.pushAdded(scaleId, point);
    modified = true;
}

void CEditorDocument::selectInBand(PixelPoint from, PixelPoint to, bool replace, bool select) {
    const MarkPoints::CPixelRect band{std::min(from.x, to.x), std::min(from.y, to.y),
                                      std::max(from.x, to.x), std::max(from.y, to.y)};
    if (replace) moving.clearSelection(shown);
    moving.selectInRect(
        shown, band,
        [this](std::uint32_t, const CMarkPoint& p) {
            return std::array<int, 2>{geometry.pixelOfFrame(p.framePosition),
                                      geometry.pixelOfValue(p.value)};
        },
        select);
}

void CEditorDocument::mouseMove(PixelPoint at, bool buttonHeld) {
    trackMouse(at);
    if (!buttonHeld) return;
    setCursorFrame(mouseFrame);
    switch (state) {
    case EditState::Drag: {
        const std::int64_t dx = mouseFrame - pressFrame;
        const double dy = std::trunc(at.y - geometry.exactPixelOfValue(pressValue) + 0.3);
        moved = true;
        moving.moveBy(toFrame(dx), static_cast<std::int32_t>(fileLength),
                      static_cast<std::int32_t>(dy));
        sortCurves();
        break;
    }
    case EditState::FineTune:
        fineTune.update(geometry.scale(), at.y);
        break;
    case EditState::MenuPending:
        if (std::abs(at.x - pressPoint.x) >= kRubberBandDistance ||
            std::abs(at.y - pressPoint.y) >= kRubberBandDistance)
            state = EditState::RubberReplace;
        break;
    default:
        break;
    }
}

void CEditorDocument::shiftDown() {
    if (state == EditState::AddOnRelease) {
        if (fileLength <= 0) return;
        const std::int64_t frame = std::min<std::int64_t>(mouseFrame, lastFrame());
        const std::int64_t next = std::max(geometry.frameOfPixel(mousePoint.x + 1), frame + 1);
        const CMarkPointArray& points = curveOf(currentScale);
        const std::size_t i = points.lowerBound(static_cast<std::int32_t>(frame));
        if (i < points.size() && points[i].framePosition < next) return;
        const double start = geometry.scale().clamp(getValue(currentScale, mousePoint.y));
        fineTune.begin(geometry.scale(), currentScale, timeDisplay, start, mousePoint.y);
        state = EditState::FineTune;
    } else if (state == EditState::Idle) {
        beginMove();
        nudgeSteps = nudgePixels = 0;
    }
}

void CEditorDocument::shiftUp() {
    if (state == EditState::FineTune) {
        state = EditState::AddOnRelease;
    } else if (state == EditState::KeyboardMove) {
        state = EditState::Idle;
        finishMove();
    }
}

void CEditorDocument::nudge(int horizontalSteps, int verticalPixels) {
    if (state != EditState::Idle && state != EditState::KeyboardMove) return;
    if (state == EditState::Idle) {
        // The selection may have changed since Shift went down.
        beginMove();
        nudgeSteps = nudgePixels = 0;
        state = EditState::KeyboardMove;
        moved = true;
    }
    nudgeSteps += horizontalSteps;
    nudgePixels += verticalPixels;
    const double fpp = geometry.getFramesPerPixel();
    const std::int64_t frames =
        fpp > 1.0 ? static_cast<std::int64_t>(std::trunc(nudgeSteps * fpp)) : nudgeSteps;
    moving.moveBy(toFrame(frames), static_cast<std::int32_t>(fileLength), nudgePixels);
    sortCurves();
}

void CEditorDocument::cancel() {
    if (state == EditState::Drag || state == EditState::KeyboardMove) {
        moving.cancelMove();
        sortCurves();
    }
    moved = false;
    state = EditState::Idle;
}

EditState CEditorDocument::getState() const {
    return state;
}

std::optional<MarkPoints::CPixelRect> CEditorDocument::rubberBand() const {
    if (state != EditState::RubberReplace && state != EditState::RubberAdd &&
        state != EditState::RubberRemove)
        return std::nullopt;
    return MarkPoints::CPixelRect{
        std::min(pressPoint.x, mousePoint.x), std::min(pressPoint.y, mousePoint.y),
        std::max(pressPoint.x, mousePoint.x), std::max(pressPoint.y, mousePoint.y)};
}

std::int64_t CEditorDocument::getMouseFrame() const {
    return mouseFrame;
}
double CEditorDocument::getMouseValue() const {
    return mouseValue;
}
std::optional<double> CEditorDocument::fineTuneValue() const {
    if (state != EditState::FineTune) return std::nullopt;
    return fineTune.value(geometry.scale());
}

// --- commands --------------------------------------------------------------------------

void CEditorDocument::setLineStyle(std::uint32_t style) {
    if (state != EditState::Idle || !isDrawableStyle(style)) return;
    if (moving.anySelected(shown)) {
        history.pushStyle(style);
        for (CMarkPointArray& c : curves)
            for (CMarkPoint& p : c)
                if (p.selected) p.lineStyle = style;
        modified = true;
    } else if (const auto hit = hitTest(mousePoint)) {
        CMarkPoint* stored = curveOf(hit->first).find(hit->second.framePosition);
        if (!stored) return;
        CMarkPoint styled = *stored;
        styled.lineStyle = style;
        history.pushChange({hit->first, *stored, styled});
        *stored = styled;
        modified = true;
    }
}

void CEditorDocument::setNewPointStyle(std::uint32_t style) {
    if (isDrawableStyle(style)) newPointStyle = style;
}
std::uint32_t CEditorDocument::getNewPointStyle() const {
    return newPointStyle;
}

void CEditorDocument::copy() {
    if (state != EditState::Idle) return;
    for (std::size_t k = 0; k < curves.size(); ++k) {
        clipboard[k].clear();
        for (const CMarkPoint& p : curves[k])
            if (p.selected) clipboard[k].append(p);
        clipboard[k].sort();
    }
}

void CEditorDocument::removeSelected() {
    Curves removed;
    for (std::size_t k = 0; k < curves.size(); ++k) {
        if (!shown[k]) continue;
        for (const CMarkPoint& p : curves[k])
            if (p.selected) removed[k].append(p);
        for (const CMarkPoint& p : removed[k])
            curves[k].remove(p.framePosition);
    }
    if (removed[0].empty() && removed[1].empty() && removed[2].empty()) return;
    history.pushSelected(MarkPoints::HISTORY_DELETE, removed[0], removed[1], removed[2]);
    modified = true;
}

void CEditorDocument::cut() {
    copy();
    if (state == EditState::Idle) removeSelected();
}

void CEditorDocument::deleteSelected() {
    if (state == EditState::Idle) removeSelected();
}

void CEditorDocument::paste() {
    if (state != EditState::Idle) return;
    std::optional<std::int32_t> base;
    for (const CMarkPointArray& c : clipboard)
        if (!c.empty()) base = std::min(base.value_or(c[0].framePosition), c[0].framePosition);
    if (!base) throw std::runtime_error("selected_paste() nothing to paste!");
    moving.clearSelection(shown);
    const std::int64_t cursor = getCursorFrame();
    Curves inserted;
    const auto record = [&] {
        if (inserted[0].empty() && inserted[1].empty() && inserted[2].empty()) return;
        history.pushSelected(MarkPoints::HISTORY_ADD, inserted[0], inserted[1], inserted[2]);
        modified = true;
    };
    try {
        for (std::size_t k = 0; k < clipboard.size(); ++k)
            for (const CMarkPoint& p : clipboard[k]) {
                // Points that would land past the end crowd in before it instead.
                const std::int64_t target =
                    std::clamp<std::int64_t>(cursor + (p.framePosition - *base), 0, lastFrame());
                CMarkPoint q{static_cast<std::int32_t>(target), p.value, p.lineStyle, 1};
                q.framePosition = curves[k].insertFree(q, static_cast<std::int32_t>(fileLength));
                inserted[k].append(q);
            }
    } catch (...) {
        // What was pasted before the failure stays, and stays undoable.
        record();
        throw;
    }
    record();
}

void CEditorDocument::undo() {
    if (state != EditState::Idle || !history.canUndo()) return;
    history.undo();
    modified = true;
}

void CEditorDocument::redo() {
    if (state != EditState::Idle || !history.canRedo()) return;
    history.redo();
    modified = true;
}

bool CEditorDocument::canUndo() const {
    return state == EditState::Idle && history.canUndo();
}
bool CEditorDocument::canRedo() const {
    return state == EditState::Idle && history.canRedo();
}

void CEditorDocument::selectAll() {
    if (state != EditState::Idle) return;
    for (std::size_t k = 0; k < curves.size(); ++k)
        if (shown[k])
            for (CMarkPoint& p : curves[k])
                p.selected = 1;
}

void CEditorDocument::invertSelection() {
    if (state != EditState::Idle) return;
    for (std::size_t k = 0; k < curves.size(); ++k)
        if (shown[k])
            for (CMarkPoint& p : curves[k])
                p.selected = p.selected ? 0 : 1;
}

bool CEditorDocument::hasClipboard() const {
    return std::any_of(clipboard.begin(), clipboard.end(),
                       [](const CMarkPointArray& c) { return !c.empty(); });
}

bool CEditorDocument::anySelected() const {
    return moving.anySelected(shown);
}

void CEditorDocument::setTimeDisplay(std::uint32_t type) {
    if (type != MarkPoints::TIMEDISPLAY_PERCENT && type != MarkPoints::TIMEDISPLAY_BPM)
        throw std::invalid_argument("a not existing time scale convert function was selected!");
    timeDisplay = type;
}
std::uint32_t CEditorDocument::getTimeDisplay() const {
    return timeDisplay;
}

void CEditorDocument::setCurrentScale(std::uint32_t scaleId) {
    checkScale(scaleId);
    currentScale = scaleId;
}
std::uint32_t CEditorDocument::getCurrentScale() const {
    return currentScale;
}

bool CEditorDocument::setShown(std::uint32_t scaleId, bool isShownNow) {
    checkScale(scaleId);
    if (state != EditState::Idle) return false;
    shown[scaleId - 1] = isShownNow;
    return true;
}
bool CEditorDocument::isShown(std::uint32_t scaleId) const {
    checkScale(scaleId);
    return shown[scaleId - 1];
}

void CEditorDocument::setBaseBpm(double bpm) {
    geometry.setBaseBpm(bpm);
}

double CEditorDocument::getValue(std::uint32_t scaleId, int y) const {
    if (!MarkPoints::isValidScaleId(scaleId))
        throw std::invalid_argument("CMarkPointEdit::getValue(): _dwScaleID invalid!");
    return MarkPoints::snappedValueOfPixel(geometry.scale(), scaleId, timeDisplay,
                                           geometry.axisPixel(y));
}

void CEditorDocument::setCursorFrame(std::int64_t frame) {
    if (frame < 0) return;
    std::lock_guard guard(cursorLock);
    cursorFrame = std::min<std::int64_t>(frame, lastFrame());
}
std::int64_t CEditorDocument::getCursorFrame() const {
    std::lock_guard guard(cursorLock);
    return cursorFrame;
}

void CEditorDocument::replaceCurves(const std::array<CMarkPointArray, 3>& replacement) {
    moving.clear();
    state = EditState::Idle;
    moved = false;
    curves = replacement;
    history.clear();
}

bool CEditorDocument::isModified() const {
    return modified;
}
void CEditorDocument::setModified(bool isModifiedNow) {
    modified = isModifiedNow;
}
void CEditorDocument::clearHistory() {
    history.clear();
}

// --- drawing ---------------------------------------------------------------------------

void CEditorDocument::layout() {
    rebuildMarkers();
}

std::vector<CurveLine> CEditorDocument::curveLines(std::uint32_t scaleId) const {
    return layoutCurveLines(curve(scaleId), geometry);
}

const std::vector<Marker>& CEditorDocument::markers(std::uint32_t scaleId) const {
    checkScale(scaleId);
    return markerLists[scaleId - 1];
}

std::string CEditorDocument::readout(std::uint32_t scaleId, double value) const {
    return geometry.scale().format(scaleId, timeDisplay, value, true);
}

std::string CEditorDocument::describe() const {
    static const char* const names[] = {"Time curve", "Pitch curve", "Formant curve"};
    const CMarkPointArray& points = curves[currentScale - 1];
    std::string text = names[currentScale - 1];
    if (!shown[currentScale - 1]) text += " (hidden)";
    text += ", " + std::to_string(points.size()) + (points.size() == 1 ? " point" : " points");
    std::size_t count = 0;
    const CMarkPoint* first = nullptr;
    for (const CMarkPoint& p : points)
        if (p.selected && count++ == 0) first = &p;
    if (!first) return text + ", no point selected";
    const std::string where = "at frame " + std::to_string(first->framePosition) + ", value " +
                              readout(currentScale, first->value);
    if (count == 1) return text + ", selected point " + where;
    return text + ", " + std::to_string(count) + " points selected, the first " + where;
}

} // namespace Editor
