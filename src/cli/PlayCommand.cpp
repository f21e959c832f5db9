#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <poll.h>
#include <strings.h>
#include <thread>
#include <unistd.h>

#include "app/DeviceList.h"
#include "audio/AudioFileCache.h"
#include "audio/AudioFileOpener.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/ProcessingOptions.h"
#include "output/AudioEngine.h"
#include "process/JobPlan.h"
#include "process/LiveStretchSource.h"
#include "process/ProcessingLimits.h"

namespace Cli {

namespace {
const std::string playHelpText =
    std::string(
        "usage: stretchwerk-cli play FILE [--device NAME|ID] [--start FRAME] [--end FRAME] "
        "[--loop]\n"
        "                         [PROCESSING OPTIONS]\n"
        "\n"
        "Plays an audio file (any that info reads), or the frames from --start up to (not\n"
        "including) --end, on the device the settings file names or the one given by --device,\n"
        "by its name or identifier (see 'stretchwerk-cli devices'). Shows the position while playing; Enter or Ctrl-C\n"
        "stops. Without --loop it returns when the range has played; with --loop it repeats the\n"
        "range until stopped. At the end it tells how often the device found no sound ready\n"
        "(underruns).\n"
        "\n"
        "With processing options it plays the processed sound while it is computed: the same\n"
        "frames that 'stretchwerk-cli process' writes with these options.\n"
        "\n"
        "Processing options:\n") +
    processingOptionsHelp;
} // namespace

const char* const playHelp = playHelpText.c_str();

namespace {

struct PlayRequest {
    std::string path;
    std::optional<std::string> device;
    Audio::i32 start = 0;
    Audio::i32 end = -1;
    bool loop = false;
    ProcessingOptions processing;
};

std::optional<PlayRequest> parse(Arguments& args, std::ostream& out) {
    PlayRequest r;
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "--help" || word == "-h") {
            out << playHelp;
            return std::nullopt;
        }
        if (word == "--device")
            r.device = args.value(word);
        else if (word == "--start")
            r.start = static_cast<Audio::i32>(args.integer(word, 0, INT_MAX));
        else if (word == "--end")
            r.end = static_cast<Audio::i32>(args.integer(word, -1, INT_MAX));
        else if (word == "--loop")
            r.loop = true;
        else if (takeProcessingOption(word, args, r.processing))
            continue;
        else if (Arguments::isOption(word))
            throw UsageError("play: unknown option " + word);
        else if (!r.path.empty())
            throw UsageError("play: name one file");
        else
            r.path = word;
    }
    if (r.path.empty()) throw UsageError("play: name a file to play");
    checkProcessingOptions(r.processing);
    return r;
}

// The device named on the command line (exactly, else ignoring case, or by the identifier
// that 'devices' shows), else the settings'.
Output::DeviceId chooseDevice(const std::optional<std::string>& name) {
    if (!name) {
        App::CSettings settings(App::listOutputDevices);
        try {
            settings.load();
        } catch (const std::exception&) {
            // No usable settings file: the default output, as a first start would take.
        }
        return settings.deviceId;
    }
    const auto devices = App::listOutputDevices();
    for (const auto& d : devices)
        if (d.name == *name) return d.id;
    for (const auto& d : devices)
        if (::strcasecmp(d.name.c_str(), name->c_str()) == 0 ||
            ::strcasecmp(App::deviceIdText(d.id).c_str(), name->c_str()) == 0)
            return d.id;
    throw std::runtime_error("no output device is named \"" + *name +
                             "\"; 'stretchwerk-cli devices' lists them");
}

// Keeps what the voice reports; the producer thread writes, the command's thread reads.
class PositionListener : public Output::CPlaybackListener {
  public:
    void started(Audio::i32, Audio::i64 frame) override { startFrame = frame; }
    void position(Audio::i32, Audio::i64 frame) override { lastFrame = frame; }
    std::atomic<Audio::i64> startFrame{-1};
    std::atomic<Audio::i64> lastFrame{-1};
};

// Enter on standard input; end of input (or no input) never stops playback.
class EnterKey {
  public:
    bool pressed() {
        if (closed) return false;
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLIN | POLLHUP))) return false;
        char c = 0;
        if (::read(STDIN_FILENO, &c, 1) != 1) {
            closed = true;
            return false;
        }
        return c == '\n';
    }

  private:
    bool closed = false;
};

