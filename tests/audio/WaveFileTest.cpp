#include <cstring>
#include <gtest/gtest.h>

#include "audio/DataFile.h"
#include "audio/WaveFile.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

using namespace Audio;
using namespace TestSupport;

namespace {

// Quantisation step of the stored format: what a round trip may lose.
float step(u32 bits) {
    if (bits == 32) return 1.0f / 2147483648.0f;
    if (bits == 20) return 1.0f / 8388608.0f;
    return 1.0f / static_cast<float>(1u << (bits - 1));
}

std::unique_ptr<CWaveFile> openWave(const std::string& path) {
    auto file = std::make_unique<CWaveFile>(CDataFile::forPath(path));
    file->open(Read, nullptr);
    return file;
}

std::string expectHeaderError(const TestSupport::TempDir& dir, const Bytes& bytes) {
    TestSupport::writeBytes(dir.file("bad.wav"), bytes.data);
    return errorText([&] { openWave(dir.file("bad.wav")); });
}

} // namespace

class WaveRoundTrip : public ::testing::TestWithParam<std::tuple<u32, u32, FileType>> {};

TEST_P(WaveRoundTrip, SamplesComeBackWithinOneStep) {
    const auto [bits, channels, type] = GetParam();
    TestSupport::TempDir dir;
    const std::string path = dir.file(type == WavType ? "x.wav" : "x.aiff");
    const Channels data = testSignal(channels, 2500);
    writeFile(path, type, makeFormat(channels, 48000, bits), data, 999);
    auto file = createAudioFile(path, type);
    const Channels back = readAll(*file);
    EXPECT_EQ(file->format,
              (AudioFormat{channels, 48000, bits, bytesPerSample(bits) * channels,
                           type == WavType ? bytesPerSample(bits) * channels * 48000 : 0}));
    ASSERT_EQ(back.size(), channels);
    for (u32 c = 0; c < channels; ++c) {
        ASSERT_EQ(back[c].size(), 2500u);
        for (u32 i = 0; i < 2500; ++i)
            ASSERT_NEAR(back[c][i], data[c][i], step(bits) * 1.0001f)
                << "channel " << c << " frame " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, WaveRoundTrip,
                         ::testing::Combine(::testing::Values(8u, 16u, 20u, 24u, 32u),
                                            ::testing::Values(1u, 2u, 6u),
                                            ::testing::Values(WavType, AiffType)));

TEST(WaveFile, WrittenHeaderLayout) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("h.wav");
    writeFile(path, WavType, makeFormat(2, 44100, 16), testSignal(2, 1000));
    const auto bytes = TestSupport::readBytes(path);
    ASSERT_EQ(bytes.size(), 4044u);
    Bytes expected;
    expected.text("RIFF").le32(4036).text("WAVE").text("fmt ").le32(16).le16(1).le16(2);
    expected.le32(44100).le32(176400).le16(4).le16(16).text("data").le32(4000);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 44), expected.data);
}

TEST(WaveFile, ThirtyTwoBitIsWrittenAsFloatTagThreeAndMonoPassesTheBufferUnchanged) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("f.wav");
    const Channels data{{1.5f, -2.0f, 0.25f}};
    writeFile(path, WavType, makeFormat(1, 44100, 32), data);
    const auto bytes = TestSupport::readBytes(path);
    EXPECT_EQ(bytes[20], 3);
    EXPECT_EQ(std::memcmp(bytes.data() + 44, data[0].data(), 12), 0);
    EXPECT_EQ(readFile(path), data); // out-of-range floats survive
}

TEST(WaveFile, ThirtyTwoBitIntegerPcmIsReadAsIntegers) {
    TestSupport::TempDir dir;
    Bytes b = waveFile(1, 1, 44100, 4, 32, 0);
    b.data.resize(b.data.size() - 8);
    b.text("data").le32(8).le32(0x40000000).le32(0x80000000);
    TestSupport::writeBytes(dir.file("i.wav"), b.data);
    EXPECT_EQ(readFile(dir.file("i.wav")), (Channels{{0.5f, -1.0f}}));
}

TEST(WaveFile, HeaderWalkAcceptsOddLayouts) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("w.wav");
    // data before fmt, an unknown chunk after data, and a RIFF size far beyond the file.
    Bytes b;
    b.text("RIFF").le32(0x7FFFFFF0).text("WAVE");
    b.text("data").le32(10).raw({1, 0, 2, 0, 3, 0, 4, 0, 5, 0});
    b.text("LIST").le32(4).text("INFO");
    b.text("fmt ").le32(18).le16(1).le16(2).le32(22050).le32(88200).le16(0).le16(16).le16(0);
    TestSupport::writeBytes(path, b.data);
    auto file = openWave(path);
    EXPECT_EQ(file->format.bytesPerFrame, 4u); // block align 0 is computed
    EXPECT_EQ(file->getFrames(), 2u);          // 10 bytes: the partial frame is ignored
    EXPECT_EQ(file->dataOffset, 20u);
    const Channels back = readAll(*file);
    EXPECT_FLOAT_EQ(back[1][1], 4.0f / 32768.0f);
}

