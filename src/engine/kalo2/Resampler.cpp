#include "engine/kalo2/Resampler.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <numbers>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace Engine {

namespace {
constexpr double kBeta = 5.652158;
constexpr int kCentre = kResamplerPhases * (kResamplerTaps / 2); // 6000

float& at(float (&table)[kResamplerPhases][kResamplerTaps], int position) {
    return table[position % kResamplerPhases][position / kResamplerPhases];
}

// Taps 0..23 against the current input and the 23 before it, newest first. Four partial
// sums, so that the additions do not wait for each other: lane u of one SSE vector (part of
// every x86-64 processor) sums the taps j = u mod 4 in order, like the plain loop elsewhere.
float output(const float* row, const float* newestFirst) {
#if defined(__SSE2__)
    __m128 sum = _mm_setzero_ps();
    for (int j = 0; j < kResamplerTaps; j += 4)
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_loadu_ps(row + j), _mm_loadu_ps(newestFirst + j)));
    const __m128 pairs = _mm_add_ps(sum, _mm_shuffle_ps(sum, sum, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtss_f32(_mm_add_ss(pairs, _mm_movehl_ps(pairs, pairs)));
#else
    float sum[4] = {};
    for (int j = 0; j < kResamplerTaps; j += 4)
        for (int u = 0; u < 4; ++u)
            sum[u] += row[j + u] * newestFirst[j + u];
    return (sum[0] + sum[1]) + (sum[2] + sum[3]);
#endif
}

#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define SWK_RESAMPLER_AVX2 1
// output() with the products formed eight at a time: lane u of the sum still adds tap u,
// then tap u + 4, and so on, so the value is the same.
[[gnu::target("avx2")]] inline float outputAvx2(const float* row, const float* newestFirst) {
    __m128 sum = _mm_setzero_ps();
    for (int j = 0; j < kResamplerTaps; j += 8) {
        const __m256 products =
            _mm256_mul_ps(_mm256_loadu_ps(row + j), _mm256_loadu_ps(newestFirst + j));
        sum = _mm_add_ps(sum, _mm256_castps256_ps128(products));
        sum = _mm_add_ps(sum, _mm256_extractf128_ps(products, 1));
    }
    const __m128 pairs = _mm_add_ps(sum, _mm_shuffle_ps(sum, sum, _MM_SHUFFLE(2, 3, 0, 1)));
    return _mm_cvtss_f32(_mm_add_ss(pairs, _mm_movehl_ps(pairs, pairs)));
}
#endif

// phase * kResamplerPhases / frame without a division per output: the quotient from the
// reciprocal is off by at most one either way and corrected, so it is exact.
class RowOfPhase {
  public:
    explicit RowOfPhase(std::uint32_t units) : frame(units), inverse(1.0 / units) {}
    int operator()(std::uint32_t phase) const {
        const std::uint32_t scaled = phase * kResamplerPhases;
        auto row = static_cast<std::uint32_t>(scaled * inverse);
        if (row * frame > scaled)
            --row;
        else if ((row + 1) * frame <= scaled)
            ++row;
        return static_cast<int>(row);
    }

  private:
    std::uint32_t frame;
    double inverse;
};
// The outputs of one call: as many as fall due while the inputs pass, at positions `phase`
// (in units of 1/frame input frame) advancing by step; at most `limit`. Counted so, a call of
// `step` inputs and `frame` outputs ends exactly where it began: each call starts its first
// output on its first input, and nothing is carried to the next.
template <float (*Dot)(const float*, const float*)>
inline int run(ResamplerRecord& r, int inputCount, std::uint32_t frame, std::uint32_t step,
               float* out, int limit) {
    const RowOfPhase rowOf(frame);
    std::uint32_t phase = 0;
    int written = 0;
    for (int i = 0; i < inputCount; ++i) {
        // Input i is at line[inputCount - 1 - i], its predecessors after it.
        const float* taps = r.line + (inputCount - 1 - i);
        for (; phase < frame; phase += step)
            if (written < limit) out[written++] = Dot(r.table[rowOf(phase)], taps);
        phase -= frame;
    }
    return written;
}

#ifdef SWK_RESAMPLER_AVX2
[[gnu::target("avx2")]] int runAvx2(ResamplerRecord& r, int inputCount, std::uint32_t frame,
                                    std::uint32_t step, float* out, int limit) {
    return run<outputAvx2>(r, inputCount, frame, step, out, limit);
}
bool hasAvx2() {
    static const bool yes = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return yes;
}
#endif
} // namespace

