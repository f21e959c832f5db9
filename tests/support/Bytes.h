#pragma once
// Builder for hand-made file bytes: chunk ids, little- and big-endian fields, raw bytes.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace TestSupport {

struct Bytes {
    std::vector<unsigned char> data;

    Bytes& text(const char* four) {
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<unsigned char>(four[i]));
        return *this;
    }
    Bytes& le16(unsigned v) {
        return raw({static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)});
    }
    Bytes& le32(unsigned v) { return le16(v & 0xFFFF).le16(v >> 16); }
    Bytes& le64(std::uint64_t v) {
        return le32(static_cast<unsigned>(v)).le32(static_cast<unsigned>(v >> 32));
    }
    Bytes& be16(unsigned v) {
        return raw({static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)});
    }
    Bytes& be32(unsigned v) { return be16(v >> 16).be16(v & 0xFFFF); }
    Bytes& raw(std::initializer_list<unsigned char> values) {
        data.insert(data.end(), values);
        return *this;
    }
    Bytes& append(const std::vector<unsigned char>& more) {
        data.insert(data.end(), more.begin(), more.end());
        return *this;
    }
    Bytes& zeros(std::size_t n) {
        data.insert(data.end(), n, 0);
        return *this;
    }
};

// The little-endian 32-bit value at byte `at`.
inline std::uint32_t le32At(const std::vector<unsigned char>& b, std::size_t at) {
    return std::uint32_t{b.at(at)} | std::uint32_t{b.at(at + 1)} << 8 |
           std::uint32_t{b.at(at + 2)} << 16 | std::uint32_t{b.at(at + 3)} << 24;
}

// The big-endian 32-bit value at byte `at`.
inline std::uint32_t be32At(const std::vector<unsigned char>& b, std::size_t at) {
    return std::uint32_t{b.at(at)} << 24 | std::uint32_t{b.at(at + 1)} << 16 |
           std::uint32_t{b.at(at + 2)} << 8 | std::uint32_t{b.at(at + 3)};
}

} // namespace TestSupport
