#pragma once
#include "audio/Types.h"

namespace Output {

// Told about a playing voice. Called on the read-ahead producer thread (and on the thread that
// stops the output for the last report), so implementations only store what they are told.
class CPlaybackListener {
  public:
    virtual ~CPlaybackListener() = default;
    // The voice began at this frame of the mixer's output.
    virtual void started(Audio::i32 value, Audio::i64 startFrame) = 0;
    // The voice has rendered up to this frame of the mixer's output: after each block, and a last
    // time when it stops.
    virtual void position(Audio::i32 value, Audio::i64 frame) = 0;
};

} // namespace Output
