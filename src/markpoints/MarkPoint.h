#pragma once
// One mark point of a curve, and the ids that name curves and line styles.
#include <cstdint>

namespace MarkPoints {

inline constexpr std::uint32_t SCALE_TIME = 1;
inline constexpr std::uint32_t SCALE_PITCH = 2;
inline constexpr std::uint32_t SCALE_FORMANT = 3;

// Line style bits. A point's style governs the segment that ends at that point.
inline constexpr std::uint32_t LINEAR = 1;
inline constexpr std::uint32_t SQUARE = 2;
inline constexpr std::uint32_t KEEP = 4;

inline constexpr bool isValidScaleId(std::uint32_t scaleId) {
    return scaleId >= SCALE_TIME && scaleId <= SCALE_FORMANT;
}

// A factor pinned to a frame position of the source file. Copied by value everywhere.
struct CMarkPoint {
    std::int32_t framePosition = 0;
    float value = 0.0f;
    std::uint32_t lineStyle = 0;
    std::uint8_t selected = 0;

    bool operator==(const CMarkPoint&) const = default;
};

} // namespace MarkPoints
