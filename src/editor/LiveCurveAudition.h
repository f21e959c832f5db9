#pragma once
// The wave editor's "Play processed": the file from the cursor to its end, processed along the
// curves as they stand, computed while it plays. Every edit of the curves is taken while it
// plays, from where it stands; the cursor follows the source frame being heard, as the stream
// recorded it. User-interface thread only.
#include <optional>
#include <string>

#include "process/LiveAudition.h"

namespace Editor {

class LiveCurveAudition {
  public:
    explicit LiveCurveAudition(Output::CAudioEngine& engine) : audition(engine) {}

    // From `from` (the cursor; the start when it stands at the end) to the end of the source,
    // along the curves alone, as the preview renders them. Throws what planning the job and
    // playing throw.
    void play(Audio::CAudioFileCache& source, const Process::Curves& curves, std::int64_t from,
              Engine::Quality quality, const std::string& displayName);
    void stop() { audition.stop(); }
    // Takes the curves when they differ from the last ones taken. False once nothing plays.
    bool follow(const Process::Curves& curves);
    bool isPlaying() { return audition.isPlaying(); }
    // The source frame heard now; nothing before the first frames are heard.
    std::optional<std::int64_t> sourceFrame();
    Audio::i64 underruns() const { return audition.underruns(); }
    Engine::Factors factorsInUse() const { return audition.factorsInUse(); }
    std::string failure() const { return audition.failure(); }

  private:
    Process::LiveAudition audition;
    Process::Curves taken;
};

} // namespace Editor
