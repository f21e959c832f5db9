#pragma once
// The frames of the selection that play and preview use: from the first to the last selected
// point of the three curves.
#include <array>
#include <cstdint>
#include <optional>

#include "editor/PreviewRange.h"
#include "markpoints/MarkPointArray.h"

namespace Editor {

// Nothing when no point is selected. A single selected point (or several on one frame) gives
// the range from there to the end of the file; the range never reaches past `fileLength`, and
// a selection that starts at or past it counts as none.
std::optional<FrameRange> selectionRange(const std::array<MarkPoints::CMarkPointArray, 3>& curves,
                                         std::int64_t fileLength);

} // namespace Editor
