#include "engine/kalo2/BandStretcher.h"

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
} // namespace

int CBandStretcher::bandsFor(const EngineParameters& p, BandSetup (&bands)[kBandSlots]) {
    if (p.quality == 1) {
        bands[0] = {0, 0.0, 22050.0, 1};
        return 1;
    }
    for (int i = 0; i < kBandSlots; ++i) {
        const double high = kBandEdges[i + 1];
        // Exact-pitch mode searches at full resolution: a coarse period would put every
        // jump off by a fraction of a frame and shift the band's pitch.
        const bool full = p.quality == 4 || p.exactPitch;
        const int decimation = full ? 1 : static_cast<int>(22050.0 / high);
        bands[i] = {kBandSlots - 1 - i, kBandEdges[i], high, decimation < 1 ? 1 : decimation};
    }
    return kBandSlots;
}

void CBandStretcher::filterChannels(EngineState& s, const CRateTables& tables,
                                    const EngineParameters& p, const BandSetup& band,
                                    int channels) {
    const int k = p.rateMultiple;
    const int length = analysisLength(s.segmentLength[band.slot]);
    // Ramps are wider (divisor 10 instead of 6) near unity stretch.
    const float deviation = static_cast<float>(p.stretch) - 1.0f;
    const int rampDivisor = std::fabs(deviation) < 0.1f ? 10 : 6;
    const double spacing = 22050.0 / (2048.0 * k);
    const int high = static_cast<int>(band.highHz / spacing);
    const int low = static_cast<int>(band.lowHz / spacing);
    const FilterUse use{s.segmentLength[band.slot], band.decimation};
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

void CBandStretcher::process(EngineState& s, const CRateTables& tables, const EngineParameters& p,
                             const BandSetup& band, int channels) {
    BandRecord& record = s.bands[band.slot];
    record.calls += 1;
    record.idealPosition += p.hop / p.stretch;

    filterChannels(s, tables, p, band, channels);
    const double period = findPeriod(s, band, channels);

    std::int32_t& position = s.bandPosition[band.slot];
    position += p.hop;
    const int relative = position - record.basePosition;
    position += p.exactPitch ? exactDriftJump(record.idealPosition, relative, period,
                                              p.rateMultiple, record.jumpRemainder)
                             : driftJump(record.idealPosition, relative, period, p.rateMultiple);
}

} // namespace Engine
