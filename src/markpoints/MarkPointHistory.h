#pragma once
// Undo and redo of edits on the three curves of one editor document.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "markpoints/MarkPointArray.h"

namespace MarkPoints {

class CMarkPointMovingArray;

inline constexpr std::uint32_t HISTORY_ADD = 1;
inline constexpr std::uint32_t HISTORY_CHANGE = 2;
inline constexpr std::uint32_t HISTORY_DELETE = 3;

// For HISTORY_ADD and HISTORY_DELETE only `after` counts: the added or deleted point.
struct CMarkPointChange {
    std::uint32_t scaleId = 0;
    CMarkPoint before;
    CMarkPoint after;
};

struct CMarkPointHistoryEntry {
    std::uint32_t type = 0;
    std::vector<CMarkPointChange> changes;
};

class CMarkPointHistory {
  public:
    CMarkPointHistory(CMarkPointArray& time, CMarkPointArray& pitch, CMarkPointArray& formant);

    // Drops the redo branch, appends the entry and puts the cursor behind it.
    void push(CMarkPointHistoryEntry entry);
    void pushMove(const CMarkPointMovingArray& moving);
    // Records the style change of every selected point; the caller then applies it.
    void pushStyle(std::uint32_t newStyle);
    // One change per given point, in scale order and frame order within a scale.
    void pushSelected(std::uint32_t type, const CMarkPointArray& time, const CMarkPointArray& pitch,
                      const CMarkPointArray& formant);
    void pushAdded(std::uint32_t scaleId, const CMarkPoint& point);
    void pushChange(const CMarkPointChange& change);

    bool canUndo() const { return !entries.empty() && cursor > 0; }
    bool canRedo() const { return !entries.empty() && cursor < entries.size(); }
    // Undoing a delete and redoing an add throw std::runtime_error "cannot add two mark points
    // at the same Frame Position!" when a point stands on one of the frames already; the
    // curves and the cursor then stay as they were.
    void undo();
    void redo();
    void clear();

    std::size_t size() const { return entries.size(); }
    std::size_t getCursor() const { return cursor; }
    const CMarkPointHistoryEntry& operator[](std::size_t i) const { return entries[i]; }

  private:
    CMarkPointArray& curve(std::uint32_t scaleId) const;
    // Replaces one set of points by another: all of the old ones leave before any new one
    // arrives, so points of a moved group never meet on a frame on the way.
    void exchange(const std::vector<CMarkPointChange>& changes, bool forward);
    void put(const CMarkPointChange& change);
    void insertAll(const std::vector<CMarkPointChange>& changes);
    void take(const CMarkPointChange& change);

    std::vector<CMarkPointHistoryEntry> entries;
    std::size_t cursor = 0;
    std::array<CMarkPointArray*, 3> curves;
};

} // namespace MarkPoints
