#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

#include "output/BufferedRenderer.h"
#include "output/Event.h"
#include "output/Thread.h"
#include "support/AllocationCounter.h"
#include "support/TestSupport.h"

using namespace Output;
using TestSupport::waitUntil;
using namespace std::chrono_literals;

namespace {

// Block n (counted from the first render) holds n * 10 + c in every sample of channel c.
float expectedSample(int block, int channel) {
    return static_cast<float>(block * 10 + channel);
}

class SequenceSource : public CAudioRenderer {
  public:
    void render(int offset, float* const* channels, int channelCount, int frames) override {
        EXPECT_EQ(offset, 0);
        if (std::this_thread::get_id() == creator)
            ++onCreatorThread;
        else
            AllocationCounter::watchThisThread();
        const int n = rendered++;
        if (n == gateAt) {
            inGate.set();
            gate.wait();
        }
        if (n == throwAt) throw std::runtime_error("source failed");
        for (int c = 0; c < channelCount; ++c)
            for (int i = 0; i < frames; ++i)
                channels[c][i] = expectedSample(n, c);
        ++finished;
    }
    void start() override { ++starts; }
    void stop() override {
        ++stops;
        stopCalled.set();
    }

    const std::thread::id creator = std::this_thread::get_id();
    std::atomic<int> rendered{0}, finished{0}, onCreatorThread{0}, starts{0}, stops{0};
    std::atomic<int> gateAt{-1}, throwAt{-1};
    CEvent inGate{true, false}, gate{true, false}, stopCalled{true, false};
};

// The block number the samples carry, after checking every sample of the rendered format.
int blockNumber(const CAudioBlock& b, int channels, int frames) {
    const int n = static_cast<int>(b.getChannel(0)[0]) / 10;
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < frames; ++i)
            if (b.getChannel(c)[i] != expectedSample(n, c)) {
                ADD_FAILURE() << "block " << n << " channel " << c << " frame " << i;
                return -1;
            }
    return n;
}

void expectIdleAccounting(const CBufferedRenderer& q, int capacity) {
    EXPECT_EQ(q.getFilledCount(), 0);
    EXPECT_EQ(q.getTakenCount(), 0);
    EXPECT_EQ(q.getFreeSlotCount(), capacity);
}

class BufferedRendererTest : public ::testing::Test {
  protected:
    void SetUp() override { queue.setSource(&source); }
    SequenceSource source;
    CBufferedRenderer queue;
    AudioBlockPtr block = std::make_unique<CAudioBlock>();
};

} // namespace

// With all slots taken the producer must be parked on the semaphore: exactly capacity renders.
TEST_F(BufferedRendererTest, StartPrefillsHalfTheCapacityThenTheProducerFillsTheRest) {
    for (const int capacity : {30, 2}) {
        const int before = source.rendered.load();
        const int onCaller = source.onCreatorThread.load();
        queue.setCapacity(capacity);
        EXPECT_EQ(queue.getFreeSlotCount(), capacity);
        queue.start();
        EXPECT_EQ(source.onCreatorThread.load() - onCaller, capacity / 2);
        ASSERT_TRUE(waitUntil([&] { return queue.getFilledCount() == capacity; }));
        EXPECT_EQ(source.rendered.load() - before, capacity);
        EXPECT_EQ(queue.getTakenCount(), capacity);
        EXPECT_EQ(queue.getFreeSlotCount(), 0);
        queue.stop();
        expectIdleAccounting(queue, capacity);
    }
    EXPECT_EQ(source.starts.load(), 2);
    EXPECT_EQ(source.stops.load(), 2);
    // A prefill set for live play renders that many blocks first, never more than fit.
    for (const auto& [prefill, rendered] : {std::pair{2, 2}, std::pair{5, 3}}) {
        const int onCaller = source.onCreatorThread.load();
        queue.setCapacity(3);
        queue.setPrefill(prefill);
        queue.start();
        EXPECT_EQ(source.onCreatorThread.load() - onCaller, rendered);
        queue.stop();
    }
}

