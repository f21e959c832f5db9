#pragma once
// The one loop that drives a time/pitch engine over a source: it reads the spans the engine
// names from the source's cache, sets the factors before every call, drops the engine's
// start-up latency and hands out the processed frames, one engine call at a time. Processing
// into a file, the editor's preview and the live audition all read through a stream.
//
// Threads: one reader at a time; the constructor allocates, next() and read() do not (beyond
// what the source's cache does to bring a block in).
#include <array>
#include <cstdint>
#include <memory>

#include "audio/AudioFileCache.h"
#include "audio/ChannelLimits.h"
#include "engine/TimePitchEngine.h"
#include "process/FactorSource.h"

namespace Process {

struct StreamRange {
    std::int64_t start = 0;
    std::int64_t end = 0; // exclusive
};

// Told of every engine call, on the thread that reads the stream. The calls are the stream's own
// record of which source frames its output came from: the output of a call begins where the
// engine's output so far (its latency included) ends, at the source position it was called
// at. Implementations allocate nothing.
class StretchObserver {
  public:
    virtual ~StretchObserver() = default;
    virtual void engineCalled(std::uint64_t outputBefore, std::int64_t sourcePosition,
                              const Engine::Factors& factors) = 0;
};

class StretchStream {
  public:
    // `factors` is borrowed and asked before every call. The stream ends once the engine has
    // read past the range's end by its latency and at least `minimumLength` frames are out;
    // with `exactLength`, or an engine of exact duration (and `minimumLength` not 0), once
    // `minimumLength` frames are out, not one more.
    StretchStream(Audio::CAudioFileCache& source, std::unique_ptr<Engine::TimePitchEngine> engine,
                  FactorSource& factors, StreamRange range, std::uint64_t minimumLength,
                  bool exactLength = false);

    // Runs engine calls until one leaves output past the latency; the frames are then in
    // frames()[c][0..n) until the next call. 0 once the stream has ended.
    std::int32_t next();
    const float* const* frames() const { return view.data(); }
    // Copies up to `count` frames of every channel into `to`, across engine calls; fewer only
    // at the end.
    std::int32_t read(float* const* to, std::int32_t count);
    // Back to the range's start with a fresh engine state and rewound factors.
    void restart();
    // The length the stream gives at least, silence after the source's end included. 0 also
    // lifts an exact length: the stream then ends with the range and the engine's latency.
    void setMinimumLength(std::uint64_t frames) {
        minimumLength = frames;
        if (frames == 0) exactLength = false;
    }
    // Not owned; null for none.
    void setObserver(StretchObserver* o) { observer = o; }

    bool ended() const { return finished; }
    // Where the engine reads next, in source frames.
    std::int64_t sourcePosition() const { return position; }
    // Frames handed out since the start (after the latency).
    std::uint64_t delivered() const { return given; }
    std::int64_t latency() const { return startLatency; }
    // The factors of the last engine call.
    const Engine::Factors& currentFactors() const { return current; }
    const Engine::TimePitchEngine& engine() const { return *stretcher; }
    int channels() const { return channelCount; }

  private:
    bool wantsMore() const;
    void readSource();
    std::int32_t call();

    Audio::CAudioFileCache& source;
    std::unique_ptr<Engine::TimePitchEngine> stretcher;
    FactorSource& factors;
    StreamRange range;
    std::uint64_t minimumLength;
    bool exactLength;
    int channelCount;
    std::int64_t position = 0;
    std::int64_t startLatency = 0;
    std::int64_t latencyLeft = 0;
    std::uint64_t given = 0;
    // Engine output so far, the latency included.
    std::uint64_t produced = 0;
    StretchObserver* observer = nullptr;
    bool finished = false;
    Engine::Factors current;
    std::array<const float*, Audio::kMaxEngineChannels> view{};
    // What read() has not yet handed out of the last call.
    std::int32_t held = 0;
    std::int32_t heldOffset = 0;
};

} // namespace Process
