#pragma once
// The frames that play and preview use: from the first to the last selected point of the
// three curves, or the whole file when no point is selected.
#include <array>
#include <cstdint>

#include "editor/markpoints/MarkPointArray.h"

namespace Editor {

struct FrameRange {
    std::int64_t start = 0;
    std::int64_t end = 0; // exclusive

    bool operator==(const FrameRange&) const = default;
};

// A single selected point (or several on one frame) plays from there to the end of the file;
// the range never reaches past `fileLength`.
FrameRange selectionRange(const std::array<MarkPoints::CMarkPointArray, 3>& curves,
                          std::int64_t fileLength);

} // namespace Editor
