#pragma once
// Opens the destination of one processed source: composes unique names, checks and reserves
// the disk space, and creates the writer (one file, or one mono file per channel of a split
// set).
#include <optional>
#include <string>
#include <vector>

#include "audio/AudioFile.h"
#include "process/NameBuilder.h"

namespace Process {

// What the builder asks of its user. The windows show dialogs; the command line answers
// without asking.
class DestinationDialogs {
  public:
    virtual ~DestinationDialogs() = default;
    // A save dialog with an initial path; nothing when the user cancels.
    virtual std::optional<std::string> chooseDestination(const std::string& initialPath,
                                                         const std::string& extension) = 0;
    virtual void showMessage(const std::string& text) = 0;
};

class CKALODestinationFileBuilder {
  public:
    Audio::AudioFormat format{};
    NameBuilder names;
    std::uint64_t expectedLength = 0;
    std::uint32_t memberCount = 1;
    std::vector<std::string> sourcePaths; // member 0 first
    bool split = false;
    std::int32_t fileType = 1; // of the result: an Audio::FileType
    std::vector<std::string> destinationPaths;

    explicit CKALODestinationFileBuilder(DestinationDialogs& asked) : dialogs(asked) {}
    virtual ~CKALODestinationFileBuilder() = default;
    CKALODestinationFileBuilder(const CKALODestinationFileBuilder&) = delete;
    CKALODestinationFileBuilder& operator=(const CKALODestinationFileBuilder&) = delete;

    // The opened writer, or null when naming was cancelled. Each destination name is claimed
    // by creating its file exclusively, so that two runs side by side (two processes, two
    // workers, the windows and the command line) never write one file; a name taken between
    // the look and the claim moves on to the next index. Whatever fails, the files this build
    // claimed are removed again.
    std::unique_ptr<Audio::CAudioFile> build();

    void CheckForSufficientDiskSpace(const std::string& path, std::uint64_t bytes);
    void CheckFileSpace_And_ReopenSaveDialog(std::size_t member, std::uint64_t bytes);
    std::unique_ptr<Audio::CAudioFile> PrepareOutputFiles();
    // The first free name of the source, claimed; the dialog's choice when indices 2 to 9
    // are taken. False (and out cleared) when the dialog was cancelled.
    bool makeUnique(const std::string& sourcePath, std::string* out);

    // What a written file of the type is named with ("wav", "aif", "flac").
    std::string extension() const;

  protected:
    // Free bytes for the caller on the volume of the path's folder.
    virtual std::uint64_t freeBytes(const std::string& path);
    virtual bool exists(const std::string& path);
    // Creates the file, empty; false when a file (or a link) of that name exists. A file that
    // cannot be made for another reason is left to the space check to report.
    virtual bool claim(const std::string& path);
    // Makes the opened, empty reservation file `bytes` long.
    virtual void writeReservation(Audio::CFile& file, std::uint64_t bytes);

  private:
    void reserve(const std::string& path, std::uint64_t bytes);
    // Takes a name the user chose in the dialog: one that exists the dialog has asked to
    // replace; a new one is claimed. False when another run claimed it meanwhile.
    bool takeChosen(const std::string& path);
    void own(const std::string& path);
    // Removes a file of this build that it gives up.
    void forget(const std::string& path);
    void removeClaimed();

    DestinationDialogs& dialogs;
    // Files this build created or reserved, not yet handed on: removed when it fails. A file
    // the user chose to replace stays untouched until its reservation.
    std::vector<std::string> claimed;
};

} // namespace Process
