#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "audio/SampleCodec.h"

using namespace Audio;
using namespace Audio::SampleCodec;

// Encoding clips at full scale on both sides (and beyond it), truncates toward zero in
// between, and turns NaN into silence.
TEST(SampleCodec, ScalarEncodingClipsAndTruncatesTowardZero) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float x;
        int e8, e16, e24;
        long long e32;
    } rows[] = {
        {1.0f, 255, 32767, 8388607, 2147483647},
        {-1.0f, 0, -32768, -8388608, -2147483648LL},
        {5.0f, 255, 32767, 8388607, 2147483647},
        {-5.0f, 0, -32768, -8388608, -2147483648LL},
        {1.5f, 255, 32767, 8388607, 2147483647}, // no wrap-around past the clip either
        {-1.5f, 0, -32768, -8388608, -2147483648LL},
        {inf, 255, 32767, 8388607, 2147483647},
        {-inf, 0, -32768, -8388608, -2147483648LL},
        {0.0f, 128, 0, 0, 0},
        {0.99999f, 255, 32767, 8388524, 2147462144}, // 16 bit: 32767.67 reaches the clip
        {0.99996f, 255, 32766, 8388272, 2147397760}, // 16 bit: 32766.69 truncates
        {-0.99996f, 0, -32766, -8388272, -2147397760},
        {-0.00001f, 127, 0, -83, -21474}, // 8 bit stores x * 128 + 128: 127.9987 truncates
        {-0.004f, 127, -131, -33554, -8589935},
        {nan, 128, 0, 0, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(encode8(row.x), row.e8) << row.x;
        EXPECT_EQ(encode16(row.x), row.e16) << row.x;
        EXPECT_EQ(encode24(row.x), row.e24) << row.x;
        EXPECT_EQ(encode32(row.x), row.e32) << row.x;
    }
}

TEST(SampleCodec, ScalarDecodingCoversFullScale) {
    EXPECT_EQ(decode8(0), -1.0f);
    EXPECT_EQ(decode8(128), 0.0f);
    EXPECT_EQ(decode8(255), 0.9921875f);
    EXPECT_EQ(decode16(-32768), -1.0f);
    EXPECT_EQ(decode16(32767), 32767.0f / 32768.0f);
    EXPECT_EQ(decode32(-2147483647 - 1), -1.0f);
    EXPECT_EQ(decode32(1 << 30), 0.5f);
}

TEST(SampleCodec, TwentyFourBitUsesThreeBytesLeastSignificantFirst) {
    const unsigned char minus1[4] = {0x00, 0x00, 0x80, 0xAA}; // the fourth byte must not matter
    EXPECT_EQ(decode24(minus1), -1.0f);
    const unsigned char plusMax[4] = {0xFF, 0xFF, 0x7F, 0x55};
    EXPECT_EQ(decode24(plusMax), 8388607.0f / 8388608.0f);

    float one = 1.0f, half = -0.5f;
    const float* buffers[] = {&one, &half};
    unsigned char raw[6 + 10] = {};
    encode(buffers, 24, false, 2, 1, raw);
    EXPECT_EQ(raw[0], 0xFF);
    EXPECT_EQ(raw[1], 0xFF);
    EXPECT_EQ(raw[2], 0x7F);
    EXPECT_EQ(raw[3], 0x00);
    EXPECT_EQ(raw[4], 0x00);
    EXPECT_EQ(raw[5], 0xC0);
}

TEST(SampleCodec, ThirtyTwoBitFloatsPassUnchangedIntegersScale) {
    const float values[] = {1.5f, -3.25f, 1e-30f, -0.0f};
    const float* buffers[] = {values};
    unsigned char raw[16 + 10];
    encode(buffers, 32, true, 1, 4, raw);
    EXPECT_EQ(std::memcmp(raw, values, 16), 0);
}

TEST(SampleCodec, DecodesOnlyChannelsThatAreAsked) {
    const unsigned char raw[] = {0x00, 0x40, 0x00, 0xC0, 0x00, 0x20, 0x00, 0xE0, 0, 0, 0, 0};
    std::vector<float> right(2, 7.0f);
    float* buffers[] = {nullptr, right.data()};
    decode(raw, 16, false, 2, 2, buffers);
    EXPECT_EQ(right[0], -0.5f);
    EXPECT_EQ(right[1], -0.25f);
}

TEST(SampleCodec, MonoDecodesInPlaceFromTheLastFrameDown) {
    for (unsigned bits : {8u, 16u, 24u}) {
        const unsigned width = bits / 8;
        std::vector<float> buffer(5);
        auto* raw = reinterpret_cast<unsigned char*>(buffer.data());
        std::vector<float> expected;
        for (unsigned i = 0; i < 5; ++i) {
            const float x = -0.75f + 0.3f * static_cast<float>(i);
            const float* in[] = {&x};
            unsigned char one[4 + 10] = {};
            encode(in, bits, false, 1, 1, one);
            std::memcpy(raw + i * width, one, width);
            float back;
            float* out[] = {&back};
            decode(one, bits, false, 1, 1, out);
            expected.push_back(back);
        }
        float* buffers[] = {buffer.data()};
        decode(raw, bits, false, 1, 5, buffers);
        EXPECT_EQ(buffer, expected) << bits << " bit";
    }
}
