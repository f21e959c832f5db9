#include "output/jack/JackDriver.h"

#include "output/AsioDriverList.h"
#include "output/DeviceId.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace ASIO {

namespace {

void quiet(const char*) {
}

// libjack reports a missing server on stderr unless told otherwise; probing must stay silent.
void silenceLibjack() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(quiet);
        jack_set_info_function(quiet);
    });
}

std::vector<std::string> portNames(jack_client_t* client, unsigned long flags) {
    std::vector<std::string> names;
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, flags);
    if (!ports) return names;
    for (const char** p = ports; *p; ++p)
        names.emplace_back(*p);
    jack_free(ports);
    return names;
}

Samples64 split(std::uint64_t value) {
    return {static_cast<std::uint32_t>(value >> 32), static_cast<std::uint32_t>(value)};
}

} // namespace

jack_client_t* CJackDriver::openQuietly(const std::string& server, const char* clientName) {
    silenceLibjack();
    jack_status_t status{};
    return jack_client_open(clientName,
                            static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                            &status, server.c_str());
}

CJackDriver::CJackDriver(std::string serverName_) : serverName(std::move(serverName_)) {
}

CJackDriver::~CJackDriver() {
    disposeBuffers();
    if (client) jack_client_close(client);
}

bool CJackDriver::init(void*) {
    if (client) return true;
    client = openQuietly(serverName, "stretchwerk");
    if (!client) {
        errorMessage = "no JACK server named \"" + serverName + "\" is running";
        return false;
    }
    playbackPorts = portNames(client, JackPortIsPhysical | JackPortIsInput);
    captureCount =
        static_cast<long>(portNames(client, JackPortIsPhysical | JackPortIsOutput).size());
    jack_on_info_shutdown(client, shutdownCallback, this);
    jack_set_process_callback(client, processCallback, this);
    return true;
}

Error CJackDriver::getChannels(long* inputs, long* outputs_) {
    if (!client) return ASE_NotPresent;
    *inputs = captureCount;
    *outputs_ = static_cast<long>(playbackPorts.size());
    return ASE_OK;
}

Error CJackDriver::getLatencies(long* input, long* output) {
    if (!client) return ASE_NotPresent;
    *input = *output = static_cast<long>(jack_get_buffer_size(client));
    return ASE_OK;
}

Error CJackDriver::getBufferSize(long* minimum, long* maximum, long* preferred, long* granularity) {
    if (!client) return ASE_NotPresent;
    *minimum = *maximum = *preferred = static_cast<long>(jack_get_buffer_size(client));
    *granularity = 0;
    return ASE_OK;
}

Error CJackDriver::getSampleRate(double* rate) {
    if (!client) return ASE_NotPresent;
    *rate = static_cast<double>(jack_get_sample_rate(client));
    return ASE_OK;
}

Error CJackDriver::getSamplePosition(Samples64* position, Samples64* systemTime) {
    if (!client || !serverAlive()) return ASE_SPNotAdvancing;
    *position = split(framesProcessed.load());
    *systemTime = split(jack_get_time() * 1000);
    return ASE_OK;
}

Error CJackDriver::getChannelInfo(ChannelInfo* info) {
    const bool input = info->isInput != 0;
    const long count = input ? captureCount : static_cast<long>(playbackPorts.size());
    if (info->channel < 0 || info->channel >= count) return ASE_InvalidParameter;
    info->isActive = !input && info->channel < static_cast<long>(outputs.size());
    info->channelGroup = 0;
    info->type = Float32LSB;
    const std::string name = (input ? "in_" : "out_") + std::to_string(info->channel + 1);
    std::strncpy(info->name, name.c_str(), sizeof info->name - 1);
    return ASE_OK;
}

