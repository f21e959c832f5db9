#pragma once
#include "audio/AudioFile.h"
#include "audio/InterleavedFrames.h"

namespace Audio {

// Files with more channels than this are refused: a cache block holds 65536 frames of every
// channel, and a header must not make us allocate gigabytes.
constexpr u32 maxFileChannels = 64;

// RIFF WAVE file: integer PCM (tag 1) or IEEE float (tag 3), 8/16/20/24/32 bits.
class CWaveFile : public CAudioFile {
  public:
    static constexpr u32 headerBytes = 44;
    u16 formatTag = 0;

    explicit CWaveFile(CFile* file);
    ~CWaveFile() override;

    void open(u32 mode, const AudioFormat* format) override;
    void close() override;
    void write(float** channelBuffers, u32 frames, u32* framesWritten) override;
    void read(float** channelBuffers, u32 frames, u32* framesRead) override;
    CAudioFile* clone() const override;

    void ReadHeader();
    void writeHeader();
    // 32-bit samples are floats under tag 3 and integers under tag 1; every 32-bit file this
    // class writes carries tag 3.
    bool hasFloatSamples() const { return formatTag == 3; }

  private:
    void readFormatChunk(u64 bodyOffset, u32 size);
    void checkFormat() const;

    InterleavedFrames frameIo;
};

// Refuses a format that a writer cannot describe in its header.
void checkWritableFormat(const AudioFormat& format, const char* className);

} // namespace Audio
