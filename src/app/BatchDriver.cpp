#include "app/BatchDriver.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>
#include <sys/stat.h>

#include "app/SourceOpener.h"
#include "audio/StagedOutputPath.h"

namespace App {

using namespace Audio;

std::string processingTitle(const std::string& path) {
    return "Processing \"" + fileNameOf(path) + "\" ...";
}

std::string copyingTitle(const std::string& path) {
    return "Copying \"" + fileNameOf(path) + "\" ...";
}

std::optional<std::string> copyExtensionProblem(const std::string& path, FileType type) {
    if (fileNameOf(path).find('.') == std::string::npos) return std::string();
    const FileFormat* wanted = formatOf(type);
    if (!wanted || formatOfPath(path) == wanted) return std::nullopt;
    return "you typed in an invalid file extension! please change it to \"." +
           std::string(wanted->writtenExtension) + "\"";
}

std::string copyInitialName(const MemberName& member) {
    const auto dot = member.name.rfind('.');
    const std::string name =
        (dot == std::string::npos ? member.name : member.name.substr(0, dot)) + " copy";
    return member.directory.empty() ? name : member.directory + "/" + name;
}

std::int64_t copyRemainingSeconds(std::int64_t elapsedMs, int permille) {
    if (permille <= 0) return 0;
    return (elapsedMs * 1000 / permille - elapsedMs) / 1000;
}

// Lets the batch reach the job that runs: the progress window's stop and cancelBatch abort it.
class BatchDriver::JobWatch : public Process::RowObserver {
  public:
    JobWatch(BatchDriver& owner, Process::BatchProgress& window)
        : driver(owner), progress(window) {}
    void jobStarted(Process::CKALO2FileProcess& job) override {
        progress.setJob(&job);
        std::lock_guard lock(driver.jobLock);
        driver.currentJob = &job;
        if (driver.cancelled) job.requestAbort();
    }
    void jobEnded() override {
        progress.setJob(nullptr);
        std::lock_guard lock(driver.jobLock);
        driver.currentJob = nullptr;
    }