// Outputs only: the player records nothing.
Error CJackDriver::createBuffers(BufferInfo* infos, long channels, long bufferSize,
                                 const Callbacks* callbacks_) {
    if (!client || !serverAlive()) return ASE_NotPresent;
    if (!outputs.empty()) return ASE_InvalidMode;
    if (bufferSize != static_cast<long>(jack_get_buffer_size(client))) return ASE_InvalidParameter;
    for (long i = 0; i < channels; ++i)
        if (infos[i].isInput || infos[i].channelNum < 0 ||
            infos[i].channelNum >= static_cast<long>(playbackPorts.size()))
            return ASE_InvalidParameter;
    bufferFrames = bufferSize;
    outputs.resize(static_cast<std::size_t>(channels));
    for (long i = 0; i < channels; ++i) {
        Output& out = outputs[static_cast<std::size_t>(i)];
        const std::string name = "out_" + std::to_string(infos[i].channelNum + 1);
        out.port =
            jack_port_register(client, name.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        for (auto& h : out.halves)
            h = std::make_unique<float[]>(static_cast<std::size_t>(bufferSize));
        infos[i].buffers[0] = out.halves[0].get();
        infos[i].buffers[1] = out.halves[1].get();
        if (!out.port) {
            disposeBuffers();
            return ASE_NoMemory;
        }
    }
    callbacks = callbacks_;
    if (jack_activate(client) != 0) {
        disposeBuffers();
        return ASE_HWMalfunction;
    }
    activated = true;
    connectOutputs();
    return ASE_OK;
}

// Output k goes to the k-th physical playback port; a refused connection leaves it unconnected,
// which other JACK tools can mend.
void CJackDriver::connectOutputs() {
    for (std::size_t k = 0; k < outputs.size() && k < playbackPorts.size(); ++k)
        jack_connect(client, jack_port_name(outputs[k].port), playbackPorts[k].c_str());
}

Error CJackDriver::disposeBuffers() {
    stop();
    if (activated && serverAlive()) jack_deactivate(client);
    activated = false;
    if (serverAlive())
        for (Output& out : outputs)
            if (out.port) jack_port_unregister(client, out.port);
    outputs.clear();
    callbacks = nullptr;
    return ASE_OK;
}

Error CJackDriver::start() {
    if (!activated || !serverAlive()) return ASE_NotPresent;
    half = 0;
    running.store(true);
    return ASE_OK;
}

// Returns once the process callback is out of bufferSwitch, so the caller may stop the queue.
Error CJackDriver::stop() {
    running.store(false);
    while (inCallback.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return ASE_OK;
}

int CJackDriver::processCallback(jack_nframes_t frames, void* self) {
    static_cast<CJackDriver*>(self)->process(frames);
    return 0;
}

void CJackDriver::silence(jack_nframes_t frames) {
    for (Output& out : outputs)
        std::memset(jack_port_get_buffer(out.port, frames), 0, frames * sizeof(float));
}

void CJackDriver::process(jack_nframes_t frames) {
    inCallback.store(true);
    if (!running.load() || static_cast<long>(frames) != bufferFrames) {
        silence(frames);
    } else {
        callbacks->bufferSwitch(half, true);
        for (Output& out : outputs)
            std::memcpy(jack_port_get_buffer(out.port, frames), out.halves[half].get(),
                        frames * sizeof(float));
        half ^= 1;
        framesProcessed.fetch_add(frames);
    }
    inCallback.store(false);
}

// The server is gone: no more periods will come. The host hears of it as a reset request.
void CJackDriver::shutdownCallback(jack_status_t, const char*, void* self) {
    auto* driver = static_cast<CJackDriver*>(self);
    driver->serverGone.store(true);
    driver->running.store(false);
    if (driver->callbacks) driver->callbacks->asioMessage(kAsioResetRequest, 0, nullptr, nullptr);
}

namespace {

// The server a client reaches by default: JACK_DEFAULT_SERVER, else "default".
std::string defaultServerName() {
    const char* name = std::getenv("JACK_DEFAULT_SERVER");
    return name && *name ? name : "default";
}

class CJackDriverSource : public CDriverSource {
  public:
    std::vector<InstalledDriver> list() override {
        std::vector<InstalledDriver> drivers;
        const std::string server = defaultServerName();
        jack_client_t* probe = CJackDriver::openQuietly(server, "stretchwerk-probe");
        if (!probe) return drivers;
        jack_client_close(probe);
        InstalledDriver d;
        d.number = 0;
        d.clsid = Output::deviceIdForName("jack:" + server);
        d.path = server;
        d.name = "JACK (" + server + ")";
        drivers.push_back(d);
        return drivers;
    }
    std::unique_ptr<IASIO> create(const InstalledDriver& driver) override {
        return std::make_unique<CJackDriver>(driver.path);
    }
};

} // namespace

CDriverSource& systemDrivers() {
    static CJackDriverSource source;
    return source;
}

} // namespace ASIO
