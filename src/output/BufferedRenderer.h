#pragma once
#include <array>
#include <atomic>
#include <memory>
#include <mutex>

#include "audio/Types.h"
#include "output/AudioBlock.h"
#include "output/AudioRenderer.h"
#include "output/Event.h"
#include "output/Semaphore.h"

namespace Output {

// A bounded first-in-first-out queue of rendered blocks that its own producer thread keeps
// filled ahead of the output.
//
// Threads: the user-interface thread constructs, configures, starts, stops and destroys; the
// producer thread calls the source's render(); one output thread takes blocks with
// getNextBlock() or tryGetNextBlock(). Lock order: state, then count, then ring. The producer
// never takes the state lock, so it cannot block a consumer that waits for a block.
//
// Accounting: the free-slot semaphore counts free ring slots. A produced block takes a count
// (and adds one to the taken count), a consumed or discarded block gives it back.
class CBufferedRenderer : public CAudioRenderer {
  public:
    static constexpr int RING_SLOTS = 40;
    static constexpr int DEFAULT_CAPACITY = 30;

    CBufferedRenderer();
    // Stops an active queue (which stops the source: it must still exist then) and ends the
    // producer thread.
    ~CBufferedRenderer() override;
    CBufferedRenderer(const CBufferedRenderer&) = delete;
    CBufferedRenderer& operator=(const CBufferedRenderer&) = delete;

    // Stores the rate and passes it on to the source.
    void setSampleRate(float rate) override;
    // Does nothing: consumers take whole blocks with getNextBlock().
    void render(int, float* const*, int, int) override {}
    // Starts the source, fills half the capacity before it returns, then lets the producer
    // run. Does nothing on a queue that is already active.
    void start() override;
    // Stops the source, waits for a block in production and discards every produced block.
    void stop() override;

    // Exchanges the caller's block with the oldest produced one, waiting (polling every
    // 10 ms) until one exists; the caller's block goes back into the ring for reuse. False,
    // with the block unchanged, when the queue is not active or its producer has ended. Pass an
    // owned block: an empty owner gets a fresh block, which allocates. Consumer thread only.
    bool getNextBlock(AudioBlockPtr& block);
    // Like getNextBlock() but never waits: false when a start()/stop() holds the queue or no
    // block is ready. For callbacks that must not block. An active queue without a ready block
    // counts an underrun.
    bool tryGetNextBlock(AudioBlockPtr& block);
    // Times tryGetNextBlock() found an active queue empty since the last start().
    Audio::i64 getUnderruns() const { return underruns.load(); }

    // Channels (at most Audio::kMaxBlockChannels) and frames per block; set before start().
    void setBlockFormat(int channels, int frames);
    // The renderer the producer pulls from; not owned. Set before start().
    void setSource(CAudioRenderer* source);
    // Blocks start() renders before it returns: half the capacity, or as many as set here (up
    // to the capacity; -1 for half again). Live play starts with a full ring, so that the
    // output begins with all of its cushion.
    void setPrefill(int blocks);
    // Brings the read-ahead depth to capacity blocks (1 to RING_SLOTS) and empties the ring.
    // Throws std::logic_error on an active queue, std::invalid_argument for a bad capacity.
    void setCapacity(int capacity);
    // Ends the producer thread; the queue cannot produce afterwards. The destructor calls it.
    void endProducer();

    bool isActive() const { return active.load(); }
    int getConfiguredCapacity() const;
    int getFilledCount() const;
    int getTakenCount() const;
    int getFreeSlotCount() const { return freeSlots.getCount(); }
    bool isProducerRunning() const;

  private:
    class ProducerThread;
    friend class ProducerThread;

    Audio::u32 produceLoop();
    void produceOneStep();
    void renderScratch();
    void pushScratch();
    void pushScratchCounted();
    bool takeOldest(AudioBlockPtr& block);
    void giveBackSlot();
    void discardProduced();
    void resetRing();

    std::atomic<CAudioRenderer*> source{nullptr};

    std::array<AudioBlockPtr, RING_SLOTS> ring;
    int writePosition = 0;
    int readPosition = 0;
    int ringEnd = DEFAULT_CAPACITY;
    std::atomic<int> filledCount{0};
    int capacity = DEFAULT_CAPACITY;
    mutable std::mutex ringLock;

    int configuredCapacity = DEFAULT_CAPACITY;
    int prefill = -1;
    std::atomic<bool> active{false};
    std::atomic<bool> stopThread{false};
    mutable std::mutex stateLock;
    mutable std::mutex countLock;

    // Used by the producer, and by start() while the producer is parked.
    AudioBlockPtr scratch;
    std::atomic<int> framesPerBlock{1024};
    std::atomic<int> channelsPerBlock{2};

    CSemaphore freeSlots{DEFAULT_CAPACITY, RING_SLOTS};
    // Signalled while the producer is not inside a production step.
    CEvent idleEvent{true, true};
    // Signalled while the queue is active or the producer must wake up to end.
    CEvent runEvent{true, false};
    std::atomic<int> takenCount{0};
    std::atomic<Audio::i64> underruns{0};

    // Last: the thread starts once everything it uses exists.
    std::unique_ptr<ProducerThread> producer;
};

} // namespace Output
