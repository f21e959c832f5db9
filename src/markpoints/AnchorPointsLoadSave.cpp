#include "markpoints/AnchorPointsLoadSave.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "audio/File.h"

namespace MarkPoints {

namespace {
using Byte = unsigned char;

constexpr std::uint32_t infoBodyBytes = 120;
constexpr std::uint32_t dataHeadBodyBytes = 120;
constexpr const char* corrupt = "mark point file is corrupt!";

void put32(Byte* at, std::uint32_t v) {
    at[0] = static_cast<Byte>(v >> 24);
    at[1] = static_cast<Byte>(v >> 16);
    at[2] = static_cast<Byte>(v >> 8);
    at[3] = static_cast<Byte>(v);
}

void put64(Byte* at, std::uint64_t v) {
    put32(at, static_cast<std::uint32_t>(v >> 32));
    put32(at + 4, static_cast<std::uint32_t>(v));
}

std::uint32_t get32(const Byte* at) {
    return std::uint32_t{at[0]} << 24 | std::uint32_t{at[1]} << 16 | std::uint32_t{at[2]} << 8 |
           std::uint32_t{at[3]};
}

std::uint64_t get64(const Byte* at) {
    return std::uint64_t{get32(at)} << 32 | get32(at + 4);
}

void putId(Byte* at, const char* id) {
    std::memcpy(at, id, 4);
}
bool isId(const Byte* at, const char* id) {
    return std::memcmp(at, id, 4) == 0;
}

void writeAll(Audio::CFile& file, const Byte* data, std::uint32_t bytes, const char* message) {
    std::uint32_t written = 0;
    file.write(data, bytes, &written);
    if (written != bytes) throw std::runtime_error(message);
}

std::uint32_t readSome(Audio::CFile& file, Byte* data, std::uint32_t bytes) {
    std::uint32_t got = 0;
    file.read(data, bytes, &got);
    return got;
}

// The record of one point. The filler word repeats what the original writer left there.
void encodePoint(Byte* at, const CMarkPoint& p) {
    put64(at, std::bit_cast<std::uint64_t>(static_cast<double>(p.value)));
    put32(at + 8, p.lineStyle);
    put32(at + 12, static_cast<std::uint32_t>(p.framePosition));
    put32(at + 16, (p.framePosition & 0x80) ? 0xFFFFFFFFu : 0u);
}

[[noreturn]] void refuse(const std::string& problem) {
    throw std::runtime_error(std::string(corrupt) + " " + problem);
}

CMarkPoint decodePoint(const Byte* at) {
    const double wide = std::bit_cast<double>(get64(at));
    const auto value = static_cast<float>(wide);
    // Curve values end up as divisors of the processing; a value that is not a finite
    // number, or overflows a float, would hang or poison it.
    if (!std::isfinite(wide) || !std::isfinite(value)) refuse("a value is not a finite number");
    // Factors are ratios, and points stand on frames of the source.
    if (!(value > 0.0f)) refuse("a value is not above 0");
    const auto frame = static_cast<std::int32_t>(get32(at + 12));
    if (frame < 0) refuse("a point stands at a negative frame");
    return {frame, value, get32(at + 8), 0};
}

std::uint64_t bytesLeft(const Audio::CFile& file) {
    const std::uint64_t size = file.getSize();
    const std::uint64_t at = file.tell();
    return size > at ? size - at : 0;
}
} // namespace

CMarkPointArray& CAnchorPointsLoadSave::getScale(std::uint32_t scaleId) {
    return const_cast<CMarkPointArray&>(std::as_const(*this).getScale(scaleId));
}

const CMarkPointArray& CAnchorPointsLoadSave::getScale(std::uint32_t scaleId) const {
    if (!isValidScaleId(scaleId))
        throw std::runtime_error("CAnchorPointsLoadSave::getScale() Scale not identified!");
    return scales[scaleId - 1];
}

void CAnchorPointsLoadSave::write(Audio::CFile& file) const {
    const std::uint64_t points = scales[0].size() + scales[1].size() + scales[2].size();
    const std::uint64_t containerSize = pointBytes * points + 516;
    // Size fields are 32 bits wide: refuse rather than write a file that reads back wrong.
    if (containerSize > std::numeric_limits<std::uint32_t>::max())
        throw std::runtime_error("cannot save mark point file properly! too many mark points");

    Byte header[headerBytes];
    putId(header, "APDF");
    put32(header + 4, static_cast<std::uint32_t>(containerSize));
    putId(header + 8, "SW2F");
    writeAll(file, header, headerBytes, "error while writing containerchunk!");

    Byte info[chunkHeadBytes] = {};
    putId(info, "INFO");
    put32(info + 4, infoBodyBytes);
    put32(info + 8, firstInfoWord);
    put32(info + 12, sampleRate);
    put32(info + 16, std::bit_cast<std::uint32_t>(baseBpm));
    put32(info + 20, fourthInfoWord);
    writeAll(file, info, chunkHeadBytes, "error while writing headerchunk!");

    for (std::uint32_t id = SCALE_TIME; id <= SCALE_FORMANT; ++id)
        writeData(file, id);
}

void CAnchorPointsLoadSave::writeData(Audio::CFile& file, std::uint32_t scaleId) const {
    const CMarkPointArray& points = getScale(scaleId);
    const auto n = static_cast<std::uint32_t>(points.size());
    Byte head[chunkHeadBytes] = {};
    putId(head, "DATA");
    put32(head + 4, pointBytes * n + dataHeadBodyBytes);
    put32(head + 8, scaleId);
    put32(head + 12, n);
    writeAll(file, head, chunkHeadBytes, "error while writing AnchorPointsChunk!");

    std::vector<Byte> batch(std::size_t{pointBytes} * std::min(n, batchPoints), 0);
    for (std::uint32_t first = 0; first < n; first += batchPoints) {
        const std::uint32_t count = std::min(batchPoints, n - first);
        for (std::uint32_t i = 0; i < count; ++i)
            encodePoint(&batch[std::size_t{pointBytes} * i], points[first + i]);
        writeAll(file, batch.data(), pointBytes * count, "cannot save mark point file properly!");
    }
}

void CAnchorPointsLoadSave::read(Audio::CFile& file) {
    const std::uint64_t start = file.tell();
    const std::uint64_t avail = bytesLeft(file);
    Byte header[headerBytes];
    if (readSome(file, header, headerBytes) < headerBytes || !isId(header, "APDF") ||
        !isId(header + 8, "SW2F"))
        throw std::runtime_error("cannot read header because this file is not valid!");

    // Every chunk must be complete, and so must the container: a file cut between two chunks
    // would otherwise lose its last curves without a word.
    const std::uint64_t claimed = 8 + std::uint64_t{get32(header + 4)};
    const std::uint64_t end = start + std::min(claimed, avail);
    bool infoSeen = false;
    for (std::uint64_t pos = start + headerBytes; pos < end;) {
        file.seek(static_cast<std::int64_t>(pos), Audio::Begin);
        Byte chunk[8];
        if (end - pos < 8 || readSome(file, chunk, 8) < 8)
            throw std::runtime_error("cannot read ChunkHeader completely!");
        const std::uint32_t size = get32(chunk + 4);
        if (size > end - pos - 8) refuse("a chunk runs past the end of the file");
        if (isId(chunk, "INFO")) {
            readInfo(file, size);
            infoSeen = true;
        } else if (isId(chunk, "DATA")) {
            if (!infoSeen)
                throw std::runtime_error("error in AnchorPoint File! INFO chunk must be read "
                                         "before any DATA chunk!");
            readData(file, size);
        }
        pos += 8 + std::uint64_t{size};
    }
    if (!infoSeen) refuse("it holds no INFO chunk");
    if (claimed > avail)
        refuse("it ends after " + std::to_string(avail) + " of the " + std::to_string(claimed) +
               " bytes its container counts");
}

void CAnchorPointsLoadSave::readInfo(Audio::CFile& file, std::uint32_t size) {
    // The body area is 120 bytes: a longer body is skipped past, a shorter one reads as zeros.
    Byte body[infoBodyBytes] = {};
    const std::uint32_t taken = std::min(size, infoBodyBytes);
    if (readSome(file, body, taken) < taken) refuse("the INFO chunk is cut");
    firstInfoWord = get32(body);
    sampleRate = get32(body + 4);
    baseBpm = std::bit_cast<float>(get32(body + 8));
    fourthInfoWord = get32(body + 12);
}

void CAnchorPointsLoadSave::readData(Audio::CFile& file, std::uint32_t size) {
    if (size < dataHeadBodyBytes) refuse("a DATA chunk is shorter than its head");
    Byte head[dataHeadBodyBytes];
    if (readSome(file, head, dataHeadBodyBytes) < dataHeadBodyBytes) refuse("a DATA chunk is cut");
    CMarkPointArray& points = getScale(get32(head));
    const std::uint32_t n = get32(head + 4);
    // Points beyond the chunk would be read from whatever follows it; nothing is allocated
    // for them either.
    if (std::uint64_t{pointBytes} * n > size - dataHeadBodyBytes)
        refuse("a DATA chunk counts more points than it holds");

    std::vector<Byte> batch(std::size_t{pointBytes} * std::min(n, batchPoints));
    for (std::uint32_t first = 0; first < n; first += batchPoints) {
        const std::uint32_t count = std::min(batchPoints, n - first);
        const std::uint32_t bytes = pointBytes * count;
        if (readSome(file, batch.data(), bytes) < bytes) refuse("a DATA chunk is cut");
        for (std::uint32_t i = 0; i < count; ++i)
            points.append(decodePoint(&batch[std::size_t{pointBytes} * i]));
    }
    // The curves never hold two points on one frame.
    points.sort();
    points.removeDuplicateFrames();
}

} // namespace MarkPoints
