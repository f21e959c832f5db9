#pragma once
// Which source frames the output of a live audition came from, as the stream recorded it: one
// mark per engine call, the output frame where the call's share begins and the source frame it
// stood at. The read-ahead producer adds marks; the user-interface thread looks up the frames it
// hears, a read-ahead behind. Lock free; nothing is allocated after construction.
#include <array>
#include <atomic>
#include <cstdint>

namespace Process {

struct SourceMark {
    // The stream's output frames before this call: the pass so far plus what the pass had
    // given, the engine's latency included, as the steps of the curves count them.
    std::uint64_t output = 0;
    // Where the pass (one run over the range; a loop makes more) began in the output.
    std::uint64_t passStart = 0;
    std::int64_t source = 0;
    double time = 1.0;
};

class SourceTrail {
  public:
    // Enough marks for seconds of output at the engine's smallest steps: far more than the
    // read-ahead between the producer and what is heard.
    static constexpr std::size_t kMarks = 1024;

    // Producer: marks come in the order of their output frames.
    void add(const SourceMark& mark);
    // The last mark at or before an output frame; false when there is none, or it has been
    // overwritten since (a look far behind the producer).
    bool find(std::uint64_t output, SourceMark& mark) const;

  private:
    struct Slot {
        std::atomic<std::uint64_t> output{0}, passStart{0};
        std::atomic<std::int64_t> source{0};
        std::atomic<double> time{1.0};
    };
    SourceMark read(std::uint64_t index) const;

    std::array<Slot, kMarks> marks;
    std::atomic<std::uint64_t> written{0};
};

} // namespace Process
