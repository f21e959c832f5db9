#pragma once
// Processed frames computed while they play: a stretch stream over a job's range, run by the
// read-ahead producer of the playback engine as a voice's source. The factors come from a live
// factor source that the user-interface thread steers; a change is taken at the next engine
// call and the stream goes on from where it stands. A loop starts the stream again at the
// range's start.
//
// Threads: constructed on the user-interface thread (it allocates there); process() and the
// voice's queries on the producer; the position queries and failure() on any thread.
#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "audio/ChannelLimits.h"
#include "output/VoiceSource.h"
#include "process/JobPlan.h"
#include "process/LiveFactors.h"
#include "process/SourceTrail.h"
#include "process/StretchStream.h"

namespace Process {

struct LivePosition {
    // The source frame being heard, through the factors in force when it was computed.
    std::int64_t source = 0;
    // The frame of the processed result being heard, counted from the range's start.
    std::uint64_t processed = 0;
};

class LiveStretchSource : public Output::CVoiceSource, private StretchObserver {
  public:
    // The plan's source, range, engine options and promised length; the factors from `factors`
    // (taken over). Throws what planning the engine throws.
    LiveStretchSource(const JobPlan& plan, std::unique_ptr<LiveFactorSource> factors, bool loop);
    ~LiveStretchSource() override;

    void setOutputRate(float rate) override;
    void start() override;
    void stop() override { active.store(false); }
    void process(float** dest, Audio::u32 destChannels, Audio::u32 frames) override;
    bool isActive() const override { return active.load(); }
    Audio::u64 getDelivered() const override { return delivered.load(); }
    int getChannelCount() const override { return channels; }
    Audio::CAudioFileCache* getFile() const override { return cache; }
    // One engine call's output at the lowest pitch, and the frames a rate conversion holds.
    int getHeldFrames() const override { return heldFrames; }

    // The factor source, for the user-interface thread to steer.
    LiveFactorSource& factorSource() { return *factors; }
    // Where the output `heard` frames after the start came from; false before the stream has
    // recorded it.
    bool positionAt(Audio::u64 heard, LivePosition& position) const;
    // What stopped the stream (a read that failed), empty while nothing did. Once isActive()
    // turned false.
    std::string failure() const;
    const StreamRange& getRange() const { return range; }
    // The time and pitch factors of the last engine call (the formant factor stays 1.0).
    Engine::Factors factorsInUse() const {
        return {timeInUse.load(std::memory_order_relaxed),
                pitchInUse.load(std::memory_order_relaxed), 1.0};
    }

  private:
    void engineCalled(std::uint64_t outputBefore, std::int64_t sourcePosition,
                      const Engine::Factors& factors) override;
    Audio::u32 pull(float* const* dest, Audio::u32 frames);
    Audio::u32 convertRate(float* const* dest, Audio::u32 frames);
    bool refillStage();
    void fail(const char* text);

    Audio::CAudioFileCache* cache;
    int channels = 0;
    double fileRate = 44100.0;
    StreamRange range;
    bool loop;
    std::unique_ptr<LiveFactorSource> factors;
    std::unique_ptr<StretchStream> stream;
    int heldFrames = 0;
    bool lengthRelaxed = false;

    // Stream frames handed out, and where the current pass began among them.
    std::uint64_t streamFrames = 0;
    std::uint64_t passStart = 0;
    SourceTrail trail;

    // Rate conversion when the output's rate is not the file's: linear, as plain playback.
    double ratio = 1.0;
    double phase = 0.0;
    std::vector<float> stage;
    std::array<float*, Audio::kMaxEngineChannels> stageChannels{};
    Audio::u32 staged = 0, stageRead = 0;
    std::array<float, Audio::kMaxEngineChannels> before{}, after{};
    bool stageEnded = false;
    bool primed = false;

    std::atomic<bool> active{false};
    std::atomic<Audio::u64> delivered{0};
    std::array<char, 512> failureText{};
    std::atomic<bool> failed{false};
    std::atomic<double> timeInUse{1.0}, pitchInUse{1.0};
};

} // namespace Process
