#include "FuzzAudioParser.h"
#include "audio/WaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzAudioParser<Audio::CWaveFile>(data, size);
}
