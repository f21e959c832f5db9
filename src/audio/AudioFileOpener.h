#pragma once
// Opening a source file the way the batch list does: the type from the extension, the header
// checks, the frame count and the sample rate range.
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioFile.h"
#include "audio/FileFormats.h"

namespace Audio {

// The extension after the last '.', or empty.
std::string extensionOf(const std::string& path);

// Opens a source for reading by the format its extension names; refuses unknown types, files
// without frames and sample rates outside 8000..96000 Hz with the batch list's texts.
std::unique_ptr<CAudioFile> openSourceFile(const std::string& path);

// The file name after the last '/'.
std::string fileNameOf(const std::string& path);

} // namespace Audio

namespace Audio {

// What the split-set checks compare of a member.
struct SplitMemberInfo {
    AudioFormat format{};
    u64 frames = 0;
    FileType type = UnknownType;

    static SplitMemberInfo of(const CAudioFile& file, FileType type);
};

// Why a member does not fit a set whose first member is `first`; empty when it fits. The checks
// run in a fixed order: one channel, the first member's type, rate, sample size and length, and
// no file chosen twice. The first member is checked against itself.
std::string splitMemberProblem(const SplitMemberInfo& first, const SplitMemberInfo& member,
                               bool alreadyChosen);

// Whether two names name one file ("L.wav" and "./L.wav", a link and its target); names that
// cannot be examined are compared as text.
bool sameFile(const std::string& a, const std::string& b);

// Opens a split set of mono files (2, 6, 7 or 8 members, channel order as given) as one
// multichannel source, with the batch list's checks and texts: mono members of one format,
// one sample rate, one sample size and one length, no file twice.
std::unique_ptr<CAudioFile> openSplitSource(const std::vector<std::string>& paths);

} // namespace Audio
