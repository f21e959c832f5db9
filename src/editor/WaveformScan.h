#pragma once
// The waveform under the editor's curves: per channel the smallest and the largest sample of
// every pixel column of the view, scanned from the file's cache or from the row's overview,
// and the pixel spans those columns are drawn with.
#include <atomic>
#include <cstdint>
#include <vector>

#include "audio/AudioFileCache.h"

namespace Editor {

// The horizontal view: column k covers the frames from firstFrame + trunc(k × framesPerPixel)
// to firstFrame + trunc((k + 1) × framesPerPixel).
struct WaveformView {
    std::int64_t firstFrame = 0;
    double framesPerPixel = 1.0;
    int width = 0;

    bool operator==(const WaveformView&) const = default;
};

// The overview a row keeps: one level per channel for every `framesPerLevel` source frames,
// (|min| + |max|) / 2 of those frames.
struct WaveformOverview {
    Audio::CAudioFileCache* cache = nullptr;
    std::uint32_t framesPerLevel = 128;
};

struct WaveformColumns {
    // [channel][column]; only the columns that hold frames of the file (the view may reach
    // past its end).
    std::vector<std::vector<float>> minimum;
    std::vector<std::vector<float>> maximum;
    bool fromOverview = false;
    // Read from the overview: how often framesPerPixel / framesPerLevel was halved until it
    // was at most 1.
    int overviewHalvings = 0;

    std::size_t columns() const { return minimum.empty() ? 0 : minimum[0].size(); }
};

// Scans the columns of the view. At one frame per pixel or less every column takes the sample
// at its first frame. From the overview's resolution on the overview is read instead of the
// file (when there is one), a column then reaching ±(its largest level). Every cache block is
// handed back, also when the scan stops early or throws. Returns false, with `out` partly
// filled, when `abort` was set; it is checked before every block.
bool scanWaveform(Audio::CAudioFileCache& source, const WaveformOverview& overview,
                  const WaveformView& view, const std::atomic<bool>& abort, WaveformColumns& out);

// A column as drawn, in pixels relative to its band's centre line (y grows downwards).
struct PixelSpan {
    int top = 0;
    int bottom = 0;

    bool operator==(const PixelSpan&) const = default;
};

// top = −trunc(halfHeight × maximum), bottom = −trunc(halfHeight × minimum); each span is then
// stretched to touch its (already joined) left neighbour, so that the waveform has no gaps.
std::vector<PixelSpan> joinSpans(const std::vector<float>& minimum,
                                 const std::vector<float>& maximum, double halfHeight);

} // namespace Editor
