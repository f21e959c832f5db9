#include "editor/EditorDocument.h"

#include <stdexcept>

#include "editor/CurveLayout.h"

namespace Editor {

using MarkPoints::CMarkPoint;
using MarkPoints::CMarkPointArray;

CEditorDocument::CEditorDocument(Curves& curves, std::int64_t fileLength, double baseBpm,
                                 std::uint32_t currentScale)
    : edited(curves, fileLength, baseBpm, currentScale), pointer(edited), edits(edited, pointer) {
}

const CMarkPointArray& CEditorDocument::curve(std::uint32_t scaleId) const {
    return edited.curve(scaleId);
}

void CEditorDocument::replaceCurves(const Curves& replacement) {
    pointer.reset();
    edited.curves = replacement;
    edited.history.clear();
    edited.touch();
}

bool CEditorDocument::setShown(std::uint32_t scaleId, bool isShownNow) {
    edited.curveOf(scaleId); // checks the id
    if (!pointer.isIdle()) return false;
    edited.shown[scaleId - 1] = isShownNow;
    return true;
}

bool CEditorDocument::isShown(std::uint32_t scaleId) const {
    edited.curve(scaleId); // checks the id
    return edited.shown[scaleId - 1];
}

void CEditorDocument::setTimeDisplay(std::uint32_t type) {
    if (type != MarkPoints::TIMEDISPLAY_PERCENT && type != MarkPoints::TIMEDISPLAY_BPM)
        throw std::invalid_argument("a not existing time scale convert function was selected!");
    edited.timeDisplay = type;
}

void CEditorDocument::setNewPointStyle(std::uint32_t style) {
    if (style == MarkPoints::LINEAR || style == MarkPoints::SQUARE || style == MarkPoints::KEEP)
        edited.newPointStyle = style;
}

double CEditorDocument::getValue(std::uint32_t scaleId, int y) const {
    return edited.snappedValue(scaleId, y);
}

std::vector<CurveLine> CEditorDocument::curveLines(std::uint32_t scaleId) const {
    return layoutCurveLines(curve(scaleId), edited.geometry);
}

std::string CEditorDocument::readout(std::uint32_t scaleId, double value) const {
    return edited.geometry.scale().format(scaleId, edited.timeDisplay, value, true);
}

std::string CEditorDocument::describe() const {
    static const char* const names[] = {"Time curve", "Pitch curve", "Formant curve"};
    const std::uint32_t scale = edited.currentScale();
    const CMarkPointArray& points = edited.curves[scale - 1];
    std::string text = names[scale - 1];
    if (!edited.shown[scale - 1]) text += " (hidden)";
    text += ", " + std::to_string(points.size()) + (points.size() == 1 ? " point" : " points");
    std::size_t count = 0;
    const CMarkPoint* first = nullptr;
    for (const CMarkPoint& p : points)
        if (p.selected && count++ == 0) first = &p;
    if (!first) return text + ", no point selected";
    const std::string where = "at frame " + std::to_string(first->framePosition) + ", value " +
                              readout(scale, first->value);
    if (count == 1) return text + ", selected point " + where;
    return text + ", " + std::to_string(count) + " points selected, the first " + where;
}

} // namespace Editor
