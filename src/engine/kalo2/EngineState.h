#pragma once
// The engine's whole memory for one stream. The caller allocates KALO2_StateSize() bytes,
// zero-fills them and hands them to every call of that stream; the engine never allocates.
#include <cstdint>

#include "engine/kalo2/EngineParameters.h"
#include "engine/kalo2/FormantStage.h"
#include "engine/kalo2/Resampler.h"
#include "engine/kalo2/SineTransform.h"

namespace Engine {

inline constexpr std::uint32_t kEngineTag = 0x6b616c32; // 'kal2'
inline constexpr std::uint32_t kEngineVersion = 544;

// Largest segment the filter touches: max(analysis length, 2048k) at k = 2.
inline constexpr int kSegmentCapacity = 8192;
// Lags of the difference function, plus one: (4096k / 2) + 1 at k = 2, undecimated.
inline constexpr int kDifferenceCapacity = 4104;

struct EngineHeader {
    std::uint32_t tag;
    std::uint32_t version;
    std::uint32_t size;
    std::uint32_t initialised;
};

// Where one band slot should be if it followed the stretch factor exactly.
struct BandRecord {
    std::int32_t calls;
    std::int32_t basePosition;
    double idealPosition;
    std::int32_t spare[4];
    double jumpRemainder; // exact-pitch mode: the part of the whole periods not yet jumped
};

// Scratch of the band filter: a sub-frame's spectrum, the filtered sub-frame and the sine
// transform's own work space.
struct FilterWork {
    float spectrum[kSegmentCapacity / 2];
    float filtered[kSegmentCapacity / 2];
    float transform[CSineTransform::scratchSize(kSegmentCapacity / 2)];
};

struct ChannelState {
    float previous[2048];      // spliced stretch output, 1024k used
    float formantOutput[1024]; // 512k used
    float segment[kBandSlots][kSegmentCapacity];
    FormantRecord formant;
    ResamplerRecord resampler;
};

struct EngineState {
    EngineHeader header;
    std::int32_t bandPosition[kBandSlots]; // source frame where each slot's next segment starts
    std::int32_t blockOffset[kBandSlots];  // band position minus the next block's start
    std::int32_t blockEnd;
    std::int32_t exactPitch; // see KALO2_SetExactPitch()
    std::int32_t segmentLength[kBandSlots];
    BandRecord bands[kBandSlots];
    // The band filter's carry between sub-frames, then the decimated mono mix of the search.
    float accumulator[kSegmentCapacity];
    FilterWork filter;
    float difference[kDifferenceCapacity];
    // Exact-pitch mode: the decimated points of the undecimated mix in the accumulator, and the
    // band spectra of the sub-frames only the search reads, summed over the channels.
    float coarseMix[kSegmentCapacity / 8];
    float searchSpectra[2][kSegmentCapacity / 2];
    ChannelState channels[Audio::kMaxEngineChannels];
};

} // namespace Engine