TEST_F(BufferedRendererTest, BlocksArriveInOrderAndTheirStorageIsReused) {
    queue.setBlockFormat(3, 64);
    queue.start();
    std::set<const float*> storages;
    for (int expected = 0; expected < 200; ++expected) {
        ASSERT_TRUE(queue.getNextBlock(block));
        ASSERT_EQ(blockNumber(*block, 3, 64), expected);
        storages.insert(block->getChannel(0));
    }
    // 40 ring slots, the scratch block and the consumer's own block circulate; nothing else.
    EXPECT_LE(storages.size(), 42u);
    queue.stop();
    expectIdleAccounting(queue, 30);
}

TEST_F(BufferedRendererTest, InactiveQueueReturnsFalseAndLeavesTheBlock) {
    const CAudioBlock* mine = block.get();
    EXPECT_FALSE(queue.getNextBlock(block));
    EXPECT_FALSE(queue.tryGetNextBlock(block));
    EXPECT_EQ(block.get(), mine);
    queue.start();
    queue.stop();
    EXPECT_FALSE(queue.getNextBlock(block));
    EXPECT_EQ(block.get(), mine);
}

// A consumer that hands in an empty owner must not leave a hole in the ring.
TEST_F(BufferedRendererTest, EmptyOwnerGetsABlockOfItsOwn) {
    queue.start();
    for (int expected = 0; expected < 100; ++expected) {
        AudioBlockPtr empty;
        ASSERT_TRUE(queue.getNextBlock(empty));
        ASSERT_EQ(blockNumber(*empty, 2, 1024), expected);
    }
    queue.stop();
}

TEST_F(BufferedRendererTest, StopWaitsForTheBlockInProductionAndDiscardsIt) {
    source.gateAt = 20;
    queue.start();
    ASSERT_TRUE(source.inGate.waitFor(10s));
    auto stopper = std::async(std::launch::async, [&] {
        queue.stop();
        return source.finished.load();
    });
    // stop() has told the source to stop and now has to wait for the block in production.
    ASSERT_TRUE(source.stopCalled.waitFor(10s));
    source.gate.set();
    EXPECT_EQ(stopper.get(), 21);
    expectIdleAccounting(queue, 30);

    // Nothing rendered before the stop comes out after a new start.
    source.gateAt = -1;
    const int firstNew = source.rendered.load();
    queue.start();
    ASSERT_TRUE(queue.getNextBlock(block));
    EXPECT_EQ(blockNumber(*block, 2, 1024), firstNew);
    queue.stop();
}

TEST_F(BufferedRendererTest, ProducerAllocatesOnlyWhenTheBlockFormatGrows) {
    auto consume = [&](int blocks, int frames) {
        for (int i = 0; i < blocks; ++i) {
            ASSERT_TRUE(queue.getNextBlock(block));
            ASSERT_GE(block->getFrameCount(), frames);
            ASSERT_GE(blockNumber(*block, 2, frames), 0);
        }
    };
    queue.start();
    consume(100, 1024);
    AllocationCounter::resetCount();
    consume(200, 1024);
    EXPECT_EQ(AllocationCounter::count(), 0u);
    queue.stop();

    queue.setBlockFormat(2, 4096);
    queue.start();
    AllocationCounter::resetCount();
    consume(100, 4096);
    // Each circulating block grows at most once.
    EXPECT_GT(AllocationCounter::count(), 0u);
    EXPECT_LE(AllocationCounter::count(), 42u);
    AllocationCounter::resetCount();
    consume(200, 4096);
    EXPECT_EQ(AllocationCounter::count(), 0u);
    queue.stop();
}

