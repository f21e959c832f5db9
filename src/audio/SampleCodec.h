#pragma once
// Conversions between stored integer or float samples and float buffers, one per channel.
#include "audio/Types.h"

namespace Audio::SampleCodec {

bool isSupportedBits(u32 bitsPerSample);

// Bytes one stored sample occupies: 1, 2, 3 or 4.
u32 sampleWidth(u32 bitsPerSample);

// Decodes `frames` interleaved little-endian frames of `raw` into the channel buffers that are
// not null. Runs from the last frame down, so a mono buffer may be decoded in place (raw then
// aliases buffers[0]). 3-byte samples are loaded with 4-byte reads: `raw` must extend one byte
// past the last sample.
// 32-bit samples are IEEE floats when floatSamples is set, else signed integers.
void decode(const u8* raw, u32 bitsPerSample, bool floatSamples, u32 channels, u32 frames,
            float* const* buffers);

// Encodes every channel buffer into interleaved little-endian frames, clipping integers and
// truncating toward zero. NaN becomes silence.
void encode(const float* const* buffers, u32 bitsPerSample, bool floatSamples, u32 channels,
            u32 frames, u8* raw);

// Single-sample conversions, exposed for the conversion table's exact values.
float decode8(u8 stored);
float decode16(i16 stored);
float decode24(const u8* threeBytesPlusOne);
float decode32(i32 stored);
u8 encode8(float x);
i16 encode16(float x);
i32 encode24(float x);
i32 encode32(float x);

} // namespace Audio::SampleCodec
