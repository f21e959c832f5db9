#include "app/WaveOverview.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/MemoryAudioFile.h"

namespace App {

using namespace Audio;

float overviewLevel(const float* samples, std::size_t count) {
    if (count == 0) return 0.0f;
    const auto [low, high] = std::minmax_element(samples, samples + count);
    return (std::fabs(*low) + std::fabs(*high)) * 0.5f;
}

namespace {

struct Scan {
    u32 channels;
    std::vector<std::vector<float>> source, levels;
    std::vector<float*> sourcePtrs, levelPtrs;

    explicit Scan(u32 channelCount) : channels(channelCount) {
        source.assign(channels, std::vector<float>(kRowCacheBlockFrames));
        levels.assign(channels, std::vector<float>(kOverviewStep));
        for (u32 c = 0; c < channels; ++c) {
            sourcePtrs.push_back(source[c].data());
            levelPtrs.push_back(levels[c].data());
        }
    }

    // Levels of one step of source frames; the step starts on a level boundary.
    u32 step(CAudioFileCache& cache, u64 first, u64 frames) {
        u32 written = 0;
        for (u64 done = 0; done < frames;) {
            const auto chunk = static_cast<u32>(std::min<u64>(kRowCacheBlockFrames, frames - done));
            u32 got = 0;
            tools::read(sourcePtrs.data(), 0, &cache, channels, first + done, chunk, &got);
            if (got == 0) break;
            for (u32 at = 0; at < got; at += kOverviewFramesPerLevel, ++written)
                for (u32 c = 0; c < channels; ++c)
                    levels[c][written] = overviewLevel(
                        source[c].data() + at, std::min<u32>(kOverviewFramesPerLevel, got - at));
            done += got;
        }
        return written;
    }
};

struct Building {
    CFileRow& row;
    CAudioFileCache::User user;
    bool counted;
    Building(CFileRow& r, bool count) : row(r), user(r.getCache()), counted(count) {
        if (counted) ++row.overviewBuilding;
    }
    ~Building() {
        if (counted) --row.overviewBuilding;
    }
};

} // namespace

std::unique_ptr<CAudioFileCache>
buildOverview(CFileRow& row, const std::function<bool(int)>& progress, bool background) {
    Building building(row, !background);
    std::unique_ptr<CAudioFile> overview(createMemoryAudioFile(row.format(), row.isSplit()));
    overview->open(Write, &row.format());
    const u64 frames = row.frames();
    const u64 stepFrames = u64{kOverviewStep} * kOverviewFramesPerLevel;
    Scan scan(row.format().channels);
    for (u64 first = 0; first < frames; first += stepFrames) {
        const u32 levels = scan.step(row.getCache(), first, std::min(stepFrames, frames - first));
        if (levels == 0) break;
        u32 written = 0;
        overview->write(scan.levelPtrs.data(), levels, &written);
        const u64 scanned = std::min(frames, first + stepFrames);
        if (progress && !progress(static_cast<int>(scanned * 100 / frames))) return nullptr;
    }
    overview->close();
    {
        // The source stays closed while the row is idle.
        std::lock_guard lock(row.getCache().tableMutex());
        if (row.getCache().file->isOpen()) row.getCache().file->close();
    }
    return makeRowCache(std::move(overview));
}

CAudioFileCache* ensureOverview(CFileRow& row, const std::function<bool(int)>& progress) {
    CAudioFileCache& source = row.getCache();
    source.refresh();
    if (!row.getOverview() || row.isOverviewStale()) {
        const FileDate date = source.getDate();
        row.setOverview(buildOverview(row, progress), date);
        return row.getOverview();
    }
    // The source stays closed while the row is idle.
    std::lock_guard lock(source.tableMutex());
    if (source.file->isOpen() && source.getUsers() == 0) source.file->close();
    return row.getOverview();
}

} // namespace App
