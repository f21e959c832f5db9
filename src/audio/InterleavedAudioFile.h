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

    // While writing, the header is patched to the frames written so far whenever this many
    // more were written (one second of sound from each open on), so that a process killed
    // while writing leaves a file whose header counts all it holds but the last second.
    void setHeaderPatchFrames(u64 frameCount) { headerPatchFrames = frameCount; }

    // Parses the header at the start of the file: format, frames, dataOffset.
    virtual void ReadHeader() = 0;
    // Writes the header for the current format and frames at the start of the file.
    virtual void writeHeader() = 0;

  protected:
    CInterleavedAudioFile(std::unique_ptr<CFile> file, InterleavedLayout layout, u32 headerBytes);
    // 32-bit samples are IEEE floats rather than integers.
    virtual bool hasFloatSamples() const = 0;
    // Called after the format was taken over and before the first header is written.
    virtual void prepareWrite() {}
    // For the destructors of the formats: a destructor cannot report a failed close.
    void closeQuietly() noexcept;

  private:
    void patchHeaderWhenDue();

    InterleavedFrames frameIo;
    u32 headerLength;
    u64 headerPatchFrames = 0;
    u64 framesAtLastPatch = 0;
};

} // namespace Audio
