#pragma once
#include "audio/InterleavedAudioFile.h"

namespace Audio {

// Audio Interchange File Format: big-endian integer samples (8-bit signed), the sample rate as
// an 80-bit float.
class CAiffFile : public CInterleavedAudioFile {
  public:
    static constexpr u32 headerBytes = 54;

    explicit CAiffFile(std::unique_ptr<CFile> file);
    ~CAiffFile() override { closeQuietly(); }

    std::unique_ptr<CAudioFile> clone() const override;
    void ReadHeader() override;
    void writeHeader() override;

  private:
    bool hasFloatSamples() const override { return false; }
    void readCommonChunk(u64 bodyOffset, u32 size, u32* frameCount);
    void checkFormat(i16 channels, i16 bits, double rate);
};

} // namespace Audio
