#pragma once
#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "audio/Types.h"
#include "output/AsioDriver.h"
#include "output/AsioDriverList.h"
#include "output/AsioError.h"
#include "output/AudioBlock.h"
#include "output/BufferedRenderer.h"

namespace ASIO {

// The pro output: loads one driver, opens all its outputs (no inputs) at its preferred buffer
// size and feeds every buffer switch with the next block of the read-ahead queue.
//
// Threads: open, start, stop, close and setRenderer run on the user-interface thread; the
// driver calls the static callbacks on its own thread. The callbacks carry no context, so one
// object at a time is active: the one constructed last and not yet destroyed.
class CASIO {
  public:
    static constexpr int MAX_BUFFERS = 64;
    static constexpr int MAX_INPUTS = 32;

    explicit CASIO(CDriverSource& drivers);
    ~CASIO();
    CASIO(const CASIO&) = delete;
    CASIO& operator=(const CASIO&) = delete;

    // The start-up sequence with the driver whose identifier is given. Throws
    // asio_runtime_error; the driver is closed again then.
    void open(const Output::DeviceId& clsid, void* systemReference);
    // Starts the renderer at the driver's block format, then the driver.
    void start();
    void stop();
    // Disposes of the buffers and drops the driver.
    void close();
    // Throws std::runtime_error while playing.
    void setRenderer(Output::CBufferedRenderer* renderer);

    bool isOpen() const { return driver != nullptr; }
    bool isPlaying() const { return playing.load(); }
    int getOutputCount() const { return usedOutputs; }
    int getInputCount() const { return usedInputs; }
    long getPreferredSize() const { return preferredSize; }
    // Frames the driver plays after the buffer it was handed, as it reports them.
    long getOutputLatency() const { return outputLatency; }
    double getSampleRate() const { return sampleRate; }
    bool getPostOutput() const { return postOutput; }
    Audio::i64 getFramesSent() const { return framesSent.load(); }
    double getSamplePosition() const { return samplePosition; }
    const BufferInfo& getBufferInfo(int i) const {
        return bufferInfos[static_cast<std::size_t>(i)];
    }
    const ChannelInfo& getChannelInfo(int i) const {
        return channelInfos[static_cast<std::size_t>(i)];
    }
    const std::string& getDriverName() const { return driverName; }
    // Set when the driver asked for a reset, as JACK does when its server goes away; cleared by
    // open.
    bool resetRequested() const { return resetRequest.load(); }

    // The host message callback.
    static long message(long selector, long value, void* details, double* opt);
    // Writes `frames` samples of source into dest in the channel's sample type. Integer types
    // saturate at full scale; big-endian types get silence; unknown types are left alone.
    static void convert(Audio::i32 type, const float* source, void* dest, long frames);
    // Bytes one sample of the type takes in a driver buffer; 0 for unknown types.
    static int bytesPerSample(Audio::i32 type);

  private:
    static void bufferSwitch(long index, bool directProcess);
    static void sampleRateDidChange(double) {}
    static Time* bufferSwitchTimeInfo(Time* params, long index, bool directProcess);
    void onBufferSwitch(const Time& time, long index);
    void writeOutputs(long index, bool haveBlock);

    void selectDriver(const Output::DeviceId& clsid);
    void createDriver(void* systemReference);
    void queryDriver();
    void createBuffers();
    void check(Error result, const char* message);

    Callbacks callbacks{bufferSwitch, sampleRateDidChange, message, bufferSwitchTimeInfo};
    CDriverSource& drivers;
    InstalledDriver selected;
    bool driverSelected = false;
    std::unique_ptr<IASIO> driver;

    Audio::i32 driverVersion = 0;
    std::string driverName = "No ASIO Driver";
    std::string errorMessage = "No ASIO Driver Error";
    long inputChannels = 0, outputChannels = 0;
    long inputLatency = 0, outputLatency = 0;
    long minSize = 0, maxSize = 0, preferredSize = 0, granularity = 0;
    double sampleRate = 0.0;
    bool postOutput = false;
    std::array<BufferInfo, MAX_BUFFERS> bufferInfos{};
    std::array<ChannelInfo, MAX_BUFFERS> channelInfos{};
    int usedInputs = 0, usedOutputs = 0;
    bool buffersCreated = false;

    Time lastTime{};
    double samplePosition = 0.0, systemTime = 0.0, timeCodeSamples = 0.0;
    std::atomic<bool> playing{false};
    std::atomic<bool> resetRequest{false};
    std::atomic<Output::CBufferedRenderer*> renderer{nullptr};
    Output::AudioBlockPtr block;
    std::atomic<Audio::i64> framesSent{0};

    static std::atomic<CASIO*> active;
};

} // namespace ASIO
