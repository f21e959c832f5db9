#include "audio/InterleavedFrames.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "audio/SampleCodec.h"

namespace Audio {

void InterleavedFrames::throwUnsupported(const char* operation, const char* what) const {
    throw std::logic_error(std::string(layout.className) + "::" + operation +
                           "(): not supported sample size! cannot " + what + "!");
}

u32 InterleavedFrames::blockBytes(const CAudioFile& file, u32 frames, const char* operation) const {
    const u64 bytes = static_cast<u64>(file.format.bytesPerFrame) * frames;
    if (bytes > std::numeric_limits<u32>::max() - 16)
        throw std::runtime_error(std::string(layout.className) + "::" + operation +
                                 "() a block of " + std::to_string(frames) +
                                 " frames is too large for one transfer!");
    return static_cast<u32>(bytes);
}

void InterleavedFrames::toLittleEndian(u8* raw, u64 bytes, u32 bits) {
    if (bits == 8) {
        for (u64 i = 0; i < bytes; ++i)
            raw[i] = static_cast<u8>(raw[i] - 0x80);
        return;
    }
    const u64 width = SampleCodec::sampleWidth(bits);
    for (u64 i = 0; i + width <= bytes; i += width)
        std::reverse(raw + i, raw + i + width);
}

void InterleavedFrames::toBigEndian(u8* raw, u64 bytes, u32 bits) {
    if (bits == 8) {
        for (u64 i = 0; i < bytes; ++i)
            raw[i] = static_cast<u8>(raw[i] + 0x80);
        return;
    }
    toLittleEndian(raw, bytes, bits);
}

void InterleavedFrames::read(CAudioFile& file, bool floatSamples, float** buffers, u32 frames,
                             u32* framesRead) {
    const AudioFormat& f = file.format;
    // Whatever follows the frames the header counts (other chunks, a pad byte) is not audio.
    const u64 left = file.frames > file.position ? file.frames - file.position : 0;
    if (frames > left) frames = static_cast<u32>(left);
    const u32 bytes = blockBytes(file, frames, "read");
    const bool mono = f.channels < 2;
    if (mono && !buffers[0])
        throw std::runtime_error(std::string(layout.className) +
                                 "::read() when you want to read no data from a mono file then "
                                 "don\u00B4t call read!");
    if (!SampleCodec::isSupportedBits(f.bitsPerSample))
        throwUnsupported("read", layout.bigEndian ? "reverse Buffers" : "convert buffers");

    // A mono block fits the caller's float buffer (at most 4 bytes a sample) and is decoded
    // there in place, from the last frame down; the 4-byte load of the last 3-byte sample stays
    // inside the buffer too.
    u8* raw;
    if (mono) {
        raw = reinterpret_cast<u8*>(buffers[0]);
    } else {
        if (scratch.size() < static_cast<std::size_t>(bytes) + 10) scratch.resize(bytes + 10);
        raw = scratch.data();
    }
    u32 got = 0;
    if (bytes > 0) file.file->read(raw, bytes, &got);
    if (got == 0) {
        *framesRead = 0;
        return;
    }
    if (layout.bigEndian) toLittleEndian(raw, got, f.bitsPerSample);
    const u32 n = got / f.bytesPerFrame;
    file.position += n;
    SampleCodec::decode(raw, f.bitsPerSample, floatSamples, f.channels, n, buffers);
    *framesRead = n;
}

void InterleavedFrames::checkSizeLimit(const CAudioFile& file, u32 frames) const {
    if (!layout.sizesOf32Bits) return;
    const u64 end = std::max(file.frames, file.position + frames);
    const u64 dataBytes = end * file.format.bytesPerFrame;
    if (dataBytes + layout.headerBytesOutsideData > std::numeric_limits<u32>::max())
        throw std::runtime_error(std::string(layout.className) +
                                 "::write() the file would grow beyond the 4 GiB that its header "
                                 "can describe! the frames written so far are kept.");
}

void InterleavedFrames::write(CAudioFile& file, bool floatSamples, float** buffers, u32 frames,
                              u32* framesWritten) {
    const AudioFormat& f = file.format;
    if (!SampleCodec::isSupportedBits(f.bitsPerSample))
        throwUnsupported("write", "convert buffers");
    const u32 bytes = blockBytes(file, frames, "write");
    checkSizeLimit(file, frames);
    u32 written = 0;
    if (!layout.bigEndian && floatSamples && f.channels == 1 && f.bitsPerSample == 32) {
        file.file->write(buffers[0], bytes, &written);
    } else {
        if (scratch.size() < static_cast<std::size_t>(bytes) + 10) scratch.resize(bytes + 10);
        SampleCodec::encode(buffers, f.bitsPerSample, floatSamples, f.channels, frames,
                            scratch.data());
        if (layout.bigEndian) toBigEndian(scratch.data(), bytes, f.bitsPerSample);
        file.file->write(scratch.data(), bytes, &written);
    }
    const u32 n = written / f.bytesPerFrame;
    file.position += n;
    if (file.position > file.frames) file.frames = file.position;
    *framesWritten = n;
}

} // namespace Audio
