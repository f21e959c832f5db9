#include "audio/WaveSizes.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "audio/ByteOrder.h"
#include "audio/ChunkHeaderReader.h"

namespace Audio {

using namespace ByteOrder;

namespace {

u64 le64(const u8* p) {
    return static_cast<u64>(le32(p)) | static_cast<u64>(le32(p + 4)) << 32;
}

bool isRf64(const u8* head) {
    return isChunk(head, "RF64") || isChunk(head, "BW64");
}

std::runtime_error ds64Error(const std::string& what) {
    return std::runtime_error("CWaveFile::ReadHeader() " + what);
}

constexpr u32 kDs64Fixed = 28; // three 64-bit sizes and the table's length
constexpr u32 kTableEntry = 12;

} // namespace

bool isWaveContainer(const u8* head) {
    return (isChunk(head, "RIFF") || isRf64(head)) && isChunk(head + 8, "WAVE");
}

WaveSizes WaveSizes::read(CFile& file, const u8* head, u64 fileSize) {
    WaveSizes sizes;
    if (!isRf64(head)) {
        sizes.walkLimit = Audio::walkLimit(le32(head + 4), fileSize);
        return sizes;
    }
    sizes.rf64 = true;
    // The ds64 chunk comes first, so that its sizes are known before any chunk they describe.
    u8 header[8];
    u8 body[kDs64Fixed];
    if (!readAt(file, 12, header, sizeof header) || !isChunk(header, "ds64") ||
        le32(header + 4) < kDs64Fixed || !readAt(file, 20, body, sizeof body))
        throw ds64Error("an RF64 file must begin with a ds64 chunk!");
    const u64 riffSize = le64(body);
    sizes.dataBytes = le64(body + 8);
    const u32 entries = le32(body + 24);
    const u32 room = (le32(header + 4) - kDs64Fixed) / kTableEntry;
    for (u32 i = 0; i < entries && i < room; ++i) {
        u8 raw[kTableEntry];
        if (!readAt(file, 20 + kDs64Fixed + u64{i} * kTableEntry, raw, sizeof raw)) break;
        Entry entry{};
        std::memcpy(entry.id, raw, 4);
        entry.size = le64(raw + 4);
        sizes.table.push_back(entry);
    }
    // A size that claims more than the file holds is cut to the file, as for RIFF.
    sizes.walkLimit = riffSize < fileSize ? std::min(riffSize + 8, fileSize) : fileSize;
    return sizes;
}

u64 WaveSizes::chunkSize(const u8* chunk) const {
    const u32 size = le32(chunk + 4);
    if (!rf64 || size != kSizeInDs64) return size;
    if (isChunk(chunk, "data")) return dataBytes;
    for (const Entry& entry : table)
        if (std::memcmp(entry.id, chunk, 4) == 0) return entry.size;
    return size;
}

} // namespace Audio
