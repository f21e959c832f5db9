#include "output/DeviceId.h"

namespace Output {

namespace {

std::uint64_t fnv1a(const std::string& text, std::uint64_t hash) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

DeviceId deviceIdForName(const std::string& name) {
    const std::uint64_t halves[2] = {fnv1a(name, 0xcbf29ce484222325ULL),
                                     fnv1a(name, 0x84222325cbf29ce4ULL)};
    DeviceId id{};
    for (int i = 0; i < 16; ++i)
        id[i] = static_cast<std::uint8_t>(halves[i / 8] >> (8 * (i % 8)));
    if (id == DeviceId{}) id[15] = 1;
    return id;
}

} // namespace Output
