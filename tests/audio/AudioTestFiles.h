#pragma once
// Helpers for the audio tests: writing and reading whole files through the audio classes, and
// hand-made headers for the parser cases.
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioFile.h"
#include "audio/AudioFileOpener.h"

namespace AudioTest {

using Channels = std::vector<std::vector<float>>;

Audio::AudioFormat makeFormat(Audio::u32 channels, Audio::u32 rate, Audio::u32 bits);

// Writes all frames through the class chosen by type, in blocks of `block` frames.
void writeFile(const std::string& path, Audio::FileType type, const Audio::AudioFormat& format,
               const Channels& data, Audio::u32 block = 1000);

// Reads the whole file in blocks through the given (closed) audio file.
Channels readAll(Audio::CAudioFile& file, Audio::u32 block = 777);
Channels readFile(const std::string& path);

// A test signal per channel: a sine of its own frequency plus a ramp, within [-0.9, 0.9].
Channels testSignal(Audio::u32 channels, Audio::u32 frames);

// Little-endian builder for hand-made RIFF/IFF headers.
struct Bytes {
    std::vector<unsigned char> data;
    Bytes& text(const char* four);
    Bytes& le16(unsigned v);
    Bytes& le32(unsigned v);
    Bytes& be16(unsigned v);
    Bytes& be32(unsigned v);
    Bytes& raw(std::initializer_list<unsigned char> values);
    Bytes& zeros(std::size_t n);
};

// A RIFF WAVE header with the given "fmt " body fields followed by a data chunk of dataBytes
// (which are present in the file only when `present`).
Bytes waveFile(unsigned tag, unsigned channels, unsigned rate, unsigned blockAlign, unsigned bits,
               unsigned dataBytes);

} // namespace AudioTest
