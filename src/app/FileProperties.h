#pragma once
// The lines of the file properties dialog, as plain text.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/AudioFile.h"
#include "audio/AudioFileOpener.h"

namespace App {

using PropertyLine = std::pair<std::string, std::string>;

// "h:mm:ss:mmm" of frames at the rate; seconds and milliseconds are nudged up by 0.01 before
// truncation so that values a hair below a whole number show as that number.
std::string formatPlayTime(Audio::u64 frames, Audio::u32 sampleRate);

// Total Play Time, Full Path, Format, Sample Rate, Word Length, Channels, Split Stereo,
// No. of Frames; and Original BPM when a source BPM is given.
std::vector<PropertyLine> fileProperties(const Audio::CAudioFile& file, const std::string& fullPath,
                                         Audio::FileType type, bool split,
                                         std::optional<double> sourceBpm = std::nullopt);

} // namespace App
