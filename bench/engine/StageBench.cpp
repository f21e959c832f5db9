// Cost of each engine stage on its own, at 44.1 kHz, so that a change to one shows up here
// before it is lost in the noise of a whole run (see bench/README.md for the shares).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/kalo2/BandFilter.h"
#include "engine/kalo2/EngineState.h"
#include "engine/kalo2/FormantStage.h"
#include "engine/kalo2/PeriodSearch.h"
#include "engine/kalo2/RateTables.h"
#include "engine/kalo2/Resampler.h"

namespace {

using namespace Engine;

std::vector<float> music(std::size_t n, double phase = 0.0) {
    std::vector<float> x(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        x[i] = static_cast<float>(0.3 * std::sin(2.0 * M_PI * 220.0 * t + phase) +
                                  0.2 * std::sin(2.0 * M_PI * 682.0 * t) +
                                  0.1 * std::sin(2.0 * M_PI * 3100.0 * t));
    }
    return x;
}

// The engine state is large; one zero-filled copy serves as the scratch of every stage.
Engine::EngineState& scratchState() {
    static std::unique_ptr<std::byte[]> bytes(new std::byte[sizeof(EngineState)]());
    return *reinterpret_cast<EngineState*>(bytes.get());
}

// One channel of one band through the band filter, as a medium-quality call filters it.
// Arguments: segment length, analysis length, low and high coefficient, decimation.
void BM_BandFilter(benchmark::State& st) {
    const CRateTables& tables = CRateTables::forRateMultiple(1);
    EngineState& s = scratchState();
    const int segmentLength = static_cast<int>(st.range(0));
    const int analysisLength = static_cast<int>(st.range(1));
    const FilterUse use{segmentLength, static_cast<int>(st.range(4))};
    const std::vector<float> source = music(kSegmentCapacity);
    float* segment = s.channels[0].segment[0];
    for (auto _ : st) {
        std::copy(source.begin(), source.end(), segment);
        CBandFilter::filter(segment, analysisLength, static_cast<int>(st.range(2)),
                            static_cast<int>(st.range(3)), 6, use, tables, s.accumulator, s.filter);
        benchmark::DoNotOptimize(segment);
    }
}
BENCHMARK(BM_BandFilter)
    ->ArgNames({"segment", "analysis", "low", "high", "decimation"})
    ->Args({1024, 1024, 256, 2048, 1}) // 2756 Hz and up
    ->Args({1536, 2048, 128, 256, 8})  // 1378 to 2756 Hz
    ->Args({2048, 2048, 64, 128, 16})  // 689 to 1378 Hz
    ->Args({3072, 4096, 32, 64, 32})   // 344 to 689 Hz
    ->Args({4096, 4096, 0, 32, 64});   // below 344 Hz

// The period search's difference function over the top band's 512 lags.
void BM_Difference(benchmark::State& st) {
    const int lags = static_cast<int>(st.range(0));
    const std::vector<float> s = music(2 * static_cast<std::size_t>(lags) + 8);
    std::vector<float> out(static_cast<std::size_t>(lags) + 1);
    for (auto _ : st) {
        CPeriodSearch::difference(s.data(), lags, out.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Difference)->Arg(512)->Arg(96);

// The search's mono mix of two channels, undecimated and at the lowest band's decimation.
void BM_Mix(benchmark::State& st) {
    const std::vector<float> left = music(4096), right = music(4096, 1.0);
    const float* segments[] = {left.data(), right.data()};
    std::vector<float> search(4096);
    const int decimation = static_cast<int>(st.range(0));
    for (auto _ : st) {
        CPeriodSearch::mix(segments, 2, decimation == 1 ? 1024 : 4096, decimation, search.data());
        benchmark::DoNotOptimize(search.data());
    }
}
BENCHMARK(BM_Mix)->Arg(1)->Arg(64);

// One call's resampling of 512 frames: m = 430 (+3 semitones), and exact-pitch mode.
void BM_Resampler(benchmark::State& st) {
    auto record = std::make_unique<ResamplerRecord>();
    CResampler::prepare(*record);
    const std::vector<float> in = music(512);
    std::vector<float> out(2048);
    const bool exact = st.range(0) != 0;
    const double ratio = std::pow(2.0, 3.0 / 12.0);
    for (auto _ : st) {
        if (exact)
            benchmark::DoNotOptimize(
                CResampler::processExact(*record, in.data(), 512, out.data(), ratio));
        else
            CResampler::process(*record, in.data(), 512, out.data(), 430);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Resampler)->ArgName("exact")->Arg(0)->Arg(1);

// One call of the formant stage: formants left alone (1.0) and moved (0.84).
void BM_FormantStage(benchmark::State& st) {
    const CRateTables& tables = CRateTables::forRateMultiple(1);
    auto record = std::make_unique<FormantRecord>();
    const std::vector<float> in = music(512);
    std::vector<float> out(512);
    const double ratio = st.range(0) / 100.0;
    for (auto _ : st) {
        CFormantStage::process(*record, tables, in.data(), out.data(), ratio);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_FormantStage)->ArgName("ratio%")->Arg(100)->Arg(84);

} // namespace
