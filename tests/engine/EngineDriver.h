#pragma once
// Drives the engine the way the processing job does, and measures what comes out.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "engine/kalo2/EngineState.h"
#include "engine/kalo2/KALO2.h"

namespace EngineTest {

using Signal = std::vector<float>;

struct Settings {
    double time = 1.0;
    double pitch = 1.0;
    double formant = 1.0;
    int quality = 3;
    float rate = 44100.0f;
    bool exactPitch = false;
};

// A zero-filled engine state as the job allocates it.
class StateBuffer {
  public:
    StateBuffer() : bytes(new std::byte[KALO2_StateSize()]()) {}
    Engine::EngineState* get() { return reinterpret_cast<Engine::EngineState*>(bytes.get()); }
    std::byte* raw() { return bytes.get(); }

  private:
    std::unique_ptr<std::byte[]> bytes;
};

struct Output {
    std::vector<Signal> out; // latency already dropped
    std::uint32_t largestRequest = 0;
    bool constantFrames = true; // every call returned the same count
};

// Streams the input through one state block by block until the input and the latency are
// consumed, like the job's block loop.
inline Output process(const std::vector<Signal>& in, const Settings& s) {
    const std::size_t channels = in.size();
    std::vector<Signal> buffers(channels, Signal(KALO2_BufferFrames));
    float* pointers[Audio::kMaxEngineChannels] = {};
    for (std::size_t c = 0; c < channels; ++c)
        pointers[c] = buffers[c].data();
    StateBuffer state;
    KALO2_SetExactPitch(state.get(), s.exactPitch);
    Output run;
    run.out.resize(channels);
    std::int64_t latency = KALO2_OutputLatency(s.pitch, s.rate, s.exactPitch);
    const std::int64_t limit = static_cast<std::int64_t>(in[0].size()) + latency;
    std::uint32_t position = 0, request = 4096;
    int firstCount = -1;
    while (position < limit) {
        for (std::size_t c = 0; c < channels; ++c)
            for (std::uint32_t i = 0; i < request; ++i)
                buffers[c][i] = position + i < in[c].size() ? in[c][position + i] : 0.0f;
        const int n =
            KALO2_Process(s.time, s.pitch, s.formant, s.quality, s.rate, static_cast<int>(channels),
                          0, &position, &request, pointers, state.get());
        if (n <= 0) break;
        if (request > KALO2_BufferFrames) {
            ADD_FAILURE() << "request of " << request << " frames overruns the buffers";
            break;
        }
        if (firstCount < 0) firstCount = n;
        run.constantFrames = run.constantFrames && n == firstCount;
        run.largestRequest = std::max(run.largestRequest, request);
        const std::int64_t skip = std::min<std::int64_t>(latency, n);
        latency -= skip;
        for (std::size_t c = 0; c < channels; ++c)
            run.out[c].insert(run.out[c].end(), buffers[c].begin() + skip, buffers[c].begin() + n);
    }
    return run;
}

inline Signal tone(std::size_t n, double frequency, double rate, double amplitude = 0.5) {
    Signal out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] =
            static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * i / rate));
    return out;
}

// Mean frequency over [from, to): upward zero crossings, interpolated linearly, counted
// from the first to the last.
inline double frequency(const Signal& x, std::size_t from, std::size_t to, double rate) {
    double first = -1.0, last = -1.0;
    int cycles = -1;
    for (std::size_t i = from + 1; i < to; ++i) {
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            const double t = (i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            if (first < 0.0) first = t;
            last = t;
            ++cycles;
        }
    }
    return cycles > 0 ? cycles * rate / (last - first) : 0.0;
}

// The tone's own frequency near `nominal`, unaffected by the phase steps splices leave: on
// windows of 2048 frames the phase advance between the two halves of the tone demodulated at
// `nominal` gives the offset from it; the median over the windows is returned.
inline double localFrequency(const Signal& x, std::size_t from, std::size_t to, double nominal,
                             double rate) {
    const std::size_t window = 2048, half = window / 2;
    std::vector<double> estimates;
    for (std::size_t start = from; start + window <= to; start += window) {
        double re[2] = {}, im[2] = {};
        for (std::size_t i = 0; i < window; ++i) {
            const double w = std::sin(std::numbers::pi * static_cast<double>(i % half) / half);
            const double ph =
                2.0 * std::numbers::pi * nominal * static_cast<double>(start + i) / rate;
            re[i / half] += w * x[start + i] * std::cos(ph);
            im[i / half] -= w * x[start + i] * std::sin(ph);
        }
        const double turn =
            std::atan2(im[1] * re[0] - re[1] * im[0], re[1] * re[0] + im[1] * im[0]);
        estimates.push_back(nominal + turn / (2.0 * std::numbers::pi) * rate / half);
    }
    std::nth_element(estimates.begin(), estimates.begin() + estimates.size() / 2, estimates.end());
    return estimates[estimates.size() / 2];
}

inline double cents(double measured, double expected) {
    return 1200.0 * std::log2(measured / expected);
}

// Root mean square over [from, to).
inline double rms(const Signal& x, std::size_t from, std::size_t to) {
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i)
        sum += double{x[i]} * x[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

// Level of everything but the tone, relative to the tone, in dB: a least-squares fit of a
// sinusoid at the given frequency on short windows (so slow phase drift is followed), the
// residual's energy against the fit's.
inline double distortionDb(const Signal& x, std::size_t from, std::size_t to, double frequency,
                           double rate) {
    const std::size_t window = 1024;
    double fitted = 0.0, residual = 0.0;
    for (std::size_t start = from; start + window <= to; start += window) {
        double cc = 0, ss = 0, cs = 0, xc = 0, xs = 0;
        for (std::size_t i = start; i < start + window; ++i) {
            const double ph = 2.0 * std::numbers::pi * frequency * i / rate;
            const double c = std::cos(ph), s = std::sin(ph);
            cc += c * c, ss += s * s, cs += c * s, xc += x[i] * c, xs += x[i] * s;
        }
        const double det = cc * ss - cs * cs;
        const double a = (xc * ss - xs * cs) / det, b = (xs * cc - xc * cs) / det;
        for (std::size_t i = start; i < start + window; ++i) {
            const double ph = 2.0 * std::numbers::pi * frequency * i / rate;
            const double fit = a * std::cos(ph) + b * std::sin(ph);
            fitted += fit * fit;
            residual += (x[i] - fit) * (x[i] - fit);
        }
    }
    return 10.0 * std::log10(residual / fitted);
}

} // namespace EngineTest
