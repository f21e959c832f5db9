#pragma once
#include "audio/AudioFile.h"
#include "audio/InterleavedFrames.h"

namespace Audio {

// Audio Interchange File Format: big-endian integer samples (8-bit signed), the sample rate as
// an 80-bit float.
class CAiffFile : public CAudioFile {
  public:
    static constexpr u32 headerBytes = 54;

    explicit CAiffFile(CFile* file);
    ~CAiffFile() override;

    void open(u32 mode, const AudioFormat* format) override;
    void close() override;
    void write(float** channelBuffers, u32 frames, u32* framesWritten) override;
    void read(float** channelBuffers, u32 frames, u32* framesRead) override;
    CAudioFile* clone() const override;

    void ReadHeader();
    void writeHeader();

  private:
    void readCommonChunk(u64 bodyOffset, u32 size, u32* frameCount);
    void checkFormat(i16 channels, i16 bits, double rate);

    InterleavedFrames frameIo;
};

} // namespace Audio
