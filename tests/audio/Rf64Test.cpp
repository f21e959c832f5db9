// WAVE files beyond 4 GiB: written as RF64 (EBU Tech 3306), read by the WAV reader.
#include <fstream>
#include <gtest/gtest.h>

#include "audio/AudioFileOpener.h"
#include "audio/Rf64File.h"
#include "support/AudioFiles.h"
#include "support/Bytes.h"
#include "support/FormatCorpus.h"
#include "support/TestSupport.h"

using namespace Audio;
using namespace TestSupport;

namespace {

// The first bytes of a file without reading all of a sparse one.
std::vector<unsigned char> headOf(const std::string& path, std::size_t n) {
    std::vector<unsigned char> bytes(n);
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(n));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::uint64_t le64At(const std::vector<unsigned char>& b, std::size_t at) {
    return le32At(b, at) | static_cast<std::uint64_t>(le32At(b, at + 4)) << 32;
}

std::string idAt(const std::vector<unsigned char>& b, std::size_t at) {
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                       b.begin() + static_cast<std::ptrdiff_t>(at + 4));
}

void writeAt(CAudioFile& file, u64 frame, Channels& data) {
    std::vector<float*> pointers;
    for (auto& c : data)
        pointers.push_back(c.data());
    file.seek(frame);
    u32 written = 0;
    file.write(pointers.data(), static_cast<u32>(data[0].size()), &written);
    ASSERT_EQ(written, data[0].size());
}

Channels readAt(CAudioFile& file, u64 frame, u32 n) {
    Channels out(file.format.channels, std::vector<float>(n));
    std::vector<float*> pointers;
    for (auto& c : out)
        pointers.push_back(c.data());
    file.seek(frame);
    u32 got = 0;
    file.read(pointers.data(), n, &got);
    EXPECT_EQ(got, n);
    return out;
}

} // namespace

// A WAV result expected beyond 4 GiB is written with room for the ds64 chunk; once its data
// pass what 32-bit sizes hold it is RF64, and the reader finds every frame. The file is sparse:
// only its first and last frames are written.
TEST(Rf64, AWavResultBeyond4GiBBecomesRf64AndReadsBack) {
    TempDir dir;
    const std::string path = dir.file("long.wav");
    const u64 far = (u64{1} << 30) + 12345; // stereo 16 bit: 4 GiB of data and a little more
    auto writer = createAudioFile(path, WavType, (far + 1000) * 4);
    const AudioFormat format = makeFormat(2, 44100, 16);
    writer->open(Write, &format);
    Channels first = testSignal(2, 1000), last = testSignal(2, 1000);
    std::reverse(last[0].begin(), last[0].end());
    writeAt(*writer, 0, first);
    writeAt(*writer, far, last);
    writer->close();

    const auto head = headOf(path, CRf64File::headerBytes);
    EXPECT_EQ(idAt(head, 0), "RF64");
    EXPECT_EQ(le32At(head, 4), 0xFFFFFFFFu);
    EXPECT_EQ(idAt(head, 12), "ds64");
    const u64 dataBytes = (far + 1000) * 4;
    EXPECT_EQ(le64At(head, 20), dataBytes + CRf64File::headerBytes - 8);
    EXPECT_EQ(le64At(head, 28), dataBytes);
    EXPECT_EQ(le64At(head, 36), far + 1000);
    EXPECT_EQ(le32At(head, CRf64File::headerBytes - 4), 0xFFFFFFFFu);

    std::unique_ptr<CAudioFile> reader = openSourceFile(path);
    EXPECT_EQ(reader->getFrames(), far + 1000);
    EXPECT_EQ(reader->format, (AudioFormat{2, 44100, 16, 4, 44100 * 4}));
    const Channels quantised = readAt(*reader, 0, 1000);
    EXPECT_EQ(readAt(*reader, far, 1000)[0],
              std::vector<float>(quantised[0].rbegin(), quantised[0].rend()));
    EXPECT_EQ(framesBySndfile(path), static_cast<long long>(far + 1000));
}