  private:
    BatchDriver& driver;
    Process::BatchProgress& progress;
};

void BatchDriver::cancelBatch() {
    cancelled = true;
    std::lock_guard lock(jobLock);
    if (currentJob) currentJob->requestAbort();
}

RowOutcome BatchDriver::processOneRow(CFileRow& row, const Process::RowSettings& rowSettings,
                                      const JobSettings& settings, BatchUi& ui) {
    struct BusyMark {
        CFileRow& row;
        ~BusyMark() { row.busy = false; }
    } busy{row};
    row.busy = true;
    const std::unique_ptr<ProgressWindow> window =
        ui.openProgress(processingTitle(row.getMembers()[0].path));
    Process::BatchProgress progress(*window);
    JobWatch watch(*this, progress);
    Process::RowResult result;
    try {
        Process::RowSettings job = rowSettings;
        job.exactPitch = settings.exactPitch;
        result = Process::processRow(job, row.source(), settings.naming, settings.quality, ui,
                                     &progress, {&watch, nullptr}, nullptr);
    } catch (...) {
        window->finish();
        ui.showMessage(failureText(std::current_exception(), kCannotProcess));
        return {};
    }
    window->finish();
    if (result.failure) {
        std::string text = failureText(result.failure, kCannotProcess);
        if (!result.closeFailure.empty()) text += "\n" + result.closeFailure;
        ui.showMessage(text);
    }
    RowOutcome outcome;
    // Stopped before it wrote a frame: nothing to add, the next row still comes.
    outcome.stopsBatch = !(result.aborted && !result.failure);
    outcome.destination = std::move(result.destination);
    outcome.destinationPaths = std::move(result.destinationPaths);
    outcome.type = result.type;
    return outcome;
}

std::vector<CFileRow*> BatchDriver::processSelected(BatchList& list, const JobSettings& settings,
                                                    BatchUi& ui) {
    if (running.exchange(true)) return {};
    cancelled = false;
    ui.stopPlayback();
    std::vector<CFileRow*> chosen;
    ui.onListThread([&] { chosen = list.selectedRows(); });
    std::vector<CFileRow*> added;
    for (CFileRow* row : chosen) {
        if (cancelled) break;
        // A row the user removed meanwhile is skipped; a busy row cannot be removed. The job
        // takes the row's settings and curves as they are now: a wave editor may go on
        // editing them while it runs.
        std::optional<Process::RowSettings> taken;
        std::string problem;
        ui.onListThread([&] {
            if (!list.indexOf(*row).has_value() || row->busy) return;
            try {
                taken = row->settings();
                row->busy = true;
            } catch (...) {
                problem = failureText(std::current_exception(), kCannotProcess);
            }
        });
        if (!problem.empty()) {
            ui.showMessage(problem);
            break;
        }
        if (!taken) continue;
        RowOutcome outcome = processOneRow(*row, *taken, settings, ui);
        if (!outcome.destination) {
            if (outcome.stopsBatch) break;
            continue;
        }
        const bool split = row->isSplit();
        ui.onListThread([&] {
            try {
                CFileRow& made = list.addRow(makeRowCache(std::move(outcome.destination)),
                                             outcome.destinationPaths, split, outcome.type);
                made.created = true;
                added.push_back(&made);
            } catch (const std::exception& e) {
                ui.showMessage(e.what());
            }
        });
    }
    ui.onListThread([&] {
        if (!added.empty())
            if (const auto index = list.indexOf(*added.back())) list.selectOnly(*index);
    });
    running = false;
    return added;
}

namespace {

constexpr u32 kCopyFrames = 1024;

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Copies one member file; false when the user stopped it (nothing is left behind then). An
// existing file is replaced only when `replace` says the dialog asked about it.
bool copyMember(const MemberName& member, FileType type, const CopyTarget& target, bool replace,
                BatchUi& ui) {
    const std::unique_ptr<ProgressWindow> window = ui.openProgress(copyingTitle(member.path));
    struct Finish {
        ProgressWindow& w;
        ~Finish() { w.finish(); }
    } finish{*window};
    auto reader = createAudioFile(member.path, type);
    reader->open(Read, nullptr);
    AudioFormat format = reader->format;
    format.bitsPerSample = formatOf(target.type)->writtenBits(format.bitsPerSample);
    format.bytesPerFrame = bytesPerSample(format.bitsPerSample) * format.channels;
    const u64 bytes = reader->getFrames() * format.bytesPerFrame;
    checkResultSize(target.type, bytes);
    StagedOutputPath staged(target.path);
    auto writer = createAudioFile(staged.temporary(), target.type, bytes);
    writer->open(Write, &format);
    std::vector<std::vector<float>> buffers(reader->format.channels,
                                            std::vector<float>(kCopyFrames));
    std::vector<float*> channels;
    channels.reserve(buffers.size());
    for (auto& b : buffers)
        channels.push_back(b.data());
    const u64 frames = reader->getFrames();
    const std::int64_t start = nowMs();
    for (u64 position = 0; position < frames;) {
        const int permille = static_cast<int>(static_cast<double>(position) / frames * 1000.0);
        if (!window->update(permille, copyRemainingSeconds(nowMs() - start, permille)))
            return false;
        reader->seek(position);
        u32 got = 0, put = 0;
        reader->read(channels.data(), kCopyFrames, &got);
        if (got == 0) break;
        writer->write(channels.data(), got, &put);
        if (put == 0) break;
        position += put;
    }
    writer->close();
    reader->close();
    staged.commit(replace);
    return true;
}

} // namespace

bool BatchDriver::saveCopy(CFileRow& row, BatchUi& ui) {
    for (const MemberName& member : row.getMembers()) {
        const std::optional<CopyTarget> target = ui.chooseCopyTarget(copyInitialName(member));
        if (!target) return false;
        // The dialog asked before replacing a file that was there; one that another run makes
        // while the copy is written is left alone.
        struct stat st {};
        const bool replace = ::lstat(target->path.c_str(), &st) == 0;
        try {
            if (!copyMember(member, row.getFileType(), *target, replace, ui)) return true;
        } catch (...) {
            ui.showMessage(
                failureText(std::current_exception(),
                            "cannot copy \"" + member.path + "\" to \"" + target->path + "\"!"));
            return true;
        }
    }
    return true;
}

void BatchDriver::saveCopies(BatchList& list, BatchUi& ui) {
    std::vector<CFileRow*> chosen;
    ui.onListThread([&] {
        for (CFileRow* row : list.selectedRows())
            if (!row->busy) {
                row->busy = true;
                chosen.push_back(row);
            }
    });
    bool going = true;
    for (CFileRow* row : chosen) {
        // Marked busy above, so the row is still there.
        if (going) going = saveCopy(*row, ui);
        row->busy = false;
    }
}

} // namespace App
