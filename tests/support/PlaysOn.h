#pragma once
// For the window tests of "Play processed": a change made while the processed sound plays is
// taken from where it stands, so the player goes on rather than starting again.
#include <QtTest>
#include <functional>

#include "output/AudioEngine.h"

// Makes the change, waits until `taken` and half a second more has played; false when the
// player started again meanwhile (its count of frames played went back), as it would if the
// change made the sound play again.
inline bool goesOnThrough(Output::CAudioEngine& engine, const std::function<void()>& change,
                          const std::function<bool()>& taken) {
    Audio::i64 played = engine.getFramesPlayed();
    Audio::i64 until = -1;
    bool again = false;
    change();
    const bool heard = QTest::qWaitFor(
        [&] {
            const Audio::i64 now = engine.getFramesPlayed();
            again |= now < played;
            played = now;
            if (until < 0 && taken())
                until = now + static_cast<Audio::i64>(engine.getHost().getSampleRate() / 2);
            return until >= 0 && now >= until;
        },
        10000);
    return heard && !again;
}
