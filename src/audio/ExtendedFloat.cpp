#include "audio/ExtendedFloat.h"

#include <cmath>

#include "audio/ByteOrder.h"

namespace Audio {

double readExtended(const u8* bytes) {
    const u32 word = ByteOrder::be16(bytes);
    const bool negative = (word & 0x8000) != 0;
    const int exponent = static_cast<int>(word & 0x7FFF);
    const u32 hi = ByteOrder::be32(bytes + 2);
    const u32 lo = ByteOrder::be32(bytes + 6);
    if (hi == 0 && lo == 0 && exponent == 0 && !negative) return 0.0;
    const double mantissa =
        std::ldexp(static_cast<double>(lo), -63) + std::ldexp(static_cast<double>(hi), -31);
    const double value = std::ldexp(mantissa, exponent - 16383);
    return negative ? -value : value;
}

namespace {
u32 toUnsigned(double v) {
    if (v < 2147483648.0) return static_cast<u32>(v);
    return static_cast<u32>(v - 2147483648.0) | 0x80000000u;
}
} // namespace

void writeExtended(double x, u8* bytes) {
    const bool negative = x < 0;
    if (negative) x = -x;
    u32 exponent = 0, hi = 0, lo = 0;
    if (x != 0.0) {
        exponent = static_cast<u32>(std::trunc(std::log(x) / std::log(2.0) + 16383.0));
        double m = std::ldexp(x, 16414 - static_cast<int>(exponent));
        // ln(x)/ln(2) can land a hair off at exact powers of two; keep the mantissa normalised
        // in [2^31, 2^32) so that it fits the 32-bit high word.
        if (m >= 4294967296.0) {
            ++exponent;
            m /= 2.0;
        } else if (m < 2147483648.0) {
            --exponent;
            m *= 2.0;
        }
        hi = toUnsigned(m);
        lo = toUnsigned((m - hi) * 4294967296.0);
    }
    bytes[0] = static_cast<u8>((exponent >> 8) | (negative ? 0x80 : 0));
    bytes[1] = static_cast<u8>(exponent & 0xFF);
    ByteOrder::putBe32(bytes + 2, hi);
    ByteOrder::putBe32(bytes + 6, lo);
}

} // namespace Audio