double CResampler::besselI0(double x) {
    const double x2 = x * x;
    double sum = 1.0;
    double term = 1.0;
    double j = 0.0;
    do {
        j += 2.0;
        term *= x2 / (j * j);
        sum += term;
    } while (sum * 1e-7 < term);
    return sum;
}

void CResampler::buildTable(float (&table)[kResamplerPhases][kResamplerTaps]) {
    const double i0Beta = besselI0(kBeta);
    for (int d = kCentre - 1; d >= 1; --d) {
        const float u = static_cast<float>(d) * 0.00016666666f;
        const float x = 5.652158f * std::sqrt(1.0f - u * u);
        const double sinc = std::sin(d * 0.0062831854) * 500.0 / (d * std::numbers::pi);
        at(table, kCentre - d) = static_cast<float>(sinc * besselI0(x) / i0Beta);
    }
    at(table, kCentre) = 1.0f;
    for (int i = kCentre + 1; i < 2 * kCentre; ++i)
        at(table, i) = at(table, 2 * kCentre - i);
    table[0][0] = 0.0f;
}

void CResampler::prepare(ResamplerRecord& record) {
    if (record.built && record.tableMarker == kResamplerTableMarker) return;
    buildTable(record.table);
    record.phases = kResamplerPhases;
    record.taps = kResamplerTaps;
    record.tableMarker = kResamplerTableMarker;
    record.built = 1;
}

void CResampler::process(ResamplerRecord& r, const float* in, int inputCount, float* out,
                         int outputCount) {
    const double ratio = static_cast<double>(inputCount) / outputCount;
    r.step[0] = r.step[1] = ratio;
    r.phases = kResamplerPhases;
    // One input frame is outputCount units, one output step inputCount units.
    const auto frame = static_cast<std::uint32_t>(outputCount);
    const auto step = static_cast<std::uint32_t>(inputCount);
    assert(inputCount <= kResamplerMaxInput);
    std::reverse_copy(in, in + inputCount, r.line);
    std::reverse_copy(r.history, r.history + kResamplerHistory, r.line + inputCount);
#ifdef SWK_RESAMPLER_AVX2
    if (hasAvx2())
        runAvx2(r, inputCount, frame, step, out, outputCount);
    else
        run<output>(r, inputCount, frame, step, out, outputCount);
#else
    run<output>(r, inputCount, frame, step, out, outputCount);
#endif
    std::reverse_copy(r.line, r.line + kResamplerHistory, r.history);
}

int CResampler::processExact(ResamplerRecord& r, const float* in, int inputCount, float* out,
                             double ratio) {
    r.step[0] = r.step[1] = ratio;
    r.phases = kResamplerPhases;
    assert(inputCount <= kResamplerMaxInput);
    std::reverse_copy(in, in + inputCount, r.line);
    std::reverse_copy(r.history, r.history + kResamplerHistory, r.line + inputCount);
    // Between calls the position lies in [0, ratio): the outputs still due before the next
    // input. One left by a call with another ratio is brought into that range.
    double fraction = std::clamp(r.fraction, 0.0, ratio);
    int written = 0;
    for (int i = 0; i < inputCount; ++i) {
        const float* taps = r.line + (inputCount - 1 - i);
        for (; fraction < 1.0; fraction += ratio) {
            const int row =
                std::min(static_cast<int>(fraction * kResamplerPhases), kResamplerPhases - 1);
            out[written++] = output(r.table[row], taps);
        }
        fraction -= 1.0;
    }
    std::reverse_copy(r.line, r.line + kResamplerHistory, r.history);
    r.fraction = fraction;
    return written;
}

} // namespace Engine
