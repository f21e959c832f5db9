#pragma once
// A JACK server of the test's own (dummy backend, no sound card) and a client that records what
// other clients play into it.
#include <atomic>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

#include <jack/jack.h>

namespace JackTest {

class Server {
  public:
    // Starts jackd under a name no running test uses and waits until a client can connect;
    // makes it the default server of this process.
    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool installed() const { return hasJackd; }
    bool available() const { return running; }
    const std::string& name() const { return serverName; }
    // Ends the server, as a user would.
    void kill();

  private:
    void start(const std::string& name);
    bool hasJackd = false;
    std::string serverName;
    pid_t pid = -1;
    bool running = false;
};

// Records `frames` frames of each of its input ports, then ignores the rest.
class Recorder {
  public:
    Recorder(const std::string& server, int channels, std::size_t frames);
    ~Recorder();
    // Connects the output ports of the client whose name starts with `client` to the inputs.
    bool connectFrom(const std::string& client);
    std::size_t recorded() const { return written.load(); }
    const std::vector<float>& channel(int c) const { return data[static_cast<std::size_t>(c)]; }
    // Waits until `frames` frames have come in or `seconds` have passed.
    bool waitFor(std::size_t frames, double seconds) const;
    // Periods the server reported as missed (a client too late on a busy machine) since the
    // recorder started.
    int xruns() const { return missed.load(); }

  private:
    static int process(jack_nframes_t frames, void* self);
    static int xrun(void* self);
    jack_client_t* client = nullptr;
    std::vector<jack_port_t*> ports;
    std::vector<std::vector<float>> data;
    std::atomic<std::size_t> written{0};
    std::atomic<int> missed{0};
};

// Whether jackd can be found on the PATH.
bool jackdInstalled();

} // namespace JackTest
