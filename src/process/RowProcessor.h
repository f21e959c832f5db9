#pragma once
// Processing one entry of the batch list into a new file: the factors from the entry's
// settings, the job, and the destination. The windows and the command line share it, so the
// same settings give the same file.
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/AudioFileCache.h"
#include "audio/FileFormats.h"
#include "markpoints/MarkPointArray.h"
#include "process/KALO2FileProcess.h"
#include "process/KALODestinationFileBuilder.h"
#include "process/RowSettings.h"

namespace Process {

struct NamingSettings {
    // The result's format as the user asked for it; UnknownType: by the source's
    // (Audio::resultTypeFor).
    Audio::FileType format = Audio::UnknownType;
    bool includePitch = true;
    bool includeTime = true;
    bool includeIndex = true;
    bool partsBeforeTitle = false;
    std::string targetDirectory;
};

struct RowSource {
    Audio::CAudioFileCache* cache = nullptr;
    std::vector<std::string> memberPaths; // member 0 first
    bool split = false;
    std::int32_t fileType = 1; // an Audio::FileType
};

struct RowResult {
    // The closed result; null when naming was cancelled, or when the job left no result.
    std::unique_ptr<Audio::CAudioFile> destination;
    std::vector<std::string> destinationPaths;
    Audio::FileType type = Audio::UnknownType; // the destination's format
    bool aborted = false;
    // What stopped the job half way; the destination is then closed with what it holds.
    std::exception_ptr failure;
    // What went wrong while closing it after that failure, if anything.
    std::string closeFailure;
};

// Hooks the caller can use while the job runs (for example to let Ctrl-C abort it).
class RowObserver {
  public:
    virtual ~RowObserver() = default;
    virtual void jobStarted(CKALO2FileProcess& job) = 0;
    virtual void jobEnded() = 0;
};

struct RowHooks {
    RowObserver* observer = nullptr;
    // Held while names are chosen and space is reserved, so that jobs running side by side
    // never pick the same name.
    std::mutex* namingLock = nullptr;
};

// Throws std::out_of_range with the text of rowBeyondLimits for a request beyond the engine's
// range, and std::length_error for a result larger than its format holds, before any file is
// made. Throws what the factors, the job's set-up or the builder throw; files the builder
// reserved are then removed. A failure while the job runs is returned in `failure` with the
// destination, closed with a valid header; its paths are in `partialPaths` as soon as it
// exists. A job that fails or is aborted before it wrote a frame, and one whose source was
// changed meanwhile (a failure too), leave no destination: its files are removed and the paths
// cleared.
RowResult processRow(const RowSettings& row, const RowSource& source, const NamingSettings& naming,
                     Engine::Quality quality, DestinationDialogs& dialogs,
                     ProcessingProgress* progress, const RowHooks& hooks,
                     std::vector<std::string>* partialPaths);

} // namespace Process
