#include "engine/kalo2/KALO2.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "engine/SimdClones.h"
#include "engine/kalo2/BandStretcher.h"
#include "engine/kalo2/EngineParameters.h"
#include "engine/kalo2/EngineState.h"
#include "engine/kalo2/FormantStage.h"
#include "engine/kalo2/RateTables.h"
#include "engine/kalo2/Resampler.h"

using namespace Engine;

namespace {

bool foreignState(const EngineState& s) {
    return s.header.initialised != 0 &&
           (s.header.tag != kEngineTag || s.header.version != kEngineVersion ||
            s.header.size != sizeof(EngineState));
}

void initialise(EngineState& s, std::int32_t basePosition) {
    s.header.tag = kEngineTag;
    s.header.version = kEngineVersion;
    s.header.size = sizeof(EngineState);
    for (BandRecord& band : s.bands)
        band.basePosition = basePosition;
}

// Each slot's segment starts at its own band position inside the caller's block. Before
// the first call the caller has only KALO2_FirstRequest frames to give, fewer than the
// longest segments at 88.2 kHz and above; the rest counts as silence instead of whatever
// the caller's buffers held.
SWK_SIMD_CLONES
void distributeInput(EngineState& s, const EngineParameters& p, int channels, float* const* buffers,
                     bool first) {
    for (int slot = 0; slot < p.bands; ++slot) {
        const int length = s.segmentLength[slot];
        const int given = first ? std::min<int>(length, KALO2_FirstRequest) : length;
        for (int c = 0; c < channels; ++c) {
            const float* from = buffers[c] + s.blockOffset[slot];
            float* to = s.channels[c].segment[slot];
            // A NaN or infinity (possible in float sources) would stay in the state for
            // the rest of the stream; it enters as silence instead.
            for (int i = 0; i < given; ++i)
                to[i] = std::isfinite(from[i]) ? from[i] : 0.0f;
            std::fill(to + given, to + length, 0.0f);
        }
    }
}

// The next block spans the segments of the slots in use. Slots a quality mode leaves
// unused never move and must not hold the block's start back.
void nextBlock(EngineState& s, const EngineParameters& p, std::uint32_t* position,
               std::uint32_t* request) {
    std::int32_t start = s.bandPosition[0];
    std::int32_t end = s.bandPosition[0] + s.segmentLength[0];
    for (int slot = 1; slot < p.bands; ++slot) {
        start = std::min(start, s.bandPosition[slot]);
        end = std::max(end, s.bandPosition[slot] + s.segmentLength[slot]);
    }
    for (int slot = 0; slot < kBandSlots; ++slot)
        s.blockOffset[slot] = slot < p.bands ? s.bandPosition[slot] - start : 0;
    s.blockEnd = end;
    *position = static_cast<std::uint32_t>(start);
    *request = static_cast<std::uint32_t>(end - start);
}

// Sums the bands and crossfades them onto the tail of the previous call's output. The sum is
// formed slot by slot over the whole span, so that each loop is a plain vector loop; every
// value still adds the slots in order.
SWK_SIMD_CLONES
void splice(ChannelState& ch, const CRateTables& tables, const EngineParameters& p, bool first) {
    const int half = p.hop;
    const int full = 2 * p.hop;
    const float* w = tables.splice.data();
    float sum[std::size(ch.previous)];
    std::fill(sum, sum + full, 0.0f);
    for (int slot = 0; slot < p.bands; ++slot) {
        const float* band = ch.segment[slot];
        for (int i = 0; i < full; ++i)
            sum[i] += band[i];
    }
    // The very first output starts without a fade-in.
    const int plain = first ? half : 0;
    for (int i = 0; i < plain; ++i)
        ch.previous[i] = (1.0f - 1.0f) * ch.previous[i] + 1.0f * sum[i];
    for (int i = plain; i < full; ++i)
        ch.previous[i] = (1.0f - w[i]) * ch.previous[i] + w[i] * sum[i];
}

SWK_SIMD_CLONES
void clip(float* out, int frames) {
    for (int i = 0; i < frames; ++i)
        out[i] = std::clamp(out[i], -1.0f, 0.9999f);
}

// Returns the number of output frames (the same in every channel).
int produceOutput(EngineState& s, const CRateTables& tables, const EngineParameters& p,
                  int channels, float* const* buffers, bool first) {
    int frames = p.outputFrames;
    for (int c = 0; c < channels; ++c) {
        ChannelState& ch = s.channels[c];
        splice(ch, tables, p, first);
        CFormantStage::process(ch.formant, tables, ch.previous, ch.formantOutput, p.formantRatio);
        CResampler::prepare(ch.resampler);
        if (p.exactPitch)
            frames = CResampler::processExact(ch.resampler, ch.formantOutput, p.hop, buffers[c],
                                              p.pitchRatio);
        else
            CResampler::process(ch.resampler, ch.formantOutput, p.hop, buffers[c], frames);
        clip(buffers[c], frames);
        std::memmove(ch.previous, ch.previous + p.hop, sizeof(float) * p.hop);
        std::fill(ch.previous + p.hop, ch.previous + p.hop + p.hop, 0.0f);
    }
    return frames;
}

} // namespace

std::uint32_t KALO2_StateSize() {
    return sizeof(EngineState);
}

std::int32_t KALO2_OutputLatency(double pitchFactor, float sampleRate, bool exactPitch) {
    const int k = rateMultipleFor(sampleRate);
    if (exactPitch) {
        // The formant stage's four hops, and the resampler's centre tap, which lies half its
        // taps behind the newest input: source frame 0 leaves it that much later.
        const EngineParameters p = conditionParameters(1.0, pitchFactor, 1.0, 3, sampleRate, true);
        const double delay = 2048.0 * k + kResamplerTaps / 2;
        return static_cast<std::int32_t>(std::lround(delay / p.pitchRatio));
    }
    const int m = outputFramesFor(pitchFactor, k);
    return static_cast<std::int32_t>(2048.0 * k / (512.0 * k / m));
}

void KALO2_SetExactPitch(EngineState* state, bool exactPitch) {
    if (state) state->exactPitch = exactPitch ? 1 : 0;
}

std::int32_t KALO2_Process(double timeFactor, double pitchFactor, double formantFactor,
                           std::int32_t qualityMode, float sampleRate, std::int32_t channelCount,
                           std::int32_t basePosition, std::uint32_t* position,
                           std::uint32_t* request, float* const channels[Audio::kMaxEngineChannels],
                           EngineState* state) {
    if (!state || !position || !request || foreignState(*state)) return -1;
    const int count = usableChannels(channelCount, channels);
    if (count == 0) return -1;

    EngineState& s = *state;
    const EngineParameters p = conditionParameters(timeFactor, pitchFactor, formantFactor,
                                                   qualityMode, sampleRate, s.exactPitch != 0);
    const CRateTables& tables = CRateTables::forRateMultiple(p.rateMultiple);
    const bool first = s.header.initialised == 0;
    if (first) initialise(s, basePosition);
    std::copy(std::begin(p.segmentLength), std::end(p.segmentLength), s.segmentLength);

    distributeInput(s, p, count, channels, first);
    BandSetup bands[kBandSlots];
    const int bandCount = CBandStretcher::bandsFor(p, bands);
    for (int i = 0; i < bandCount; ++i)
        CBandStretcher::process(s, tables, p, bands[i], count);
    nextBlock(s, p, position, request);
    const int frames = produceOutput(s, tables, p, count, channels, first);

    s.header.initialised = 1;
    return frames;
}
