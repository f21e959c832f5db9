// Cost of the sample conversions on the reading and writing path: 16-bit stereo, one engine
// block of 4096 frames.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/SampleCodec.h"

namespace {

constexpr Audio::u32 kFrames = 4096;

void BM_Decode16(benchmark::State& st) {
    std::vector<Audio::u8> raw(kFrames * 4 + 1);
    for (std::size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<Audio::u8>(i * 37);
    std::vector<float> left(kFrames), right(kFrames);
    float* const buffers[] = {left.data(), right.data()};
    for (auto _ : st) {
        Audio::SampleCodec::decode(raw.data(), 16, false, 2, kFrames, buffers);
        benchmark::DoNotOptimize(left.data());
    }
}
BENCHMARK(BM_Decode16);

void BM_Encode16(benchmark::State& st) {
    std::vector<float> left(kFrames), right(kFrames);
    for (Audio::u32 i = 0; i < kFrames; ++i)
        left[i] = right[i] = static_cast<float>(0.9 * std::sin(0.01 * i));
    const float* const buffers[] = {left.data(), right.data()};
    std::vector<Audio::u8> raw(kFrames * 4);
    for (auto _ : st) {
        Audio::SampleCodec::encode(buffers, 16, false, 2, kFrames, raw.data());
        benchmark::DoNotOptimize(raw.data());
    }
}
BENCHMARK(BM_Encode16);

} // namespace
