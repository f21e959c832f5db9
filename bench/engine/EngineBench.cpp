// Cost of one engine call (512 output frames at pitch 1), stereo 44.1 kHz, per quality mode.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/kalo2/KALO2.h"

namespace {

class EngineStream {
  public:
    explicit EngineStream(bool exactPitch = false) : state(new std::byte[KALO2_StateSize()]()) {
        KALO2_SetExactPitch(engineState(), exactPitch);
        for (int c = 0; c < 2; ++c) {
            source[c].resize(KALO2_BufferFrames + 200000);
            buffer[c].resize(KALO2_BufferFrames);
            channels[c] = buffer[c].data();
            // A few partials with a slow vibrato, so the period search has work to do.
            for (std::size_t i = 0; i < source[c].size(); ++i) {
                const double t = static_cast<double>(i) / 44100.0;
                const double f = 220.0 * (1.0 + 0.01 * std::sin(2.0 * M_PI * 5.0 * t));
                source[c][i] = static_cast<float>(0.3 * std::sin(2.0 * M_PI * f * t) +
                                                  0.2 * std::sin(2.0 * M_PI * 3.1 * f * t + c) +
                                                  0.1 * std::sin(2.0 * M_PI * 7.3 * f * t));
            }
        }
    }

    void call(double time, double pitch, double formant, int quality) {
        if (position + request > source[0].size()) position = 0;
        for (int c = 0; c < 2; ++c)
            std::memcpy(buffer[c].data(), source[c].data() + position, request * sizeof(float));
        const int n = KALO2_Process(time, pitch, formant, quality, 44100.0f, 2, 0, &position,
                                    &request, channels, engineState());
        benchmark::DoNotOptimize(n);
    }

  private:
    Engine::EngineState* engineState() {
        return reinterpret_cast<Engine::EngineState*>(state.get());
    }
    std::unique_ptr<std::byte[]> state;
    std::vector<float> source[2], buffer[2];
    float* channels[Audio::kMaxEngineChannels] = {};
    std::uint32_t position = 0, request = 4096;
};

// Arguments: quality mode; time factor in percent; pitch in cents; formants preserved; exact
// pitch.
void BM_EngineCall(benchmark::State& st) {
    const int quality = static_cast<int>(st.range(0));
    const double time = st.range(1) / 100.0;
    const double pitch = std::pow(2.0, st.range(2) / 1200.0);
    const double formant = st.range(3) ? 1.0 / pitch : 1.0;
    EngineStream stream(st.range(4) != 0);
    for (int i = 0; i < 20; ++i)
        stream.call(time, pitch, formant, quality);
    for (auto _ : st)
        stream.call(time, pitch, formant, quality);
}

BENCHMARK(BM_EngineCall)
    ->ArgNames({"quality", "time%", "cents", "formants", "exact"})
    ->ArgsProduct({{1, 2, 3, 4}, {125}, {0}, {0}, {0, 1}})
    ->ArgsProduct({{3}, {100}, {300}, {0, 1}, {0, 1}});

} // namespace
