#include <filesystem>
#include <ostream>
#include <vector>

#include "app/FileProperties.h"
#include "audio/AudioFileOpener.h"
#include "cli/Commands.h"

namespace Cli {

const char* const infoHelp =
    "usage: stretchwerk-cli info FILE...\n"
    "\n"
    "Shows the properties of WAV and AIFF files: play time, path, format, sample rate,\n"
    "word length, channels and frames. A file that cannot be opened is reported on stderr;\n"
    "the others are still shown, and the exit status is 1.\n";

std::string describeFailure(const std::string& path, const std::string& what) {
    std::string text = what;
    // The batch list's texts begin with the quoted name, the file layer's with the path and a
    // colon; the path is already in front.
    for (const std::string& named : {"\"" + path + "\"\n", path + ": "})
        if (text.rfind(named, 0) == 0) text.erase(0, named.size());
    std::string line = "stretchwerk-cli: " + path + ": ";
    for (char c : text)
        line += c == '\n' ? std::string("\n    ") : std::string(1, c);
    return line;
}

int runInfo(Arguments& args, Streams io) {
    std::vector<std::string> paths;
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "--help" || word == "-h") {
            io.out << infoHelp;
            return 0;
        }
        if (word != "-" && Arguments::isOption(word))
            throw UsageError("info: unknown option " + word);
        paths.push_back(word);
    }
    if (paths.empty()) throw UsageError("info: name at least one file");
    int status = 0;
    bool first = true;
    for (const std::string& path : paths) {
        try {
            auto file = Audio::openSourceFile(path);
            const std::string fullPath =
                std::filesystem::absolute(path).lexically_normal().string();
            const auto lines =
                App::fileProperties(*file, fullPath, Audio::fileTypeFromExtension(path), false);
            if (!first) io.out << '\n';
            first = false;
            for (const auto& [key, value] : lines)
                io.out << key << ": " << value << '\n';
        } catch (const std::exception& e) {
            io.err << describeFailure(path, e.what()) << '\n';
            status = 1;
        }
    }
    return status;
}

} // namespace Cli
