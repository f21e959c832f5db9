#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <vector>

#include "app/FileProperties.h"
#include "audio/AudioFileOpener.h"
#include "audio/AudioFileCache.h"
#include "cli/Commands.h"
#include "process/TempoDetector.h"

namespace Cli {

const char* const infoHelp =
    "usage: stretchwerk-cli info [--tempo] FILE...\n"
    "\n"
    "Shows the properties of WAV and AIFF files: play time, path, format, sample rate,\n"
    "word length, channels and frames. A file that cannot be opened is reported on stderr;\n"
    "the others are still shown, and the exit status is 1.\n"
    "\n"
    "  --tempo   also detect the tempo from the first two minutes (60 to 200 BPM; \"none\"\n"
    "            when there is no steady beat)\n";

std::string describeFailure(const std::string& path, const std::string& what) {
    std::string text = what;
    // The batch list's texts begin with the quoted name; the path is already in front.
    const std::string quoted = "\"" + path + "\"\n";
    if (text.rfind(quoted, 0) == 0) text.erase(0, quoted.size());
    std::string line = "stretchwerk-cli: " + path + ": ";
    for (char c : text)
        line += c == '\n' ? std::string("\n    ") : std::string(1, c);
    return line;
}

namespace {

std::string detectedTempoText(std::unique_ptr<Audio::CAudioFile> file) {
    Audio::CAudioFileCache cache(std::move(file), 2, 65536);
    const Process::TempoEstimate tempo = Process::detectTempo(cache);
    if (tempo.bpm <= 0.0) return "none";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f BPM", tempo.bpm);
    return text;
}

} // namespace

int runInfo(Arguments& args, Streams io) {
    std::vector<std::string> paths;
    bool tempo = false;
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "--help" || word == "-h") {
            io.out << infoHelp;
            return 0;
        }
        if (word == "--tempo") {
            tempo = true;
            continue;
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
            if (tempo) io.out << "Detected tempo: " << detectedTempoText(std::move(file)) << '\n';
        } catch (const std::exception& e) {
            io.err << describeFailure(path, e.what()) << '\n';
            status = 1;
        }
    }
    return status;
}

} // namespace Cli
