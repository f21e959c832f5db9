// The pro output against scripted drivers: the start-up sequence, the callbacks, the sample
// conversions and the failure texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "ScriptedDriver.h"
#include "output/Asio.h"
#include "output/IndependentAudioHost.h"
#include "support/AllocationCounter.h"
#include "support/TestSupport.h"
#include <thread>

using namespace ASIO;
using namespace ScriptedAsio;
using Output::CIndependentAudioHost;
using Output::DeviceDescriptor;

namespace {

// Channel c of block n holds n + c / 10 + i / 1000 at frame i.
class CountingSource : public Output::CAudioRenderer {
  public:
    void render(int, float* const* channels, int channelCount, int frames) override {
        for (int c = 0; c < channelCount; ++c)
            for (int i = 0; i < frames; ++i)
                channels[c][i] = static_cast<float>(blocks) + c / 10.0f + i / 1000.0f;
        ++blocks;
    }
    void start() override { blocks = 0; }
    void stop() override {}
    std::atomic<int> blocks{0};
};

DeviceDescriptor scripted() {
    return {DRIVER_ID, "Scripted", Output::AsioDevice};
}

template <typename T> std::vector<std::uint8_t> bytesOf(std::initializer_list<T> values) {
    std::vector<std::uint8_t> out;
    for (T v : values) {
        std::uint8_t b[sizeof(T)];
        std::memcpy(b, &v, sizeof v);
        out.insert(out.end(), b, b + sizeof v);
    }
    return out;
}

// Converts the samples into a buffer with sentinels behind it; returns what was written,
// followed by the sentinel bytes.
std::vector<std::uint8_t> converted(Audio::i32 type, const std::vector<float>& x) {
    std::vector<std::uint8_t> out(x.size() * 8 + 4, 0xAA);
    CASIO::convert(type, x.data(), out.data(), static_cast<long>(x.size()));
    out.resize(x.size() * static_cast<std::size_t>(CASIO::bytesPerSample(type)) + 4);
    return out;
}

std::vector<std::uint8_t> withSentinel(std::vector<std::uint8_t> v) {
    v.insert(v.end(), 4, 0xAA);
    return v;
}

} // namespace

TEST(AsioConversion, LittleEndianIntegersSaturateAndTruncate) {
    const std::vector<float> x = {1.0f, -1.0f, 0.5f, -0.00001f, 2.0f, -2.0f};
    EXPECT_EQ(converted(Int16LSB, x),
              withSentinel(bytesOf<std::int16_t>({0x7FFF, -0x8000, 0x4000, 0, 0x7FFF, -0x8000})));
    const std::int32_t max = 2147483647;
    EXPECT_EQ(converted(Int32LSB, x),
              withSentinel(bytesOf<std::int32_t>({max, -max, 1073741823, -21474, max, -max - 1})));
    EXPECT_EQ(converted(Int32LSB16, x),
              withSentinel(bytesOf<std::int32_t>({32767, -32768, 16383, -1, 32767, -32768})));
    EXPECT_EQ(converted(Int32LSB18, x),
              withSentinel(bytesOf<std::int32_t>({131071, -131072, 65535, -2, 131071, -131072})));
    EXPECT_EQ(converted(Int32LSB20, x),
              withSentinel(bytesOf<std::int32_t>({524287, -524288, 262143, -6, 524287, -524288})));
    EXPECT_EQ(converted(Int32LSB24, x), withSentinel(bytesOf<std::int32_t>(
                                            {8388607, -8388608, 4194303, -84, 8388607, -8388608})));
    EXPECT_EQ(converted(Int24LSB, x),
              withSentinel({0xFF, 0xFF, 0x7F, 0x01, 0x00, 0x80, 0xFF, 0xFF, 0x3F, 0xAD, 0xFF, 0xFF,
                            0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80}));
}

TEST(AsioConversion, FloatsPassBitForBitOrWidened) {
    const std::vector<float> x = {1.0f, -0.25f, 1.0e-30f, 3.5f, -0.0f};
    EXPECT_EQ(converted(Float32LSB, x),
              withSentinel(bytesOf<float>({1.0f, -0.25f, 1.0e-30f, 3.5f, -0.0f})));
    EXPECT_EQ(
        converted(Float64LSB, x),
        withSentinel(bytesOf<double>({1.0, -0.25, static_cast<double>(1.0e-30f), 3.5, -0.0})));
}

