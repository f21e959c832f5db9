#pragma once
#include <string>
#include <vector>

#include "audio/Types.h"
#include "output/AsioDriverList.h"
#include "output/DeviceId.h"

namespace Output {

enum DeviceType : Audio::i32 { NotDefined = 0, DirectSoundDevice = 1, AsioDevice = 2 };

// One output device the user can choose.
struct DeviceDescriptor {
    DeviceId id{};
    std::string name;
    Audio::i32 type = NotDefined;
};

// The output devices: the system outputs first (the default one with the all-zero
// identifier), then the pro drivers. User-interface thread only.
class CAvailSoundDevices {
  public:
    explicit CAvailSoundDevices(ASIO::CDriverSource& installed = ASIO::systemDrivers())
        : drivers(installed) {}

    // Builds the list afresh. Throws DirectSound::directsound_exception when the system outputs
    // cannot be listed.
    void init();
    const std::vector<DeviceDescriptor>& getDevices() const { return devices; }
    // The entry with this identifier, or null.
    const DeviceDescriptor* find(const DeviceId& id) const;

  private:
    ASIO::CDriverSource& drivers;
    std::vector<DeviceDescriptor> devices;
};

} // namespace Output