// Small and medium results keep the plain 44-byte header; a result expected to come near
// 4 GiB is RIFF with a JUNK chunk where ds64 would go, which every reader skips. RF64 asked
// for is RF64 however small, and libsndfile reads the same samples from it.
TEST(Rf64, WavHeadersByExpectedSizeAndRf64OnRequest) {
    TempDir dir;
    const Channels data = testSignal(2, 3000);
    const AudioFormat format = makeFormat(2, 48000, 24);
    struct Case {
        const char* name;
        FileType type;
        u64 expectedBytes;
        const char* head;
        const char* second;
        std::size_t headerBytes;
    };
    for (const Case& c : {Case{"plain.wav", WavType, (u64{1} << 31) - 1, "RIFF", "fmt ", 44},
                          Case{"room.wav", WavType, u64{1} << 31, "RIFF", "JUNK", 80},
                          Case{"small.rf64", Rf64Type, 0, "RF64", "ds64", 80}}) {
        const std::string path = dir.file(c.name);
        auto writer = createAudioFile(path, c.type, c.expectedBytes);
        writer->open(Write, &format);
        std::vector<float*> pointers{const_cast<float*>(data[0].data()),
                                     const_cast<float*>(data[1].data())};
        u32 written = 0;
        writer->write(pointers.data(), 3000, &written);
        writer->close();
        const auto bytes = readBytes(path);
        EXPECT_EQ(bytes.size(), c.headerBytes + 3000 * 6) << c.name;
        EXPECT_EQ(idAt(bytes, 0), c.head) << c.name;
        EXPECT_EQ(idAt(bytes, 12), c.second) << c.name;
        const Channels ours = readAll(*openSourceFile(path));
        EXPECT_EQ(ours, readFile(dir.file("plain.wav"))) << c.name;
        EXPECT_EQ(readWithSndfile(path), ours) << c.name;
    }
}

// Hand-made headers: the data size comes from ds64, another chunk's size from ds64's table,
// BW64 is the same layout; an RF64 file without ds64 first is refused.
TEST(Rf64, ReadsSizesFromTheDs64Chunk) {
    TempDir dir;
    auto rf64 = [](const char* magic, bool withDs64) {
        Bytes b;
        b.text(magic).le32(0xFFFFFFFF).text("WAVE");
        if (withDs64) {
            b.text("ds64").le32(28 + 12).le64(200).le64(8).le64(4).le32(1);
            b.text("LIST").le64(6);
        }
        b.text("fmt ").le32(16).le16(1).le16(1).le32(8000).le32(16000).le16(2).le16(16);
        b.text("LIST").le32(0xFFFFFFFF).zeros(6);
        b.text("data").le32(0xFFFFFFFF).le16(0x4000).le16(0xC000).le16(0x2000).le16(0x1000);
        b.zeros(10); // beyond the data size ds64 gives: not audio
        return b;
    };
    for (const char* magic : {"RF64", "BW64"}) {
        writeBytes(dir.file("hand.wav"), rf64(magic, true).data);
        EXPECT_EQ(readFile(dir.file("hand.wav")), (Channels{{0.5f, -0.5f, 0.25f, 0.125f}}))
            << magic;
    }
    writeBytes(dir.file("bare.wav"), rf64("RF64", false).data);
    EXPECT_EQ(errorText<std::runtime_error>([&] { readFile(dir.file("bare.wav")); }),
              "CWaveFile::ReadHeader() an RF64 file must begin with a ds64 chunk!");
}

// The boundary: a header whose 32-bit sizes still hold the data stays RIFF.
TEST(Rf64, TurnsIntoRf64OnlyWhenTheSizesNoLongerFit) {
    CRf64File growing(nullptr, CRf64File::Layout::RiffUntilLarge);
    const u64 largest = 0xFFFFFFFFull - (CRf64File::headerBytes - 8);
    EXPECT_FALSE(growing.needsRf64(0));
    EXPECT_FALSE(growing.needsRf64(largest));
    EXPECT_TRUE(growing.needsRf64(largest + 1));
    CRf64File always(nullptr, CRf64File::Layout::Rf64);
    EXPECT_TRUE(always.needsRf64(0));
}