// Each refusal names its problem; none of them crashes on the hostile fields.
TEST(WaveFile, HeaderRefusals) {
    TestSupport::TempDir dir;
    const auto header = [](unsigned riffSize, unsigned fmtSize) {
        return Bytes().text("RIFF").le32(riffSize).text("WAVE").text("fmt ").le32(fmtSize);
    };
    const std::pair<Bytes, std::string> cases[] = {
        {Bytes().text("RIFX").le32(4).text("WAVE"),
         "cannot read header because this is no valid WAVE file!"},
        {Bytes().text("RIF"), "cannot read header because this is no valid WAVE file!"},
        {waveFile(0xFFFE, 2, 44100, 4, 16, 8), "Other Wav formats"},
        {waveFile(2, 2, 44100, 4, 16, 8), "Other Wav formats"},
        {waveFile(1, 1, 44100, 2, 12, 8), "WAV supports only 8/16/20/24/32 bit!"},
        {header(28, 16).le16(1).le16(1).le32(8000).le32(16000).le16(2).le16(16),
         "CWaveFile::ReadHeader() no data chunk found!"},
        {Bytes().text("RIFF").le32(12).text("WAVE").text("data").le32(0),
         "CWaveFile::ReadHeader() no format chunk found!"},
        {header(24, 4).le16(1).le16(1).text("data").le32(0), "shorter than 16"},
        {waveFile(1, 0, 44100, 0, 16, 8), "no channels"},
        {waveFile(1, 60000, 44100, 0, 16, 8), "channels"},
        {waveFile(1, 2, 0, 4, 16, 8), "0 Hz"},
        // A block align smaller than the samples would make reads run past the buffer.
        {waveFile(1, 2, 44100, 1, 16, 8), "block align"},
        // A format chunk that claims gigabytes is not read into memory.
        {header(100, 0xFFFFFFF0).le16(1), "past the end"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_NE(expectHeaderError(dir, bytes).find(text), std::string::npos) << text;
}

TEST(WaveFile, DataChunkLongerThanTheFileCountsOnlyWhatIsThere) {
    TestSupport::TempDir dir;
    Bytes b = waveFile(1, 1, 8000, 2, 16, 6);
    b.data[40] = 0xFF; // data size 0x..FF: far more than the 6 bytes present
    b.data[41] = 0xFF;
    TestSupport::writeBytes(dir.file("t.wav"), b.data);
    EXPECT_EQ(openWave(dir.file("t.wav"))->getFrames(), 3u);
}

TEST(WaveFile, FrameReadsAtTheEdges) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("e.wav");
    writeFile(path, WavType, makeFormat(2, 8000, 16), testSignal(2, 10));
    auto file = openWave(path);
    std::vector<float> left(20, 9.0f), right(20, 9.0f);
    float* both[] = {left.data(), right.data()};
    float* onlyLeft[] = {left.data(), nullptr};
    u32 got = 0;
    file->read(onlyLeft, 20, &got);
    EXPECT_EQ(got, 10u);
    EXPECT_EQ(right[0], 9.0f);
    file->read(both, 5, &got);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(left[10], 9.0f); // untouched at the end of the file

    auto mono = std::make_unique<CWaveFile>(CDataFile::forPath(dir.file("m.wav")));
    const AudioFormat format = makeFormat(1, 8000, 16);
    mono->open(Write, &format);
    mono->close();
    mono->open(Read, nullptr);
    float* none[] = {nullptr};
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { mono->read(none, 1, &got); }),
              "CWaveFile::read() when you want to read no data from a "
              "mono file then don\u00B4t call read!");
}

TEST(WaveFile, GrowingPastTheFourGigabyteHeaderLimitFailsBeforeWriting) {
    TestSupport::TempDir dir;
    const std::string path = dir.file("big.wav");
    CWaveFile file(CDataFile::forPath(path));
    const AudioFormat format = makeFormat(2, 44100, 16);
    file.open(Write, &format);
    // Pretend the file already holds almost 4 GiB of frames.
    file.frames = file.position = (0xFFFFFFFFull - 36) / 4 - 10;
    Channels data = testSignal(2, 100);
    float* pointers[] = {data[0].data(), data[1].data()};
    u32 written = 7;
    EXPECT_THROW(file.write(pointers, 100, &written), std::runtime_error);
    EXPECT_EQ(written, 7u);
    EXPECT_EQ(TestSupport::readBytes(path).size(), 44u);
    // Closing patches the header with the frames the writer counts, without wrapping.
    const u64 frames = file.frames;
    file.close();
    const auto header = TestSupport::readBytes(path);
    EXPECT_EQ(le32At(header, 40), frames * 4);
    EXPECT_EQ(le32At(header, 4), frames * 4 + 36);
}

TEST(WaveFile, ExtensibleLayoutWithPlainSubFormatsIsRead) {
    TestSupport::TempDir dir;
    auto extensible = [](unsigned subTag, unsigned bits) {
        Bytes b;
        b.text("RIFF").le32(60 + 6).text("WAVE").text("fmt ").le32(40).le16(0xFFFE).le16(2).le32(
            48000);
        b.le32(48000 * 2 * (bits / 8)).le16(2 * (bits / 8)).le16(bits).le16(22).le16(bits).le32(3);
        b.le16(subTag).raw(
            {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
        return b;
    };
    Bytes pcm = extensible(1, 24);
    pcm.text("data").le32(6).raw({0, 0, 0x40, 0, 0, 0xC0});
    TestSupport::writeBytes(dir.file("pcm.wav"), pcm.data);
    EXPECT_EQ(readFile(dir.file("pcm.wav")), (Channels{{0.5f}, {-0.5f}}));

    Bytes floats = extensible(3, 32);
    floats.text("data").le32(8).le32(0x3F800000).le32(0xC0000000);
    TestSupport::writeBytes(dir.file("float.wav"), floats.data);
    EXPECT_EQ(readFile(dir.file("float.wav")), (Channels{{1.0f}, {-2.0f}}));

    Bytes adpcm = extensible(2, 16);
    adpcm.text("data").le32(0);
    EXPECT_NE(expectHeaderError(dir, adpcm).find("Other Wav formats"), std::string::npos);
}
