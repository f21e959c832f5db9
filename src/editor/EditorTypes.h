#pragma once
// The small value types the editor document and its view exchange.
#include <array>
#include <cstdint>

#include "markpoints/MarkPoint.h"
#include "markpoints/MarkPointArray.h"
#include "markpoints/MarkPointMovingArray.h"

namespace Editor {

// The time, pitch and formant curves, in that order.
using Curves = std::array<MarkPoints::CMarkPointArray, 3>;

// Modifier bits of a mouse event; a double click adds kDoubleClick.
inline constexpr std::uint32_t kShift = 1;
inline constexpr std::uint32_t kCtrl = 2;
inline constexpr std::uint32_t kAlt = 4;
inline constexpr std::uint32_t kMeta = 8;
inline constexpr std::uint32_t kDoubleClick = 32;

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

// A right press turns into a rubber band once the mouse is this far away in x or y.
inline constexpr int kRubberBandDistance = 40;

enum class EditState {
    Idle = 0,
    AddOnRelease = 1,
    FineTune = 2,
    RubberReplace = 3,
    RubberAdd = 4,
    RubberRemove = 5,
    Drag = 6,
    MenuPending = 10,
    KeyboardMove = 11,
};

struct PixelPoint {
    int x = 0;
    int y = 0;
};

// A drawn point: its 5 × 5 marker from (x − 2, y − 2) to (x + 3, y + 3).
struct Marker {
    MarkPoints::CMarkPoint point;
    MarkPoints::CPixelRect rect;
};

// One drawn piece of a curve, in view pixels: a straight line from (x0, y0) to (x1, y1).
struct CurveLine {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;

    bool operator==(const CurveLine&) const = default;
};

// What the view must do after a button release.
struct ReleaseOutcome {
    bool openContextMenu = false;
    PixelPoint at;
};

} // namespace Editor
