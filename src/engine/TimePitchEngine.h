#pragma once
// The face every time/pitch engine shows its callers: source frames in, processed frames out,
// with the time, pitch and formant factors free to change before any call. Files, curves,
// threads and the mapping from output back to source positions live above it.
//
// One call: the engine names the source span it reads next (nextInput()); the caller fills
// input()[c][0..frames) with those frames (zeros past the source's end) and calls process(),
// which leaves its result in output()[c][0..n) and returns n. Positions count from the start
// of the stream (0 after construction or reset()).
//
// Threads: an engine is used by one thread at a time; engines share nothing, so any number
// run side by side. makeEngine() and reset() may allocate; setFactors(), nextInput() and
// process() never allocate, lock or throw, so they may run on an audio thread.
#include <cstdint>
#include <memory>

#include "audio/ChannelLimits.h"
#include "engine/Factors.h"

namespace Engine {

// The algorithm, as the settings file and the menus number them.
enum class Quality : std::int32_t { Monophonic = 1, Fast = 2, Medium = 3, Best = 4, Studio = 5 };

struct StreamFormat {
    int channels = 2; // 1 to Audio::kMaxEngineChannels
    float sampleRate = 44100.0f;
};

struct EngineOptions {
    Quality quality = Quality::Medium;
    // Pitch (and duration) exactly as asked, instead of in the engine's output steps.
    bool exactPitch = false;
    // Twice as long at the same pitch, in the engine's own way for it; the factors are ignored.
    bool doubleLength = false;
};

struct SourceSpan {
    std::int64_t position = 0;
    std::int32_t frames = 0;
};

class TimePitchEngine {
  public:
    virtual ~TimePitchEngine() = default;

    // The factors of the next call and the ones after it.
    virtual void setFactors(const Factors& factors) = 0;
    // The span of source frames the next process() reads.
    virtual SourceSpan nextInput() const = 0;
    // Where the caller puts that span: one buffer per channel, maxInputFrames() long.
    virtual float* const* input() = 0;
    // One step: reads the input, returns the frames it left in output(). Values beyond full
    // scale or not finite must not reach it: the caller brings them within [-1, 1] (NaN as 0).
    virtual int process() = 0;
    // One buffer per channel, valid until the next call; may be the input buffers themselves.
    virtual const float* const* output() const = 0;

    // Leading output frames that come before the sound of source frame 0, for the factors set
    // now (the caller sets the first call's factors before asking).
    virtual std::int64_t latency() const = 0;
    // Output frames of one call at pitch 1.0. A call gives about step / pitch output frames
    // for step / (pitch × time) source frames; the curves are walked by these steps.
    virtual double step() const = 0;
    // True when the output's duration follows the factors to the frame: the stream then ends
    // it at the promised length instead of at the end of the call that passes it.
    virtual bool exactDuration() const { return false; }
    virtual int maxInputFrames() const = 0;
    virtual int maxOutputFrames() const = 0;
    virtual const StreamFormat& format() const = 0;

    // Back to the start of a stream: the next call reads from position 0, nothing carried over.
    virtual void reset() = 0;
};

// The engine for a quality. Throws std::invalid_argument for a channel count outside
// 1 to Audio::kMaxEngineChannels or a quality no engine has.
std::unique_ptr<TimePitchEngine> makeEngine(const StreamFormat& format,
                                            const EngineOptions& options);

} // namespace Engine
