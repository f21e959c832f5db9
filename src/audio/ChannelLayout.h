#pragma once
// The names of a source's channel layout, as the batch list, the wave editor's information line
// and its title show them: a single file is mono or stereo, a split set of mono files is named
// by its member count.
#include "audio/Types.h"

namespace Audio {

struct SplitLayout {
    u32 channels;
    const char* name;  // "Split", "Surround 5.1": the information lines
    const char* title; // "Stereo Split", "Surround 5.1": the wave editor's title
};

inline constexpr SplitLayout kSplitLayouts[] = {
    {2, "Split", "Stereo Split"},
    {6, "Surround 5.1", "Surround 5.1"},
    {7, "Surround 6.1", "Surround 6.1"},
    {8, "Surround 7.1", "Surround 7.1"},
};

// The split set layout of this many members; null for a count that has none.
inline const SplitLayout* splitLayoutOf(u32 channels) {
    for (const SplitLayout& layout : kSplitLayouts)
        if (layout.channels == channels) return &layout;
    return nullptr;
}

// "Mono" for one channel, "Stereo" for more.
inline const char* singleFileLayoutName(u32 channels) {
    return channels == 1 ? "Mono" : "Stereo";
}

} // namespace Audio
