#pragma once
// Opening sources into the batch list: chosen files, dropped files and split sets, with every
// check and message the list gives on the way.
#include <optional>
#include <string>
#include <vector>

#include "app/BatchList.h"
#include "audio/AudioFileOpener.h"

namespace App {

inline constexpr const char* kOpenTitle = "Add to batch list...";
inline constexpr const char* kCouldNotOpen =
    "I could not open this file.  Perhaps it is already open in another program or in a format "
    "Stretchwerk does not recognize.";

// The path to open for a name chosen in the open dialog (Audio::openDialogFilter) with the
// format of the filter entry it had selected (null: all audio files): a name without
// extension gets that format's; with all audio files, the first of every format's
// extensions that names an existing file (".wav" first, then ".aif").
std::string resolveChosenName(const std::string& path, const Audio::FileFormat* filter);

// The text a failure shows: the exception's own, or `fallback` when it has none.
std::string failureText(const std::exception_ptr& failure, const std::string& fallback);

// One row per chosen file; each failure is shown and the other files still open.
std::vector<CFileRow*> openChosenFiles(BatchList& list, const std::vector<std::string>& paths,
                                       const Audio::FileFormat* filter, ListUi& ui);
// Dropped files: only names of a known format (any case); other files are skipped silently. A
// dropped folder gives the audio files directly in it, by name; what else it holds (other files,
// folders inside it, but no hidden names) is named in one message for all dropped folders.
std::vector<CFileRow*> openDroppedFiles(BatchList& list, const std::vector<std::string>& paths,
                                        ListUi& ui);

// A dropped folder's entries, sorted by name: the audio files to open and the names of the
// rest (a folder's name ends in '/'). Nothing when it cannot be read.
struct DroppedFolder {
    std::vector<std::string> audioFiles;
    std::vector<std::string> others;
};
DroppedFolder readDroppedFolder(const std::string& folder);

// The message naming what dropped folders held besides audio files: at most `kNamedAtMost`
// names, then how many more.
inline constexpr std::size_t kNamedAtMost = 12;
std::string notAddedMessage(const std::vector<std::string>& names);

// Split sets by their member count.
enum class SplitKind { Stereo = 2, Surround51 = 6, Surround61 = 7, Surround71 = 8 };

// The open dialog titles of the members, in channel order.
std::vector<std::string> splitMemberTitles(SplitKind kind);

// Opens a member to learn its format and length, then closes it. Throws std::runtime_error with
// the split dialog's texts.
Audio::SplitMemberInfo probeSplitMember(const std::string& path);

// Asks for the members one by one; a member that fails a check is asked for again; a cancelled
// dialog ends the command with nothing opened. The new row, or null.
CFileRow* openSplitSet(BatchList& list, SplitKind kind, ListUi& ui);

// A split set from its members' paths, as Open Recent has them: every check the member dialogs
// make, the first failure shown with the member's path. The new row, or null.
CFileRow* openSplitFiles(BatchList& list, const std::vector<std::string>& paths, ListUi& ui);

} // namespace App
