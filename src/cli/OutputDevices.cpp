#include "cli/OutputDevices.h"

#include <cstdio>

namespace Cli {

std::vector<Output::DeviceDescriptor> listDevices() {
    Output::CAvailSoundDevices devices;
    devices.init();
    return devices.getDevices();
}

std::vector<App::OutputDevice> settingsDevices() {
    std::vector<App::OutputDevice> out;
    for (const auto& d : listDevices())
        out.push_back({d.id, d.name, d.type});
    return out;
}

std::string deviceTypeName(int type) {
    switch (type) {
    case Output::DirectSoundDevice:
        return "system";
    case Output::AsioDevice:
        return "jack";
    default:
        return "unknown";
    }
}

std::string deviceIdText(const DirectSound::Guid& id) {
    std::string text;
    for (std::size_t i = 0; i < id.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", id[i]);
        text += hex;
    }
    return text;
}

} // namespace Cli
