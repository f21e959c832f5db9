#pragma once
#include "audio/InterleavedAudioFile.h"

namespace Audio {

// Files with more channels than this are refused: a cache block holds 65536 frames of every
// channel, and a header must not make us allocate gigabytes.
constexpr u32 maxFileChannels = 64;

// RIFF WAVE file: integer PCM (tag 1) or IEEE float (tag 3), 8/16/20/24/32 bits.
class CWaveFile : public CInterleavedAudioFile {
  public:
    static constexpr u32 headerBytes = 44;
    u16 formatTag = 0;

    explicit CWaveFile(CFile* file);
    ~CWaveFile() override { closeQuietly(); }

    CAudioFile* clone() const override;
    void ReadHeader() override;
    void writeHeader() override;
    // 32-bit samples are floats under tag 3 and integers under tag 1; every 32-bit file this
    // class writes carries tag 3.
    bool hasFloatSamples() const override { return formatTag == 3; }

  private:
    void prepareWrite() override { formatTag = format.bitsPerSample == 32 ? 3 : 1; }
    void readFormatChunk(u64 bodyOffset, u32 size);
    void checkFormat() const;
};

} // namespace Audio
