#pragma once
// One live audition on the playback engine: plays the processed sound of a job while it is
// computed, steers its factors, tells which source frame is heard, and lets go of the sound on
// the user-interface thread, never on an audio thread. The windows' "Play processed" commands
// sit on it. User-interface thread only.
#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "output/AudioEngine.h"
#include "process/JobPlan.h"
#include "process/LiveStretchSource.h"

namespace Process {

class LiveAudition : private Output::CPlaybackListener {
  public:
    explicit LiveAudition(Output::CAudioEngine& engine);
    // Stops the sound if it still plays.
    ~LiveAudition() override;
    LiveAudition(const LiveAudition&) = delete;
    LiveAudition& operator=(const LiveAudition&) = delete;

    // Plays the plan's range; `listener` (may be null) hears what the engine reports. Throws
    // what planning the engine and playing throw; nothing plays then.
    void play(const JobPlan& plan, const std::string& displayName, bool loop,
              Output::CPlaybackListener* listener);
    void stop();
    // Whether the sound still plays: false once its range has played, once it was stopped and
    // once another play took the engine over (the sound is let go of then).
    bool isPlaying();
    // Whether the factors follow curves (setCurves) or are fixed (setFactors).
    bool followsCurves() const { return curves != nullptr; }
    // Heard at the next engine call, from where the stream stands.
    void setFactors(const Engine::Factors& factors);
    void setCurves(const Curves& curves, bool preserveFormants);
    // What is heard now; nothing before the first frames are.
    std::optional<LivePosition> position();
    // The time and pitch factors the producer used last (1.0 when nothing plays).
    Engine::Factors factorsInUse() const {
        return source ? source->factorsInUse() : Engine::Factors{};
    }
    // Blocks the output found missing since the sound started.
    Audio::i64 underruns() const { return engine.getUnderruns(); }
    // Why the sound stopped computing (a failed read); empty when it did not.
    std::string failure() const { return failed; }

  private:
    // Producer thread: only stored, and passed on.
    void started(Audio::i32 value, Audio::i64 startFrame) override;
    void position(Audio::i32 value, Audio::i64 frame) override;
    void letGo();

    Output::CAudioEngine& engine;
    std::shared_ptr<LiveStretchSource> source;
    LiveFactors* factors = nullptr;
    LiveCurveFactors* curves = nullptr;
    Output::CPlaybackListener* forward = nullptr;
    std::atomic<Audio::i64> startFrame{-1};
    std::atomic<Audio::i64> lastFrame{-1};
    std::string failed;
};

} // namespace Process
