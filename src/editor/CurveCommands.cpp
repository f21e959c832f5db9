#include "editor/CurveCommands.h"

#include <algorithm>
#include <stdexcept>

namespace Editor {

using MarkPoints::CMarkPoint;
using MarkPoints::CMarkPointArray;

namespace {
bool isDrawableStyle(std::uint32_t style) {
    return style == MarkPoints::LINEAR || style == MarkPoints::SQUARE || style == MarkPoints::KEEP;
}
} // namespace

void CurveCommands::setLineStyle(std::uint32_t style) {
    if (!pointer.isIdle() || !isDrawableStyle(style)) return;
    if (c.moving.anySelected(c.shown)) {
        c.history.pushStyle(style);
        for (CMarkPointArray& curve : c.curves)
            for (CMarkPoint& p : curve)
                if (p.selected) p.lineStyle = style;
        c.markModified();
    } else if (const auto hit = c.hitTest(pointer.getMousePoint())) {
        CMarkPoint* stored = c.curveOf(hit->first).find(hit->second.framePosition);
        if (!stored) return;
        CMarkPoint styled = *stored;
        styled.lineStyle = style;
        c.history.pushChange({hit->first, *stored, styled});
        *stored = styled;
        c.markModified();
    }
}

void CurveCommands::copy() {
    if (!pointer.isIdle()) return;
    for (std::size_t k = 0; k < c.curves.size(); ++k) {
        clipboard[k].clear();
        for (const CMarkPoint& p : c.curves[k])
            if (p.selected) clipboard[k].append(p);
        clipboard[k].sort();
    }
}

void CurveCommands::removeSelected() {
    Curves removed;
    for (std::size_t k = 0; k < c.curves.size(); ++k) {
        if (!c.shown[k]) continue;
        for (const CMarkPoint& p : c.curves[k])
            if (p.selected) removed[k].append(p);
        for (const CMarkPoint& p : removed[k])
            c.curves[k].remove(p.framePosition);
    }
    if (removed[0].empty() && removed[1].empty() && removed[2].empty()) return;
    c.history.pushSelected(MarkPoints::HISTORY_DELETE, removed[0], removed[1], removed[2]);
    c.markModified();
}

void CurveCommands::cut() {
    copy();
    if (pointer.isIdle()) removeSelected();
}

void CurveCommands::deleteSelected() {
    if (pointer.isIdle()) removeSelected();
}

void CurveCommands::paste() {
    if (!pointer.isIdle()) return;
    std::optional<std::int32_t> base;
    for (const CMarkPointArray& clip : clipboard)
        if (!clip.empty())
            base = std::min(base.value_or(clip[0].framePosition), clip[0].framePosition);
    if (!base) throw std::runtime_error("selected_paste() nothing to paste!");
    c.moving.clearSelection(c.shown);
    c.touch();
    const std::int64_t cursor = c.cursorFrame();
    Curves inserted;
    const auto record = [&] {
        if (inserted[0].empty() && inserted[1].empty() && inserted[2].empty()) return;
        c.history.pushSelected(MarkPoints::HISTORY_ADD, inserted[0], inserted[1], inserted[2]);
        c.markModified();
    };
    try {
        for (std::size_t k = 0; k < clipboard.size(); ++k)
            for (const CMarkPoint& p : clipboard[k]) {
                // Points that would land past the end crowd in before it instead.
                const std::int64_t target =
                    std::clamp<std::int64_t>(cursor + (p.framePosition - *base), 0, c.lastFrame());
                CMarkPoint q{static_cast<std::int32_t>(target), p.value, p.lineStyle, 1};
                q.framePosition =
                    c.curves[k].insertFree(q, static_cast<std::int32_t>(c.fileLength));
                inserted[k].append(q);
            }
    } catch (...) {
        // What was pasted before the failure stays, and stays undoable.
        record();
        throw;
    }
    record();
}

void CurveCommands::undo() {
    if (!canUndo()) return;
    c.history.undo();
    c.markModified();
}

void CurveCommands::redo() {
    if (!canRedo()) return;
    c.history.redo();
    c.markModified();
}

bool CurveCommands::canUndo() const {
    return pointer.isIdle() && c.history.canUndo();
}

bool CurveCommands::canRedo() const {
    return pointer.isIdle() && c.history.canRedo();
}

void CurveCommands::selectAll() {
    if (!pointer.isIdle()) return;
    for (std::size_t k = 0; k < c.curves.size(); ++k)
        if (c.shown[k])
            for (CMarkPoint& p : c.curves[k])
                p.selected = 1;
    c.touch();
}

void CurveCommands::invertSelection() {
    if (!pointer.isIdle()) return;
    for (std::size_t k = 0; k < c.curves.size(); ++k)
        if (c.shown[k])
            for (CMarkPoint& p : c.curves[k])
                p.selected = p.selected ? 0 : 1;
    c.touch();
}

bool CurveCommands::hasClipboard() const {
    return std::any_of(clipboard.begin(), clipboard.end(),
                       [](const CMarkPointArray& clip) { return !clip.empty(); });
}

bool CurveCommands::anySelected() const {
    return c.moving.anySelected(c.shown);
}

} // namespace Editor
