#include "audio/MemoryAudioFile.h"

#include "audio/MemoryFile.h"

namespace Audio {

CAudioFile* createMemoryAudioFile(const AudioFormat& format, bool split) {
    if (!split) return new CWaveFile(new CMemoryFile());
    auto* file = new CWaveSplitFile10(format.channels);
    for (u32 k = 0; k < format.channels; ++k)
        file->setMember(k, new CWaveFile(new CMemoryFile()));
    return file;
}

} // namespace Audio
