#pragma once
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "audio/Types.h"
#include "output/AudioBlock.h"
#include "output/BufferedRenderer.h"
#include "output/DirectSoundManager.h"
#include "output/Thread.h"

namespace Output {

// Streams blocks of the read-ahead queue to the system output: a looping buffer of two
// segments, each refilled with the next block as soon as it has been played. Its own thread
// waits for the segment notifications and does the refills; the user-interface thread calls
// init, start, Stop and the position query.
class CDirectSoundRenderingBuffer : public CThread {
  public:
    explicit CDirectSoundRenderingBuffer(CDirectSoundManager& manager);
    ~CDirectSoundRenderingBuffer() override;

    // Creates the secondary buffer of two segments on the manager's device.
    void init(int framesPerSegment);
    // Releases the secondary buffer; init may follow again.
    void releaseBuffer();
    void setRenderer(CBufferedRenderer* renderer);
    // Starts the queue, fills both segments and plays. On a failure the queue is stopped again.
    void start();
    void Stop();
    // Frames written into the buffer and not yet played.
    Audio::i64 getCurrentPlayPosition();
    Audio::i64 getFramesDelivered();

    // Frames ahead of the play cursor, from the last refilled segment, the play frame and the
    // frames per segment.
    static Audio::i64 framesAhead(int lastSegment, Audio::i64 playFrame,
                                  Audio::i64 framesPerSegment);

  protected:
    u32 run() override;
    void wake() override;

  private:
    // Fills both segments from the running queue and plays from the buffer's start.
    void playFromStart();
    void refill(int segment, bool wait);
    void restoreIfLost();
    void writeBlock(std::uint8_t* region);
    void signalSegment(int segment);

    AudioBlockPtr block;
    CDirectSoundManager& manager;
    CBufferedRenderer* renderer = nullptr;
    std::unique_ptr<DirectSound::CSoundBuffer> buffer;
    Audio::u32 bufferBytes = 0;
    Audio::u32 segmentBytes = 0;
    Audio::i64 framesDelivered = 0;
    int lastSegment = 0;
    std::mutex bufferLock;
    int framesPerSegment = 0;
    int channelCount = 2;

    // The two segment notifications: auto-reset flags under one lock so that one thread can
    // wait for either, and for the stop request.
    std::mutex notifyLock;
    std::condition_variable notified;
    bool segmentDone[2] = {false, false};
    // Serialises refills: start() fills both segments itself while a late notification may
    // still be handled.
    std::mutex refillLock;
};

} // namespace Output
