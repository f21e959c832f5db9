#pragma once
// The time/pitch engine. One call per block: the engine names the source block it needs
// next and returns a fixed number of output frames per call.
//
// Thread: any, one state per stream, one thread at a time per state. Any number of states
// (of any sample rates) may run in parallel on different threads.
#include "audio/ChannelLimits.h"
#include <cstdint>

namespace Engine {
struct EngineState;
}

// Channels processed per call at most.
// Frames the caller passes to the first call of a stream, from position 0.
inline constexpr std::uint32_t KALO2_FirstRequest = 4096;
// Frames every channel buffer must hold. Requests never come near it: they stay below the
// longest band segment (4096k) plus the spread of the band positions.
inline constexpr std::uint32_t KALO2_BufferFrames = 65537;

// Bytes of an engine state. The caller allocates them zero-filled (alignment of
// operator new is enough) and passes them as Engine::EngineState*.
std::uint32_t KALO2_StateSize();

// Number of leading output frames that belong to the engine's start-up delay. In exact-pitch
// mode (see below), when exactPitch is set: the frames before the sound of source frame 0, to
// the nearest frame.
std::int32_t KALO2_OutputLatency(double pitchFactor, float sampleRate, bool exactPitch = false);

// Exact-pitch mode for a stream, chosen before its first call (a zero-filled state is in the
// default mode). By default every call returns m = trunc(512k / pitch) frames, so the pitch
// actually applied is 512k / m, up to one step of 1/m sharp of the request. In exact-pitch mode
// the pitch and the stretch stage use the requested factor itself, and a call returns
// trunc(512k / pitch) or one frame more, as the resampler's position demands.
void KALO2_SetExactPitch(Engine::EngineState* state, bool exactPitch);

// On entry channels[0..count) hold *request frames starting at the position the previous
// call returned (KALO2_FirstRequest frames from 0 before the first call; each buffer holds
// KALO2_BufferFrames). On return they hold the output frames (their number is returned),
// *position is where the next block starts and *request how many frames it holds.
// qualityMode: 1 monophonic, 2 fast, 3 medium (also 0), 4 best, 5 double length.
// Returns -1 without touching anything when channels[0] is null, channelCount < 1, or the
// state was initialised by something else.
std::int32_t KALO2_Process(double timeFactor, double pitchFactor, double formantFactor,
                           std::int32_t qualityMode, float sampleRate, std::int32_t channelCount,
                           std::int32_t basePosition, std::uint32_t* position,
                           std::uint32_t* request, float* const channels[Audio::kMaxEngineChannels],
                           Engine::EngineState* state);
