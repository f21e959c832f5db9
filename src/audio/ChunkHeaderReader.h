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

// Chunk ids are four printable ASCII characters.
inline bool looksLikeChunkId(const u8* id) {
    for (int i = 0; i < 4; ++i)
        if (id[i] < 0x20 || id[i] > 0x7E) return false;
    return true;
}

// Where the chunk after the one whose body of `size` bytes starts at bodyOffset begins. An
// odd-sized chunk is followed by a pad byte (written as 0); a file whose writer left it out is
// still walked when a chunk id starts right after the body.
inline u64 nextChunkOffset(CFile& file, u64 bodyOffset, u64 size) {
    const u64 end = bodyOffset + size;
    if ((size & 1) == 0) return end;
    u8 id[4];
    if (readAt(file, end, id, sizeof id) && id[0] != 0 && looksLikeChunkId(id)) return end;
    return end + 1;
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