// An active queue found empty is an underrun; a stopped one is not, and a start begins a new
// count.
TEST_F(BufferedRendererTest, TryGetNextBlockNeverWaitsForTheProducerAndCountsUnderruns) {
    source.gateAt = 15;
    queue.start();
    ASSERT_TRUE(source.inGate.waitFor(10s));
    for (int expected = 0; expected < 15; ++expected) {
        ASSERT_TRUE(queue.tryGetNextBlock(block));
        EXPECT_EQ(blockNumber(*block, 2, 1024), expected);
    }
    EXPECT_EQ(queue.getUnderruns(), 0);
    EXPECT_FALSE(queue.tryGetNextBlock(block));
    EXPECT_FALSE(queue.tryGetNextBlock(block));
    EXPECT_EQ(queue.getUnderruns(), 2);
    source.gate.set();
    queue.stop();
    EXPECT_FALSE(queue.tryGetNextBlock(block));
    EXPECT_EQ(queue.getUnderruns(), 2);
    expectIdleAccounting(queue, 30);
    queue.start();
    EXPECT_EQ(queue.getUnderruns(), 0);
    queue.stop();
}

TEST_F(BufferedRendererTest, ConfigurationIsCheckedAndChangedOnlyWhileIdle) {
    EXPECT_THROW(queue.setBlockFormat(11, 1024), std::invalid_argument);
    EXPECT_THROW(queue.setCapacity(0), std::invalid_argument);
    EXPECT_THROW(queue.setCapacity(41), std::invalid_argument);
    queue.start();
    EXPECT_THROW(queue.setCapacity(10), std::logic_error);
    // A second start must not prefill again while the producer runs.
    queue.start();
    EXPECT_EQ(source.starts.load(), 1);
    EXPECT_EQ(source.onCreatorThread.load(), 15);
    queue.stop();
    queue.setCapacity(10);
    EXPECT_EQ(queue.getConfiguredCapacity(), 10);
    expectIdleAccounting(queue, 10);
}

// Start and stop race the producer's wake-up and a consumer that keeps asking; every block
// must still be whole, newer than the one before, and every stop must leave exact counts.
TEST_F(BufferedRendererTest, RepeatedStartAndStopWithABusyConsumer) {
    queue.setBlockFormat(2, 32);
    std::atomic<bool> done{false};
    std::atomic<int> consumed{0};
    std::thread consumer([&] {
        AudioBlockPtr mine = std::make_unique<CAudioBlock>();
        int last = -1;
        while (!done.load()) {
            if (!queue.getNextBlock(mine)) {
                std::this_thread::yield();
                continue;
            }
            const int n = blockNumber(*mine, 2, 32);
            EXPECT_GT(n, last);
            last = n;
            ++consumed;
        }
    });
    for (int round = 0; round < 300; ++round) {
        queue.start();
        if (round % 3 == 0) std::this_thread::yield();
        queue.stop();
        expectIdleAccounting(queue, 30);
        if (HasFailure()) FAIL() << "round " << round;
    }
    done = true;
    consumer.join();
    EXPECT_EQ(source.starts.load(), 300);
}

namespace {
std::mutex errorTextLock;
std::string errorText;
void keepError(const std::string&, const std::string& text) {
    std::lock_guard lock(errorTextLock);
    errorText = text;
}
} // namespace

// A failing source ends the producer; the consumer and stop() must not wait for it forever.
TEST_F(BufferedRendererTest, FailingSourceEndsProductionWithoutHangingTheOutput) {
    CThread::setErrorHandler(&keepError);
    source.throwAt = 20;
    queue.start();
    int delivered = 0;
    while (delivered < 100 && queue.getNextBlock(block)) {
        EXPECT_EQ(blockNumber(*block, 2, 1024), delivered);
        ++delivered;
    }
    EXPECT_EQ(delivered, 20);
    EXPECT_FALSE(queue.isProducerRunning());
    queue.stop();
    expectIdleAccounting(queue, 30);
    CThread::setErrorHandler(nullptr);
    std::lock_guard lock(errorTextLock);
    EXPECT_EQ(errorText, "source failed");
}
