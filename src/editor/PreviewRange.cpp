#include "editor/PreviewRange.h"

#include <algorithm>
#include <stdexcept>

namespace Editor {

FrameRange previewRange(const std::optional<FrameRange>& selection, std::int64_t fileLength,
                        std::uint32_t sampleRate) {
    FrameRange range{0, std::max<std::int64_t>(fileLength, 0)};
    if (selection && selection->length() > 0) {
        range.start = std::clamp<std::int64_t>(selection->start, 0, range.end);
        range.end = std::clamp<std::int64_t>(selection->end, range.start, range.end);
    }
    if (range.length() > static_cast<std::int64_t>(sampleRate) * 3600)
        throw std::length_error(kPreviewTooLong);
    return range;
}

} // namespace Editor
