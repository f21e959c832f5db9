#include "FuzzAudioParser.h"
#include "audio/AiffFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzAudioParser<Audio::CAiffFile>(data, size);
}
