#pragma once
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <jack/jack.h>

#include "output/AsioDriver.h"

namespace ASIO {

// A driver over one JACK client: the physical playback ports are its outputs, JACK's period
// its only buffer size, the server's rate its rate, and every channel carries 32-bit floats.
// bufferSwitch is called from JACK's process callback with alternating buffer halves; the half
// just filled goes to the ports in the same period.
//
// Threads: JACK's process thread runs the process callback, which neither waits nor allocates;
// JACK's notification thread reports a server shut-down; the rest is user-interface thread.
class CJackDriver : public IASIO {
  public:
    explicit CJackDriver(std::string serverName);
    ~CJackDriver() override;

    bool init(void* systemReference) override;
    std::string getDriverName() override { return "JACK " + serverName; }
    std::int32_t getDriverVersion() override { return 1; }
    std::string getErrorMessage() override { return errorMessage; }
    Error start() override;
    Error stop() override;
    Error getChannels(long* inputs, long* outputs) override;
    Error getLatencies(long* input, long* output) override;
    Error getBufferSize(long* minimum, long* maximum, long* preferred, long* granularity) override;
    Error getSampleRate(double* rate) override;
    // The server's rate cannot be changed from a client; the caller reads getSampleRate.
    Error setSampleRate(double) override { return ASE_OK; }
    Error getSamplePosition(Samples64* position, Samples64* systemTime) override;
    Error getChannelInfo(ChannelInfo* info) override;
    Error createBuffers(BufferInfo* infos, long channels, long bufferSize,
                        const Callbacks* callbacks) override;
    Error disposeBuffers() override;
    // Each half is handed to JACK right after bufferSwitch: nothing to signal.
    Error outputReady() override { return ASE_NotPresent; }

    // Opens a client on the server without starting one and without a word on the terminal.
    static jack_client_t* openQuietly(const std::string& serverName, const char* clientName);

  private:
    static int processCallback(jack_nframes_t frames, void* self);
    static void shutdownCallback(jack_status_t, const char*, void* self);
    void process(jack_nframes_t frames);
    void silence(jack_nframes_t frames);
    void connectOutputs();
    bool serverAlive() const { return !serverGone.load(); }

    std::string serverName;
    std::string errorMessage;
    jack_client_t* client = nullptr;
    std::vector<std::string> playbackPorts;
    long captureCount = 0;

    struct Output {
        jack_port_t* port = nullptr;
        std::unique_ptr<float[]> halves[2];
    };
    std::vector<Output> outputs;
    long bufferFrames = 0;
    const Callbacks* callbacks = nullptr;
    bool activated = false;

    std::atomic<bool> running{false};
    std::atomic<bool> inCallback{false};
    std::atomic<bool> serverGone{false};
    std::atomic<std::uint64_t> framesProcessed{0};
    int half = 0;
};

} // namespace ASIO
