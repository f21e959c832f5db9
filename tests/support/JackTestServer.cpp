#include "support/JackTestServer.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "output/jack/JackDriver.h"

namespace JackTest {

bool jackdInstalled() {
    return std::system("command -v jackd > /dev/null 2>&1") == 0;
}

namespace {

// Whether a server of this name answers now.
bool answers(const std::string& name) {
    jack_client_t* c = ASIO::CJackDriver::openQuietly(name, "swk-test-probe");
    if (c) jack_client_close(c);
    return c != nullptr;
}

} // namespace

// JACK keeps a small table of server names; a server that dies without ending cleanly leaves
// its entry until a server of the same name starts again. A small pool of names, skipping
// those in use by a parallel test, keeps the table from filling up.
Server::Server() {
    if (!jackdInstalled()) return;
    hasJackd = true;
    for (int slot = 0; slot < 6 && !running; ++slot) {
        const std::string name = "swk-test-" + std::to_string(slot);
        if (!answers(name)) start(name);
    }
}

void Server::start(const std::string& name) {
    serverName = name;
    pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        // Synchronous, with a long client timeout: a client that a busy machine makes late
        // delays the cycle instead of losing its period (the dummy backend keeps no real time).
        ::execlp("jackd", "jackd", "--no-realtime", "--sync", "--timeout", "10000", "-n",
                 name.c_str(), "-d", "dummy", "-r", "44100", "-p", "512",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline && ::waitpid(pid, nullptr, WNOHANG) == 0) {
        if (answers(name)) {
            running = true;
            ::setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill();
}

Server::~Server() {
    kill();
}

// SIGTERM lets the server leave its name table entry behind it clean.
void Server::kill() {
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    pid = -1;
    running = false;
}

Recorder::Recorder(const std::string& server, int channels, std::size_t frames)
    : data(static_cast<std::size_t>(channels), std::vector<float>(frames)) {
    client = ASIO::CJackDriver::openQuietly(server, "swk-recorder");
    if (!client) return;
    for (int c = 0; c < channels; ++c)
        ports.push_back(jack_port_register(client, ("in_" + std::to_string(c + 1)).c_str(),
                                           JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0));
    jack_set_process_callback(client, process, this);
    jack_set_xrun_callback(client, xrun, this);
    jack_activate(client);
}

Recorder::~Recorder() {
    if (client) {
        jack_deactivate(client);
        jack_client_close(client);
    }
}

bool Recorder::connectFrom(const std::string& source) {
    if (!client) return false;
    const char** names = jack_get_ports(client, (source + ".*:out_").c_str(),
                                        JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    if (!names) return false;
    std::size_t n = 0;
    for (; names[n] && n < ports.size(); ++n)
        jack_connect(client, names[n], jack_port_name(ports[n]));
    jack_free(names);
    return n == ports.size();
}

int Recorder::process(jack_nframes_t frames, void* self) {
    auto* r = static_cast<Recorder*>(self);
    const std::size_t at = r->written.load();
    const std::size_t n = std::min<std::size_t>(frames, r->data[0].size() - at);
    for (std::size_t c = 0; c < r->ports.size(); ++c) {
        const auto* in = static_cast<const float*>(jack_port_get_buffer(r->ports[c], frames));
        std::memcpy(r->data[c].data() + at, in, n * sizeof(float));
    }
    r->written.store(at + n);
    return 0;
}

int Recorder::xrun(void* self) {
    static_cast<Recorder*>(self)->missed.fetch_add(1);
    return 0;
}

bool Recorder::waitFor(std::size_t frames, double seconds) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (written.load() < frames && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return written.load() >= frames;
}

} // namespace JackTest

// The recorder reads port buffers that the player's client wrote in the same JACK cycle. JACK
// orders the two clients through the server's own synchronisation, which ThreadSanitizer
// cannot see.
extern "C" const char* __tsan_default_suppressions() {
    return "race:JackTest::Recorder::process\n";
}
