#pragma once
// The waveform overview of a row: one level per channel for every 128 source frames, kept in
// a memory file that the wave editor draws from.
#include <functional>
#include <memory>

#include "app/FileRow.h"

namespace App {

inline constexpr Audio::u32 kOverviewFramesPerLevel = 128;
inline constexpr Audio::u32 kOverviewStep = 4096; // overview frames written at a time

// Level of frames [first, first + count) of one channel: (|min| + |max|) / 2.
float overviewLevel(const float* samples, std::size_t count);

// Scans the row's source through its cache. `progress` gets the percentage of source frames
// scanned and returns false to cancel, which gives null. While it runs the row counts as
// having an overview built, unless the scan runs in the background (`background`): its owner
// cancels it before the row may go, and the row stays free to be removed or edited meanwhile.
std::unique_ptr<Audio::CAudioFileCache>
buildOverview(CFileRow& row, const std::function<bool(int)>& progress, bool background = false);

// The row's overview, built when it has none yet or when the source changed on disk since it was
// built (the row's cache is refreshed first, which notices the change).
Audio::CAudioFileCache* ensureOverview(CFileRow& row, const std::function<bool(int)>& progress);

} // namespace App
