#pragma once
// The main window's "Play processed": one row's processed sound with its settings as they
// stand, computed while it plays. Changes to the row's semitones, cents, time, time unit and
// formant box (or to its curves, when it follows them) are taken while it plays, from where it
// stands. User-interface thread only.
#include <optional>

#include "app/FileRow.h"
#include "app/JobSettings.h"
#include "process/LiveAudition.h"

namespace App {

class LiveRowAudition {
  public:
    explicit LiveRowAudition(Output::CAudioEngine& engine) : audition(engine) {}

    // Throws what planning the job and playing throw, and std::out_of_range with the text of
    // rowBeyondLimits for settings the engine cannot follow.
    void play(CFileRow& row, const JobSettings& settings, Output::CPlaybackListener* listener);
    void stop();
    // Takes the row's settings when they differ from the last ones taken; settings that give
    // no usable factors (a time being typed) are left for later. False once nothing plays.
    bool follow();
    bool isPlaying() { return audition.isPlaying(); }
    // The row that plays; null when none does.
    const CFileRow* row() { return isPlaying() ? playing : nullptr; }
    std::optional<Process::LivePosition> position() { return audition.position(); }
    Audio::i64 underruns() const { return audition.underruns(); }
    Engine::Factors factorsInUse() const { return audition.factorsInUse(); }
    std::string failure() const { return audition.failure(); }

  private:
    Process::RowSettings settingsOf(const CFileRow& row) const;

    Process::LiveAudition audition;
    CFileRow* playing = nullptr;
    Engine::Quality quality = Engine::Quality::Fast;
    bool exactPitch = false;
    Process::RowSettings taken;
};

} // namespace App
