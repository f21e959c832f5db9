#include "audio/AiffFile.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "audio/ByteOrder.h"
#include "audio/ChunkHeaderReader.h"
#include "audio/ExtendedFloat.h"
#include "audio/SampleCodec.h"
#include "audio/WaveFile.h"

namespace Audio {

using namespace ByteOrder;

namespace {
const InterleavedLayout aiffLayout{"CAiffFile", true, CAiffFile::headerBytes - 8};

std::runtime_error headerError(const std::string& what) {
    return std::runtime_error("CAiffFile::ReadHeader() " + what);
}
} // namespace

CAiffFile::CAiffFile(std::unique_ptr<CFile> bytes)
    : CInterleavedAudioFile(std::move(bytes), aiffLayout, headerBytes) {
}

std::unique_ptr<CAudioFile> CAiffFile::clone() const {
    auto copy = std::make_unique<CAiffFile>(file->clone());
    copyStateTo(*copy);
    return copy;
}

void CAiffFile::checkFormat(i16 channels, i16 bits, double rate) {
    if (channels <= 0)
        throw headerError("the file names " + std::to_string(channels) + " channels!");
    if (static_cast<u32>(channels) > kMaxFileChannels)
        throw headerError("files with more than " + std::to_string(kMaxFileChannels) +
                          " channels are not supported!");
    format.channels = static_cast<u32>(channels);
    format.bitsPerSample = static_cast<u32>(static_cast<i32>(bits));
    if (!SampleCodec::isSupportedBits(format.bitsPerSample))
        throw std::runtime_error("aiff supports only 8/16/20/24/32 bit!");
    // NaN, infinite, negative and sub-1 Hz rates would not even truncate to a valid integer.
    if (!(rate >= 1.0 && rate < 4294967296.0)) throw headerError("the sample rate is not valid!");
    format.sampleRate = static_cast<u32>(rate);
    format.bytesPerFrame = bytesPerSample(format.bitsPerSample) * format.channels;
    format.bytesPerSecond = 0;
}

void CAiffFile::readCommonChunk(u64 bodyOffset, u32 size, u32* frameCount) {
    if (size < 18) throw headerError("the common chunk is shorter than 18 bytes!");
    u8 body[18];
    if (!readAt(*file, bodyOffset, body, sizeof body))
        throw headerError("the common chunk runs past the end of the file!");
    *frameCount = be32(body + 2);
    checkFormat(static_cast<i16>(be16(body)), static_cast<i16>(be16(body + 6)),
                readExtended(body + 8));
}

void CAiffFile::ReadHeader() {
    const u64 fileSize = file->getSize();
    u8 form[12];
    if (!readAt(*file, 0, form, sizeof form) || !isChunk(form + 8, "AIFF"))
        throw std::runtime_error("cannot read header because this is no valid aiff file!");
    const u64 limit = walkLimit(be32(form + 4), fileSize);
    bool haveCommon = false;
    bool haveSound = false;
    u32 frameCount = 0;
    u64 soundBytes = 0;
    for (u64 pos = 12; pos < limit;) {
        u8 chunk[8];
        if (!readAt(*file, pos, chunk, sizeof chunk)) break;
        pos += 8;
        const u32 size = be32(chunk + 4);
        if (isChunk(chunk, "SSND")) {
            u8 offsets[8];
            if (size < 8 || !readAt(*file, pos, offsets, sizeof offsets))
                throw headerError("the sound data chunk is too short!");
            dataOffset = pos + 8 + be32(offsets);
            soundBytes = pos + size > dataOffset ? pos + size - dataOffset : 0;
            haveSound = true;
        } else if (isChunk(chunk, "COMM")) {
            readCommonChunk(pos, size, &frameCount);
            haveCommon = true;
        }
        pos = nextChunkOffset(*file, pos, size);
    }
    if (!haveCommon) throw std::runtime_error("no aiff common chunk found!");
    if (!haveSound) throw std::runtime_error("no aiff sounddata chunk found!");
    // A truncated file, or a sound chunk shorter than the count, reports only the frames it
    // really holds.
    const u64 claimed = std::min(static_cast<u64>(frameCount) * format.bytesPerFrame, soundBytes);
    frames = framesPresent(claimed, dataOffset, fileSize, format.bytesPerFrame);
}

void CAiffFile::writeHeader() {
    const u32 dataBytes = static_cast<u32>(frames * format.bytesPerFrame);
    u8 form[12], common[26], sound[16];
    std::memcpy(form, "FORM", 4);
    putBe32(form + 4, dataBytes + 46);
    std::memcpy(form + 8, "AIFF", 4);
    std::memcpy(common, "COMM", 4);
    putBe32(common + 4, 18);
    putBe16(common + 8, format.channels);
    putBe32(common + 10, static_cast<u32>(frames));
    putBe16(common + 14, format.bitsPerSample);
    writeExtended(format.sampleRate, common + 16);
    std::memcpy(sound, "SSND", 4);
    putBe32(sound + 4, dataBytes + 8);
    putBe32(sound + 8, 0);
    putBe32(sound + 12, 0);
    file->seek(0, Begin);
    u32 written = 0;
    file->write(form, sizeof form, &written);
    file->write(common, sizeof common, &written);
    file->write(sound, sizeof sound, &written);
}

} // namespace Audio
