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
    int getFramesPerBuffer() const override { return FRAMES_PER_SEGMENT; }

  private:
    CDirectSoundManager manager;
    CDirectSoundRenderingBuffer renderingBuffer{manager};
};

} // namespace Output
