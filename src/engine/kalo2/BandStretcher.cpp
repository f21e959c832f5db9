#include "engine/kalo2/BandStretcher.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/kalo2/BandFilter.h"
#include "engine/kalo2/PeriodSearch.h"

namespace Engine {

namespace {
constexpr double kBandEdges[kBandSlots + 1] = {0.0, 344.0, 689.0, 1378.0, 2756.0, 22050.0};

int analysisLength(int segmentLength) {
    int length = 1;
    while (length < segmentLength)
        length *= 2;
    return length;
}

// The filter's coefficient index of a frequency: its bins lie 22050 / 2048k Hz apart.
int binOf(double hz, int k) {
    return static_cast<int>(hz / (22050.0 / (2048.0 * k)));
}
} // namespace

int CBandStretcher::bandsFor(const EngineParameters& p, BandSetup (&bands)[kBandSlots]) {
    if (p.quality == 1) {
        bands[0] = {0, 0.0, 22050.0, 1};
        return 1;
    }
    for (int i = 0; i < kBandSlots; ++i) {
        const double high = kBandEdges[i + 1];
        const int decimation = p.quality == 4 ? 1 : static_cast<int>(22050.0 / high);
        bands[i] = {kBandSlots - 1 - i, kBandEdges[i], high, decimation < 1 ? 1 : decimation};
    }
    return kBandSlots;
}

void CBandStretcher::filterChannels(EngineState& s, const CRateTables& tables,
                                    const EngineParameters& p, const BandSetup& band, int channels,
                                    const FilterUse& use) {
    const int k = p.rateMultiple;
    const int length = analysisLength(s.segmentLength[band.slot]);
    // Ramps are wider (divisor 10 instead of 6) near unity stretch.
    const float deviation = static_cast<float>(p.stretch) - 1.0f;
    const int rampDivisor = std::fabs(deviation) < 0.1f ? 10 : 6;
    const int high = binOf(band.highHz, k);
    const int low = binOf(band.lowHz, k);
    for (int c = 0; c < channels; ++c)
        CBandFilter::filter(s.channels[c].segment[band.slot], length, low, high, rampDivisor, use,
                            tables, s.accumulator, s.filter);
}

double CBandStretcher::findPeriod(EngineState& s, const BandSetup& band, int channels) {
    const int length = analysisLength(s.segmentLength[band.slot]);
    const float* segments[Audio::kMaxEngineChannels];
    for (int c = 0; c < channels; ++c)
        segments[c] = s.channels[c].segment[band.slot];
    CPeriodSearch::mix(segments, channels, length, band.decimation, s.accumulator);

    const int lags = (s.segmentLength[band.slot] / 2) / band.decimation;
    CPeriodSearch::difference(s.accumulator, lags, s.difference);
    const int lag = CPeriodSearch::chooseLag(s.difference, lags);
    return CPeriodSearch::refine(s.difference, lag, band.decimation);
}

// A period off by a fraction of a frame would put every jump off by as much and shift the
// band's pitch. The search of the quality's decimation finds the minimum; the undecimated mix
// places it to a fraction of a frame.
double CBandStretcher::findExactPeriod(EngineState& s, const CRateTables& tables,
                                       const BandSetup& band, int channels, const FilterUse& use) {
    const int length = analysisLength(s.segmentLength[band.slot]);
    const float* segments[Audio::kMaxEngineChannels];
    for (int c = 0; c < channels; ++c)
        segments[c] = s.channels[c].segment[band.slot];
    const float* full = s.accumulator;
    CPeriodSearch::mix(segments, channels, length, 1, s.accumulator);
    if (use.searchSpectra)
        CBandFilter::addSearchFrames(use, length, binOf(band.highHz, tables.rateMultiple),
                                     1.0f / static_cast<float>(channels), tables, s.accumulator,
                                     s.filter);

    const int d = band.decimation;
    const int lags = (s.segmentLength[band.slot] / 2) / d;
    if (d == 1) {
        // The whole search, as the quality runs it, with the V's tip.
        CPeriodSearch::difference(full, lags, s.difference);
        return CPeriodSearch::vertex(s.difference, CPeriodSearch::chooseLag(s.difference, lags));
    }
    for (int t = 0; t < 2 * lags; ++t)
        s.coarseMix[t] = full[t * d + d - 1];
    CPeriodSearch::difference(s.coarseMix, lags, s.difference);
    return CPeriodSearch::exactPeriod(full, s.difference, d, lags, length - 1 - lags * d);
}

int CBandStretcher::driftJump(double idealPosition, int relativePosition, double period, int k) {
    const double drift = std::trunc(idealPosition - relativePosition);
    const double jump = std::trunc(std::trunc(drift / period) * period);
    // |jump| <= |drift| for any finite period; a degenerate period (0, NaN) means no jump.
    if (!std::isfinite(jump) || std::fabs(jump) <= 150.0 * k) return 0;
    return static_cast<int>(jump);
}

int CBandStretcher::exactDriftJump(double idealPosition, int relativePosition, double period, int k,
                                   double& remainder) {
    const double drift = std::trunc(idealPosition - relativePosition);
    const double periods = std::trunc(drift / period) * period;
    if (!std::isfinite(periods) || std::fabs(periods) <= 150.0 * k) return 0;
    const double wanted = periods + remainder;
    const double jump = std::round(wanted);
    remainder = wanted - jump;
    return static_cast<int>(jump);
}

// Exact-pitch mode looks for the period only when the drift is large enough for a jump. The
// search then needs the band's mono mix undecimated: the sub-frames only it reads are summed
// over the channels in the spectrum and transformed back once.
void CBandStretcher::processExact(EngineState& s, const CRateTables& tables,
                                  const EngineParameters& p, const BandSetup& band, int channels) {
    BandRecord& record = s.bands[band.slot];
    std::int32_t& position = s.bandPosition[band.slot];
    const int relative = position + p.hop - record.basePosition;
    const double drift = std::trunc(record.idealPosition - relative);
    const bool due = std::fabs(drift) > 150.0 * p.rateMultiple;

    const int segmentLength = s.segmentLength[band.slot];
    FilterUse use{segmentLength, due ? 1 : 0};
    const int searchOnly =
        CBandFilter::searchOnlyFrames(analysisLength(segmentLength), segmentLength, tables);
    if (due && searchOnly > 0) {
        use = {segmentLength, 0, &s.searchSpectra[0][0]};
        std::fill_n(use.searchSpectra, searchOnly * tables.sineTransform.size(), 0.0f);
    }
    filterChannels(s, tables, p, band, channels, use);
    position += p.hop;
    if (!due) return;
    const double period = findExactPeriod(s, tables, band, channels, use);
    position += exactDriftJump(record.idealPosition, relative, period, p.rateMultiple,
                               record.jumpRemainder);
}

void CBandStretcher::process(EngineState& s, const CRateTables& tables, const EngineParameters& p,
                             const BandSetup& band, int channels) {
    BandRecord& record = s.bands[band.slot];
    record.calls += 1;
    record.idealPosition += p.hop / p.stretch;
    if (p.exactPitch) {
        processExact(s, tables, p, band, channels);
        return;
    }

    filterChannels(s, tables, p, band, channels, {s.segmentLength[band.slot], band.decimation});
    const double period = findPeriod(s, band, channels);

    std::int32_t& position = s.bandPosition[band.slot];
    position += p.hop;
    const int relative = position - record.basePosition;
    position += driftJump(record.idealPosition, relative, period, p.rateMultiple);
}

} // namespace Engine
