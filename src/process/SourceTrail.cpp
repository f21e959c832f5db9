#include "process/SourceTrail.h"

namespace Process {

// Sequentially consistent throughout, which needs no fences: a reader that meets a value the
// producer is writing into slot i + kMarks meets a count of at least i + kMarks after it.
void SourceTrail::add(const SourceMark& mark) {
    const std::uint64_t n = written.load();
    Slot& s = marks[n % kMarks];
    s.output.store(mark.output);
    s.passStart.store(mark.passStart);
    s.source.store(mark.source);
    s.time.store(mark.time);
    written.store(n + 1);
}

SourceMark SourceTrail::read(std::uint64_t index) const {
    const Slot& s = marks[index % kMarks];
    return {s.output.load(), s.passStart.load(), s.source.load(), s.time.load()};
}

// Walks back from the newest mark; the frames heard lie a read-ahead behind it, a few dozen
// marks at most. A slot the producer may have rewritten meanwhile is not trusted.
bool SourceTrail::find(std::uint64_t output, SourceMark& mark) const {
    const std::uint64_t newest = written.load();
    for (std::uint64_t i = newest; i-- > 0 && newest - i < kMarks;) {
        const SourceMark m = read(i);
        if (written.load() - i >= kMarks) return false;
        if (m.output <= output) {
            mark = m;
            return true;
        }
    }
    return false;
}

} // namespace Process
