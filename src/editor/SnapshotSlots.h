#pragma once
// Four snapshot slots A–D of the editor, each a copy of the three curves. Slot A always takes
// a snapshot; B, C and D only once the slot before them holds one, so the slots fill in order.
#include <array>
#include <optional>

#include "editor/EditorTypes.h"

namespace Editor {

class SnapshotSlots {
  public:
    static constexpr int kSlots = 4;

    // Slot 0 (A) to 3 (D); false for any other index.
    bool canStore(int slot) const;
    bool canRecall(int slot) const;
    // Copies the curves into the slot; false, changing nothing, when the slot cannot take them.
    bool store(int slot, const Curves& curves);
    // The slot's curves, or nothing when it is empty.
    const Curves* recall(int slot) const;
    // Empties every slot.
    void clear();

  private:
    static bool valid(int slot) { return slot >= 0 && slot < kSlots; }

    std::array<std::optional<Curves>, kSlots> taken;
};

} // namespace Editor
