#include "output/BufferedRenderer.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <utility>

#include "output/Thread.h"

namespace Output {

class CBufferedRenderer::ProducerThread : public CThread {
  public:
    explicit ProducerThread(CBufferedRenderer& owner_) : owner(owner_) { startThread(); }
    ~ProducerThread() override { stopAndJoin(); }

  protected:
    Audio::u32 run() override { return owner.produceLoop(); }
    void wake() override {
        std::lock_guard state(owner.stateLock);
        owner.stopThread.store(true);
        owner.runEvent.set();
    }

  private:
    CBufferedRenderer& owner;
};

CBufferedRenderer::CBufferedRenderer() {
    for (auto& slot : ring)
        slot = std::make_unique<CAudioBlock>();
    scratch = std::make_unique<CAudioBlock>();
    producer = std::make_unique<ProducerThread>(*this);
}

CBufferedRenderer::~CBufferedRenderer() {
    if (active.load()) stop();
    endProducer();
}

void CBufferedRenderer::endProducer() {
    producer->stopAndJoin();
}

void CBufferedRenderer::setSampleRate(float rate) {
    CAudioRenderer::setSampleRate(rate);
    if (auto* src = source.load()) src->setSampleRate(rate);
}

void CBufferedRenderer::setSource(CAudioRenderer* newSource) {
    std::lock_guard state(stateLock);
    source.store(newSource);
}

void CBufferedRenderer::setBlockFormat(int channels, int frames) {
    if (channels < 1 || channels > Audio::kMaxBlockChannels || frames < 1)
        throw std::invalid_argument(
            "CBufferedRenderer::setBlockFormat() a block holds 1 to 10 channels of 1 or more "
            "frames!");
    std::lock_guard state(stateLock);
    channelsPerBlock.store(channels);
    framesPerBlock.store(frames);
}

// Producer thread. The run event parks the producer while the queue is inactive without using
// semaphore counts; the idle event lets stop() wait for a step in progress.
Audio::u32 CBufferedRenderer::produceLoop() {
    // Processed sound is computed here as it plays: ahead of the other work of the machine.
    CThread::favourCurrentThread();
    for (;;) {
        runEvent.wait();
        if (stopThread.load()) return 0;
        idleEvent.reset();
        // A stop() may have reset the run event after the wait above but before the idle
        // event was reset, and so not have waited for this step. Look again: once stop() has
        // returned this thread must not hold a semaphore count even for a moment, or the
        // count that setCapacity() rebuilds the semaphore from would be one short.
        if (!runEvent.isSignalled()) {
            idleEvent.set();
            continue;
        }
        produceOneStep();
    }
}

void CBufferedRenderer::produceOneStep() {
    struct IdleOnExit {
        CEvent& idle;
        ~IdleOnExit() { idle.set(); }
    } idleOnExit{idleEvent};
    freeSlots.wait();
    if (!active.load()) {
        freeSlots.release(1);
        return;
    }
    try {
        renderScratch();
    } catch (...) {
        // The thread ends with this error; keep the count so that the accounting stays exact.
        freeSlots.release(1);
        throw;
    }
    pushScratchCounted();
}

void CBufferedRenderer::renderScratch() {
    const int channels = channelsPerBlock.load();
    const int frames = framesPerBlock.load();
    if (scratch->getChannelCount() < channels || scratch->getFrameCount() < frames)
        scratch->resize(std::max(channels, scratch->getChannelCount()),
                        std::max(frames, scratch->getFrameCount()));
    if (auto* src = source.load()) {
        src->render(0, scratch->getChannels(), channels, frames);
        return;
    }
    for (int c = 0; c < channels; ++c)
        std::fill_n(scratch->getChannel(c), frames, 0.0f);
}

// The release publishes the block to the consumer's acquiring look at the filled count.
void CBufferedRenderer::pushScratch() {
    std::lock_guard ringGuard(ringLock);
    if (filledCount.load(std::memory_order_acquire) >= capacity) return;
    std::swap(scratch, ring[static_cast<std::size_t>(writePosition)]);
    if (++writePosition == ringEnd) writePosition = 0;
    filledCount.fetch_add(1, std::memory_order_release);
}

void CBufferedRenderer::pushScratchCounted() {
    std::lock_guard count(countLock);
    pushScratch();
    ++takenCount;
}

void CBufferedRenderer::start() {
    std::lock_guard state(stateLock);
    if (active.load()) return;
    underruns = 0;
    if (auto* src = source.load()) src->start();
    // An inactive queue's producer never renders, so the scratch block is ours until the
    // active flag is set.
    const int blocks = prefill < 0 ? configuredCapacity / 2 : std::min(prefill, configuredCapacity);
    for (int i = 0; i < blocks; ++i) {
        freeSlots.wait();
        renderScratch();
        pushScratchCounted();
    }
    active.store(true);
    runEvent.set();
}

void CBufferedRenderer::stop() {
    std::lock_guard state(stateLock);
    runEvent.reset();
    active.store(false);
    if (auto* src = source.load()) src->stop();
    discardProduced();
    idleEvent.wait();
    // A block that was finished while we waited is discarded the same way.
    discardProduced();
}

void CBufferedRenderer::discardProduced() {
    std::lock_guard count(countLock);
    if (takenCount == 0) return;
    resetRing();
    freeSlots.release(takenCount);
    takenCount = 0;
}

void CBufferedRenderer::resetRing() {
    std::lock_guard ringGuard(ringLock);
    readPosition = 0;
    writePosition = 0;
    ringEnd = configuredCapacity;
    filledCount = 0;
    capacity = configuredCapacity;
}

// Consumer, under the state lock. The release hands the slot, now holding the consumer's old
// block, back to the producer.
bool CBufferedRenderer::takeOldest(AudioBlockPtr& block) {
    if (filledCount.load(std::memory_order_acquire) == 0) return false;
    std::swap(block, ring[static_cast<std::size_t>(readPosition)]);
    if (++readPosition == ringEnd) readPosition = 0;
    filledCount.fetch_sub(1, std::memory_order_release);
    return true;
}

// Consumer, under the state lock: discardProduced(), the only other writer of the taken count
// that could meet this one, runs under the state lock too.
void CBufferedRenderer::giveBackSlot() {
    takenCount.fetch_sub(1);
    freeSlots.release(1);
}

bool CBufferedRenderer::getNextBlock(AudioBlockPtr& block) {
    std::lock_guard state(stateLock);
    if (!active.load()) return false;
    if (!block) block = std::make_unique<CAudioBlock>();
    for (;;) {
        if (takeOldest(block)) break;
        // A producer that ended with an error will never deliver; waiting would hang the
        // output thread and every later stop().
        if (!producer->isRunning()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    giveBackSlot();
    return true;
}

bool CBufferedRenderer::tryGetNextBlock(AudioBlockPtr& block) {
    std::unique_lock state(stateLock, std::try_to_lock);
    if (!state.owns_lock() || !active.load() || !block) return false;
    if (!takeOldest(block)) {
        underruns.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    giveBackSlot();
    return true;
}

void CBufferedRenderer::setCapacity(int newCapacity) {
    if (newCapacity < 1 || newCapacity > RING_SLOTS)
        throw std::invalid_argument("CBufferedRenderer::setCapacity() the capacity must be 1 to "
                                    "40 blocks!");
    std::lock_guard state(stateLock);
    if (active.load())
        throw std::logic_error("CBufferedRenderer::setCapacity() stop the queue first!");
    std::lock_guard count(countLock);
    // Inactive and stopped, the producer holds no count: the semaphore stands at the free
    // slots. Fill it to its maximum, then take back what the new capacity does not allow.
    const int free = freeSlots.getCount();
    if (free < RING_SLOTS) freeSlots.release(RING_SLOTS - free);
    for (int i = 0; i < RING_SLOTS - newCapacity; ++i)
        freeSlots.tryWait();
    takenCount = 0;
    configuredCapacity = newCapacity;
    resetRing();
}

void CBufferedRenderer::setPrefill(int blocks) {
    std::lock_guard state(stateLock);
    prefill = blocks;
}

int CBufferedRenderer::getConfiguredCapacity() const {
    std::lock_guard state(stateLock);
    return configuredCapacity;
}

int CBufferedRenderer::getFilledCount() const {
    return filledCount.load();
}

int CBufferedRenderer::getTakenCount() const {
    return takenCount.load();
}

bool CBufferedRenderer::isProducerRunning() const {
    return producer->isRunning();
}

} // namespace Output
