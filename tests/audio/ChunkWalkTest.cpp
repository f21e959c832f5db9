#include <gtest/gtest.h>

#include "audio/ExtendedFloat.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

using namespace Audio;
using namespace TestSupport;

namespace {

Bytes& waveFormat(Bytes& b, unsigned bits) {
    const unsigned align = bits / 8;
    return b.text("fmt ")
        .le32(16)
        .le16(1)
        .le16(1)
        .le32(8000)
        .le32(8000 * align)
        .le16(align)
        .le16(bits);
}

Bytes& appendCommon(Bytes& b, unsigned frames) {
    return b.append(TestSupport::aiffCommon(1, frames, 16, extendedBytes(8000)).data);
}

Bytes& aiffSound(Bytes& b, unsigned frames) {
    b.text("SSND").be32(8 + 2 * frames).be32(0).be32(0);
    for (unsigned i = 0; i < frames; ++i)
        b.be16(0x4000);
    return b;
}

Bytes& loudList(Bytes& b) {
    return b.text("LIST").le32(12).text("INFO").raw(
        {0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F});
}

struct Layout {
    const char* name;
    const char* extension;
    Bytes bytes;
    u64 frames;
};

std::vector<Layout> layouts() {
    std::vector<Layout> rows;
    Bytes b;
    waveFormat(b, 16).text("data").le32(8).le16(1).le16(2).le16(3).le16(4);
    loudList(b);
    rows.push_back({"LIST after data", "wav", container("RIFF", "WAVE", b, false), 4});
    b = {};
    waveFormat(b, 8).text("data").le32(5).raw({0x80, 0x80, 0x80, 0x80, 0x80, 0xFF});
    rows.push_back({"odd 8-bit data and its pad", "wav", container("RIFF", "WAVE", b, false), 5});
    b = {};
    b.text("data").le32(4).le16(1).le16(2);
    waveFormat(b, 16);
    rows.push_back({"data before fmt", "wav", container("RIFF", "WAVE", b, false), 2});
    b = {};
    aiffSound(b, 3);
    appendCommon(b, 3);
    rows.push_back({"SSND before COMM", "aif", container("FORM", "AIFF", b, true), 3});
    b = {};
    appendCommon(b, 500);
    aiffSound(b, 1000);
    rows.push_back({"COMM counts less than SSND", "aif", container("FORM", "AIFF", b, true), 500});
    b = {};
    appendCommon(b, 1000);
    aiffSound(b, 4);
    b.text("ANNO").be32(8).raw({0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F});
    rows.push_back({"SSND holds less than COMM", "aif", container("FORM", "AIFF", b, true), 4});
    return rows;
}

} // namespace

// Whoever reads, and in whatever blocks: no frame beyond the header's count is delivered.
TEST(ChunkWalk, ReadersStopAtTheFramesTheHeaderCounts) {
    TestSupport::TempDir dir;
    for (const Layout& row : layouts()) {
        SCOPED_TRACE(row.name);
        const std::string path = dir.file(std::string("f.") + row.extension);
        TestSupport::writeBytes(path, row.bytes.data);
        auto file = openSourceFile(path);
        EXPECT_EQ(file->getFrames(), row.frames);
        std::vector<float> samples(4096, 7.0f);
        float* buffers[] = {samples.data()};
        u64 delivered = 0;
        for (u32 got = 1; got > 0; delivered += got)
            file->read(buffers, 1024, &got);
        EXPECT_EQ(delivered, row.frames);
        file->seek(row.frames - 1);
        u32 got = 0;
        file->read(buffers, 1024, &got);
        EXPECT_EQ(got, 1u);
        file->seek(row.frames + 1);
        file->read(buffers, 1024, &got);
        EXPECT_EQ(got, 0u);
    }
}

// Odd-sized chunks are followed by a pad byte; files whose writer forgot it are read too.
TEST(ChunkWalk, OddChunksAreSkippedWithTheirPadByte) {
    TestSupport::TempDir dir;
    struct Row {
        const char* name;
        const char* extension;
        Bytes bytes;
    };
    std::vector<Row> rows;
    for (const bool pad : {true, false}) {
        Bytes b;
        b.text("JUNK").le32(3).raw({1, 2, 3});
        if (pad) b.raw({0});
        waveFormat(b, 16).text("data").le32(4).le16(0x4000).le16(0x4000);
        rows.push_back({pad ? "WAV JUNK + pad" : "WAV JUNK, pad forgotten", "wav",
                        container("RIFF", "WAVE", b, false)});
        b = {};
        b.text("fmt ").le32(17).le16(1).le16(1).le32(8000).le32(16000).le16(2).le16(16).raw({0});
        if (pad) b.raw({0});
        b.text("LIST").le32(5).text("INFO").raw({'x'});
        if (pad) b.raw({0});
        b.text("data").le32(4).le16(0x4000).le16(0x4000);
        rows.push_back(
            {pad ? "WAV odd fmt and LIST + pads" : "WAV odd fmt and LIST, pads forgotten", "wav",
             container("RIFF", "WAVE", b, false)});
        b = {};
        b.text("NAME").be32(5).text("tone").raw({'!'});
        if (pad) b.raw({0});
        appendCommon(b, 2);
        aiffSound(b, 2);
        rows.push_back({pad ? "AIFF NAME + pad" : "AIFF NAME, pad forgotten", "aif",
                        container("FORM", "AIFF", b, true)});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = dir.file(std::string("p.") + row.extension);
        TestSupport::writeBytes(path, row.bytes.data);
        auto file = openSourceFile(path);
        ASSERT_EQ(file->getFrames(), 2u);
        EXPECT_EQ(readAll(*file), (Channels{{0.5f, 0.5f}}));
    }
}
