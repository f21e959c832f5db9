#pragma once
// The frame read and write shared by the WAV and AIFF classes: one file call per block,
// interleaved samples converted to and from one float buffer per channel.
#include <string>
#include <vector>

#include "audio/AudioFile.h"

namespace Audio {

struct InterleavedLayout {
    const char* className;      // "CWaveFile" or "CAiffFile", for the error texts
    bool bigEndian;             // AIFF stores samples big-endian, 8-bit signed
    u64 headerBytesOutsideData; // what the 32-bit size field counts besides the sample data
    bool sizesOf32Bits = true;  // the header cannot describe more than 4 GiB (not so in RF64)
};

class InterleavedFrames {
  public:
    explicit InterleavedFrames(InterleavedLayout fileLayout) : layout(fileLayout) {}
    const char* className() const { return layout.className; }

    // floatSamples: 32-bit samples are IEEE floats rather than integers.
    void read(CAudioFile& file, bool floatSamples, float** channelBuffers, u32 frames,
              u32* framesRead);
    void write(CAudioFile& file, bool floatSamples, float** channelBuffers, u32 frames,
               u32* framesWritten);

    // Bytes of `frames` frames; throws when a block would not fit one 32-bit file call.
    u32 blockBytes(const CAudioFile& file, u32 frames, const char* operation) const;

    // Swaps big-endian samples (8-bit signed) to the little-endian layout the codec reads,
    // and back; the same pass serves both directions except for the 8-bit offset.
    static void toLittleEndian(u8* raw, u64 bytes, u32 bitsPerSample);
    static void toBigEndian(u8* raw, u64 bytes, u32 bitsPerSample);

  private:
    void throwUnsupported(const char* operation, const char* what) const;
    void checkSizeLimit(const CAudioFile& file, u32 frames) const;

    InterleavedLayout layout;
    std::vector<u8> scratch; // reused from block to block
};

} // namespace Audio
