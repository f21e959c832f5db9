#include "process/SourceTrail.h"

namespace Process {

void SourceTrail::add(const SourceMark& mark) {
    const std::uint64_t n = written.load(std::memory_order_relaxed);
    Slot& s = slots[n % kMarks];
    s.output.store(mark.output, std::memory_order_relaxed);
    s.passStart.store(mark.passStart, std::memory_order_relaxed);
    s.source.store(mark.source, std::memory_order_relaxed);
    s.time.store(mark.time, std::memory_order_relaxed);
    written.store(n + 1, std::memory_order_release);
}

SourceMark SourceTrail::read(std::uint64_t index) const {
    const Slot& s = slots[index % kMarks];
    return {s.output.load(std::memory_order_relaxed), s.passStart.load(std::memory_order_relaxed),
            s.source.load(std::memory_order_relaxed), s.time.load(std::memory_order_relaxed)};
}

// Walks back from the newest mark; the frames heard lie a read-ahead behind it, a few dozen
// marks at most. A slot the producer may have rewritten meanwhile is not trusted.
bool SourceTrail::find(std::uint64_t output, SourceMark& mark) const {
    const std::uint64_t newest = written.load(std::memory_order_acquire);
    for (std::uint64_t i = newest; i-- > 0 && newest - i < kMarks;) {
        const SourceMark m = read(i);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (written.load(std::memory_order_relaxed) - i >= kMarks) return false;
        if (m.output <= output) {
            mark = m;
            return true;
        }
    }
    return false;
}

} // namespace Process
