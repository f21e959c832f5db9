#include <algorithm>
#include <iomanip>
#include <ostream>

#include "app/DeviceList.h"
#include "cli/Commands.h"
#include "cli/JsonObject.h"

namespace Cli {

const char* const devicesHelp =
    "usage: stretchwerk-cli devices [--json]\n"
    "\n"
    "Lists the output devices: type (system: ALSA or the clock-paced output; jack: a running\n"
    "JACK server), name and identifier. '*' marks the device the settings file names.\n"
    "\n"
    "  --json   one JSON object per device and line instead (see the man page)\n";

int runDevices(Arguments& args, Streams io) {
    bool json = false;
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "--help" || word == "-h") {
            io.out << devicesHelp;
            return 0;
        }
        if (word == "--json") {
            json = true;
            continue;
        }
        throw UsageError("devices: unexpected argument " + word);
    }
    const auto devices = App::listOutputDevices();
    App::CSettings settings(App::listOutputDevices);
    bool chosenKnown = true;
    try {
        settings.load();
    } catch (const std::exception&) {
        // Without a readable settings file no device is chosen yet.
        chosenKnown = false;
    }
    std::size_t width = 0;
    for (const auto& d : devices)
        width = std::max(width, d.name.size());
    for (const auto& d : devices) {
        const bool chosen = chosenKnown && d.id == settings.deviceId;
        if (json) {
            io.out << JsonObject()
                          .add("type", App::deviceTypeName(d.type))
                          .add("name", d.name)
                          .add("id", App::deviceIdText(d.id))
                          .add("chosen", chosen)
                          .text()
                   << '\n';
            continue;
        }
        io.out << (chosen ? "* " : "  ") << std::left << std::setw(7) << App::deviceTypeName(d.type)
               << std::setw(static_cast<int>(width) + 2) << d.name << App::deviceIdText(d.id)
               << '\n';
    }
    return 0;
}

} // namespace Cli
