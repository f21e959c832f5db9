#include "editor/WaveformScan.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace Editor {

using namespace Audio;

namespace {

// A cache block in use by the scan; handed back (under the cache's lock) when it goes.
class HeldBlock {
  public:
    HeldBlock(CAudioFileCache& c, u64 frame) : cache(c), block(c.find(frame)) {
        if (!block) block = c.load(frame);
    }
    ~HeldBlock() { cache.unuse(block); }
    HeldBlock(const HeldBlock&) = delete;
    HeldBlock& operator=(const HeldBlock&) = delete;

    u64 start() const { return block->startFrame; }
    u64 end() const { return u64{block->startFrame} + block->frameCount; }
    const float* channel(std::size_t c) const { return block->channels[c].data(); }

  private:
    CAudioFileCache& cache;
    CAudioFileCache::Block* block;
};

// Where the columns of a view start in the frames of the scanned cache: the source itself
// (divisor 1) or an overview (divisor: source frames per level).
struct ColumnGrid {
    WaveformView view;
    u64 divisor = 1;
    u64 length = 0; // frames of the scanned cache

    u64 start(std::size_t k) const {
        const auto offset = static_cast<u64>(static_cast<double>(k) * view.framesPerPixel);
        return std::min(length, (static_cast<u64>(view.firstFrame) + offset) / divisor);
    }
    u64 end(std::size_t k) const { return start(k + 1); }
};

// Columns whose first source frame lies inside the file.
std::size_t columnsInFile(const WaveformView& view, u64 fileFrames) {
    std::size_t k = 0;
    while (k < static_cast<std::size_t>(std::max(view.width, 0)) &&
           static_cast<u64>(view.firstFrame) +
                   static_cast<u64>(static_cast<double>(k) * view.framesPerPixel) <
               fileFrames)
        ++k;
    return k;
}

void resize(WaveformColumns& out, std::size_t channels, std::size_t columns) {
    out.minimum.assign(channels, std::vector<float>(columns, 0.0f));
    out.maximum.assign(channels, std::vector<float>(columns, 0.0f));
}

// One sample per column: the one at the column's first frame.
bool scanSamples(CAudioFileCache& cache, const ColumnGrid& grid, std::size_t columns,
                 const std::atomic<bool>& abort, WaveformColumns& out) {
    std::optional<HeldBlock> held;
    for (std::size_t k = 0; k < columns; ++k) {
        const u64 frame = grid.start(k);
        if (!held || frame < held->start() || frame >= held->end()) {
            held.reset();
            if (abort.load()) return false;
            held.emplace(cache, frame);
        }
        for (std::size_t c = 0; c < out.minimum.size(); ++c) {
            const float v = held->channel(c)[frame - held->start()];
            out.minimum[c][k] = v;
            out.maximum[c][k] = v;
        }
    }
    return true;
}

// Smallest and largest value per column, block after block; a column that runs past a block
// keeps its running values for the next one. `symmetric`: the values are levels, a column
// reaching from −(largest) to +(largest).
bool scanExtremes(CAudioFileCache& cache, const ColumnGrid& grid, std::size_t columns,
                  bool symmetric, const std::atomic<bool>& abort, WaveformColumns& out) {
    const std::size_t channels = out.minimum.size();
    std::vector<float> low(channels), high(channels);
    const auto restart = [&] {
        std::fill(low.begin(), low.end(), std::numeric_limits<float>::infinity());
        std::fill(high.begin(), high.end(), -std::numeric_limits<float>::infinity());
    };
    restart();
    std::size_t k = 0;
    u64 position = grid.start(0);
    u64 columnEnd = grid.end(0);
    while (k < columns) {
        if (abort.load()) return false;
        const HeldBlock held(cache, position);
        while (k < columns) {
            const u64 to = std::min(columnEnd, held.end());
            for (std::size_t c = 0; c < channels; ++c) {
                const float* first = held.channel(c) + (position - held.start());
                const float* last = held.channel(c) + (to - held.start());
                const auto [lo, hi] = std::minmax_element(first, last);
                if (lo != last) low[c] = std::min(low[c], *lo);
                if (hi != last) high[c] = std::max(high[c], *hi);
            }
            position = to;
            if (columnEnd > held.end()) break; // carried into the next block
            for (std::size_t c = 0; c < channels; ++c) {
                out.minimum[c][k] = symmetric ? -high[c] : low[c];
                out.maximum[c][k] = high[c];
            }
            restart();
            if (++k == columns) break;
            position = grid.start(k);
            columnEnd = grid.end(k);
            if (position >= held.end()) break;
        }
    }
    return true;
}

} // namespace

bool scanWaveform(CAudioFileCache& source, const WaveformOverview& overview,
                  const WaveformView& view, const std::atomic<bool>& abort, WaveformColumns& out) {
    out = WaveformColumns{};
    if (!(view.framesPerPixel > 0.0) || !std::isfinite(view.framesPerPixel) || view.firstFrame < 0)
        return true;
    const u64 fileFrames = source.file->getFrames();
    const std::size_t channels = source.file->format.channels;
    std::size_t columns = columnsInFile(view, fileFrames);
    const bool useOverview = overview.cache && overview.framesPerLevel > 0 &&
                             view.framesPerPixel >= overview.framesPerLevel &&
                             overview.cache->file->format.channels == channels;
    if (!useOverview) {
        resize(out, channels, columns);
        if (columns == 0) return true;
        const ColumnGrid grid{view, 1, fileFrames};
        if (view.framesPerPixel <= 1.0) return scanSamples(source, grid, columns, abort, out);
        return scanExtremes(source, grid, columns, false, abort, out);
    }
    out.fromOverview = true;
    for (double ratio = view.framesPerPixel / overview.framesPerLevel; ratio > 1.0; ratio *= 0.5)
        ++out.overviewHalvings;
    const ColumnGrid grid{view, overview.framesPerLevel, overview.cache->file->getFrames()};
    // An overview shorter than the file ends the waveform early.
    while (columns > 0 && grid.start(columns - 1) >= grid.length)
        --columns;
    resize(out, channels, columns);
    if (columns == 0) return true;
    return scanExtremes(*overview.cache, grid, columns, true, abort, out);
}

std::vector<PixelSpan> joinSpans(const std::vector<float>& minimum,
                                 const std::vector<float>& maximum, double halfHeight) {
    const std::size_t n = std::min(minimum.size(), maximum.size());
    std::vector<PixelSpan> spans(n);
    for (std::size_t k = 0; k < n; ++k) {
        PixelSpan& s = spans[k];
        s.top = -static_cast<int>(halfHeight * maximum[k]);
        s.bottom = -static_cast<int>(halfHeight * minimum[k]);
        if (k == 0) continue;
        const PixelSpan& left = spans[k - 1];
        if (s.bottom + 1 < left.top) s.bottom = left.top - 1;
        if (s.top - 1 > left.bottom) s.top = left.bottom + 1;
    }
    return spans;
}

} // namespace Editor
