#pragma once
// A driver whose answers a test sets, and the driver list that offers it.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "output/AsioDriverList.h"

namespace ScriptedAsio {

using namespace ASIO;

inline const Output::DeviceId DRIVER_ID = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

// A driver whose answers the test sets; it logs the calls the host makes.
class ScriptedDriver : public IASIO {
  public:
    std::vector<std::string>* log = nullptr;
    std::map<std::string, Error> failures;
    bool initAnswer = true;
    long inputs = 8, outputs = 2, preferred = 64;
    double rate = 48000.0;
    Error outputReadyAnswer = ASE_NotPresent;
    std::vector<Audio::i32> types;
    const Callbacks* callbacks = nullptr;
    std::vector<std::vector<std::uint8_t>> memory;
    bool* destroyed = nullptr;

    ~ScriptedDriver() override {
        if (destroyed) *destroyed = true;
    }
    Error call(const std::string& name) {
        log->push_back(name);
        const auto it = failures.find(name);
        return it == failures.end() ? ASE_OK : it->second;
    }
    bool init(void*) override {
        log->push_back("init");
        return initAnswer;
    }
    std::string getDriverName() override { return "scripted"; }
    std::int32_t getDriverVersion() override { return 7; }
    std::string getErrorMessage() override { return "switched off"; }
    Error start() override { return call("start"); }
    Error stop() override { return call("stop"); }
    Error getChannels(long* in, long* out) override {
        *in = inputs;
        *out = outputs;
        return call("getChannels");
    }
    Error getLatencies(long* in, long* out) override {
        *in = *out = 10;
        return call("getLatencies");
    }
    Error getBufferSize(long* mn, long* mx, long* pref, long* gran) override {
        *mn = *mx = *pref = preferred;
        *gran = 0;
        return call("getBufferSize");
    }
    Error getSampleRate(double* r) override {
        *r = rate;
        return call("getSampleRate");
    }
    Error setSampleRate(double) override { return call("setSampleRate"); }
    Error getSamplePosition(Samples64* pos, Samples64* time) override {
        *pos = {1, 5};
        *time = {0, 9};
        return ASE_OK;
    }
    Error getChannelInfo(ChannelInfo* info) override {
        const auto n = static_cast<std::size_t>(info->channel);
        info->type = n < types.size() ? types[n] : Float32LSB;
        return call("getChannelInfo");
    }
    Error createBuffers(BufferInfo* infos, long channels, long size, const Callbacks* cb) override {
        const Error e = call("createBuffers");
        if (e != ASE_OK) return e;
        callbacks = cb;
        memory.assign(static_cast<std::size_t>(channels * 2),
                      std::vector<std::uint8_t>(static_cast<std::size_t>(size * 8), 0xAA));
        for (long i = 0; i < channels; ++i)
            for (int h = 0; h < 2; ++h)
                infos[i].buffers[h] = memory[static_cast<std::size_t>(i * 2 + h)].data();
        return ASE_OK;
    }
    Error disposeBuffers() override { return call("disposeBuffers"); }
    Error outputReady() override {
        log->push_back("outputReady");
        return outputReadyAnswer;
    }
};

class ScriptedSource : public CDriverSource {
  public:
    std::vector<std::string> log;
    std::function<void(ScriptedDriver&)> setup;
    ScriptedDriver* last = nullptr;

    std::vector<InstalledDriver> list() override { return {{0, DRIVER_ID, "lib", "Scripted"}}; }
    std::unique_ptr<IASIO> create(const InstalledDriver&) override {
        auto d = std::make_unique<ScriptedDriver>();
        d->log = &log;
        if (setup) setup(*d);
        last = d.get();
        return d;
    }
};

} // namespace ScriptedAsio
