#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>
#include <vector>

#include "app/FileProperties.h"
#include "audio/AudioFileOpener.h"
#include "audio/AudioFileCache.h"
#include "cli/Commands.h"
#include "cli/JsonObject.h"
#include "process/TempoDetector.h"

namespace Cli {

const char* const infoHelp =
    "usage: stretchwerk-cli info [--tempo] [--json] FILE...\n"
    "\n"
    "Shows the properties of audio files (WAV, AIFF, FLAC, Ogg Vorbis, Opus, MP3, RF64,\n"
    "Wave64, CAF): play time, path, format, sample rate, word length, channels and frames.\n"
    "A file that cannot be opened is reported on stderr; the others are still shown, and\n"
    "the exit status is 1.\n"
    "\n"
    "  --tempo   also detect the tempo from the first two minutes (60 to 200 BPM; \"none\"\n"
    "            when there is no steady beat)\n"
    "  --json    one JSON object per file and line instead (see the man page); a file that\n"
    "            cannot be opened gives {\"path\": ..., \"error\": ...}\n";

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

namespace {

struct InfoOptions {
    bool tempo = false;
    bool json = false;
};

double detectedBpm(std::unique_ptr<Audio::CAudioFile> file) {
    Audio::CAudioFileCache cache(std::move(file), 2, 65536);
    return Process::detectTempo(cache).bpm;
}

std::string tempoText(double bpm) {
    if (bpm <= 0.0) return "none";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f BPM", bpm);
    return text;
}

std::string valueOf(const std::vector<App::PropertyLine>& lines, const std::string& key) {
    for (const auto& [name, value] : lines)
        if (name == key) return value;
    return {};
}

void showFile(const std::string& path, const InfoOptions& options, bool first, Streams io) {
    auto file = Audio::openSourceFile(path);
    const std::string fullPath = std::filesystem::absolute(path).lexically_normal().string();
    const auto lines =
        App::fileProperties(*file, fullPath, Audio::openedFileType(*file, path), false);
    const Audio::AudioFormat format = file->format;
    const Audio::u64 frames = file->getFrames();
    const double bpm = options.tempo ? detectedBpm(std::move(file)) : 0.0;
    if (options.json) {
        JsonObject o;
        o.add("path", path)
            .add("fullPath", fullPath)
            .add("format", valueOf(lines, "Format"))
            .add("sampleRate", static_cast<std::uint64_t>(format.sampleRate))
            .add("bits", static_cast<std::uint64_t>(format.bitsPerSample))
            .add("channels", static_cast<std::uint64_t>(format.channels))
            .add("frames", static_cast<std::uint64_t>(frames))
            .add("seconds", format.sampleRate ? static_cast<double>(frames) / format.sampleRate
                                              : 0.0);
        if (options.tempo) {
            if (bpm > 0.0) o.add("tempo", std::round(bpm * 100.0) / 100.0);
            else o.addNull("tempo");
        }
        io.out << o.text() << '\n';
        return;
    }
    if (!first) io.out << '\n';
    for (const auto& [key, value] : lines)
        io.out << key << ": " << value << '\n';
    if (options.tempo) io.out << "Detected tempo: " << tempoText(bpm) << '\n';
}

} // namespace

int runInfo(Arguments& args, Streams io) {
    std::vector<std::string> paths;
    InfoOptions options;
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "--help" || word == "-h") {
            io.out << infoHelp;
            return 0;
        }
        if (word == "--tempo" || word == "--json") {
            (word == "--tempo" ? options.tempo : options.json) = true;
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
            showFile(path, options, first, io);
            first = false;
        } catch (const std::exception& e) {
            io.err << describeFailure(path, e.what()) << '\n';
            if (options.json)
                io.out << JsonObject().add("path", path).add("error", std::string(e.what())).text()
                        << '\n';
            status = 1;
        }
    }
    return status;
}

} // namespace Cli
