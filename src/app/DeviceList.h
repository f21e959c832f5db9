#pragma once
// The output devices as the settings and the preferences see them.
#include <string>
#include <vector>

#include "app/Settings.h"

namespace App {

// The current device list (system outputs, the clock-paced one, JACK servers); throws when the
// system outputs cannot be listed.
std::vector<OutputDevice> listOutputDevices();
// "system" or "jack" (the pro output) for a device type.
std::string deviceTypeName(int type);
// The identifier in the usual GUID layout, 8-4-4-4-12 hex digits.
std::string deviceIdText(const DeviceId& id);

} // namespace App
