#pragma once
#include "output/DirectSoundManager.h"
#include "output/DirectSoundRenderingBuffer.h"
#include "output/OutputBackend.h"

namespace Output {

// The system output: the device opened by the manager, streamed by the rendering buffer in
// segments of a fixed size.
class CSystemOutput : public COutputBackend {
  public:
    static constexpr int FRAMES_PER_SEGMENT = 17640;
    // Segments while frames are computed as they play: a change is heard two segments later.
    static constexpr int LIVE_FRAMES_PER_SEGMENT = 1024;

    // Throws DirectSound::directsound_exception; a device opened before the failure is closed.
    void open(const DeviceId& id) override;
    void setRenderer(CBufferedRenderer* renderer) override;
    void start() override;
    void stop() override;
    void close() override;

    Audio::i64 getFramesPlayed() override;
    bool isDeviceLost() const override { return false; }
    int getOutputChannels() const override;
    double getSampleRate() const override;
    int getFramesPerBuffer() const override { return framesPerSegment; }
    void setLiveBuffering(bool live) override;
    // Both segments and what the device holds.
    int getOutputLatency() const override;

  private:
    int framesPerSegment = FRAMES_PER_SEGMENT;
    CDirectSoundManager manager;
    CDirectSoundRenderingBuffer renderingBuffer{manager};
};

} // namespace Output
