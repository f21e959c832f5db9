#pragma once
#include "output/Asio.h"
#include "output/OutputBackend.h"

namespace Output {

// The pro output: one driver of the source, all its outputs at its preferred buffer size.
class CProOutput : public COutputBackend {
  public:
    explicit CProOutput(ASIO::CDriverSource& drivers) : asio(drivers) {}

    // Throws ASIO::asio_runtime_error; the driver is closed again then.
    void open(const DeviceId& id) override { asio.open(id, nullptr); }
    // Throws std::runtime_error while playing.
    void setRenderer(CBufferedRenderer* renderer) override { asio.setRenderer(renderer); }
    void start() override { asio.start(); }
    void stop() override { asio.stop(); }
    void close() override { asio.close(); }

    Audio::i64 getFramesPlayed() override { return asio.getFramesSent(); }
    // The driver asked for a reset, as JACK does when its server goes away.
    bool isDeviceLost() const override { return asio.resetRequested(); }
    int getOutputChannels() const override { return asio.getOutputCount(); }
    double getSampleRate() const override { return asio.getSampleRate(); }
    int getFramesPerBuffer() const override { return static_cast<int>(asio.getPreferredSize()); }
    // The driver's period is its own; there is nothing shorter to choose.
    void setLiveBuffering(bool) override {}
    // The period being filled, then the driver's own latency.
    int getOutputLatency() const override {
        return static_cast<int>(asio.getPreferredSize() + asio.getOutputLatency());
    }

    ASIO::CASIO& getAsio() { return asio; }

  private:
    ASIO::CASIO asio;
};

} // namespace Output
