#pragma once
#include "audio/AudioFile.h"
#include "audio/InterleavedFrames.h"

namespace Audio {

// What the WAV and AIFF files share: a header in front of interleaved frames, written for
// zero frames when the file is opened for writing and patched when it is closed.
class CInterleavedAudioFile : public CAudioFile {
  public:
    void open(u32 mode, const AudioFormat* format) override;
    void close() override;
    void write(float** channelBuffers, u32 frames, u32* framesWritten) override;
    void read(float** channelBuffers, u32 frames, u32* framesRead) override;

    // Parses the header at the start of the file: format, frames, dataOffset.
    virtual void ReadHeader() = 0;
    // Writes the header for the current format and frames at the start of the file.
    virtual void writeHeader() = 0;

  protected:
    CInterleavedAudioFile(CFile* file, InterleavedLayout layout, u32 headerBytes);
    // 32-bit samples are IEEE floats rather than integers.
    virtual bool hasFloatSamples() const = 0;
    // Called after the format was taken over and before the first header is written.
    virtual void prepareWrite() {}
    // For the destructors of the formats: a destructor cannot report a failed close.
    void closeQuietly() noexcept;

  private:
    InterleavedFrames frameIo;
    u32 headerLength;
};

} // namespace Audio
