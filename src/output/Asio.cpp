#include "output/Asio.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/SampleCodec.h"

namespace ASIO {

std::atomic<CASIO*> CASIO::active{nullptr};

namespace {

double toDouble(const Samples64& v) {
    return static_cast<double>(v.hi) * 4294967296.0 + static_cast<double>(v.lo);
}

// x scaled and truncated toward zero, held inside the signed range of `bits` bits: a sample
// beyond full scale must not wrap round to the opposite sign.
std::int32_t scaled(float x, double scale, int bits) {
    const double high = std::ldexp(1.0, bits - 1) - 1.0;
    const double v = static_cast<double>(x) * scale;
    if (std::isnan(v)) return 0;
    if (v >= high) return static_cast<std::int32_t>(high);
    if (v <= -high - 1.0) return static_cast<std::int32_t>(-high - 1.0);
    return static_cast<std::int32_t>(v);
}

void putLittle(std::uint8_t* out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void convertInt32(const float* source, std::uint8_t* out, long frames, int shift) {
    for (long i = 0; i < frames; ++i, out += 4)
        putLittle(out, static_cast<std::uint32_t>(scaled(source[i], 2147483647.49999, 32) >> shift),
                  4);
}

} // namespace

int CASIO::bytesPerSample(Audio::i32 type) {
    switch (type) {
    case Int16LSB:
    case Int16MSB:
        return 2;
    case Int24LSB:
    case Int24MSB:
        return 3;
    case Float64LSB:
    case Float64MSB:
        return 8;
    case Int32LSB:
    case Float32LSB:
    case Int32LSB16:
    case Int32LSB18:
    case Int32LSB20:
    case Int32LSB24:
    case Int32MSB:
    case Float32MSB:
    case Int32MSB16:
    case Int32MSB18:
    case Int32MSB20:
    case Int32MSB24:
        return 4;
    default:
        return 0;
    }
}

void CASIO::convert(Audio::i32 type, const float* source, void* dest, long frames) {
    auto* out = static_cast<std::uint8_t*>(dest);
    switch (type) {
    case Int16LSB:
        for (long i = 0; i < frames; ++i)
            putLittle(out + 2 * i,
                      static_cast<std::uint16_t>(Audio::SampleCodec::encode16(source[i])), 2);
        return;
    case Int32LSB:
        return convertInt32(source, out, frames, 0);
    case Float32LSB:
        std::memcpy(dest, source, static_cast<std::size_t>(frames) * sizeof(float));
        return;
    case Float64LSB:
        for (long i = 0; i < frames; ++i) {
            const double v = source[i];
            std::memcpy(out + 8 * i, &v, sizeof v);
        }
        return;
    case Int32LSB16:
        return convertInt32(source, out, frames, 16);
    case Int32LSB18:
        return convertInt32(source, out, frames, 14);
    case Int32LSB20:
        return convertInt32(source, out, frames, 12);
    case Int32LSB24:
        return convertInt32(source, out, frames, 8);
    case Int24LSB:
        for (long i = 0; i < frames; ++i)
            putLittle(out + 3 * i, static_cast<std::uint32_t>(scaled(source[i], 8388607.49999, 24)),
                      3);
        return;
    default:
        // Big-endian layouts are not converted; they play silence.
        if (type >= Int16MSB && type <= Int32MSB24 && bytesPerSample(type) > 0)
            std::memset(dest, 0, static_cast<std::size_t>(frames * bytesPerSample(type)));
        return;
    }
}

long CASIO::message(long selector, long value, void*, double*) {
    switch (selector) {
    case kAsioSelectorSupported:
        return (value == kAsioEngineVersion || value == kAsioResetRequest ||
                value == kAsioResyncRequest || value == kAsioLatenciesChanged ||
                value == kAsioSupportsTimeInfo || value == kAsioSupportsTimeCode ||
                value == kAsioMMCCommand)
                   ? 1
                   : 0;
    case kAsioEngineVersion:
        return 2;
    case kAsioResetRequest:
        // Not carried out here; the owner of the output notices it and stops.
        if (CASIO* host = active.load()) host->resetRequest.store(true);
        return 1;
    case kAsioResyncRequest:
    case kAsioLatenciesChanged:
    case kAsioSupportsTimeInfo:
        return 1;
    default:
        return 0;
    }
}

CASIO::CASIO(CDriverSource& drivers_) : drivers(drivers_) {
    active.store(this);
}

CASIO::~CASIO() {
    try {
        close();
    } catch (...) {
        // A driver that fails to let go cannot be helped at destruction.
    }
    CASIO* self = this;
    active.compare_exchange_strong(self, nullptr);
}

void CASIO::check(Error result, const char* text) {
    if (result != ASE_OK) throw asio_runtime_error(text, result);
}

void CASIO::open(const Output::DeviceId& clsid, void* systemReference) {
    resetRequest.store(false);
    try {
        selectDriver(clsid);
        createDriver(systemReference);
        queryDriver();
        createBuffers();
    } catch (...) {
        buffersCreated = false;
        driver.reset();
        driverSelected = false;
        throw;
    }
}

void CASIO::selectDriver(const Output::DeviceId& clsid) {
    for (const InstalledDriver& d : drivers.list())
        if (d.clsid == clsid) {
            selected = d;
            driverSelected = true;
            return;
        }
    throw asio_runtime_error("cannot open the asio driver!", ASE_NotPresent);
}

void CASIO::createDriver(void* systemReference) {
    driver = drivers.create(selected);
    if (!driver) throw asio_runtime_error("cannot open the asio driver!", ASE_NotPresent);
    driverVersion = 0;
    driverName = "No ASIO Driver";
    errorMessage = "No ASIO Driver Error";
    if (!driver->init(systemReference)) {
        errorMessage = driver->getErrorMessage();
        driver.reset();
        throw asio_runtime_error("the asio driver seems not to be present!\n" + errorMessage, 0);
    }
    driverName = driver->getDriverName();
    driverVersion = driver->getDriverVersion();
}

void CASIO::queryDriver() {
    check(driver->getChannels(&inputChannels, &outputChannels), "asio: getChannels() Failed!");
    check(driver->getLatencies(&inputLatency, &outputLatency), "asio: getLatencies() Failed!");
    check(driver->getBufferSize(&minSize, &maxSize, &preferredSize, &granularity),
          "asio: getBufferSize() Failed!");
    check(driver->setSampleRate(44100.0), "asio: setSampleRate() Failed!");
    check(driver->getSampleRate(&sampleRate), "asio: getSampleRate() Failed!");
    postOutput = driver->outputReady() == ASE_OK;
}

// All outputs, as many as a block carries; no inputs.
void CASIO::createBuffers() {
    usedInputs = 0;
    usedOutputs = static_cast<int>(
        std::min<long>({outputChannels, Audio::kMaxBlockChannels, MAX_BUFFERS - usedInputs}));
    bufferInfos = {};
    channelInfos = {};
    for (int i = 0; i < usedInputs; ++i)
        bufferInfos[static_cast<std::size_t>(i)] = {1, i, {nullptr, nullptr}};
    for (int i = 0; i < usedOutputs; ++i)
        bufferInfos[static_cast<std::size_t>(usedInputs) + static_cast<std::size_t>(i)] = {
            0, i, {nullptr, nullptr}};
    const int used = usedInputs + usedOutputs;
    check(driver->createBuffers(bufferInfos.data(), used, preferredSize, &callbacks),
          "asio: createBuffers() Failed!");
    buffersCreated = true;
    for (int i = 0; i < used; ++i) {
        ChannelInfo& info = channelInfos[static_cast<std::size_t>(i)];
        info.channel = bufferInfos[static_cast<std::size_t>(i)].channelNum;
        info.isInput = bufferInfos[static_cast<std::size_t>(i)].isInput;
        check(driver->getChannelInfo(&info), "asio: getChannelInfo() Failed!");
    }
    driver->getLatencies(&inputLatency, &outputLatency);
}

void CASIO::setRenderer(Output::CBufferedRenderer* renderer_) {
    if (playing.load())
        throw std::runtime_error(
            "CASIO::setRenderer() cannot set a new Renderer while playing audio!");
    renderer.store(renderer_);
}

void CASIO::start() {
    Output::CBufferedRenderer* r = renderer.load();
    if (!driver || !r) throw std::logic_error("CASIO::start: no driver or renderer!");
    r->setSampleRate(static_cast<float>(sampleRate));
    framesSent.store(0);
    r->setBlockFormat(usedOutputs, static_cast<int>(preferredSize));
    if (!block) block = std::make_unique<Output::CAudioBlock>();
    if (block->getChannelCount() != usedOutputs || block->getFrameCount() != preferredSize)
        block->resize(usedOutputs, static_cast<int>(preferredSize));
    r->start();
    playing.store(true);
    const Error result = driver->start();
    if (result != ASE_OK) {
        // Leave nothing running that the failed start began.
        playing.store(false);
        r->stop();
        throw asio_runtime_error("asio: start() Failed!", result);
    }
}

void CASIO::stop() {
    const Error result = driver ? driver->stop() : ASE_NotPresent;
    if (Output::CBufferedRenderer* r = renderer.load()) r->stop();
    playing.store(false);
    if (result != ASE_OK) throw asio_runtime_error("asio: stop() Failed!", result);
}

void CASIO::close() {
    if (!driver) return;
    if (playing.load()) stop();
    const Error result = buffersCreated ? driver->disposeBuffers() : ASE_OK;
    buffersCreated = false;
    driver.reset();
    driverSelected = false;
    inputChannels = outputChannels = inputLatency = outputLatency = 0;
    minSize = maxSize = preferredSize = granularity = 0;
    usedInputs = usedOutputs = 0;
    sampleRate = 0.0;
    postOutput = false;
    if (result != ASE_OK) throw asio_runtime_error("asio: disposeBuffers() Failed!", result);
}

void CASIO::bufferSwitch(long index, bool directProcess) {
    CASIO* host = active.load();
    if (!host || !host->driver) return;
    Time time{};
    if (host->driver->getSamplePosition(&time.timeInfo.samplePosition, &time.timeInfo.systemTime) ==
        ASE_OK)
        time.timeInfo.flags = kSamplePositionValid | kSystemTimeValid;
    bufferSwitchTimeInfo(&time, index, directProcess);
}

// Nothing may escape into the driver's thread; a failed period stays silent.
Time* CASIO::bufferSwitchTimeInfo(Time* params, long index, bool) {
    CASIO* host = active.load();
    if (!host) return nullptr;
    try {
        host->onBufferSwitch(*params, index);
    } catch (...) {
        host->writeOutputs(index, false);
    }
    return nullptr;
}

// Driver thread: takes a block only if one is ready, never waiting, so a slow producer costs a
// silent period rather than the driver's patience.
void CASIO::onBufferSwitch(const Time& time, long index) {
    lastTime = time;
    const TimeInfo& info = time.timeInfo;
    samplePosition = info.flags & kSamplePositionValid ? toDouble(info.samplePosition) : 0.0;
    systemTime = info.flags & kSystemTimeValid ? toDouble(info.systemTime) : 0.0;
    timeCodeSamples =
        time.timeCode.flags & kTcValid ? toDouble(time.timeCode.timeCodeSamples) : 0.0;
    Output::CBufferedRenderer* r = renderer.load();
    const bool haveBlock = playing.load() && r && block && r->tryGetNextBlock(block);
    if (haveBlock) framesSent.fetch_add(block->getFrameCount());
    writeOutputs(index, haveBlock);
    if (postOutput) driver->outputReady();
}

// Without a block the buffers get silence: keeping their old contents would repeat the
// previous period.
void CASIO::writeOutputs(long index, bool haveBlock) {
    int k = 0;
    for (int i = 0; i < usedInputs + usedOutputs; ++i) {
        const BufferInfo& entry = bufferInfos[static_cast<std::size_t>(i)];
        if (entry.isInput) continue;
        const Audio::i32 type = channelInfos[static_cast<std::size_t>(i)].type;
        void* dest = entry.buffers[index & 1];
        const float* source =
            haveBlock && k < block->getChannelCount() ? block->getChannel(k) : nullptr;
        const long frames = haveBlock ? std::min<long>(preferredSize, block->getFrameCount()) : 0;
        if (source) convert(type, source, dest, frames);
        if (frames < preferredSize && bytesPerSample(type) > 0)
            std::memset(static_cast<std::uint8_t*>(dest) + frames * bytesPerSample(type), 0,
                        static_cast<std::size_t>((preferredSize - frames) * bytesPerSample(type)));
        ++k;
    }
}

} // namespace ASIO
