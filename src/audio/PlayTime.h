#pragma once
// A length in frames as hours, minutes, seconds and milliseconds, the way the windows show it.
#include <string>

#include "audio/Types.h"

namespace Audio {

// "h:mm:ss" followed by `separator` and three digits of milliseconds. The seconds are nudged
// by 0.01 so that a length a hair short of a whole second shows that second.
std::string playTimeText(u64 frames, u32 sampleRate, char separator);

} // namespace Audio
