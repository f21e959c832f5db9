#include "editor/SelectionRange.h"

#include <algorithm>
#include <limits>

namespace Editor {

std::optional<FrameRange> selectionRange(const std::array<MarkPoints::CMarkPointArray, 3>& curves,
                                         std::int64_t fileLength) {
    std::int64_t first = std::numeric_limits<std::int64_t>::max();
    std::int64_t last = -1;
    for (const auto& curve : curves)
        for (const MarkPoints::CMarkPoint& p : curve)
            if (p.selected) {
                first = std::min<std::int64_t>(first, p.framePosition);
                last = std::max<std::int64_t>(last, p.framePosition);
            }
    if (last < 0 || first >= fileLength) return std::nullopt;
    if (last == first) return FrameRange{first, fileLength};
    return FrameRange{first, std::min(last, fileLength)};
}

} // namespace Editor
