#include <filesystem>
#include <ostream>

#include "app/DeviceList.h"
#include "cli/Commands.h"

namespace Cli {

const char* const settingsHelp =
    "usage: stretchwerk-cli settings\n"
    "\n"
    "Shows where the settings file is and the values it holds (the defaults when there is\n"
    "no file yet). A file that cannot be read is reported, with exit status 1.\n";

namespace {

// As the file spells them: only "yes" reads as yes.
const char* yesNo(bool value) {
    return value ? "yes" : "no";
}

std::string deviceName(const App::CSettings& settings) {
    for (const auto& d : App::listOutputDevices())
        if (d.id == settings.deviceId) return d.name;
    return "(not listed) " + App::deviceIdText(settings.deviceId);
}

void show(const App::CSettings& s, std::ostream& out) {
    out << "AudioDriver: " << deviceName(s) << '\n'
        << "EditorPath: " << s.editorPath << '\n'
        << "TargetPath: " << s.targetPath << '\n'
        << "IncludePitch: " << yesNo(s.includePitch) << '\n'
        << "IncludeTime: " << yesNo(s.includeTime) << '\n'
        << "IncludeIndex: " << yesNo(s.includeIndex) << '\n'
        << "NamePrefix: " << yesNo(s.namePrefix) << '\n'
        << "NamePostfix: " << yesNo(s.namePostfix) << '\n'
        << "Quality: " << s.quality << '\n'
        << "ResultFormat: "
        << (Audio::formatOf(s.resultFormat) ? Audio::formatOf(s.resultFormat)->key
                                            : "as the source")
        << '\n';
}

} // namespace

int runSettings(Arguments& args, Streams io) {
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "--help" || word == "-h") {
            io.out << settingsHelp;
            return 0;
        }
        throw UsageError("settings: unexpected argument " + word);
    }
    App::CSettings settings(App::listOutputDevices);
    io.out << "file: " << settings.getPath() << '\n';
    if (!std::filesystem::exists(settings.getPath())) {
        io.out << "(no settings file yet; the defaults)\n";
        show(settings, io.out);
        return 0;
    }
    try {
        settings.load();
    } catch (const std::exception& e) {
        io.err << describeFailure(settings.getPath(), e.what()) << '\n';
        return 1;
    }
    show(settings, io.out);
    return 0;
}

} // namespace Cli