TEST(AsioConversion, BigEndianTypesGetSilenceAndUnknownTypesNothing) {
    const std::vector<float> x = {0.5f, -0.5f, 0.25f};
    const std::map<Audio::i32, std::size_t> silent = {
        {Int16MSB, 2},   {Int24MSB, 3},   {Int32MSB, 4},   {Float32MSB, 4}, {Int32MSB16, 4},
        {Int32MSB18, 4}, {Int32MSB20, 4}, {Int32MSB24, 4}, {Float64MSB, 8}};
    for (const auto& [type, bytes] : silent)
        EXPECT_EQ(converted(type, x), withSentinel(std::vector<std::uint8_t>(3 * bytes, 0)))
            << "type " << type;
    for (const Audio::i32 type : {5, 12, 21, 23, 28, 40}) {
        std::vector<std::uint8_t> out(32, 0xAA);
        CASIO::convert(type, x.data(), out.data(), 3);
        EXPECT_EQ(out, std::vector<std::uint8_t>(32, 0xAA)) << "type " << type;
    }
}

TEST(AsioHost, StartUpOpensAllOutputsAndNoInputsInOrder) {
    ScriptedSource source;
    CIndependentAudioHost host(source);
    host.init(scripted());
    EXPECT_EQ(source.log, (std::vector<std::string>{
                              "init", "getChannels", "getLatencies", "getBufferSize",
                              "setSampleRate", "getSampleRate", "outputReady", "createBuffers",
                              "getChannelInfo", "getChannelInfo", "getLatencies"}));
    ASIO::CASIO& asio = host.getAsio();
    EXPECT_EQ(asio.getInputCount(), 0);
    EXPECT_EQ(host.getOutputChannels(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(asio.getBufferInfo(i).isInput, 0);
        EXPECT_EQ(asio.getBufferInfo(i).channelNum, i);
        EXPECT_NE(asio.getBufferInfo(i).buffers[1], nullptr);
    }
    EXPECT_EQ(asio.getBufferInfo(2).buffers[0], nullptr);
    // The driver kept its own rate; the host follows it.
    EXPECT_EQ(host.getSampleRate(), 48000.0);
    EXPECT_EQ(host.getFramesPerBuffer(), 64);
    EXPECT_FALSE(asio.getPostOutput());
}

TEST(AsioHost, EachFailingCallNamesItselfAndLeavesTheHostClosed) {
    for (const std::string call : {"getChannels", "getLatencies", "getBufferSize", "setSampleRate",
                                   "getSampleRate", "createBuffers", "getChannelInfo"}) {
        ScriptedSource source;
        source.setup = [&](ScriptedDriver& d) { d.failures[call] = ASE_HWMalfunction; };
        CIndependentAudioHost host(source);
        EXPECT_EQ(TestSupport::errorText([&] { host.init(scripted()); }),
                  "asio: " + call + "() Failed!\nhardware is malfunctioning");
        EXPECT_FALSE(host.isInitialized());
        EXPECT_FALSE(host.getAsio().isOpen());
    }
}

TEST(AsioHost, RefusedDriversAndDeviceTypes) {
    ScriptedSource source;
    bool destroyed = false;
    source.setup = [&](ScriptedDriver& d) {
        d.initAnswer = false;
        d.destroyed = &destroyed;
    };
    CIndependentAudioHost host(source);
    EXPECT_EQ(TestSupport::errorText([&] {
                  host.init(scripted());
              }).rfind("the asio driver seems not to be present!", 0),
              0u);
    EXPECT_TRUE(destroyed);
    DeviceDescriptor unknown = scripted();
    unknown.id[0] = 99;
    EXPECT_EQ(TestSupport::errorText([&] { host.init(unknown); }),
              "cannot open the asio driver!\nhardware input or output is not present or available");
    unknown.type = Output::NotDefined;
    EXPECT_EQ(TestSupport::errorText([&] { host.init(unknown); }),
              "CIndependentAudioHost::init: not defined AudioDevice Type!");
    unknown.type = 3;
    EXPECT_EQ(TestSupport::errorText([&] { host.init(unknown); }),
              "CIndependentAudioHost::init: not supported AudioDevice Type!");
    EXPECT_EQ(TestSupport::errorText([&] { host.release(); }),
              "CIndependentAudioHost::release: cannot release more often than init!");
    EXPECT_EQ(TestSupport::errorText([&] { host.stop(); }),
              "CIndependentAudioHost::stop: audio already stopped!");
}

namespace {

// A scripted host playing CountingSource through a queue.
struct PlayingHost {
    ScriptedSource source;
    CountingSource counting;
    Output::CBufferedRenderer queue;
    CIndependentAudioHost host{source};

    explicit PlayingHost(std::vector<Audio::i32> types, Error outputReady = ASE_NotPresent) {
        source.setup = [=](ScriptedDriver& d) {
            d.types = types;
            d.outputs = static_cast<long>(types.size());
            d.outputReadyAnswer = outputReady;
        };
        queue.setSource(&counting);
        host.setRenderer(&queue);
        host.init(scripted());
    }
    void bufferSwitch(long index) { source.last->callbacks->bufferSwitch(index, true); }
    const std::uint8_t* buffer(int channel, int half) const {
        return source.last->memory[static_cast<std::size_t>(channel * 2 + half)].data();
    }
};

} // namespace

TEST(AsioHost, FloatChannelsGetTheBlocksBitForBitInAlternatingHalves) {
    PlayingHost p({Float32LSB, Float32LSB});
    p.host.start();
    EXPECT_EQ(TestSupport::errorText([&] { p.host.start(); }),
              "CIndependentAudioHost::start: audio already started!");
    EXPECT_EQ(TestSupport::errorText([&] { p.host.setRenderer(nullptr); }),
              "CASIO::setRenderer() cannot set a new Renderer while playing audio!");
    for (int n = 0; n < 4; ++n) {
        p.bufferSwitch(n % 2);
        for (int c = 0; c < 2; ++c) {
            std::vector<float> got(64);
            std::memcpy(got.data(), p.buffer(c, n % 2), 64 * sizeof(float));
            for (int i = 0; i < 64; ++i)
                ASSERT_EQ(got[static_cast<std::size_t>(i)], n + c / 10.0f + i / 1000.0f)
                    << "block " << n << " channel " << c << " frame " << i;
        }
    }
    EXPECT_EQ(p.host.getAsio().getFramesSent(), 4 * 64);
    EXPECT_EQ(p.host.getAsio().getSamplePosition(), 4294967296.0 + 5.0);
    p.host.stop();
    p.host.release();
    EXPECT_EQ(p.source.log.back(), "disposeBuffers");
}

TEST(AsioHost, BigEndianChannelPlaysSilenceAndOutputReadyFollowsEachSwitch) {
    PlayingHost p({Int16MSB, Float32LSB}, ASE_OK);
    EXPECT_TRUE(p.host.getAsio().getPostOutput());
    p.host.start();
    p.source.log.clear();
    p.bufferSwitch(1);
    EXPECT_EQ(std::vector<std::uint8_t>(p.buffer(0, 1), p.buffer(0, 1) + 128),
              std::vector<std::uint8_t>(128, 0));
    EXPECT_EQ(p.buffer(0, 1)[128], 0xAA);
    float first = 0;
    std::memcpy(&first, p.buffer(1, 1), sizeof first);
    EXPECT_EQ(first, 0.1f);
    EXPECT_EQ(p.source.log, std::vector<std::string>{"outputReady"});
}

TEST(AsioHost, BufferSwitchAllocatesNothing) {
    PlayingHost p({Int24LSB, Float32LSB});
    p.host.start();
    std::size_t allocations = 1;
    bool sawMalloc = false;
    std::thread driverThread([&] {
        AllocationCounter::watchThisThread();
        AllocationCounter::resetCount();
        for (int n = 0; n < 8; ++n)
            p.bufferSwitch(n % 2);
        allocations = AllocationCounter::count();
        void* volatile probe = std::malloc(16); // the counter must see malloc itself
        std::free(probe);
        sawMalloc = AllocationCounter::count() > allocations;
    });
    driverThread.join();
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(sawMalloc, AllocationCounter::seesMalloc());
    EXPECT_GT(p.host.getAsio().getFramesSent(), 0);
}

// A period without a block must not repeat the previous period's samples.
TEST(AsioHost, PeriodWithoutABlockIsSilent) {
    PlayingHost p({Float32LSB, Float32LSB});
    p.bufferSwitch(0);
    const std::vector<std::uint8_t> zeros(64 * sizeof(float), 0);
    EXPECT_EQ(std::vector<std::uint8_t>(p.buffer(0, 0), p.buffer(0, 0) + zeros.size()), zeros);
    EXPECT_EQ(p.host.getAsio().getFramesSent(), 0);
}

TEST(AsioHost, FailedDriverStartLeavesNothingRunning) {
    ScriptedSource source;
    source.setup = [](ScriptedDriver& d) { d.failures["start"] = ASE_NoClock; };
    CountingSource counting;
    Output::CBufferedRenderer queue;
    queue.setSource(&counting);
    CIndependentAudioHost host(source);
    host.setRenderer(&queue);
    host.init(scripted());
    EXPECT_EQ(TestSupport::errorText([&] { host.start(); }),
              "asio: start() Failed!\nsample clock or rate cannot be determined or is not present");
    EXPECT_FALSE(host.isStarted());
    EXPECT_FALSE(queue.isActive());
    EXPECT_FALSE(host.getAsio().isPlaying());
}
