#pragma once
#include <cstdint>
#include <string>

// The driver interface the pro output is written against: the calls, records and codes of the
// published ASIO driver interface that the output uses. The JACK layer (jack/) implements it;
// tests implement it to play the part of unusual drivers.
namespace ASIO {

using Error = std::int32_t;
constexpr Error ASE_OK = 0;
constexpr Error ASE_SUCCESS = 0x3f4847a0;
constexpr Error ASE_NotPresent = -1000;
constexpr Error ASE_HWMalfunction = -999;
constexpr Error ASE_InvalidParameter = -998;
constexpr Error ASE_InvalidMode = -997;
constexpr Error ASE_SPNotAdvancing = -996;
constexpr Error ASE_NoClock = -995;
constexpr Error ASE_NoMemory = -994;

// Sample types of a channel.
enum SampleType : std::int32_t {
    Int16MSB = 0,
    Int24MSB = 1,
    Int32MSB = 2,
    Float32MSB = 3,
    Float64MSB = 4,
    Int32MSB16 = 8,
    Int32MSB18 = 9,
    Int32MSB20 = 10,
    Int32MSB24 = 11,
    Int16LSB = 16,
    Int24LSB = 17,
    Int32LSB = 18,
    Float32LSB = 19,
    Float64LSB = 20,
    Int32LSB16 = 24,
    Int32LSB18 = 25,
    Int32LSB20 = 26,
    Int32LSB24 = 27,
};

// Host message selectors.
enum MessageSelector : std::int32_t {
    kAsioSelectorSupported = 1,
    kAsioEngineVersion = 2,
    kAsioResetRequest = 3,
    kAsioBufferSizeChange = 4,
    kAsioResyncRequest = 5,
    kAsioLatenciesChanged = 6,
    kAsioSupportsTimeInfo = 7,
    kAsioSupportsTimeCode = 8,
    kAsioMMCCommand = 9,
};

// A 64-bit value in two 32-bit words, as the driver interface passes them.
struct Samples64 {
    std::uint32_t hi = 0;
    std::uint32_t lo = 0;
};

constexpr std::uint32_t kSamplePositionValid = 1 << 0;
constexpr std::uint32_t kSystemTimeValid = 1 << 1;
constexpr std::uint32_t kTcValid = 1 << 0;

struct TimeInfo {
    double speed = 0.0;
    Samples64 systemTime;
    Samples64 samplePosition;
    double sampleRate = 0.0;
    std::uint32_t flags = 0;
};

struct TimeCode {
    double speed = 0.0;
    Samples64 timeCodeSamples;
    std::uint32_t flags = 0;
};

struct Time {
    TimeInfo timeInfo;
    TimeCode timeCode;
};

// The host's callbacks; the driver calls them on its own thread.
struct Callbacks {
    void (*bufferSwitch)(long index, bool directProcess);
    void (*sampleRateDidChange)(double rate);
    long (*asioMessage)(long selector, long value, void* message, double* opt);
    Time* (*bufferSwitchTimeInfo)(Time* params, long index, bool directProcess);
};

// One buffer pair the host asks for; the driver fills in the two buffer pointers.
struct BufferInfo {
    std::int32_t isInput = 0;
    std::int32_t channelNum = 0;
    void* buffers[2] = {nullptr, nullptr};
};

struct ChannelInfo {
    std::int32_t channel = 0;
    std::int32_t isInput = 0;
    std::int32_t isActive = 0;
    std::int32_t channelGroup = 0;
    std::int32_t type = 0;
    char name[32] = {};
};

// The calls of a loaded driver. All but the documented exceptions run on the user-interface
// thread; getSamplePosition and outputReady run inside bufferSwitch on the driver's thread.
class IASIO {
  public:
    virtual ~IASIO() = default;
    virtual bool init(void* systemReference) = 0;
    virtual std::string getDriverName() = 0;
    virtual std::int32_t getDriverVersion() = 0;
    virtual std::string getErrorMessage() = 0;
    virtual Error start() = 0;
    virtual Error stop() = 0;
    virtual Error getChannels(long* inputs, long* outputs) = 0;
    virtual Error getLatencies(long* input, long* output) = 0;
    virtual Error getBufferSize(long* minimum, long* maximum, long* preferred,
                                long* granularity) = 0;
    virtual Error getSampleRate(double* rate) = 0;
    virtual Error setSampleRate(double rate) = 0;
    virtual Error getSamplePosition(Samples64* position, Samples64* systemTime) = 0;
    virtual Error getChannelInfo(ChannelInfo* info) = 0;
    virtual Error createBuffers(BufferInfo* infos, long channels, long bufferSize,
                                const Callbacks* callbacks) = 0;
    virtual Error disposeBuffers() = 0;
    virtual Error outputReady() = 0;
};

} // namespace ASIO
