#pragma once
// The output devices as the commands show them, and the settings' view of them.
#include <string>
#include <vector>

#include "app/Settings.h"
#include "output/AvailSoundDevices.h"

namespace Cli {

// The current device list; throws when the system outputs cannot be listed.
std::vector<Output::DeviceDescriptor> listDevices();
// The same list for the settings file.
std::vector<App::OutputDevice> settingsDevices();
// "system" or "jack" (the pro output) for a device type.
std::string deviceTypeName(int type);
// The identifier in the usual GUID layout, 8-4-4-4-12 hex digits.
std::string deviceIdText(const DirectSound::Guid& id);

} // namespace Cli
