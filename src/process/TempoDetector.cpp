#include "process/TempoDetector.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "process/OnsetEnvelope.h"

namespace Process {

namespace {

// Lags up to this many seconds take part: long enough for a dozen beats at 174 BPM.
constexpr double kLongestLag = 4.5;
// Tempos that fit whole fractions of each other: the faster wins while its comb reaches this
// share of the best.
constexpr double kFasterOctaveShare = 0.7;
// Below this regularity there is no beat to speak of.
constexpr double kWeakestBeat = 0.08;
// Onsets whose mean rise per bin stays below this are inaudible ripples (a steady tone's
// leakage moving with the frames), not a beat.
constexpr float kFaintestOnset = 0.01f;

// The envelope's rises above its local mean: the onsets stand out, slow swells do not.
std::vector<float> risesAboveLocalMean(const std::vector<float>& onsets, double hopSeconds) {
    const auto n = static_cast<std::ptrdiff_t>(onsets.size());
    const auto half = static_cast<std::ptrdiff_t>(0.5 / hopSeconds);
    std::vector<double> sum(onsets.size() + 1, 0.0);
    for (std::size_t i = 0; i < onsets.size(); ++i) sum[i + 1] = sum[i] + onsets[i];
    std::vector<float> rises(onsets.size());
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        const std::ptrdiff_t from = std::max<std::ptrdiff_t>(0, i - half);
        const std::ptrdiff_t to = std::min(n, i + half + 1);
        const double mean = (sum[static_cast<std::size_t>(to)] - sum[static_cast<std::size_t>(from)]) /
                            static_cast<double>(to - from);
        rises[static_cast<std::size_t>(i)] =
            static_cast<float>(std::max(0.0, onsets[static_cast<std::size_t>(i)] - mean));
    }
    // Zero mean, so that the autocorrelation has no floor that every period would share.
    const double average = std::accumulate(rises.begin(), rises.end(), 0.0) /
                           static_cast<double>(rises.size());
    for (float& v : rises) v -= static_cast<float>(average);
    return rises;
}

// Autocorrelation for lags 0..maxLag, divided by its value at lag 0 (all zeros for silence).
std::vector<double> autocorrelation(const std::vector<float>& x, std::size_t maxLag) {
    std::vector<double> r(maxLag + 1, 0.0);
    for (std::size_t lag = 0; lag <= maxLag && lag < x.size(); ++lag) {
        double s = 0.0;
        for (std::size_t i = 0; i + lag < x.size(); ++i) s += static_cast<double>(x[i]) * x[i + lag];
        r[lag] = s;
    }
    if (const double energy = r[0]; energy > 0.0)
        for (double& v : r) v /= energy;
    return r;
}

double at(const std::vector<double>& r, double lag) {
    const auto i = static_cast<std::size_t>(lag);
    if (i + 1 >= r.size()) return 0.0;
    const double f = lag - static_cast<double>(i);
    return r[i] * (1.0 - f) + r[i + 1] * f;
}

// The mean autocorrelation at the multiples of a period within the lags.
double comb(const std::vector<double>& r, double period) {
    const auto count = static_cast<int>(static_cast<double>(r.size() - 2) / period);
    if (count < 1) return 0.0;
    double s = 0.0;
    for (int k = 1; k <= count; ++k) s += at(r, k * period);
    return s / count;
}

double periodOf(double bpm, double hopSeconds) {
    return 60.0 / (bpm * hopSeconds);
}

// Of the tempos whose comb peaks within this share of the best, the fastest: a beat also fits
// every whole fraction of its tempo (and a fast pulse beyond the range fits its halves), so the
// fastest fitting one within the range is the beat.
double fastestGoodPeak(const std::vector<double>& r, double hopSeconds) {
    std::vector<double> score;
    for (int i = 0;; ++i) {
        const double bpm = kSlowestDetectedBpm + 0.05 * i;
        if (bpm > kFastestDetectedBpm + 1e-9) break;
        score.push_back(comb(r, periodOf(bpm, hopSeconds)));
    }
    const double best = *std::max_element(score.begin(), score.end());
    for (std::size_t i = score.size(); i-- > 0;) {
        const bool peak = (i + 1 == score.size() || score[i] >= score[i + 1]) &&
                          (i == 0 || score[i] >= score[i - 1]);
        if (peak && score[i] >= kFasterOctaveShare * best)
            return kSlowestDetectedBpm + 0.05 * static_cast<double>(i);
    }
    return kSlowestDetectedBpm;
}

// The period through the peaks near each multiple (least squares through the origin, each
// peak placed by a parabola through its three highest points).
double refinedPeriod(const std::vector<double>& r, double period) {
    double num = 0.0, den = 0.0;
    const auto count = static_cast<int>(static_cast<double>(r.size() - 2) / period);
    for (int k = 1; k <= count; ++k) {
        const double centre = k * period;
        const double reach = std::max(2.0, 0.03 * centre);
        auto lo = static_cast<std::size_t>(std::max(1.0, std::floor(centre - reach)));
        auto hi = std::min(r.size() - 2, static_cast<std::size_t>(std::ceil(centre + reach)));
        std::size_t peak = lo;
        for (std::size_t i = lo; i <= hi; ++i)
            if (r[i] > r[peak]) peak = i;
        if (r[peak] <= 0.0 || peak == lo || peak == hi) continue;
        const double a = r[peak - 1], b = r[peak], c = r[peak + 1];
        const double denom = a - 2.0 * b + c;
        const double place = static_cast<double>(peak) + (denom < 0.0 ? 0.5 * (a - c) / denom : 0.0);
        num += r[peak] * k * place;
        den += r[peak] * k * k;
    }
    return den > 0.0 ? num / den : period;
}

} // namespace

