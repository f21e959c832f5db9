// Pitch and distortion of 10-second sines shifted in both pitch modes (quality medium): the
// counters give the pitch error in cents against the request and the energy outside +-10 Hz of
// the requested tone against the energy inside, in dB, over the result without its first and
// last 0.3 s under a Kaiser window (beta 20). One iteration each; the time is of no interest.
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <vector>

#include "engine/kalo2/KALO2.h"

namespace {

constexpr double kRate = 44100.0;
using Signal = std::vector<float>;

// The whole tone through one engine state, the latency dropped, as the job streams it.
Signal shifted(const Signal& in, double pitch, bool exact) {
    std::unique_ptr<std::byte[]> bytes(new std::byte[KALO2_StateSize()]());
    auto* state = reinterpret_cast<Engine::EngineState*>(bytes.get());
    KALO2_SetExactPitch(state, exact);
    Signal buffer(KALO2_BufferFrames), out;
    float* channels[Audio::kMaxEngineChannels] = {buffer.data()};
    std::int64_t latency = KALO2_OutputLatency(pitch, static_cast<float>(kRate), exact);
    std::uint32_t position = 0, request = KALO2_FirstRequest;
    while (out.size() < in.size()) {
        for (std::uint32_t i = 0; i < request; ++i)
            buffer[i] = position + i < in.size() ? in[position + i] : 0.0f;
        const int n = KALO2_Process(1.0, pitch, 1.0, 3, static_cast<float>(kRate), 1, 0, &position,
                                    &request, channels, state);
        const std::int64_t skip = std::min<std::int64_t>(latency, n);
        latency -= skip;
        out.insert(out.end(), buffer.begin() + skip, buffer.begin() + n);
    }
    out.resize(in.size());
    return out;
}

// In-place radix-2 transform (negative exponent); the size is a power of two.
void transform(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const auto step = std::polar(1.0, -2.0 * std::numbers::pi / static_cast<double>(length));
        for (std::size_t i = 0; i < n; i += length) {
            std::complex<double> w = 1.0;
            for (std::size_t k = 0; k < length / 2; ++k, w *= step) {
                const auto u = a[i + k], v = a[i + k + length / 2] * w;
                a[i + k] = u + v;
                a[i + k + length / 2] = u - v;
            }
        }
    }
}

double besselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int j = 1; term > 1e-17 * sum; ++j) {
        term *= (x / (2.0 * j)) * (x / (2.0 * j));
        sum += term;
    }
    return sum;
}

double distortionDb(const Signal& x, double tone) {
    const auto cut = static_cast<std::size_t>(0.3 * kRate);
    const std::size_t n = x.size() - 2 * cut;
    std::size_t size = 1;
    while (size < 2 * n)
        size <<= 1;
    std::vector<std::complex<double>> a(size);
    for (std::size_t i = 0; i < n; ++i) {
        const double r = 2.0 * static_cast<double>(i) / static_cast<double>(n - 1) - 1.0;
        a[i] = x[cut + i] * besselI0(20.0 * std::sqrt(std::max(0.0, 1.0 - r * r)));
    }
    transform(a);
    double inside = 0.0, outside = 0.0;
    for (std::size_t k = 0; k <= size / 2; ++k) {
        const double f = static_cast<double>(k) * kRate / static_cast<double>(size);
        (std::fabs(f - tone) <= 10.0 ? inside : outside) += std::norm(a[k]);
    }
    return 10.0 * std::log10(outside / inside);
}

// The tone's mean frequency: its phase on windows of 512 frames (so that up to 43 Hz off the
// expected frequency unwrap unambiguously), demodulated at the expected frequency, fitted by a
// line over the middle 80 % of the result.
double frequencyOf(const Signal& x, double expected) {
    const std::size_t window = 512;
    std::vector<double> times, phases;
    for (std::size_t start = x.size() / 10; start + window < x.size() * 9 / 10; start += window) {
        std::complex<double> z = 0.0;
        for (std::size_t i = start; i < start + window; ++i)
            z += static_cast<double>(x[i]) * std::polar(1.0, -2.0 * std::numbers::pi * expected *
                                                                 static_cast<double>(i) / kRate);
        double phase = std::arg(z);
        if (!phases.empty()) {
            while (phase - phases.back() > std::numbers::pi)
                phase -= 2.0 * std::numbers::pi;
            while (phase - phases.back() < -std::numbers::pi)
                phase += 2.0 * std::numbers::pi;
        }
        times.push_back(static_cast<double>(start) / kRate);
        phases.push_back(phase);
    }
    const auto n = static_cast<double>(times.size());
    double t = 0.0, p = 0.0, tt = 0.0, tp = 0.0;
    for (std::size_t i = 0; i < times.size(); ++i)
        t += times[i], p += phases[i], tt += times[i] * times[i], tp += times[i] * phases[i];
    return expected + (n * tp - t * p) / (n * tt - t * t) / (2.0 * std::numbers::pi);
}

// Arguments: tone in Hz; semitones; exact pitch.
void BM_ShiftedTone(benchmark::State& st) {
    const double tone = static_cast<double>(st.range(0));
    const double request = std::pow(2.0, static_cast<double>(st.range(1)) / 12.0);
    Signal in(static_cast<std::size_t>(10 * kRate));
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * tone * i / kRate));
    Signal out;
    for (auto _ : st)
        out = shifted(in, request, st.range(2) != 0);
    const double expected = tone * request;
    st.counters["cents"] = 1200.0 * std::log2(frequencyOf(out, expected) / expected);
    st.counters["distortion_dB"] = distortionDb(out, expected);
}

BENCHMARK(BM_ShiftedTone)
    ->ArgNames({"Hz", "semitones", "exact"})
    ->ArgsProduct({{440, 1000}, {7, 12, 19, -5, -12}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
