#include "markpoints/MarkPointHistory.h"

#include <stdexcept>

#include "markpoints/MarkPointMovingArray.h"

namespace MarkPoints {

namespace {
constexpr std::size_t initialCapacity = 50;
}

CMarkPointHistory::CMarkPointHistory(CMarkPointArray& time, CMarkPointArray& pitch,
                                     CMarkPointArray& formant)
    : curves{&time, &pitch, &formant} {
    entries.reserve(initialCapacity);
}

CMarkPointArray& CMarkPointHistory::curve(std::uint32_t scaleId) const {
    if (!isValidScaleId(scaleId))
        throw std::invalid_argument("CMarkPointHistory: scale id not identified!");
    return *curves[scaleId - 1];
}

void CMarkPointHistory::push(CMarkPointHistoryEntry entry) {
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(cursor), entries.end());
    if (entries.size() == entries.capacity()) entries.reserve(2 * entries.capacity() + 1);
    entries.push_back(std::move(entry));
    cursor = entries.size();
}

void CMarkPointHistory::pushMove(const CMarkPointMovingArray& moving) {
    CMarkPointHistoryEntry entry{HISTORY_CHANGE, {}};
    for (const CMovingPoint& e : moving.getElements())
        entry.changes.push_back({e.scaleId, e.initial, e.current});
    push(std::move(entry));
}

void CMarkPointHistory::pushStyle(std::uint32_t newStyle) {
    CMarkPointHistoryEntry entry{HISTORY_CHANGE, {}};
    for (std::uint32_t id = SCALE_TIME; id <= SCALE_FORMANT; ++id)
        for (const CMarkPoint& p : curve(id)) {
            if (!p.selected) continue;
            CMarkPoint styled = p;
            styled.lineStyle = newStyle;
            entry.changes.push_back({id, p, styled});
        }
    push(std::move(entry));
}

void CMarkPointHistory::pushSelected(std::uint32_t type, const CMarkPointArray& time,
                                     const CMarkPointArray& pitch, const CMarkPointArray& formant) {
    CMarkPointHistoryEntry entry{type, {}};
    const std::array<const CMarkPointArray*, 3> given{&time, &pitch, &formant};
    for (std::uint32_t id = SCALE_TIME; id <= SCALE_FORMANT; ++id) {
        CMarkPointArray ordered = *given[id - 1];
        ordered.sort();
        for (const CMarkPoint& p : ordered)
            entry.changes.push_back({id, CMarkPoint{}, p});
    }
    push(std::move(entry));
}

void CMarkPointHistory::pushAdded(std::uint32_t scaleId, const CMarkPoint& point) {
    push({HISTORY_ADD, {{scaleId, CMarkPoint{}, point}}});
}

void CMarkPointHistory::pushChange(const CMarkPointChange& change) {
    push({HISTORY_CHANGE, {change}});
}

// Inserts `after` for a moved point; a point that already stands on its frame is replaced
// rather than doubled, so that a history out of step with the curves can never break their
// order.
void CMarkPointHistory::put(const CMarkPointChange& change) {
    CMarkPointArray& points = curve(change.scaleId);
    if (CMarkPoint* there = points.find(change.after.framePosition))
        *there = change.after;
    else
        points.insertUnique(change.after);
}

// The points of an added or deleted set come back only all together: when one would land on a
// frame that holds a point already, none is inserted.
void CMarkPointHistory::insertAll(const std::vector<CMarkPointChange>& changes) {
    std::array<CMarkPointArray, 3> result{*curves[0], *curves[1], *curves[2]};
    for (const CMarkPointChange& c : changes) {
        curve(c.scaleId); // refuses an unknown scale id
        result[c.scaleId - 1].insertUnique(c.after);
    }
    for (std::size_t k = 0; k < curves.size(); ++k)
        *curves[k] = std::move(result[k]);
}

void CMarkPointHistory::take(const CMarkPointChange& change) {
    curve(change.scaleId).remove(change.after.framePosition);
}

void CMarkPointHistory::exchange(const std::vector<CMarkPointChange>& changes, bool forward) {
    std::vector<CMarkPointChange> arriving;
    for (const CMarkPointChange& c : changes) {
        const CMarkPoint& from = forward ? c.before : c.after;
        const CMarkPoint& to = forward ? c.after : c.before;
        CMarkPointArray& points = curve(c.scaleId);
        if (!points.find(from.framePosition)) continue;
        points.remove(from.framePosition);
        arriving.push_back({c.scaleId, from, to});
    }
    for (const CMarkPointChange& c : arriving)
        put(c);
}

void CMarkPointHistory::undo() {
    if (!canUndo()) return;
    const CMarkPointHistoryEntry& entry = entries[cursor - 1];
    const auto& changes = entry.changes;
    if (entry.type == HISTORY_ADD) {
        for (auto c = changes.rbegin(); c != changes.rend(); ++c)
            take(*c);
    } else if (entry.type == HISTORY_CHANGE) {
        exchange(changes, false);
    } else if (entry.type == HISTORY_DELETE) {
        insertAll(changes);
    }
    --cursor;
}

void CMarkPointHistory::redo() {
    if (!canRedo()) return;
    const CMarkPointHistoryEntry& entry = entries[cursor];
    const auto& changes = entry.changes;
    if (entry.type == HISTORY_ADD) {
        insertAll(changes);
    } else if (entry.type == HISTORY_CHANGE) {
        exchange(changes, true);
    } else if (entry.type == HISTORY_DELETE) {
        for (auto c = changes.rbegin(); c != changes.rend(); ++c)
            take(*c);
    }
    ++cursor;
}

void CMarkPointHistory::clear() {
    entries.clear();
    cursor = 0;
}

} // namespace MarkPoints
