#pragma once
// Audio files that live in memory: waveform overviews and previews.
#include "audio/AudioSplitFile.h"

namespace Audio {

using CWaveSplitFile10 = CAudioSplitFile<CWaveFile, 10>;

// A CWaveFile over a new memory file, or (split) one mono CWaveFile member per channel of the
// format, each over its own memory file. Not opened: the caller opens it for Write.
std::unique_ptr<CAudioFile> createMemoryAudioFile(const AudioFormat& format, bool split);

} // namespace Audio
