#pragma once
// How much sound a file type can hold: WAV and AIFF count their sizes in 32 bits, so a result
// of more than 4 GiB cannot be described by its header. Every writer's caller asks here before
// it writes anything, so that a format that holds more needs to be named only here.
#include <string>

#include "audio/AudioFileOpener.h"
#include "audio/AudioFormat.h"

namespace Audio {

// The most bytes of sample frames a file of this type can hold.
u64 largestAudioBytes(FileType type);

// Why `frames` frames of `format` do not fit one file of this type ("the result needs
// 6442450944 bytes (6.00 GiB) ..."), or an empty text when they fit.
std::string sizeBeyondFormat(FileType type, const AudioFormat& format, u64 frames);

} // namespace Audio
