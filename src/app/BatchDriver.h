#pragma once
// Processing the selected rows into new files, and saving copies of a row's files.
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/BatchList.h"
#include "app/BatchUi.h"
#include "app/JobSettings.h"

namespace App {

inline constexpr const char* kCannotProcess =
    "cannot process the audiodata! an unexpected error occured!";

// "Processing \"name\" ..." and "Copying \"name\" ...".
std::string processingTitle(const std::string& path);
std::string copyingTitle(const std::string& path);

// Whether the save-a-copy dialog (filter Audio::saveDialogFilter) may close with this name for
// the format of the chosen entry: nothing when its extension is one of the format's (any
// case); otherwise the message to show ("you typed in an invalid file extension! ..."), empty
// for a name without any "." (refused without a message).
std::optional<std::string> copyExtensionProblem(const std::string& path, Audio::FileType type);
// The dialog's initial name: the member's name without extension, plus " copy", in the member's
// own folder.
std::string copyInitialName(const MemberName& member);
// Remaining seconds of a copy after `elapsedMs` at `permille` of the frames.
std::int64_t copyRemainingSeconds(std::int64_t elapsedMs, int permille);

// What processing one row gave.
struct RowOutcome {
    // The new file (also an aborted one, and one that a failure left holding frames), or null.
    std::unique_ptr<Audio::CAudioFile> destination;
    std::vector<std::string> destinationPaths; // the destination's member paths
    Audio::FileType type = Audio::UnknownType;  // the destination's format
    // Without a destination: whether the batch ends here (naming cancelled, a failure) or goes
    // on (the file was stopped before it held a frame).
    bool stopsBatch = true;
};

// Runs on a thread of its own or on the list's. Everything of a row that the user may change
// while it runs (its parameters, its curves, the list itself) is read where the list lives,
// through BatchUi::onListThread; a busy row takes no new parameters meanwhile.
class BatchDriver {
  public:
    // Processes the selected rows in list order; each result becomes a new, created row; at the
    // end only the last one is selected. Does nothing while a batch runs. Returns the new rows.
    std::vector<CFileRow*> processSelected(BatchList& list, const JobSettings& settings,
                                           BatchUi& ui);
    // Saves a copy of each member of each selected row, in list order, to a file the user names
    // in one dialog per member; a cancelled dialog ends the command.
    void saveCopies(BatchList& list, BatchUi& ui);

    bool isRunning() const { return running; }
    // From any thread: aborts the running file (closed with what it holds) and skips the rest.
    void cancelBatch();

  private:
    class JobWatch;
    // One row into one new file, with the row's settings as they were when its turn came. A
    // failure is shown in one message; a job that ended before it wrote a frame leaves no file.
    RowOutcome processOneRow(CFileRow& row, const Process::RowSettings& rowSettings,
                             const JobSettings& settings, BatchUi& ui);
    // False when the user cancelled a dialog, which ends the command.
    bool saveCopy(CFileRow& row, BatchUi& ui);

    std::atomic<bool> running{false};
    std::atomic<bool> cancelled{false};
    std::mutex jobLock;
    Process::CKALO2FileProcess* currentJob = nullptr;
};

} // namespace App
