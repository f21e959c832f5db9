#include "audio/InterleavedAudioFile.h"

#include <stdexcept>
#include <string>

#include "audio/SampleCodec.h"

namespace Audio {

// Refuses a format that a writer cannot describe in its header.
static void checkWritableFormat(const AudioFormat& f, const char* className) {
    const std::string name = className;
    if (!SampleCodec::isSupportedBits(f.bitsPerSample))
        throw std::logic_error(name + "::open() cannot write " + std::to_string(f.bitsPerSample) +
                               " bit samples!");
    if (f.channels == 0 || f.channels > 65535)
        throw std::logic_error(name + "::open() cannot write " + std::to_string(f.channels) +
                               " channels!");
    if (f.bytesPerFrame != SampleCodec::sampleWidth(f.bitsPerSample) * f.channels)
        throw std::logic_error(name + "::open() the bytes per frame do not match the channels "
                                      "and the sample size!");
}

CInterleavedAudioFile::CInterleavedAudioFile(std::unique_ptr<CFile> bytes, InterleavedLayout layout,
                                             u32 headerBytes)
    : CAudioFile(std::move(bytes)), frameIo(layout), headerLength(headerBytes) {
}

void CInterleavedAudioFile::open(u32 mode_, const AudioFormat* format_) {
    frames = 0;
    position = 0;
    mode = mode_;
    if (mode == Read) {
        file->open(Read);
        ReadHeader();
        file->seek(static_cast<i64>(dataOffset), Begin);
    } else if (mode == Write) {
        checkWritableFormat(*format_, frameIo.className());
        format = *format_;
        file->open(Write);
        prepareWrite();
        writeHeader();
        headerPatchFrames = format.sampleRate;
        framesAtLastPatch = 0;
        dataOffset = headerLength;
        file->seek(headerLength, Begin);
    }
}

void CInterleavedAudioFile::close() {
    if (!file || !file->isOpen()) return;
    if (mode == Write) writeHeader();
    file->close();
}

void CInterleavedAudioFile::closeQuietly() noexcept {
    try {
        if (file) close();
    } catch (...) {
        // An explicit close() reports; here the file is only let go.
    }
}

void CInterleavedAudioFile::read(float** buffers, u32 count, u32* framesRead) {
    frameIo.read(*this, hasFloatSamples(), buffers, count, framesRead);
}

void CInterleavedAudioFile::write(float** buffers, u32 count, u32* framesWritten) {
    frameIo.write(*this, hasFloatSamples(), buffers, count, framesWritten);
    patchHeaderWhenDue();
}

// Counted in frames rather than in time: a fast job writes many seconds of sound a second.
void CInterleavedAudioFile::patchHeaderWhenDue() {
    if (frames - framesAtLastPatch < headerPatchFrames) return;
    framesAtLastPatch = frames;
    writeHeader();
    file->seek(static_cast<i64>(dataOffset + position * format.bytesPerFrame), Begin);
}

} // namespace Audio
