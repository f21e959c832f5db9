#pragma once
#include "audio/ChannelLimits.h"
#include "audio/InterleavedAudioFile.h"

namespace Audio {

// RIFF WAVE file: integer PCM (tag 1) or IEEE float (tag 3), 8/16/20/24/32 bits. Reads RF64
// files too (the same chunks with 64-bit sizes); CRf64File writes them.
class CWaveFile : public CInterleavedAudioFile {
  public:
    static constexpr u32 headerBytes = 44;
    u16 formatTag = 0;

    explicit CWaveFile(std::unique_ptr<CFile> file);
    ~CWaveFile() override { closeQuietly(); }

    std::unique_ptr<CAudioFile> clone() const override;
    void ReadHeader() override;
    void writeHeader() override;
    // 32-bit samples are floats under tag 3 and integers under tag 1; every 32-bit file this
    // class writes carries tag 3.
    bool hasFloatSamples() const override { return formatTag == 3; }

  protected:
    // For writers of a different header (RF64).
    CWaveFile(std::unique_ptr<CFile> file, InterleavedLayout layout, u32 headerSize);

  private:
    void prepareWrite() override { formatTag = format.bitsPerSample == 32 ? 3 : 1; }
    void readFormatChunk(u64 bodyOffset, u32 size);
    void checkFormat() const;
};

} // namespace Audio
