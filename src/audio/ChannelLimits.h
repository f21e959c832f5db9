#pragma once
// How many channels each part of the system takes: one name per limit.
#include "audio/Types.h"

namespace Audio {

// The stretch engine works on at most this many channels of one file.
inline constexpr int kMaxEngineChannels = 8;
// Audio blocks, split sets, the job's buffers and previews hold at most this many channels.
inline constexpr int kMaxBlockChannels = 10;
// A file header that claims more channels than this is taken for a damaged one: a cache block
// holds 65536 frames of every channel, and a header must not make us allocate gigabytes.
inline constexpr u32 kMaxFileChannels = 64;

} // namespace Audio
