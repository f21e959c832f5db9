#pragma once
#include "audio/Types.h"
#include "output/BufferedRenderer.h"
#include "output/DeviceId.h"

namespace Output {

// One opened output, the system output or a pro driver, fed from the blocks of the read-ahead
// queue. User-interface thread only; an output runs its own thread or the driver's.
class COutputBackend {
  public:
    virtual ~COutputBackend() = default;

    // Opens the device with this identifier; throws and stays closed when it cannot.
    virtual void open(const DeviceId& id) = 0;
    // The queue the output takes its blocks from; not owned.
    virtual void setRenderer(CBufferedRenderer* renderer) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    // Closes the device; open may follow again. Stop first.
    virtual void close() = 0;

    // Frames played since start.
    virtual Audio::i64 getFramesPlayed() = 0;
    // True when the device went away while open.
    virtual bool isDeviceLost() const = 0;
    // The open device's format.
    virtual int getOutputChannels() const = 0;
    virtual double getSampleRate() const = 0;
    // Frames the output takes per refill.
    virtual int getFramesPerBuffer() const = 0;
    // Short buffers for frames computed while they play, so that a change is heard soon; the
    // usual ones otherwise. While stopped only.
    virtual void setLiveBuffering(bool live) = 0;
    // Frames that may stand between the read-ahead queue and the listener: the output's own
    // buffers and the device's.
    virtual int getOutputLatency() const = 0;
};

} // namespace Output
