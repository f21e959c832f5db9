// Cost of the band filter's sine transform at both rate multiples.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/kalo2/SineTransform.h"

namespace {

void BM_SineTransform(benchmark::State& st) {
    const int m = static_cast<int>(st.range(0));
    Engine::CSineTransform transform(m);
    std::vector<float> x(m), X(m), scratch(Engine::CSineTransform::scratchSize(m));
    for (int i = 0; i < m; ++i)
        x[i] = static_cast<float>(std::sin(0.01 * i * i));
    for (auto _ : st) {
        transform.apply(x.data(), X.data(), scratch.data());
        benchmark::DoNotOptimize(X.data());
    }
}

BENCHMARK(BM_SineTransform)->Arg(2048)->Arg(4096);

} // namespace
