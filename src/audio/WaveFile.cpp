#include "audio/WaveFile.h"

#include <stdexcept>
#include <string>

#include "audio/ByteOrder.h"
#include "audio/ChunkHeaderReader.h"
#include "audio/SampleCodec.h"
#include "audio/WaveSizes.h"

namespace Audio {

using namespace ByteOrder;

namespace {
const InterleavedLayout waveLayout{"CWaveFile", false, CWaveFile::headerBytes - 8};

std::runtime_error headerError(const std::string& what) {
    return std::runtime_error("CWaveFile::ReadHeader() " + what);
}
} // namespace

CWaveFile::CWaveFile(std::unique_ptr<CFile> bytes)
    : CInterleavedAudioFile(std::move(bytes), waveLayout, headerBytes) {
}

CWaveFile::CWaveFile(std::unique_ptr<CFile> bytes, InterleavedLayout layout, u32 headerSize)
    : CInterleavedAudioFile(std::move(bytes), layout, headerSize) {
}

std::unique_ptr<CAudioFile> CWaveFile::clone() const {
    auto copy = std::make_unique<CWaveFile>(file->clone());
    copyStateTo(*copy);
    copy->formatTag = formatTag;
    return copy;
}

namespace {

constexpr u16 extensibleTag = 0xFFFE;

// The tag inside an extensible format chunk: its sub-format GUID starts with the plain tag
// and ends in the fixed tail 00 00 00 00 10 00 80 00 00 AA 00 38 9B 71.
u16 subFormatTag(const u8* body, u32 size) {
    static const u8 tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    if (size < 40 || std::memcmp(body + 26, tail, sizeof tail) != 0) return 0;
    return le16(body + 24);
}

} // namespace

void CWaveFile::readFormatChunk(u64 bodyOffset, u32 size) {
    // Only the first 40 bytes are used; a larger body is never read into memory.
    if (size < 16) throw headerError("the format chunk is shorter than 16 bytes!");
    u8 body[40] = {};
    const u32 wanted = size < sizeof body ? size : static_cast<u32>(sizeof body);
    if (!readAt(*file, bodyOffset, body, wanted))
        throw headerError("the format chunk runs past the end of the file!");
    u16 tag = le16(body);
    // Multichannel and high-resolution files mostly come in the extensible layout; its
    // integer and float sub-formats are the plain ones.
    if (tag == extensibleTag) tag = subFormatTag(body, wanted);
    if (tag != 1 && tag != 3)
        throw std::runtime_error("CWaveFile::ReadHeader() Other Wav formats than WAVE_FORMAT_PCM "
                                 "or WAVE_FORMAT_IEEE_FLOAT are not supported!");
    formatTag = tag;
    format.channels = le16(body + 2);
    format.sampleRate = le32(body + 4);
    const u32 blockAlign = le16(body + 12);
    format.bitsPerSample = le16(body + 14);
    format.bytesPerFrame =
        blockAlign != 0 ? blockAlign : bytesPerSample(format.bitsPerSample) * format.channels;
    format.bytesPerSecond = blockAlign * format.sampleRate;
}

// Refuses what the reader could not convert safely.
void CWaveFile::checkFormat() const {
    if (format.channels == 0) throw headerError("the file has no channels!");
    if (format.channels > kMaxFileChannels)
        throw headerError("files with more than " + std::to_string(kMaxFileChannels) +
                          " channels are not supported!");
    if (!SampleCodec::isSupportedBits(format.bitsPerSample))
        throw std::runtime_error("WAV supports only 8/16/20/24/32 bit!");
    if (format.bytesPerFrame != bytesPerSample(format.bitsPerSample) * format.channels)
        throw headerError("the block align of " + std::to_string(format.bytesPerFrame) +
                          " bytes does not fit " + std::to_string(format.channels) +
                          " channels of " + std::to_string(format.bitsPerSample) + " bit!");
    if (format.sampleRate == 0) throw headerError("the sample rate is 0 Hz!");
}

void CWaveFile::ReadHeader() {
    const u64 fileSize = file->getSize();
    u8 riff[12];
    if (!readAt(*file, 0, riff, sizeof riff) || !isWaveContainer(riff))
        throw std::runtime_error("cannot read header because this is no valid WAVE file!");
    const WaveSizes sizes = WaveSizes::read(*file, riff, fileSize); // RF64: from its ds64 chunk
    const u64 limit = sizes.walkLimit;
    bool haveFormat = false;
    bool haveData = false;
    u64 dataBytes = 0;
    for (u64 pos = 12; pos < limit;) {
        u8 chunk[8];
        if (!readAt(*file, pos, chunk, sizeof chunk)) break;
        pos += 8;
        const u64 size = sizes.chunkSize(chunk);
        if (isChunk(chunk, "fmt ")) {
            readFormatChunk(pos, size);
            haveFormat = true;
        } else if (isChunk(chunk, "data")) {
            dataOffset = pos;
            dataBytes = size;
            haveData = true;
        }
        // A size that reaches past the file (64-bit ones from an RF64 table may wrap) ends it.
        if (size >= limit - pos) break;
        pos = nextChunkOffset(*file, pos, size);
    }
    if (!haveFormat) throw std::runtime_error("CWaveFile::ReadHeader() no format chunk found!");
    if (!haveData) throw std::runtime_error("CWaveFile::ReadHeader() no data chunk found!");
    checkFormat();
    // A data chunk that claims more than the file holds (a truncated file) counts what is there.
    frames = framesPresent(dataBytes, dataOffset, fileSize, format.bytesPerFrame);
}

void CWaveFile::writeHeader() {
    const u32 dataBytes = static_cast<u32>(frames * format.bytesPerFrame);
    u8 riff[12], fmtHeader[8], fmtBody[16], dataHeader[8];
    std::memcpy(riff, "RIFF", 4);
    putLe32(riff + 4, dataBytes + 36);
    std::memcpy(riff + 8, "WAVE", 4);
    std::memcpy(fmtHeader, "fmt ", 4);
    putLe32(fmtHeader + 4, 16);
    putLe16(fmtBody, formatTag);
    putLe16(fmtBody + 2, format.channels);
    putLe32(fmtBody + 4, format.sampleRate);
    putLe32(fmtBody + 8, format.sampleRate * format.bytesPerFrame);
    putLe16(fmtBody + 12, format.bytesPerFrame);
    putLe16(fmtBody + 14, format.bitsPerSample);
    std::memcpy(dataHeader, "data", 4);
    putLe32(dataHeader + 4, dataBytes);
    file->seek(0, Begin);
    u32 written = 0;
    file->write(riff, sizeof riff, &written);
    file->write(fmtHeader, sizeof fmtHeader, &written);
    file->write(fmtBody, sizeof fmtBody, &written);
    file->write(dataHeader, sizeof dataHeader, &written);
}

} // namespace Audio
