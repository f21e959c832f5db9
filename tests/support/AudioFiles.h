#pragma once
// Writing and reading whole audio files through the audio classes, a test signal, and a
// hand-made WAVE header. Header-only: programs that include it link the audio library.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio/AudioFile.h"
#include "audio/AudioFileOpener.h"
#include "audio/ExtendedFloat.h"
#include "support/Bytes.h"

namespace TestSupport {

using Channels = std::vector<std::vector<float>>;

inline Audio::AudioFormat makeFormat(Audio::u32 channels, Audio::u32 rate, Audio::u32 bits) {
    return {channels, rate, bits, Audio::bytesPerSample(bits) * channels, 0};
}

// Writes all frames through the class chosen by type, in blocks of `block` frames.
inline void writeFile(const std::string& path, Audio::FileType type,
                      const Audio::AudioFormat& format, const Channels& data,
                      Audio::u32 block = 1000) {
    auto file = Audio::createAudioFile(path, type);
    file->open(Audio::Write, &format);
    const auto frames = static_cast<Audio::u32>(data.at(0).size());
    std::vector<float*> pointers(data.size());
    for (Audio::u32 done = 0; done < frames;) {
        const Audio::u32 n = std::min(block, frames - done);
        for (std::size_t c = 0; c < data.size(); ++c)
            pointers[c] = const_cast<float*>(data[c].data()) + done;
        Audio::u32 written = 0;
        file->write(pointers.data(), n, &written);
        if (written != n) throw std::runtime_error("short write");
        done += n;
    }
    file->close();
}

// A 16-bit WAV file at the given rate.
inline void writeWav(const std::string& path, const Channels& data, Audio::u32 rate = 44100) {
    writeFile(path, Audio::WavType, makeFormat(static_cast<Audio::u32>(data.size()), rate, 16),
              data);
}

// Reads the whole file in blocks through the given audio file (opened for reading if closed).
inline Channels readAll(Audio::CAudioFile& file, Audio::u32 block = 777) {
    if (!file.isOpen()) file.open(Audio::Read, nullptr);
    const Audio::u64 frames = file.getFrames();
    Channels out(file.format.channels, std::vector<float>(frames));
    std::vector<float*> pointers(file.format.channels);
    for (Audio::u64 done = 0; done < frames;) {
        const auto n = static_cast<Audio::u32>(std::min<Audio::u64>(block, frames - done));
        for (std::size_t c = 0; c < out.size(); ++c)
            pointers[c] = out[c].data() + done;
        Audio::u32 got = 0;
        file.read(pointers.data(), n, &got);
        if (got == 0) throw std::runtime_error("read stopped early");
        done += got;
    }
    return out;
}

inline Channels readFile(const std::string& path) {
    auto file = Audio::createAudioFile(path, Audio::fileTypeFromExtension(path));
    return readAll(*file);
}

// A test signal per channel: a sine of its own frequency plus a ramp, within [-0.9, 0.9].
inline Channels testSignal(Audio::u32 channels, Audio::u32 frames) {
    Channels out(channels, std::vector<float>(frames));
    for (Audio::u32 c = 0; c < channels; ++c)
        for (Audio::u32 i = 0; i < frames; ++i)
            out[c][i] = static_cast<float>(0.6 * std::sin(0.01 * (c + 1) * i) +
                                           0.3 * (static_cast<double>(i % 200) / 100.0 - 1.0));
    return out;
}

// A RIFF WAVE file with the given "fmt " fields and a zeroed data chunk of dataBytes.
inline Bytes waveFile(unsigned tag, unsigned channels, unsigned rate, unsigned blockAlign,
                      unsigned bits, unsigned dataBytes) {
    Bytes b;
    b.text("RIFF").le32(36 + dataBytes).text("WAVE");
    b.text("fmt ").le32(16).le16(tag).le16(channels).le32(rate).le32(rate * blockAlign);
    b.le16(blockAlign).le16(bits);
    b.text("data").le32(dataBytes).zeros(dataBytes);
    return b;
}

// A RIFF (little-endian) or IFF (big-endian) container: id, size, form type, then the body.
inline Bytes container(const char* id, const char* form, const Bytes& body, bool bigEndian) {
    Bytes b;
    b.text(id);
    const auto size = static_cast<unsigned>(body.data.size() + 4);
    bigEndian ? b.be32(size) : b.le32(size);
    return b.text(form).append(body.data);
}

// A sample rate as the 80-bit float AIFF stores.
inline std::vector<unsigned char> extendedBytes(double rate) {
    std::vector<unsigned char> bytes(10);
    Audio::writeExtended(rate, bytes.data());
    return bytes;
}

// An AIFF COMM chunk; negative counts are stored as their 16-bit pattern.
inline Bytes aiffCommon(int channels, unsigned frames, int bits,
                        const std::vector<unsigned char>& rate) {
    return Bytes()
        .text("COMM")
        .be32(18)
        .be16(static_cast<unsigned>(channels) & 0xFFFF)
        .be32(frames)
        .be16(static_cast<unsigned>(bits) & 0xFFFF)
        .append(rate);
}

} // namespace TestSupport
