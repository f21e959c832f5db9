#pragma once
// Loads and stores of little- and big-endian integers in byte buffers.
#include "audio/Types.h"

namespace Audio::ByteOrder {

inline u16 le16(const u8* p) {
    return static_cast<u16>(p[0] | p[1] << 8);
}
inline u32 le32(const u8* p) {
    return static_cast<u32>(p[0]) | static_cast<u32>(p[1]) << 8 | static_cast<u32>(p[2]) << 16 |
           static_cast<u32>(p[3]) << 24;
}
inline u16 be16(const u8* p) {
    return static_cast<u16>(p[0] << 8 | p[1]);
}
inline u32 be32(const u8* p) {
    return static_cast<u32>(p[0]) << 24 | static_cast<u32>(p[1]) << 16 |
           static_cast<u32>(p[2]) << 8 | static_cast<u32>(p[3]);
}

inline void putLe16(u8* p, u32 v) {
    p[0] = static_cast<u8>(v);
    p[1] = static_cast<u8>(v >> 8);
}
inline void putLe32(u8* p, u32 v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<u8>(v >> (8 * i));
}
inline void putBe16(u8* p, u32 v) {
    p[0] = static_cast<u8>(v >> 8);
    p[1] = static_cast<u8>(v);
}
inline void putBe32(u8* p, u32 v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<u8>(v >> (24 - 8 * i));
}

} // namespace Audio::ByteOrder
