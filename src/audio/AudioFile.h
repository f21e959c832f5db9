#pragma once
#include <memory>
#include <vector>

#include "audio/AudioFormat.h"
#include "audio/File.h"

namespace Audio {

// An audio file: owns its byte stream, knows the sample format and the number of frames, and
// moves frames between the file and one float buffer per channel.
class CAudioFile {
  public:
    AudioFormat format;
    u32 mode = NotOpen;
    u64 frames = 0;
    u64 dataOffset = 0;
    u64 position = 0;
    std::unique_ptr<CFile> file;

    explicit CAudioFile(std::unique_ptr<CFile> bytes) : file(std::move(bytes)) {}
    CAudioFile(const CAudioFile&) = delete;
    CAudioFile& operator=(const CAudioFile&) = delete;

    virtual FileDate getDate() const;
    virtual u64 getFrames() const { return frames; }
    virtual bool isOpen() const { return file != nullptr && file->isOpen(); }
    // Derived destructors close the file (writers patch their header).
    virtual ~CAudioFile() = default;
    virtual void open(u32 mode, const AudioFormat* format) = 0;
    virtual void close() = 0;
    // channelBuffers holds one buffer per channel of the format, each of at least `frames` floats.
    virtual void write(float** channelBuffers, u32 frames, u32* framesWritten) = 0;
    // A null channel buffer is not filled (a mono file needs its one buffer).
    virtual void read(float** channelBuffers, u32 frames, u32* framesRead) = 0;
    virtual void seek(u64 frame);
    // A new, closed object of the same class on a clone of the byte stream.
    virtual std::unique_ptr<CAudioFile> clone() const = 0;

  protected:
    // Copies format, frames and dataOffset into a freshly made clone.
    void copyStateTo(CAudioFile& other) const;
};

// Refuses sample rates outside 8000..96000 Hz (both inclusive); a null file passes.
void validateSampleRate(const CAudioFile* file);

} // namespace Audio