enum class Ending { Played, Stopped, Interrupted, DeviceLost, Failed };

class Session {
  public:
    // `live`: the processed sound being played, or null for the file as it stands.
    Session(Output::CAudioEngine& engine_, const PlayRequest& r, Audio::CAudioFileCache& cache_,
            const Process::LiveStretchSource* live_)
        : engine(engine_), request(r), cache(cache_), live(live_) {
        shown.source = r.start;
    }

    Ending run(Streams io);
    // The file frame the output is playing now.
    Audio::i64 filePosition();

    PositionListener listener;

  private:
    bool rangePlayed();
    // Output frames heard since the voice began; -1 before it did.
    Audio::i64 heardFrames();
    void showPosition(Streams io, bool final);

    Output::CAudioEngine& engine;
    const PlayRequest& request;
    Audio::CAudioFileCache& cache;
    const Process::LiveStretchSource* live;
    // The last position the live sound's record gave.
    Process::LivePosition shown;
    int shownSecond = -1;
};

bool Session::rangePlayed() {
    const Audio::i64 last = listener.lastFrame.load();
    return !request.loop && !engine.isVoiceActive() && last >= 0 &&
           engine.getFramesPlayed() >= last;
}

Audio::i64 Session::heardFrames() {
    const Audio::i64 begin = listener.startFrame.load();
    if (begin < 0) return -1;
    Audio::i64 played = engine.getFramesPlayed() - begin;
    const Audio::i64 last = listener.lastFrame.load();
    if (last >= 0) played = std::min(played, last - begin);
    return std::max<Audio::i64>(played, 0);
}

Audio::i64 Session::filePosition() {
    const Audio::i64 played = heardFrames();
    if (played < 0) return request.start;
    if (live) {
        // Keeps the last position when the record has none for these frames.
        live->positionAt(static_cast<Audio::u64>(played), shown);
        return shown.source;
    }
    const double ratio =
        cache.file->format.sampleRate / std::max(engine.getHost().getSampleRate(), 1.0);
    auto frames = static_cast<Audio::i64>(static_cast<double>(played) * ratio);
    const Audio::i64 fileEnd = static_cast<Audio::i64>(cache.file->getFrames());
    const Audio::i64 end =
        request.end < 0 || request.end > fileEnd ? fileEnd : static_cast<Audio::i64>(request.end);
    const Audio::i64 length = end - request.start;
    if (request.loop && length > 0) frames %= length;
    return request.start + std::min(frames, std::max<Audio::i64>(length, 0));
}

void Session::showPosition(Streams io, bool final) {
    const Audio::i64 frame = filePosition();
    const double rate = cache.file->format.sampleRate;
    const double seconds = static_cast<double>(frame) / rate;
    char text[128];
    int n = std::snprintf(text, sizeof text, "position: %.2f s (frame %lld)", seconds,
                          static_cast<long long>(frame));
    if (live && n > 0)
        std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), ", processed %.2f s",
                      static_cast<double>(shown.processed) / rate);
    if (io.errIsTerminal) {
        io.err << '\r' << text << "   " << (final ? "\n" : "") << std::flush;
    } else if (static_cast<int>(seconds) != shownSecond || final) {
        // Without a terminal, one line a second keeps logs readable.
        shownSecond = static_cast<int>(seconds);
        io.err << text << '\n' << std::flush;
    }
}

