#pragma once
// What a row of the batch list draws of its source beside its controls: the outline of the
// waveform, taken from the row's overview, and the processed length against the source's.
#include <optional>
#include <string>
#include <vector>

#include "app/FileRow.h"

namespace App {

// Columns of an outline the rows keep: enough for a wide window.
inline constexpr std::size_t kOutlineColumns = 2048;

// The overview's levels in `columns` equal spans of the file, each the highest level of its span
// over every channel. An overview shorter than `columns` repeats its levels; an empty one (or no
// columns) gives none.
std::vector<float> waveformOutline(Audio::CAudioFileCache& overview, std::size_t columns);

// The outline fitted to `width` pixels: each pixel the highest of the columns it covers.
std::vector<float> fitOutline(const std::vector<float>& outline, std::size_t width);

// The source's and the result's lengths as parts of the drawing's width: the longer one takes
// all of it.
struct LengthScale {
    double sourceWidth = 1.0;
    double resultWidth = 1.0;
    // The result's duration as the information line writes it ("4:30 min").
    std::string resultLength;
};

// Nothing when the result is as long as the source, or when its length is not one number
// (mark point curves) or not known yet (a time value that gives no factor).
std::optional<LengthScale> lengthScaleOf(const CFileRow& row);

} // namespace App