TempoEstimate tempoOfOnsets(const std::vector<float>& onsets, double hopSeconds) {
    const auto maxLag = static_cast<std::size_t>(kLongestLag / hopSeconds);
    // A few beats at the slowest tempo at least.
    if (onsets.size() < static_cast<std::size_t>(3.0 * periodOf(kSlowestDetectedBpm, hopSeconds)))
        return {};
    const std::vector<float> rises = risesAboveLocalMean(onsets, hopSeconds);
    if (*std::max_element(rises.begin(), rises.end()) < kFaintestOnset) return {};
    const std::vector<double> r = autocorrelation(rises, std::min(maxLag, onsets.size() - 1));
    if (r[0] <= 0.0) return {};
    const double coarse = fastestGoodPeak(r, hopSeconds);
    const double period = refinedPeriod(r, periodOf(coarse, hopSeconds));
    const double strength = std::clamp(comb(r, period), 0.0, 1.0);
    if (strength < kWeakestBeat) return {0.0, strength};
    return {60.0 / (period * hopSeconds), strength};
}

TempoEstimate detectTempo(const float* mono, std::size_t frames, double sampleRate) {
    OnsetEnvelope envelope(sampleRate);
    envelope.add(mono, frames);
    return tempoOfOnsets(envelope.values(), envelope.hopSeconds());
}

TempoEstimate detectTempo(Audio::CAudioFileCache& source, double maxSeconds,
                          const std::atomic<bool>* abort) {
    source.refresh();
    const Audio::AudioFormat format = source.file->format;
    const std::uint64_t total = std::min<std::uint64_t>(
        source.file->getFrames(), static_cast<std::uint64_t>(maxSeconds * format.sampleRate));
    OnsetEnvelope envelope(format.sampleRate);
    constexpr Audio::u32 kBlock = 16384;
    const auto channels = static_cast<std::size_t>(format.channels);
    std::vector<std::vector<float>> block(std::max<std::size_t>(channels, 1),
                                          std::vector<float>(kBlock));
    std::vector<float*> pointers(std::max<std::size_t>(channels, Audio::kMaxBlockChannels), nullptr);
    for (std::size_t c = 0; c < channels; ++c) pointers[c] = block[c].data();
    std::vector<float> mono(kBlock);
    for (std::uint64_t at = 0; at < total; at += kBlock) {
        if (abort && abort->load()) break;
        Audio::u32 got = 0;
        Audio::tools::read(pointers.data(), 0, &source, format.channels, at,
                           static_cast<Audio::u32>(std::min<std::uint64_t>(kBlock, total - at)), &got);
        if (got == 0) break;
        for (Audio::u32 i = 0; i < got; ++i) {
            float s = 0.0f;
            for (std::size_t c = 0; c < channels; ++c) s += block[c][i];
            mono[i] = s / static_cast<float>(channels);
        }
        envelope.add(mono.data(), got);
    }
    return tempoOfOnsets(envelope.values(), envelope.hopSeconds());
}

} // namespace Process
