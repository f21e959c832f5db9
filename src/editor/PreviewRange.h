#pragma once
// The part of the file a preview renders: the selection, or the whole file.
#include <cstdint>
#include <optional>

namespace Editor {

inline constexpr const char* kPreviewTooLong =
    "please select a range shorter than 60 minutes for the preview!\n";

struct FrameRange {
    std::int64_t start = 0;
    std::int64_t end = 0;

    std::int64_t length() const { return end - start; }
    bool operator==(const FrameRange&) const = default;
};

// The selection (cut to the file), or the whole file without one. A range of more than
// sampleRate × 3600 frames throws std::length_error with kPreviewTooLong.
FrameRange previewRange(const std::optional<FrameRange>& selection, std::int64_t fileLength,
                        std::uint32_t sampleRate);

} // namespace Editor
