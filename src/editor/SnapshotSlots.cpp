#include "editor/SnapshotSlots.h"

namespace Editor {

bool SnapshotSlots::canStore(int slot) const {
    return valid(slot) && (slot == 0 || taken[slot - 1].has_value());
}

bool SnapshotSlots::canRecall(int slot) const {
    return valid(slot) && taken[slot].has_value();
}

bool SnapshotSlots::store(int slot, const Curves& curves) {
    if (!canStore(slot)) return false;
    taken[slot] = curves;
    return true;
}

const Curves* SnapshotSlots::recall(int slot) const {
    return canRecall(slot) ? &*taken[slot] : nullptr;
}

void SnapshotSlots::clear() {
    for (auto& s : taken)
        s.reset();
}

} // namespace Editor
