#include "audio/SampleCodec.h"

#include <cmath>
#include <cstring>

namespace Audio::SampleCodec {

bool isSupportedBits(u32 bits) {
    return bits == 8 || bits == 16 || bits == 20 || bits == 24 || bits == 32;
}

u32 sampleWidth(u32 bits) {
    return (bits + 7) / 8;
}

float decode8(u8 stored) {
    return static_cast<float>(static_cast<long double>(stored) * 0.0078125L - 1.0L);
}

// Every scale below is a power of two and every stored value has at most 32 significant
// bits, so double precision holds each product exactly: the results are those of exact
// arithmetic, without the slow x87 long double code.
float decode16(i16 stored) {
    return static_cast<float>(static_cast<double>(stored) * 3.0517578125e-05);
}

float decode24(const u8* p) {
    u32 word;
    std::memcpy(&word, p, 4);
    // The fourth byte falls out of the shift; the sign of the 24-bit value lands in bit 31.
    const auto value = static_cast<i32>(word << 8);
    return static_cast<float>(static_cast<double>(value) * 4.656612873077392578125e-10);
}

float decode32(i32 stored) {
    return static_cast<float>(static_cast<double>(stored) * 4.656612873077392578125e-10);
}

namespace {

// Clips the scaled value to [low, high] and truncates toward zero; NaN gives 0.
double clipTruncate(double v, double low, double high) {
    if (std::isnan(v)) return 0.0;
    if (v >= high) return high;
    if (v <= low) return low;
    // Within the clip the value fits in 64 bits; the conversion truncates toward zero.
    return static_cast<double>(static_cast<long long>(v));
}

template <typename Decode>
void decodeChannels(const u8* raw, u32 width, u32 channels, u32 frames, float* const* buffers,
                    Decode decodeOne) {
    for (u32 i = frames; i-- > 0;) {
        for (u32 c = 0; c < channels; ++c) {
            if (!buffers[c]) continue;
            const float value = decodeOne(raw + (static_cast<u64>(i) * channels + c) * width);
            std::memcpy(buffers[c] + i, &value, sizeof value);
        }
    }
}

template <typename Encode>
void encodeChannels(const float* const* buffers, u32 width, u32 channels, u32 frames, u8* raw,
                    Encode encodeOne) {
    for (u32 c = 0; c < channels; ++c) {
        const float* in = buffers[c];
        u8* out = raw + static_cast<u64>(c) * width;
        const u64 stride = static_cast<u64>(channels) * width;
        for (u32 i = 0; i < frames; ++i, out += stride)
            encodeOne(in[i], out);
    }
}

} // namespace

u8 encode8(float x) {
    if (std::isnan(x)) return 128;
    const long double v = (static_cast<long double>(x) + 1.0L) * 128.0L;
    if (v >= 255.0L) return 255;
    if (v <= 0.0L) return 0;
    return static_cast<u8>(v);
}

// A float times a power of two is exact in double (short of overflow, which the clip covers).
i16 encode16(float x) {
    return static_cast<i16>(clipTruncate(static_cast<double>(x) * 32768.0, -32768.0, 32767.0));
}

i32 encode24(float x) {
    return static_cast<i32>(
        clipTruncate(static_cast<double>(x) * 8388608.0, -8388608.0, 8388607.0));
}

i32 encode32(float x) {
    return static_cast<i32>(
        clipTruncate(static_cast<double>(x) * 2147483648.0, -2147483648.0, 2147483647.0));
}

void decode(const u8* raw, u32 bits, bool floatSamples, u32 channels, u32 frames,
            float* const* buffers) {
    switch (bits) {
    case 8:
        decodeChannels(raw, 1, channels, frames, buffers, [](const u8* p) { return decode8(*p); });
        break;
    case 16:
        decodeChannels(raw, 2, channels, frames, buffers, [](const u8* p) {
            i16 s;
            std::memcpy(&s, p, 2);
            return decode16(s);
        });
        break;
    case 20:
    case 24:
        decodeChannels(raw, 3, channels, frames, buffers, decode24);
        break;
    case 32:
        if (floatSamples) {
            decodeChannels(raw, 4, channels, frames, buffers, [](const u8* p) {
                float f;
                std::memcpy(&f, p, 4);
                return f;
            });
        } else {
            decodeChannels(raw, 4, channels, frames, buffers, [](const u8* p) {
                i32 s;
                std::memcpy(&s, p, 4);
                return decode32(s);
            });
        }
        break;
    default:
        break;
    }
}

void encode(const float* const* buffers, u32 bits, bool floatSamples, u32 channels, u32 frames,
            u8* raw) {
    switch (bits) {
    case 8:
        encodeChannels(buffers, 1, channels, frames, raw, [](float x, u8* p) { *p = encode8(x); });
        break;
    case 16:
        encodeChannels(buffers, 2, channels, frames, raw, [](float x, u8* p) {
            const i16 s = encode16(x);
            std::memcpy(p, &s, 2);
        });
        break;
    case 20:
    case 24:
        encodeChannels(buffers, 3, channels, frames, raw, [](float x, u8* p) {
            const auto s = static_cast<u32>(encode24(x));
            p[0] = static_cast<u8>(s);
            p[1] = static_cast<u8>(s >> 8);
            p[2] = static_cast<u8>(s >> 16);
        });
        break;
    case 32:
        if (floatSamples) {
            encodeChannels(buffers, 4, channels, frames, raw,
                           [](float x, u8* p) { std::memcpy(p, &x, 4); });
        } else {
            encodeChannels(buffers, 4, channels, frames, raw, [](float x, u8* p) {
                const i32 s = encode32(x);
                std::memcpy(p, &s, 4);
            });
        }
        break;
    default:
        break;
    }
}

} // namespace Audio::SampleCodec
