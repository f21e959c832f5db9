#include "audio/MemoryAudioFile.h"

#include "audio/MemoryFile.h"

namespace Audio {

std::unique_ptr<CAudioFile> createMemoryAudioFile(const AudioFormat& format, bool split) {
    if (!split) return std::make_unique<CWaveFile>(std::make_unique<CMemoryFile>());
    auto file = std::make_unique<CWaveSplitFile10>(format.channels);
    for (u32 k = 0; k < format.channels; ++k)
        file->setMember(k, std::make_unique<CWaveFile>(std::make_unique<CMemoryFile>()));
    return file;
}

} // namespace Audio
