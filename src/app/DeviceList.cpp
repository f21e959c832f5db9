#include "app/DeviceList.h"

#include <cstdio>

#include "output/AvailSoundDevices.h"

namespace App {

std::vector<OutputDevice> listOutputDevices() {
    Output::CAvailSoundDevices devices;
    devices.init();
    std::vector<OutputDevice> out;
    for (const auto& d : devices.getDevices())
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

std::string deviceIdText(const DeviceId& id) {
    std::string text;
    for (std::size_t i = 0; i < id.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", id[i]);
        text += hex;
    }
    return text;
}

} // namespace App
