#include <algorithm>
#include <atomic>
#include <chrono>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "app/JobSettings.h"
#include "audio/AudioFileOpener.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/ProcessReport.h"
#include "cli/ProcessStatus.h"
#include "cli/ProcessingOptions.h"
#include "markpoints/MarkPointFile.h"
#include "process/ProcessingLimits.h"
#include "process/RowProcessor.h"

using namespace MarkPoints;

namespace Cli {

using namespace Audio;
using namespace Process;

namespace {
// The processing options sit among the process command's own.
const std::string processHelpText =
    std::string(
        "usage: stretchwerk-cli process [OPTIONS] FILE...\n"
        "\n"
        "Changes the duration and pitch of audio files (WAV, AIFF, FLAC, Ogg Vorbis, Opus, MP3,\n"
        "RF64, Wave64, CAF, and split sets of mono files) and writes each result as a new file\n"
        "beside its source, named after the settings (\"Song P3.0 T1.25 2.wav\"). A result keeps\n"
        "the format of a lossless source; a lossy source (MP3, Ogg Vorbis, Opus) gives FLAC.\n"
        "A WAV result beyond 4 GiB is written as RF64. Existing files are never replaced.\n"
        "\n"
        "Options:\n") +
    processingOptionsHelp +
    std::string("  --out-dir DIR          write the results there instead of beside their sources\n"
                "  --format F             the results' format: wav, aiff, flac or rf64 (also w64,\n"
                "                         caf); default from the settings file, else as above\n"
                "  --name-parts before|after   where the settings go in the name\n"
                "  --no-pitch-in-name, --no-time-in-name, --no-index-in-name\n"
                "  --jobs N               files processed at once (default: the number of cores)\n"
                "  --json                 one JSON object per file and line on the standard output\n"
                "                         (see the man page)\n"
                "  --split L R            a split stereo set (one mono file per channel)\n"
                "  --split-5.1 C FL FR RL RR LFE\n"
                "  --split-6.1 C FL FR RC RL RR LFE\n"
                "  --split-7.1 C FL FR RL RR RCL RCR LFE\n"
                "\n"
                "Ctrl-C stops: the file being written is closed with what it holds so far (one that\n"
                "holds nothing yet is removed). A result larger than its format can hold is\n"
                "refused before anything is written.\n"
                "Exit status: 0 done, 1 a file failed, 2 wrong command line, 130 interrupted.\n");
} // namespace

const char* const processHelp = processHelpText.c_str();

namespace {

struct SourceSpec {
    std::vector<std::string> paths;
    bool split = false;
};

struct ProcessRequest {
    ProcessingOptions processing;
    NamingSettings naming;
    std::optional<bool> partsBefore;
    bool noPitch = false, noTime = false, noIndex = false;
    bool json = false;
    std::optional<std::string> outDir;
    std::optional<FileType> format;
    unsigned jobs = 0;
    std::vector<SourceSpec> sources;
};

FileType parseFormat(const std::string& key) {
    const FileFormat* f = formatOfKey(key);
    if (!f || !f->writtenBits) throw UsageError("--format takes " + writableKeys());
    return f->type;
}

void takeSplit(Arguments& args, const std::string& option, std::size_t members, ProcessRequest& r) {
    SourceSpec spec{{}, true};
    for (std::size_t k = 0; k < members; ++k) {
        if (args.done() || Arguments::isOption(args.peek()))
            throw UsageError(option + " takes " + std::to_string(members) + " files");
        spec.paths.push_back(args.take());
    }
    r.sources.push_back(std::move(spec));
}

bool takeFlag(const std::string& word, ProcessRequest& r) {
    if (word == "--no-pitch-in-name")
        r.noPitch = true;
    else if (word == "--no-time-in-name")
        r.noTime = true;
    else if (word == "--no-index-in-name")
        r.noIndex = true;
    else if (word == "--json")
        r.json = true;
    else
        return false;
    return true;
}

bool takeSplitOption(const std::string& word, Arguments& args, ProcessRequest& r) {
    if (word == "--split")
        takeSplit(args, word, 2, r);
    else if (word == "--split-5.1")
        takeSplit(args, word, 6, r);
    else if (word == "--split-6.1")
        takeSplit(args, word, 7, r);
    else if (word == "--split-7.1")
        takeSplit(args, word, 8, r);
    else
        return false;
    return true;
}

void takeValueOption(const std::string& word, Arguments& args, ProcessRequest& r) {
    if (takeProcessingOption(word, args, r.processing)) return;
    if (word == "--out-dir")
        r.outDir = args.value(word);
    else if (word == "--format")
        r.format = parseFormat(args.value(word));
    else if (word == "--jobs")
        r.jobs = static_cast<unsigned>(args.integer(word, 1, 64));
    else if (word == "--name-parts") {
        const std::string where = args.value(word);
        if (where != "before" && where != "after")
            throw UsageError("--name-parts takes before or after");
        r.partsBefore = where == "before";
    } else {
        throw UsageError("process: unknown option " + word);
    }
}

void checkRequest(const ProcessRequest& r) {
    if (r.sources.empty()) throw UsageError("process: name at least one file");
    checkProcessingOptions(r.processing);
    if (r.outDir) {
        struct stat st {};
        if (::stat(r.outDir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            throw UsageError("--out-dir: " + *r.outDir + " is not a folder");
    }
}

ProcessRequest parseProcess(Arguments& args) {
    ProcessRequest r;
    while (!args.done()) {
        const std::string word = args.take();
        if (word == "-" || !Arguments::isOption(word))
            r.sources.push_back({{word}, false});
        else if (!takeFlag(word, r) && !takeSplitOption(word, args, r))
            takeValueOption(word, args, r);
    }
    checkRequest(r);
    return r;
}

// Naming and quality come from the settings file unless the command line says otherwise.
void applyDefaults(ProcessRequest& r, std::ostream& err) {
    std::string problem;
    const App::CSettings settings =
        App::loadSettingsOrDefaults([] { return std::vector<App::OutputDevice>{}; }, &problem);
    if (!problem.empty())
        err << "stretchwerk-cli: " << settings.getPath() << ": " << problem
            << " (using the defaults)\n";
    const App::JobSettings job = App::jobSettingsFrom(settings);
    r.naming = job.naming;
    r.naming.includePitch = job.naming.includePitch && !r.noPitch;
    r.naming.includeTime = job.naming.includeTime && !r.noTime;
    r.naming.includeIndex = job.naming.includeIndex && !r.noIndex;
    r.naming.partsBeforeTitle = r.partsBefore.value_or(job.naming.partsBeforeTitle);
    r.naming.targetDirectory = r.outDir.value_or(job.naming.targetDirectory);
    r.naming.format = r.format.value_or(job.naming.format);
    applySettings(r.processing, job);
    if (r.jobs == 0) r.jobs = std::max(1u, std::thread::hardware_concurrency());
}

std::unique_ptr<CAudioFile> openSource(const SourceSpec& spec) {
    return spec.split ? openSplitSource(spec.paths) : openSourceFile(spec.paths[0]);
}

// A time in seconds depends on each source's duration; a source that cannot be opened is
// reported when its turn comes.
void checkLimits(const ProcessRequest& r) {
    const RowSettings& row = r.processing.row;
    if (row.timeUnit != Seconds || row.doubleLength || row.useMarkPoints) {
        const std::string problem = rowBeyondLimits(row, 0.0);
        if (!problem.empty()) throw UsageError(problem);
        return;
    }
    for (const SourceSpec& spec : r.sources) {
        std::string problem;
        try {
            const std::unique_ptr<CAudioFile> file = openSource(spec);
            problem = rowBeyondLimits(row, static_cast<double>(file->getFrames()) /
                                               file->format.sampleRate);
        } catch (const std::exception&) {
            continue;
        }
        if (!problem.empty()) throw UsageError(spec.paths[0] + ": " + problem);
    }
}

// The command line cannot ask: a missing name or a short disk fails this file.
class NoDialogs : public DestinationDialogs {
  public:
    NoDialogs(const SourceSpec& source, bool indexInName) : spec(source), withIndex(indexInName) {}
    std::optional<std::string> chooseDestination(const std::string& initialPath,
                                                 const std::string&) override {
        if (problem.empty()) problem = whyNoName(initialPath);
        return std::nullopt;
    }
    void showMessage(const std::string& text) override { problem = text; }
    std::string problem;

  private:
    std::string whyNoName(const std::string& path) const {
        std::error_code ec;
        for (const std::string& source : spec.paths)
            if (std::filesystem::equivalent(path, source, ec))
                return "no destination name: with no settings in the name it would be the "
                       "source itself";
        if (!withIndex) return "no free destination name: " + path + " exists already";
        return "no free destination name: the names with the indices 2 to 9 exist already "
               "(next would be " +
               path + ")";
    }
    const SourceSpec& spec;
    const bool withIndex;
};

struct FileOutcome {
    enum Kind { Done, Aborted, Failed } kind = Failed;
    std::string message;
    std::vector<std::string> results;
    std::uint64_t frames = 0;
    FileType format = UnknownType;
};

void removeFiles(const std::vector<std::string>& paths) {
    for (const std::string& p : paths)
        ::unlink(p.c_str());
}

std::string joined(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& p : paths)
        text += (text.empty() ? "" : ", ") + p;
    return text;
}

FileOutcome processOne(const ProcessRequest& r, const SourceSpec& spec, ProcessStatus::Slot& slot,
                       std::mutex& namingLock) {
    NoDialogs dialogs(spec, r.naming.includeIndex);
    std::vector<std::string> partial;
    try {
        CAudioFileCache cache(openSource(spec), 10, 65536);
        const FileType type = openedFileType(*cache.file, spec.paths[0]);
        const RowSource source{&cache, spec.paths, spec.split, static_cast<std::int32_t>(type)};
        RowResult result = processRow(r.processing.row, source, r.naming, *r.processing.quality,
                                      dialogs, &slot, RowHooks{&slot, &namingLock}, &partial);
        if (result.failure) std::rethrow_exception(result.failure);
        if (!result.destination && result.aborted)
            return {FileOutcome::Aborted, "stopped before the first frame; no file was kept", {}};
        if (!result.destination) return {FileOutcome::Failed, dialogs.problem, {}};
        const std::uint64_t count = result.destination->getFrames();
        const std::string frames = std::to_string(count) + " frames";
        if (result.aborted)
            return {FileOutcome::Aborted,
                    "stopped; " + joined(result.destinationPaths) + " holds the first " + frames,
                    result.destinationPaths, count, result.type};
        return {FileOutcome::Done, "-> " + joined(result.destinationPaths) + " (" + frames + ")",
                result.destinationPaths, count, result.type};
    } catch (const std::exception& e) {
        removeFiles(partial); // a file that failed half way is no result
        return {FileOutcome::Failed, dialogs.problem.empty() ? e.what() : dialogs.problem, {}};
    }
}

ProcessReport reportOf(const ProcessRequest& r, const SourceSpec& spec, const FileOutcome& outcome,
                       double seconds) {
    ProcessReport report;
    report.status = outcome.kind == FileOutcome::Done      ? ProcessReport::Done
                    : outcome.kind == FileOutcome::Aborted ? ProcessReport::Stopped
                                                           : ProcessReport::Failed;
    report.sources = spec.paths;
    report.results = outcome.results;
    report.frames = outcome.frames;
    report.format = outcome.format;
    report.seconds = seconds;
    if (outcome.kind == FileOutcome::Failed) report.error = outcome.message;
    report.settings = &r.processing.row;
    report.quality = *r.processing.quality;
    report.markpoints = r.processing.markpoints;
    return report;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int runAll(const ProcessRequest& r, Streams io) {
    ProcessStatus status(io.err, io.errIsTerminal, r.sources.size());
    std::mutex namingLock;
    std::mutex outputLock;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    auto worker = [&] {
        for (std::size_t i; (i = next++) < r.sources.size();) {
            if (interrupted()) return;
            ProcessStatus::Slot& slot = status.begin(i, r.sources[i].paths[0]);
            const auto start = std::chrono::steady_clock::now();
            const FileOutcome outcome = processOne(r, r.sources[i], slot, namingLock);
            if (r.json) {
                const std::string line =
                    processReportJson(reportOf(r, r.sources[i], outcome, secondsSince(start)));
                std::lock_guard lock(outputLock);
                io.out << line << '\n' << std::flush;
            }
            if (outcome.kind == FileOutcome::Failed) failed = true;
            if (outcome.kind == FileOutcome::Failed)
                status.end(i, describeFailure(r.sources[i].paths[0], outcome.message));
            else
                status.end(i, r.sources[i].paths[0] + " " + outcome.message);
        }
    };
    const unsigned threads = std::min<unsigned>(r.jobs, static_cast<unsigned>(r.sources.size()));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back(worker);
    worker();
    for (auto& t : pool)
        t.join();
    if (interrupted()) return interruptedExitCode;
    return failed ? 1 : 0;
}

} // namespace

int runProcess(Arguments& args, Streams io) {
    if (!args.done() && (args.peek() == "--help" || args.peek() == "-h")) {
        io.out << processHelp;
        return 0;
    }
    ProcessRequest request = parseProcess(args);
    applyDefaults(request, io.err);
    try {
        loadMarkpoints(request.processing, io.err);
    } catch (const std::exception& e) {
        io.err << describeFailure(request.processing.markpoints, e.what()) << '\n';
        return 1;
    }
    checkLimits(request);
    return runAll(request, io);
}

} // namespace Cli
