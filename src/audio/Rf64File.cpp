#include "audio/Rf64File.h"

#include <cstring>

#include "audio/ByteOrder.h"
#include "audio/WaveSizes.h"

namespace Audio {

using namespace ByteOrder;

namespace {

// The frames, with WAV's texts; no 4 GiB limit.
const InterleavedLayout rf64Layout{"CWaveFile", false, CRf64File::headerBytes - 8, false};

void putLe64(u8* p, u64 v) {
    putLe32(p, static_cast<u32>(v));
    putLe32(p + 4, static_cast<u32>(v >> 32));
}

} // namespace

CRf64File::CRf64File(std::unique_ptr<CFile> bytes, Layout layout_)
    : CWaveFile(std::move(bytes), rf64Layout, headerBytes), layout(layout_) {
}

std::unique_ptr<CAudioFile> CRf64File::clone() const {
    auto copy = std::make_unique<CRf64File>(file->clone(), layout);
    copyStateTo(*copy);
    copy->formatTag = formatTag;
    return copy;
}

bool CRf64File::needsRf64(u64 dataBytes) const {
    return layout == Layout::Rf64 || dataBytes + (headerBytes - 8) > 0xFFFFFFFFu;
}

// Written whole at the start of the file: while writing (the sizes are refreshed now and then)
// and at the end; a file that passes 4 GiB turns into RF64 at the next refresh.
void CRf64File::writeHeader() {
    const u64 dataBytes = frames * format.bytesPerFrame;
    const u64 riffSize = dataBytes + (headerBytes - 8);
    const bool large = needsRf64(dataBytes);
    u8 head[headerBytes] = {};
    u8* p = head;
    std::memcpy(p, large ? "RF64" : "RIFF", 4);
    putLe32(p + 4, large ? kSizeInDs64 : static_cast<u32>(riffSize));
    std::memcpy(p + 8, "WAVE", 4);
    p += 12;
    std::memcpy(p, large ? "ds64" : "JUNK", 4);
    putLe32(p + 4, 28);
    if (large) {
        putLe64(p + 8, riffSize);
        putLe64(p + 16, dataBytes);
        putLe64(p + 24, frames);
        putLe32(p + 32, 0); // no other chunk needs a 64-bit size
    }
    p += 8 + 28;
    std::memcpy(p, "fmt ", 4);
    putLe32(p + 4, 16);
    putLe16(p + 8, formatTag);
    putLe16(p + 10, format.channels);
    putLe32(p + 12, format.sampleRate);
    putLe32(p + 16, format.sampleRate * format.bytesPerFrame);
    putLe16(p + 20, format.bytesPerFrame);
    putLe16(p + 22, format.bitsPerSample);
    p += 8 + 16;
    std::memcpy(p, "data", 4);
    putLe32(p + 4, large ? kSizeInDs64 : static_cast<u32>(dataBytes));
    file->seek(0, Begin);
    u32 written = 0;
    file->write(head, sizeof head, &written);
}

} // namespace Audio
