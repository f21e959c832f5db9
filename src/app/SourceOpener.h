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

// The open dialogs' filter as pairs of a description and its patterns, every name the opener
// takes ("All Audiofiles|*.wav;*.aif;*.aiff|Wave Files|*.wav|AIFF Files|*.aif;*.aiff||"), in the
// order of OpenFilter. With `only`, the entry of that type alone (a split set's later members).
// The patterns are lower case; the names they stand for match in any case.
std::string audioOpenFilter(std::optional<Audio::FileType> only = std::nullopt);
inline constexpr const char* kCouldNotOpen =
    "I could not open this file.  Perhaps it is already open in another program or in a format "
    "Stretchwerk does not recognize.";

// The filter entry the open dialog had selected.
enum class OpenFilter { AllAudio = 0, Wave = 1, Aiff = 2 };

// The path to open for a name chosen in the dialog: a name without extension gets ".wav" or
// ".aif" by the filter; with all audio files, whichever of the two exists (".wav" first).
std::string resolveChosenName(const std::string& path, OpenFilter filter);

// The text a failure shows: the exception's own, or `fallback` when it has none.
std::string failureText(const std::exception_ptr& failure, const std::string& fallback);

// One row per chosen file; each failure is shown and the other files still open.
std::vector<CFileRow*> openChosenFiles(BatchList& list, const std::vector<std::string>& paths,
                                       OpenFilter filter, ListUi& ui);
// Dropped files: only .wav, .aif and .aiff names (any case); others are skipped silently.
std::vector<CFileRow*> openDroppedFiles(BatchList& list, const std::vector<std::string>& paths,
                                        ListUi& ui);

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

} // namespace App
