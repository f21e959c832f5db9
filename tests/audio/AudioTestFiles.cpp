#include "AudioTestFiles.h"

#include <cmath>
#include <stdexcept>

namespace AudioTest {

using namespace Audio;

AudioFormat makeFormat(u32 channels, u32 rate, u32 bits) {
    return {channels, rate, bits, bytesPerSample(bits) * channels, 0};
}

void writeFile(const std::string& path, FileType type, const AudioFormat& format,
               const Channels& data, u32 block) {
    auto file = createAudioFile(path, type);
    file->open(Write, &format);
    const u32 frames = static_cast<u32>(data.at(0).size());
    std::vector<float*> pointers(data.size());
    for (u32 done = 0; done < frames;) {
        const u32 n = std::min(block, frames - done);
        for (std::size_t c = 0; c < data.size(); ++c)
            pointers[c] = const_cast<float*>(data[c].data()) + done;
        u32 written = 0;
        file->write(pointers.data(), n, &written);
        if (written != n) throw std::runtime_error("short write");
        done += n;
    }
    file->close();
}

Channels readAll(CAudioFile& file, u32 block) {
    if (!file.isOpen()) file.open(Read, nullptr);
    const u64 frames = file.getFrames();
    Channels out(file.format.channels, std::vector<float>(frames));
    std::vector<float> scratch;
    std::vector<float*> pointers(file.format.channels);
    for (u64 done = 0; done < frames;) {
        const u32 n = static_cast<u32>(std::min<u64>(block, frames - done));
        for (std::size_t c = 0; c < out.size(); ++c)
            pointers[c] = out[c].data() + done;
        u32 got = 0;
        file.read(pointers.data(), n, &got);
        if (got == 0) throw std::runtime_error("read stopped early");
        done += got;
    }
    return out;
}

Channels readFile(const std::string& path) {
    auto file = createAudioFile(path, fileTypeFromExtension(path));
    return readAll(*file);
}

Channels testSignal(u32 channels, u32 frames) {
    Channels out(channels, std::vector<float>(frames));
    for (u32 c = 0; c < channels; ++c)
        for (u32 i = 0; i < frames; ++i)
            out[c][i] = static_cast<float>(0.6 * std::sin(0.01 * (c + 1) * i) +
                                           0.3 * (static_cast<double>(i % 200) / 100.0 - 1.0));
    return out;
}

Bytes& Bytes::text(const char* four) {
    for (int i = 0; i < 4; ++i)
        data.push_back(static_cast<unsigned char>(four[i]));
    return *this;
}
Bytes& Bytes::le16(unsigned v) {
    return raw({static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)});
}
Bytes& Bytes::le32(unsigned v) {
    return le16(v & 0xFFFF).le16(v >> 16);
}
Bytes& Bytes::be16(unsigned v) {
    return raw({static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)});
}
Bytes& Bytes::be32(unsigned v) {
    return be16(v >> 16).be16(v & 0xFFFF);
}
Bytes& Bytes::raw(std::initializer_list<unsigned char> values) {
    data.insert(data.end(), values);
    return *this;
}
Bytes& Bytes::zeros(std::size_t n) {
    data.insert(data.end(), n, 0);
    return *this;
}

Bytes waveFile(unsigned tag, unsigned channels, unsigned rate, unsigned blockAlign, unsigned bits,
               unsigned dataBytes) {
    Bytes b;
    b.text("RIFF").le32(36 + dataBytes).text("WAVE");
    b.text("fmt ").le32(16).le16(tag).le16(channels).le32(rate).le32(rate * blockAlign);
    b.le16(blockAlign).le16(bits);
    b.text("data").le32(dataBytes).zeros(dataBytes);
    return b;
}

} // namespace AudioTest
