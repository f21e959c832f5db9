#pragma once
#include <memory>

#include "output/alsa/SoundDevice.h"

namespace Output {

// Opens the system output device chosen by the user, in the fixed primary format of 16-bit
// stereo at 44100 Hz. User-interface thread only.
class CDirectSoundManager {
  public:
    CDirectSoundManager();

    // Opens the device with this identifier (all zero: the default output). Throws
    // DirectSound::directsound_exception when a device is open already or opening fails.
    void Init(const DirectSound::Guid& deviceId);
    // Closes the device so that a later Init can open one again. Release the rendering
    // buffer's secondary buffer first.
    void Release();

    bool isInitialized() const { return device != nullptr; }
    DirectSound::CSoundDevice* getDevice() const { return device.get(); }
    const DirectSound::WaveFormat& getPrimaryFormat() const { return primaryFormat; }

  private:
    std::unique_ptr<DirectSound::CSoundDevice> device;
    DirectSound::WaveFormat primaryFormat;
};

} // namespace Output
