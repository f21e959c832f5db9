#pragma once
// The sizes in a WAVE file's header: the 32-bit fields of RIFF, or in an RF64 file (EBU Tech
// 3306; BW64 is the same layout) the 64-bit values of its "ds64" chunk that replace them.
#include <vector>

#include "audio/File.h"

namespace Audio {

// The 32-bit size field that says "the size is in the ds64 chunk".
inline constexpr u32 kSizeInDs64 = 0xFFFFFFFFu;

struct WaveSizes {
    // Where the chunk walk ends: the container size (plus its 8-byte header), cut to the file's
    // size where the 32-bit rule of RIFF or the file itself says so.
    u64 walkLimit = 0;
    bool rf64 = false;
    u64 dataBytes = 0; // RF64: the data chunk's size
    struct Entry {
        u8 id[4];
        u64 size;
    };
    std::vector<Entry> table; // RF64: sizes of other chunks beyond 4 GiB

    // Reads the sizes of the file whose first 12 bytes are `head` ("RIFF"/"RF64"/"BW64", size,
    // "WAVE"). Throws std::runtime_error when an RF64 file has no usable ds64 chunk.
    static WaveSizes read(CFile& file, const u8* head, u64 fileSize);

    // The size of the chunk whose 8-byte header is `chunk`.
    u64 chunkSize(const u8* chunk) const;
};

// Whether the 12 bytes start a WAVE file of either kind.
bool isWaveContainer(const u8* head);

} // namespace Audio
