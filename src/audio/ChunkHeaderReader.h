#pragma once
// Small helpers for walking the chunks of a RIFF or IFF file through a CFile.
#include <cstring>

#include "audio/File.h"

namespace Audio {

// Reads exactly `bytes` bytes at the absolute offset; false when the file ends first.
inline bool readAt(CFile& file, u64 offset, void* buffer, u32 bytes) {
    file.seek(static_cast<i64>(offset), Begin);
    u32 got = 0;
    file.read(buffer, bytes, &got);
    return got == bytes;
}

inline bool isChunk(const u8* id, const char* name) {
    return std::memcmp(id, name, 4) == 0;
}

// Where a chunk walk ends: the size the container header claims, cut to the file's size when
// the file is shorter than 4 GiB (a container size that claims too much is tolerated).
inline u64 walkLimit(u32 containerSize, u64 fileSize) {
    u64 limit = static_cast<u64>(containerSize) + 8;
    if (fileSize < (u64{1} << 32) && limit > fileSize) limit = fileSize;
    return limit;
}

// Frames that the file really holds from dataOffset on, at most `claimed`.
inline u64 framesPresent(u64 claimedBytes, u64 dataOffset, u64 fileSize, u32 bytesPerFrame) {
    const u64 available = fileSize > dataOffset ? fileSize - dataOffset : 0;
    const u64 bytes = claimedBytes < available ? claimedBytes : available;
    return bytes / bytesPerFrame;
}

} // namespace Audio
