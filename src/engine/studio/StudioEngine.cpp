#include "engine/studio/StudioEngine.h"

#include <algorithm>
#include <cmath>

namespace Engine {

namespace {
// The analysis hop below which (or a quarter frame above which) the phase advance is measured
// on a second frame one synthesis hop back instead of on the last frame.
constexpr int kMeasureBelow = 4;
} // namespace

StudioEngine::StudioEngine(const StreamFormat& format_, const EngineOptions& options_)
    : streamFormat(format_), options(options_), layout(format_.sampleRate),
      channels(format_.channels), historyLength(layout.frame + layout.hop),
      maxInput(
          std::max(layout.frame / 2, static_cast<int>(std::ceil(layout.hop / (0.1 * 0.25))) + 2)),
      maxOutput(4 * layout.hop + 8 * 4 * Studio::SincResampler::kHalfTaps + 16),
      transform(layout.frame, layout.hop), locking(layout.bins),
      transients(layout.frame, transform.window()), onsets(layout.rate),
      formants(layout.bins, layout.rate), resampler(channels, layout.hop),
      limiter(channels, layout.rate) {
    const auto c = static_cast<std::size_t>(channels);
    const auto bins = static_cast<std::size_t>(layout.bins);
    history.assign(c, std::vector<float>(static_cast<std::size_t>(historyLength)));
    inputBuffers.assign(c, std::vector<float>(static_cast<std::size_t>(maxInput)));
    outputBuffers.assign(c, std::vector<float>(static_cast<std::size_t>(maxOutput)));
    overlap.assign(c, std::vector<float>(static_cast<std::size_t>(layout.frame)));
    spectra.assign(c, Spectrum(bins));
    previous.assign(c, Spectrum(bins));
    measure.assign(c, Spectrum(bins));
    power.resize(bins);
    formantGain.resize(bins);
    cross.resize(bins);
    rotation.resize(bins);
    synthesis.resize(bins);
    for (std::size_t i = 0; i < c; ++i) {
        inputs[i] = inputBuffers[i].data();
        outputs[i] = outputBuffers[i].data();
    }
    reset();
}

void StudioEngine::reset() {
    for (auto& h : history)
        std::fill(h.begin(), h.end(), 0.0f);
    for (auto& o : overlap)
        std::fill(o.begin(), o.end(), 0.0f);
    locking.reset();
    transients.reset();
    onsets.reset();
    limiter.reset();
    readPosition = 0;
    frameIndex = 0;
    lastCentre = 0.0;
    lastPoint = 0;
}

void StudioEngine::setFactors(const Factors& f) {
    factors = options.doubleLength ? Factors{2.0, 1.0, 1.0} : saneFactors(f);
}

// The first frame is centred on source frame 0; each next one an analysis hop on.
double StudioEngine::nextCentre() const {
    if (frameIndex == 0) return 0.0;
    return lastCentre + layout.hop / (factors.time * factors.pitch);
}

SourceSpan StudioEngine::nextInput() const {
    const auto end = std::llround(nextCentre()) + layout.frame / 2;
    return {readPosition, static_cast<std::int32_t>(std::max<std::int64_t>(0, end - readPosition))};
}

std::int64_t StudioEngine::latency() const {
    return std::llround(layout.frame / (2.0 * factors.pitch)) + limiter.delay();
}

void StudioEngine::takeInput(std::int64_t frames) {
    const auto n = static_cast<int>(frames);
    onsets.add(inputs.data(), channels, readPosition, n);
    const int kept = std::min(n, historyLength);
    for (int c = 0; c < channels; ++c) {
        auto& h = history[static_cast<std::size_t>(c)];
        std::copy(h.begin() + kept, h.end(), h.begin());
        const float* in = inputs[static_cast<std::size_t>(c)] + (n - kept);
        std::copy(in, in + kept, h.end() - kept);
    }
    readPosition += frames;
}

// Spectra of the frame centred on `centre` (the newest frame of the history), their summed
// power, and the summed cross-spectrum against the frame the phase advance is measured on.
void StudioEngine::analyse(std::int64_t centre) {
    const auto bins = static_cast<std::size_t>(layout.bins);
    const std::int64_t hop = centre - lastPoint;
    const bool second = hop < layout.hop / kMeasureBelow || hop > layout.frame / 4;
    std::fill(power.begin(), power.end(), 0.0f);
    std::fill(cross.begin(), cross.end(), Complex{});
    for (std::size_t c = 0; c < static_cast<std::size_t>(channels); ++c) {
        const float* frame = history[c].data() + (historyLength - layout.frame);
        transform.forward(frame, spectra[c].data());
        if (second) transform.forward(frame - layout.hop, measure[c].data());
        const Spectrum& before = second ? measure[c] : previous[c];
        for (std::size_t m = 0; m < bins; ++m) {
            power[m] += std::norm(spectra[c][m]);
            cross[m] += spectra[c][m] * std::conj(before[m]);
        }
    }
    if (frameIndex > 0)
        locking.advance(power.data(), cross.data(), second ? layout.hop : static_cast<double>(hop),
                        static_cast<double>(layout.hop - hop));
}

void StudioEngine::rotate(std::int64_t centre, double exactCentre) {
    std::int64_t onset = 0;
    const std::int64_t half = layout.frame / 2;
    double* theta = locking.rotation();
    if (onsets.latest(centre - half, centre + half, onset)) {
        transients.mix(power.data(), static_cast<double>(onset) - exactCentre,
                       static_cast<double>(centre) - exactCentre, factors.time * factors.pitch,
                       theta, rotation.data());
    } else {
        transients.quiet(power.data());
        for (int m = 0; m < layout.bins; ++m)
            rotation[static_cast<std::size_t>(m)] = std::polar(1.0f, static_cast<float>(theta[m]));
    }
    if (std::abs(factors.formant - 1.0) > 1e-9) {
        formants.gains(power.data(), factors.formant, formantGain.data());
        for (std::size_t m = 0; m < rotation.size(); ++m)
            rotation[m] *= formantGain[m];
    }
}

// Each channel's frame turned by the common rotation, added to its overlap; one hop of the
// stretched signal leaves for the resampler.
void StudioEngine::synthesise() {
    std::array<const float*, Audio::kMaxEngineChannels> done{};
    for (std::size_t c = 0; c < static_cast<std::size_t>(channels); ++c) {
        for (std::size_t m = 0; m < synthesis.size(); ++m)
            synthesis[m] = spectra[c][m] * rotation[m];
        transform.inverseAdd(synthesis.data(), overlap[c].data());
        done[c] = overlap[c].data();
    }
    resampler.push(done.data(), layout.hop);
    for (auto& o : overlap) {
        std::copy(o.begin() + layout.hop, o.end(), o.begin());
        std::fill(o.end() - layout.hop, o.end(), 0.0f);
    }
}

int StudioEngine::process() {
    const double exactCentre = nextCentre();
    const std::int64_t centre = std::llround(exactCentre);
    const SourceSpan span = nextInput();
    if (frameIndex == 0) {
        // Output frame `latency` is stretched frame 0, which is source frame 0.
        const double lead = std::llround(layout.frame / (2.0 * factors.pitch));
        resampler.reset(-lead * factors.pitch, -layout.frame / 2);
    }
    takeInput(span.frames);
    analyse(centre);
    rotate(centre, exactCentre);
    synthesise();
    for (auto& s : spectra)
        std::swap(s, previous[static_cast<std::size_t>(&s - spectra.data())]);
    lastCentre = exactCentre;
    lastPoint = centre;
    ++frameIndex;
    const int n = resampler.pull(outputs.data(), maxOutput, factors.pitch);
    limiter.process(outputs.data(), n);
    return n;
}

} // namespace Engine
