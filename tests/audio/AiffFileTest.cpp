#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "audio/AiffFile.h"
#include "audio/DataFile.h"
#include "audio/ExtendedFloat.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

using namespace Audio;
using namespace TestSupport;

namespace {

// A FORM/AIFF file with the given COMM chunk and a sound chunk holding `sound` bytes.
Bytes aiffFile(const Bytes& common, std::vector<unsigned char> sound, unsigned offset = 0) {
    Bytes body = common;
    body.text("SSND").be32(static_cast<unsigned>(8 + offset + sound.size())).be32(offset).be32(0);
    return container("FORM", "AIFF", body.zeros(offset).append(sound), true);
}

std::unique_ptr<CAiffFile> openAiff(const TestSupport::TempDir& dir, const Bytes& bytes) {
    const std::string path = dir.file("x.aif");
    TestSupport::writeBytes(path, bytes.data);
    auto file = std::make_unique<CAiffFile>(CDataFile::forPath(path));
    file->open(Read, nullptr);
    return file;
}

std::string headerError(const TestSupport::TempDir& dir, const Bytes& bytes) {
    return errorText([&] { openAiff(dir, bytes); });
}

} // namespace

TEST(ExtendedFloat, SampleRatesEncodeAsTheKnownBytes) {
    using V = std::vector<unsigned char>;
    EXPECT_EQ(extendedBytes(44100), (V{0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(extendedBytes(48000), (V{0x40, 0x0E, 0xBB, 0x80, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(extendedBytes(8000), (V{0x40, 0x0B, 0xFA, 0x00, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(extendedBytes(0), V(10, 0));
    for (double rate : {8000.0, 11025.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 32768.0,
                        65536.0, 1.0, 2.0, 4.0, 8.0, 1024.0, 0.5, -44100.0, 44099.9}) {
        const auto bytes = extendedBytes(rate);
        EXPECT_DOUBLE_EQ(readExtended(bytes.data()), rate) << rate;
        EXPECT_GE(bytes[2], 0x80) << "mantissa not normalised for " << rate;
    }
}

TEST(AiffFile, WrittenHeaderLayout) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("h.aif");
    writeFile(path, AiffType, makeFormat(2, 44100, 16), testSignal(2, 1000));
    const auto bytes = TestSupport::readBytes(path);
    ASSERT_EQ(bytes.size(), 4054u);
    Bytes expected;
    expected.text("FORM").be32(4046).text("AIFF").text("COMM").be32(18).be16(2).be32(1000).be16(16);
    expected.raw({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0});
    expected.text("SSND").be32(4008).be32(0).be32(0);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 54), expected.data);
}

TEST(AiffFile, SampleValuesAreBigEndianAndEightBitSigned) {
    TestSupport::TempDir dir;
    const auto rate = extendedBytes(8000);
    auto file8 = openAiff(dir, aiffFile(aiffCommon(1, 3, 8, rate), {0x80, 0x00, 0x7F}));
    EXPECT_EQ(readAll(*file8), (Channels{{-1.0f, 0.0f, 0.9921875f}}));
    auto file24 = openAiff(dir, aiffFile(aiffCommon(1, 2, 24, rate), {0x80, 0, 0, 0x40, 0, 0}));
    EXPECT_EQ(readAll(*file24), (Channels{{-1.0f, 0.5f}}));
    auto file20 = openAiff(dir, aiffFile(aiffCommon(1, 1, 20, rate), {0xC0, 0, 0}));
    EXPECT_EQ(readAll(*file20), (Channels{{-0.5f}}));

    const std::string path = dir.file("w.aif");
    writeFile(path, AiffType, makeFormat(1, 8000, 8), Channels{{0.0f, -1.0f, 1.0f}});
    auto bytes = TestSupport::readBytes(path);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 54, bytes.end()),
              (std::vector<unsigned char>{0x00, 0x80, 0x7F}));
    writeFile(path, AiffType, makeFormat(1, 8000, 24), Channels{{1.0f}});
    bytes = TestSupport::readBytes(path);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 54, bytes.end()),
              (std::vector<unsigned char>{0x7F, 0xFF, 0xFF}));
}

TEST(AiffFile, HeaderWalkCases) {
    TestSupport::TempDir dir;
    // The form id is not examined; an odd stored rate truncates.
    Bytes notForm = aiffFile(aiffCommon(2, 1, 16, extendedBytes(44099.9)), {0, 1, 0, 2});
    std::memcpy(notForm.data.data(), "JUNK", 4);
    auto file = openAiff(dir, notForm);
    EXPECT_EQ(file->format.sampleRate, 44099u);
    EXPECT_EQ(file->format.bytesPerSecond, 0u);
    // The sound chunk's offset moves the data.
    auto offset =
        openAiff(dir, aiffFile(aiffCommon(1, 1, 16, extendedBytes(8000)), {0x40, 0x00}, 4));
    EXPECT_EQ(offset->dataOffset, 12u + 26u + 16u + 4u);
    EXPECT_EQ(readAll(*offset), (Channels{{0.5f}}));
}

// Each refusal names its problem; none of them crashes on the hostile fields.
TEST(AiffFile, HeaderRefusals) {
    TestSupport::TempDir dir;
    const auto rate = extendedBytes(8000);
    const Bytes comm = aiffCommon(1, 1, 16, rate);
    Bytes aifc = aiffFile(comm, {0, 0});
    std::memcpy(aifc.data.data() + 8, "AIFC", 4);
    const std::pair<Bytes, std::string> cases[] = {
        {aifc, "cannot read header because this is no valid aiff file!"},
        {Bytes().text("FORM").be32(30).text("AIFF").append(comm.data),
         "no aiff sounddata chunk found!"},
        {Bytes().text("FORM").be32(20).text("AIFF").text("SSND").be32(8).be32(0).be32(0),
         "no aiff common chunk found!"},
        {aiffFile(aiffCommon(1, 1, 12, rate), {0, 0}), "aiff supports only 8/16/20/24/32 bit!"},
        {aiffFile(aiffCommon(1, 1, -16, rate), {0, 0}), "aiff supports only 8/16/20/24/32 bit!"},
        {aiffFile(aiffCommon(0, 1, 16, rate), {0, 0}), "0 channels"},
        {aiffFile(aiffCommon(-2, 1, 16, rate), {0, 0}), "-2 channels"},
        {aiffFile(aiffCommon(1, 1, 16, {0x7F, 0xFF, 0xC0, 0, 0, 0, 0, 0, 0, 0}), {0, 0}),
         "sample rate"},
        {aiffFile(aiffCommon(1, 1, 16, extendedBytes(0)), {0, 0}), "sample rate"},
        {aiffFile(aiffCommon(1, 1, 16, extendedBytes(-8000)), {0, 0}), "sample rate"},
        {Bytes().text("FORM").be32(42).text("AIFF").append(comm.data).text("SSND").be32(2).raw(
             {0, 0}),
         "too short"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_NE(headerError(dir, bytes).find(text), std::string::npos) << text;
}

TEST(AiffFile, TruncatedFileReportsTheFramesItHolds) {
    TestSupport::TempDir dir;
    auto file = openAiff(
        dir, aiffFile(aiffCommon(2, 1000, 16, extendedBytes(8000)), {0, 1, 0, 2, 0, 3, 0, 4, 0}));
    EXPECT_EQ(file->getFrames(), 2u);
}
