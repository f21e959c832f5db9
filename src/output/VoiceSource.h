#pragma once
#include "audio/AudioFileCache.h"
#include "audio/Types.h"

namespace Output {

// What a voice plays: a file as it stands, or frames computed while they play.
//
// Threads: the user-interface thread creates it and calls setOutputRate(), start() and stop();
// the read-ahead producer calls process() and the queries, under the voice's lock (so stop()
// never overlaps a process()).
class CVoiceSource {
  public:
    virtual ~CVoiceSource() = default;

    virtual void setOutputRate(float rate) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    // Fills the source's own channels, the first getChannelCount() of dest, with `frames`
    // frames (zeros past its end). Producer thread: allocates nothing and throws nothing.
    virtual void process(float** dest, Audio::u32 destChannels, Audio::u32 frames) = 0;
    // False once a range played without loop has reached its end.
    virtual bool isActive() const = 0;
    // Frames rendered since start().
    virtual Audio::u64 getDelivered() const = 0;
    virtual int getChannelCount() const = 0;
    // The file it plays from, so that playback can be stopped before the file changes; the
    // voice counts itself among the file's users while it exists.
    virtual Audio::CAudioFileCache* getFile() const = 0;
    // Frames computed but not yet handed out, at most: a change the source takes reaches the
    // output this much later than the read-ahead alone would make it.
    virtual int getHeldFrames() const { return 0; }
};

} // namespace Output
