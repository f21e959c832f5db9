#include "output/AvailSoundDevices.h"

#include "output/alsa/SoundDevice.h"

namespace Output {

void CAvailSoundDevices::init() {
    devices.clear();
    std::vector<DirectSound::DeviceEntry> system;
    if (const DirectSound::Result r = DirectSound::enumerateDevices(system);
        r != DirectSound::DS_OK)
        throw DirectSound::directsound_exception(
            "CAvailSoundDevices::init() DirectSoundEnumerate Failed!", r);
    for (const auto& entry : system)
        devices.push_back({entry.id, entry.description, DirectSoundDevice});
    for (const auto& driver : drivers.list())
        devices.push_back({driver.clsid, driver.name, AsioDevice});
}

const DeviceDescriptor* CAvailSoundDevices::find(const DeviceId& id) const {
    for (const auto& d : devices)
        if (d.id == id) return &d;
    return nullptr;
}

} // namespace Output
