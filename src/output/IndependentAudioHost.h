#pragma once
#include <memory>

#include "output/AsioDriverList.h"
#include "output/AvailSoundDevices.h"
#include "output/BufferedRenderer.h"
#include "output/OutputBackend.h"

namespace ASIO {
class CASIO;
}

namespace Output {

// Drives whichever output the user chose, the system output or a pro driver, from the blocks
// of one read-ahead queue. User-interface thread only; the outputs run their own threads.
class CIndependentAudioHost {
  public:
    explicit CIndependentAudioHost(ASIO::CDriverSource& drivers = ASIO::systemDrivers());
    virtual ~CIndependentAudioHost();
    CIndependentAudioHost(const CIndependentAudioHost&) = delete;
    CIndependentAudioHost& operator=(const CIndependentAudioHost&) = delete;

    // Opens the device; throws (std::runtime_error, DirectSound::directsound_exception or
    // ASIO::asio_runtime_error) and stays uninitialised when it cannot.
    void init(const DeviceDescriptor& device);
    void start();
    void stop();
    void release();
    // The queue the output takes its blocks from; not owned.
    void setRenderer(CBufferedRenderer* renderer);

    // Frames the output takes per refill; sizes the read-ahead queue.
    virtual int getFramesPerBuffer() const { return framesPerBuffer; }
    // Short output buffers for frames computed while they play, or the usual ones. While
    // stopped only.
    void setLiveBuffering(bool live);
    // Frames that may stand between the read-ahead queue and the listener.
    virtual int getOutputLatency() const;

    bool isInitialized() const { return initialized; }
    bool isStarted() const { return started; }
    int getOutputChannels() const { return outputChannels; }
    double getSampleRate() const { return sampleRate; }
    const DeviceDescriptor& getDevice() const { return device; }
    // Frames the output has played since start.
    Audio::i64 getFramesPlayed();
    // True when the device went away while open (a JACK server that shut down).
    bool isDeviceLost() const;
    // The driver of the last pro device init was given; throws std::logic_error for any other.
    ASIO::CASIO& getAsio();

  private:
    ASIO::CDriverSource& drivers;
    CBufferedRenderer* renderer = nullptr;
    double sampleRate = 0.0;
    int outputChannels = 0;
    // The output of the last device init was given; kept until the next init.
    std::unique_ptr<COutputBackend> backend;
    bool initialized = false;
    bool started = false;
    DeviceDescriptor device;
    int framesPerBuffer = 0;
};

} // namespace Output
