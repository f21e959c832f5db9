#pragma once
// What processing and copying need from the windows. Called on the thread that runs the batch;
// an implementation that runs the batch on a worker answers from the user-interface thread.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "audio/FileFormats.h"
#include "process/KALODestinationFileBuilder.h"
#include "process/ProcessingProgress.h"

namespace App {

// The progress window of one file.
class ProgressWindow : public Process::BatchProgress::Window {
  public:
    // Called when the file is done; the window goes away.
    virtual void finish() {}
};

// A name chosen in the save-a-copy dialog and the format of the filter entry it was chosen
// with (Audio::saveFilterFormat).
struct CopyTarget {
    std::string path;
    Audio::FileType type = Audio::WavType;
};

class BatchUi : public Process::DestinationDialogs {
  public:
    virtual void stopPlayback() = 0;
    virtual std::unique_ptr<ProgressWindow> openProgress(const std::string& title) = 0;
    // The save-a-copy dialog, offering `initialName`; nothing when cancelled. The dialog checks
    // the name with copyExtensionProblem before it closes.
    virtual std::optional<CopyTarget> chooseCopyTarget(const std::string& initialName) = 0;
    // Runs `change` where the list may be changed (the user-interface thread) and returns when
    // it is done.
    virtual void onListThread(const std::function<void()>& change) { change(); }
};

} // namespace App
