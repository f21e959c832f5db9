#pragma once
// For the window tests of "Play processed": a change made while the processed sound plays is
// taken from where it stands, so the player goes on rather than starting again.
#include <QtTest>
#include <algorithm>
#include <functional>

#include "output/AudioEngine.h"

// Makes the change, waits until `taken` and half a second more has played; false when the
// player started again meanwhile, as it would if the change made the sound play again: its count
// of frames played went back by more than the jitter of reading it (under the live allowance).
// At least half a second must have played before the change.
inline bool goesOnThrough(Output::CAudioEngine& engine, const std::function<void()>& change,
                          const std::function<bool()>& taken) {
    const double rate = engine.getHost().getSampleRate();
    const auto jitter = static_cast<Audio::i64>(rate * Output::CAudioEngine::kLiveLatencySeconds);
    Audio::i64 most = engine.getFramesPlayed();
    Audio::i64 until = -1;
    bool again = false;
    change();
    const bool heard = QTest::qWaitFor(
        [&] {
            const Audio::i64 now = engine.getFramesPlayed();
            again |= now + jitter < most;
            most = std::max(most, now);
            if (until < 0 && taken()) until = now + static_cast<Audio::i64>(rate / 2);
            return until >= 0 && now >= until;
        },
        10000);
    return heard && !again;
}
