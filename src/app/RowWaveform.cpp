#include "app/RowWaveform.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace App {

using namespace Audio;

namespace {

// The highest level over the channels of every overview frame.
std::vector<float> framePeaks(CAudioFileCache& overview) {
    const u32 channels = overview.file->format.channels;
    const u64 frames = overview.file->getFrames();
    std::vector<float> peaks;
    peaks.reserve(static_cast<std::size_t>(frames));
    std::vector<std::vector<float>> buffers(channels, std::vector<float>(kRowCacheBlockFrames));
    std::vector<float*> pointers;
    pointers.reserve(buffers.size());
    for (auto& b : buffers)
        pointers.push_back(b.data());
    while (peaks.size() < frames) {
        const u64 first = peaks.size();
        const auto chunk = static_cast<u32>(std::min<u64>(kRowCacheBlockFrames, frames - first));
        u32 got = 0;
        tools::read(pointers.data(), 0, &overview, channels, first, chunk, &got);
        if (got == 0) break;
        for (u32 i = 0; i < got; ++i) {
            float peak = 0.0f;
            for (u32 c = 0; c < channels; ++c)
                peak = std::max(peak, std::fabs(buffers[c][i]));
            peaks.push_back(peak);
        }
    }
    return peaks;
}

} // namespace

std::vector<float> waveformOutline(CAudioFileCache& overview, std::size_t columns) {
    return fitOutline(framePeaks(overview), columns);
}

std::vector<float> fitOutline(const std::vector<float>& outline, std::size_t width) {
    const std::size_t n = outline.size();
    if (n == 0 || width == 0) return {};
    std::vector<float> fitted(width);
    for (std::size_t x = 0; x < width; ++x) {
        const std::size_t first = x * n / width;
        const std::size_t end = std::max(first + 1, (x + 1) * n / width);
        fitted[x] = *std::max_element(outline.begin() + static_cast<std::ptrdiff_t>(first),
                                      outline.begin() + static_cast<std::ptrdiff_t>(end));
    }
    return fitted;
}

std::optional<LengthScale> lengthScaleOf(const CFileRow& row) {
    const Process::RowSettings s = row.settings();
    if (s.useMarkPoints) return std::nullopt;
    double factor = 2.0;
    if (!s.doubleLength) {
        try {
            factor =
                Process::timeFactorOf(s.timeValue, s.timeUnit, row.durationSeconds(), s.sourceBpm);
        } catch (const std::invalid_argument&) {
            return std::nullopt;
        }
    }
    // Less than a thousandth: the same length to the eye and in the information line.
    if (std::fabs(factor - 1.0) < 1e-3) return std::nullopt;
    LengthScale scale;
    scale.sourceWidth = std::min(1.0, 1.0 / factor);
    scale.resultWidth = std::min(1.0, factor);
    const double resultFrames = static_cast<double>(row.frames()) * factor;
    scale.resultLength = durationOf(static_cast<u64>(resultFrames), row.format().sampleRate);
    return scale;
}

} // namespace App