Ending Session::run(Streams io) {
    EnterKey enter;
    for (;;) {
        if (interrupted()) return Ending::Interrupted;
        if (enter.pressed()) return Ending::Stopped;
        if (engine.isDeviceLost()) return Ending::DeviceLost;
        if (live && !live->failure().empty()) return Ending::Failed;
        if (rangePlayed()) return Ending::Played;
        showPosition(io, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// The failure texts of the output may end in a line feed; the report ends its own line.
std::string trimmed(std::string text) {
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// The processed sound of the options, ready to play: the options' defaults from the settings
// file, the job planned as process plans it, and factors the player could steer.
std::shared_ptr<Process::LiveStretchSource>
liveSource(PlayRequest& r, Audio::CAudioFileCache& cache, std::ostream& err) {
    ProcessingOptions& o = r.processing;
    std::string problem;
    const App::CSettings settings =
        App::loadSettingsOrDefaults([] { return std::vector<App::OutputDevice>{}; }, &problem);
    if (!problem.empty())
        err << "stretchwerk-cli: " << settings.getPath() << ": " << problem
            << " (using the defaults)\n";
    applySettings(o, App::jobSettingsFrom(settings));
    const auto frames = static_cast<Audio::i64>(cache.file->getFrames());
    problem = Process::rowBeyondLimits(o.row,
                                       static_cast<double>(frames) / cache.file->format.sampleRate);
    if (!problem.empty()) throw UsageError(problem);
    const Audio::i64 end = r.end < 0 ? frames : std::min<Audio::i64>(r.end, frames);
    if (r.start >= end)
        throw std::invalid_argument("CAudioPlayback::setLoop() settings. start position cannot "
                                    "be higher or equal than the end position!\n");
    const Process::JobPlan plan = Process::planJob(o.row, *o.quality, cache, r.start, end);
    return std::make_shared<Process::LiveStretchSource>(plan, Process::liveFactorsFor(plan),
                                                        r.loop);
}

int report(Ending ending, Audio::i64 at, Audio::i64 underruns,
           const Process::LiveStretchSource* live, const std::string& path, Streams io) {
    switch (ending) {
    case Ending::DeviceLost:
        io.err << "stretchwerk-cli: the output device went away while playing\n";
        return 1;
    case Ending::Failed:
        io.err << describeFailure(path, live->failure()) << '\n';
        return 1;
    case Ending::Interrupted:
        io.out << "interrupted at frame " << at << '\n';
        break;
    case Ending::Stopped:
        io.out << "stopped at frame " << at << '\n';
        break;
    case Ending::Played:
        io.out << "played to frame " << at << '\n';
        break;
    }
    io.out << "underruns: " << underruns << '\n';
    return ending == Ending::Interrupted ? interruptedExitCode : 0;
}

} // namespace

int runPlay(Arguments& args, Streams io) {
    auto request = parse(args, io.out);
    if (!request) return 0;
    std::unique_ptr<Audio::CAudioFileCache> cache;
    try {
        cache = std::make_unique<Audio::CAudioFileCache>(Audio::openSourceFile(request->path), 8,
                                                         16384);
    } catch (const std::exception& e) {
        io.err << describeFailure(request->path, e.what()) << '\n';
        return 1;
    }
    const auto frames = static_cast<Audio::i64>(cache->file->getFrames());
    if (request->start >= frames) {
        io.err << describeFailure(request->path, "--start " + std::to_string(request->start) +
                                                     " lies beyond the last frame (the file has " +
                                                     std::to_string(frames) + " frames)")
               << '\n';
        return 1;
    }
    std::shared_ptr<Process::LiveStretchSource> live;
    if (request->processing.given) {
        try {
            loadMarkpoints(request->processing, io.err);
        } catch (const std::exception& e) {
            io.err << describeFailure(request->processing.markpoints, e.what()) << '\n';
            return 1;
        }
        try {
            live = liveSource(*request, *cache, io.err);
        } catch (const UsageError&) {
            throw;
        } catch (const std::exception& e) {
            io.err << describeFailure(request->path, trimmed(e.what())) << '\n';
            return 1;
        }
    }
    Output::CAudioEngine engine;
    engine.init(chooseDevice(request->device));
    if (!engine.isInitialized())
        throw std::runtime_error("the output device of the settings is not there; choose one "
                                 "with --device ('stretchwerk-cli devices' lists them)");
    Session session(engine, *request, *cache, live.get());
    try {
        const std::string name = Audio::fileNameOf(request->path);
        if (live)
            engine.playLive(live, name, &session.listener, 0);
        else
            engine.play(cache.get(), name, request->start, request->end, request->loop,
                        &session.listener, 0);
    } catch (const std::exception& e) {
        io.err << describeFailure(request->path, trimmed(e.what())) << '\n';
        return 1;
    }
    const Ending ending = session.run(io);
    const Audio::i64 at = session.filePosition();
    engine.stop();
    io.err << (io.errIsTerminal ? "\n" : "");
    return report(ending, at, engine.getUnderruns(), live.get(), request->path, io);
}

} // namespace Cli
