#include "engine/kalo2/SineTransform.h"

#include <algorithm>
#include <cmath>
#include <fftw3.h>
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <numbers>
#include <stdexcept>

#include "engine/FftwPlanner.h"
#include "engine/SimdClones.h"

namespace Engine {

namespace {

// The odd outputs are running sums; one long chain of dependent additions would make the
// processor wait on each one. The spectrum is split into this many spans, summed side by side
// in blocks of four.
constexpr int kChains = 4;
constexpr int kBlock = 4;

// y[j] = sin(pi j/M)(x[j] + x[M-j]) + (x[j] - x[M-j]) / 2 for j in [begin, end), all times
// scale. The scale is a power of two, so it changes no rounding.
SWK_SIMD_CLONES
void foldInput(const float* __restrict x, const float* __restrict fold, float scale, int m,
               int begin, int end, float* __restrict y) {
    for (int j = begin; j < end; ++j) {
        const float a = x[j];
        const float b = x[m - j];
        y[j] = scale * (fold[j] * (a + b) + 0.5f * (a - b));
    }
}

// foldInput() for j in [1, count) and for their mirror images m - j at once. With a symmetric
// fold table both share fold[j] (a + b) and, negated, (a - b) / 2: the same operations give the
// same values, read and computed once.
SWK_SIMD_CLONES
void foldPairs(const float* __restrict x, const float* __restrict fold, float scale, int m,
               int count, float* __restrict y) {
    for (int j = 1; j < count; ++j) {
        const float a = x[j];
        const float b = x[m - j];
        const float even = fold[j] * (a + b);
        const float odd = 0.5f * (a - b);
        y[j] = scale * (even + odd);
        y[m - j] = scale * (even - odd);
    }
}

// Spectrum values 0..count) of the real y from Z, the transform of its pairs y[2n] + i y[2n+1]
// over n points: Y[k] = E + W^k O with E = (Z[k] + conj Z[n-k]) / 2, O = (Z[k] - conj Z[n-k]) / 2i
// and W = exp(-2 pi i / 2n). A band needs only its own few values, not the whole spectrum.
SWK_SIMD_CLONES
void realSpectrum(const float* __restrict z, const float* __restrict w, int n, int count,
                  float* __restrict spectrum) {
    for (int k = 0; k < count; ++k) {
        const int r = (n - k) & (n - 1);
        const float ar = z[2 * k], ai = z[2 * k + 1];
        const float br = z[2 * r], bi = -z[2 * r + 1];
        const float er = 0.5f * (ar + br), ei = 0.5f * (ai + bi);
        const float orr = 0.5f * (ai - bi), oi = -0.5f * (ar - br);
        spectrum[2 * k] = er + (w[2 * k] * orr - w[2 * k + 1] * oi);
        spectrum[2 * k + 1] = ei + (w[2 * k] * oi + w[2 * k + 1] * orr);
    }
}

// Odd output 2k+1 is the running sum of Re Y[0..k] (Re Y[0] halved), kept in double so that
// its rounding does not grow along the spectrum. Each chain first totals its span, then runs
// through it again from the offset the totals of the chains before it give. The additions are
// grouped exactly as the AVX2 code groups them, so that every processor gives the same result.
double realPart(const float* spectrum, int k) {
    return k == 0 ? 0.5 * spectrum[0] : static_cast<double>(spectrum[2 * k]);
}

double chainTotal(const float* spectrum, int begin, int span) {
    double lane[kBlock] = {};
    for (int i = 0; i < span; i += kBlock)
        for (int u = 0; u < kBlock; ++u)
            lane[u] += realPart(spectrum, begin + i + u);
    return (lane[0] + lane[1]) + (lane[2] + lane[3]);
}

// Block of four running sums from `running` on, written to the odd outputs; returns the last.
double blockSums(const float* spectrum, int k, double running, float* X) {
    const double d0 = realPart(spectrum, k), d1 = realPart(spectrum, k + 1);
    const double d2 = realPart(spectrum, k + 2), d3 = realPart(spectrum, k + 3);
    const double t1 = d1 + d0, t2 = d2 + d1, t3 = d3 + d2;
    const double scan[kBlock] = {d0, t1, t2 + d0, t3 + t1};
    double last = 0.0;
    for (int u = 0; u < kBlock; ++u) {
        last = running + scan[u];
        X[2 * (k + u) + 1] = static_cast<float>(last);
    }
    return last;
}

// Values of the first span need no totals: their chain starts from 0.
void firstChainOutputs(const float* spectrum, int count, float* X) {
    double running = 0.0;
    for (int k = 0; k < count; k += kBlock)
        running = blockSums(spectrum, k, running, X);
}

// Chains whose outputs reach the first count spectrum values; later chains are not formed.
int chainsFor(int half, int count) {
    const int span = half / kChains;
    return std::min((count + span - 1) / span, kChains);
}

void oddOutputs(const float* spectrum, int half, int count, float* X) {
    const int span = half / kChains;
    if (count <= span) {
        firstChainOutputs(spectrum, count, X);
        return;
    }
    double offset = 0.0;
    const int chains = chainsFor(half, count);
    for (int c = 0; c < chains; ++c) {
        double running = offset;
        offset += chainTotal(spectrum, c * span, span);
        for (int i = 0; i < span; i += kBlock)
            running = blockSums(spectrum, c * span + i, running, X);
    }
}

// Spectra too short to split into the chains' blocks take one running sum.
void shortOddOutputs(const float* spectrum, int count, float* X) {
    double running = 0.0;
    for (int k = 0; k < count; ++k) {
        running += realPart(spectrum, k);
        X[2 * k + 1] = static_cast<float>(running);
    }
}

// The scalar outputs with the even ones, for processors without AVX2: those of the first
// count spectrum values (a multiple of kBlock), or all.
void outputs(const float* spectrum, int half, int count, float* X) {
    for (int k = 1; k < count; ++k)
        X[2 * k] = -spectrum[2 * k + 1];
    if (half % (kChains * kBlock) == 0)
        oddOutputs(spectrum, half, count, X);
    else
        shortOddOutputs(spectrum, count, X);
}

#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define SWK_SINE_AVX2 1

// Four spectrum values per step: their real parts as doubles (Re Y[0] halved when first is
// set) and their imaginary parts negated, which are the even outputs.
[[gnu::target("avx2")]] inline void loadFour(const float* s, bool first, __m256d& re,
                                             __m128& negatedIm) {
    const __m256 v =
        _mm256_permutevar8x32_ps(_mm256_loadu_ps(s), _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
    re = _mm256_cvtps_pd(_mm256_castps256_ps128(v));
    if (first) re = _mm256_mul_pd(re, _mm256_setr_pd(0.5, 1.0, 1.0, 1.0));
    negatedIm = _mm_xor_ps(_mm256_extractf128_ps(v, 1), _mm_set1_ps(-0.0f));
}

// Inclusive running sum of the four lanes.
[[gnu::target("avx2")]] inline __m256d scanFour(__m256d d) {
    const __m256d zero = _mm256_setzero_pd();
    d = _mm256_add_pd(d, _mm256_blend_pd(_mm256_permute4x64_pd(d, 0x90), zero, 0x1));
    return _mm256_add_pd(d, _mm256_blend_pd(_mm256_permute4x64_pd(d, 0x40), zero, 0x3));
}

// One block of four: both its even and its odd outputs. Returns the new running sum.
[[gnu::target("avx2")]] inline __m256d blockAvx2(const float* spectrum, int k, __m256d running,
                                                 float* X) {
    __m256d re;
    __m128 evens;
    loadFour(spectrum + 2 * k, k == 0, re, evens);
    const __m256d sums = _mm256_add_pd(running, scanFour(re));
    const __m128 odds = _mm256_cvtpd_ps(sums);
    _mm_storeu_ps(X + 2 * k, _mm_unpacklo_ps(evens, odds));
    _mm_storeu_ps(X + 2 * k + 4, _mm_unpackhi_ps(evens, odds));
    return _mm256_permute4x64_pd(sums, 0xff);
}

// The same spectrum values as realSpectrum(), with the same operations, four at a time. The
// first four take the scalar code: Z[n - 0] wraps round to Z[0].
[[gnu::target("avx2")]] void realSpectrumAvx2(const float* z, const float* w, int n, int count,
                                              float* spectrum) {
    const int head = std::min(count, kBlock);
    realSpectrum(z, w, n, head, spectrum);
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 oddSigns = _mm256_setr_ps(0.5f, -0.5f, 0.5f, -0.5f, 0.5f, -0.5f, 0.5f, -0.5f);
    const __m256 conjugate = _mm256_setr_ps(0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f, 0.0f, -0.0f);
    const __m256i reversePairs = _mm256_setr_epi32(6, 7, 4, 5, 2, 3, 0, 1);
    for (int k = head; k < count; k += kBlock) {
        const __m256 a = _mm256_loadu_ps(z + 2 * k);
        const __m256 b = _mm256_xor_ps(
            _mm256_permutevar8x32_ps(_mm256_loadu_ps(z + 2 * (n - k - 3)), reversePairs),
            conjugate);
        const __m256 e = _mm256_mul_ps(half, _mm256_add_ps(a, b));
        const __m256 o = _mm256_mul_ps(oddSigns, _mm256_permute_ps(_mm256_sub_ps(a, b), 0xb1));
        const __m256 t = _mm256_loadu_ps(w + 2 * k);
        const __m256 turned =
            _mm256_addsub_ps(_mm256_mul_ps(_mm256_moveldup_ps(t), o),
                             _mm256_mul_ps(_mm256_movehdup_ps(t), _mm256_permute_ps(o, 0xb1)));
        _mm256_storeu_ps(spectrum + 2 * k, _mm256_add_ps(e, turned));
    }
}

// The outputs of the first Chains chains, side by side. The totals of the chains before the
// last give the offsets. Chains is a constant so that the running sums stay in registers.
template <int Chains>
[[gnu::target("avx2")]] void chainedOutputsAvx2(const float* spectrum, int span, float* X) {
    __m256d total[Chains];
    for (int c = 0; c < Chains; ++c)
        total[c] = _mm256_setzero_pd();
    for (int i = 0; i < span; i += kBlock)
        for (int c = 0; c < Chains - 1; ++c) {
            __m256d re;
            __m128 im;
            loadFour(spectrum + 2 * (c * span + i), c == 0 && i == 0, re, im);
            total[c] = _mm256_add_pd(total[c], re);
        }
    __m256d running[Chains];
    double offset = 0.0;
    for (int c = 0; c < Chains; ++c) {
        running[c] = _mm256_set1_pd(offset);
        alignas(32) double lanes[kBlock];
        _mm256_store_pd(lanes, total[c]);
        offset += (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
    }
    for (int i = 0; i < span; i += kBlock)
        for (int c = 0; c < Chains; ++c)
            running[c] = blockAvx2(spectrum, c * span + i, running[c], X);
}

// The same outputs as outputs(), with the same additions, four at a time.
[[gnu::target("avx2")]] void outputsAvx2(const float* spectrum, int half, int count, float* X) {
    const int span = half / kChains;
    if (count <= span) {
        __m256d running = _mm256_setzero_pd();
        for (int k = 0; k < count; k += kBlock)
            running = blockAvx2(spectrum, k, running, X);
        return;
    }
    static_assert(kChains == 4);
    switch (chainsFor(half, count)) {
    case 2:
        chainedOutputsAvx2<2>(spectrum, span, X);
        break;
    case 3:
        chainedOutputsAvx2<3>(spectrum, span, X);
        break;
    default:
        chainedOutputsAvx2<4>(spectrum, span, X);
        break;
    }
}
#endif

} // namespace

CSineTransform::CSineTransform(int points)
    : m(points), fold(static_cast<std::size_t>(points)), twiddle(static_cast<std::size_t>(points)) {
#ifdef SWK_SINE_AVX2
    useAvx2 = (m / 2) % (kChains * kBlock) == 0 && __builtin_cpu_supports("avx2");
#endif
    for (int j = 0; j < m; ++j)
        fold[j] = static_cast<float>(std::sin(std::numbers::pi * j / m));
    symmetricFold = true;
    for (int j = 1; j < m; ++j)
        symmetricFold = symmetricFold && fold[j] == fold[m - j];
    for (int k = 0; k < m / 2; ++k) {
        const double angle = -2.0 * std::numbers::pi * k / m;
        twiddle[2 * k] = static_cast<float>(std::cos(angle));
        twiddle[2 * k + 1] = static_cast<float>(std::sin(angle));
    }
    std::vector<float> probe(static_cast<std::size_t>(scratchSize(m)));
    float* aligned = simdAligned(probe.data());
    std::lock_guard<std::mutex> guard(fftwPlannerLock());
    plan = fftwf_plan_dft_1d(m / 2, reinterpret_cast<fftwf_complex*>(aligned),
                             reinterpret_cast<fftwf_complex*>(aligned + m), FFTW_FORWARD,
                             FFTW_ESTIMATE);
    if (!plan) throw std::runtime_error("CSineTransform: FFTW could not plan the transform");
}

CSineTransform::~CSineTransform() {
    std::lock_guard<std::mutex> guard(fftwPlannerLock());
    fftwf_destroy_plan(static_cast<fftwf_plan>(plan));
}

// With y the folded input and Y = DFT(y): the odd part of y gives the even outputs,
// X[2k] = -Im Y[k]; the even part gives the differences of neighbouring odd outputs,
// X[2k+1] = X[2k-1] + Re Y[k], X[1] = Re Y[0] / 2.
// Only y[j] with j < inputs or m - j < inputs can differ from zero.
void CSineTransform::apply(const float* x, float* X, float* scratch, float scale, int inputs,
                           int outputs_) const {
    float* y = simdAligned(scratch);
    float* half = y + m; // the complex transform of y's pairs, m / 2 values
    inputs = std::clamp(inputs, 1, m);
    if (symmetricFold) {
        const int pairs = std::min(inputs, m / 2);
        foldPairs(x, fold.data(), scale, m, pairs, y);
        if (pairs < m / 2)
            std::fill(y + pairs, y + m - pairs + 1, 0.0f);
        else
            foldInput(x, fold.data(), scale, m, m / 2, m / 2 + 1, y);
    } else if (2 * inputs < m) {
        foldInput(x, fold.data(), scale, m, 1, inputs, y);
        std::fill(y + inputs, y + m - inputs + 1, 0.0f);
        foldInput(x, fold.data(), scale, m, m - inputs + 1, m, y);
    } else {
        foldInput(x, fold.data(), scale, m, 1, m, y);
    }
    y[0] = 0.0f;
    fftwf_execute_dft(static_cast<fftwf_plan>(plan), reinterpret_cast<fftwf_complex*>(y),
                      reinterpret_cast<fftwf_complex*>(half));
    // Spectrum value k gives outputs 2k and 2k + 1.
    const int count = std::min((outputs_ + 2 * kBlock - 1) / (2 * kBlock) * kBlock, m / 2);
    // Beyond the first chain's span the odd outputs need the totals of the chains before, so
    // whole chains. y is no longer needed: the spectrum takes its place.
    const int span = m / 2 / kChains;
    const int formed = count <= span ? count : chainsFor(m / 2, count) * span;
    float* spectrum = y;
#ifdef SWK_SINE_AVX2
    if (useAvx2)
        realSpectrumAvx2(half, twiddle.data(), m / 2, formed, spectrum);
    else
        realSpectrum(half, twiddle.data(), m / 2, formed, spectrum);
#else
    realSpectrum(half, twiddle.data(), m / 2, formed, spectrum);
#endif
#ifdef SWK_SINE_AVX2
    if (useAvx2)
        outputsAvx2(spectrum, m / 2, count, X);
    else
        outputs(spectrum, m / 2, count, X);
#else
    outputs(spectrum, m / 2, count, X);
#endif
    X[0] = 0.0f;
}

} // namespace Engine
