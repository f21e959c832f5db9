// The formats libsndfile reads and writes, read back against the WAV of the same tone.
#include <cmath>
#include <gtest/gtest.h>

#include "audio/AudioFileCache.h"
#include "audio/AudioFileOpener.h"
#include "audio/SndFile.h"
#include "support/FormatCorpus.h"
#include "support/TestSupport.h"

using namespace Audio;
using namespace TestSupport;

namespace {

// Frames [start, start + n) of every channel through the cache, as the job and playback get them.
Channels readThroughCache(CAudioFileCache& cache, u64 start, u32 n) {
    Channels out(cache.file->format.channels, std::vector<float>(n));
    std::vector<float*> pointers;
    for (auto& c : out)
        pointers.push_back(c.data());
    u32 got = 0;
    tools::read(pointers.data(), 0, &cache, static_cast<u32>(pointers.size()), start, n, &got);
    for (auto& c : out)
        c.resize(got);
    return out;
}

// The root mean square of the difference, over the frames both hold.
double rmsDifference(const std::vector<float>& a, const std::vector<float>& b) {
    const std::size_t n = std::min(a.size(), b.size());
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        sum += (a[i] - b[i]) * static_cast<double>(a[i] - b[i]);
    return std::sqrt(sum / static_cast<double>(n));
}

} // namespace

namespace TestSupport {
void PrintTo(const CorpusFile& f, std::ostream* os) {
    *os << f.name;
}
} // namespace TestSupport

class CorpusFormat : public ::testing::TestWithParam<CorpusFile> {};

// The file opens as its format, with the tone's layout and length, and holds the tone: exactly
// when lossless, within the codec's error when lossy. Blocks read in reverse order (every one
// a seek) give what reading from the start gives.
TEST_P(CorpusFormat, ReadsAsTheWavWithinItsPrecision) {
    const CorpusFile c = GetParam();
    const std::string path = FormatCorpus::path(c.name);
    std::unique_ptr<CAudioFile> file = openSourceFile(path);
    EXPECT_EQ(openedFileType(*file, path), c.type);
    EXPECT_EQ(file->format.channels, 2u);
    EXPECT_EQ(file->format.sampleRate, c.rate);
    EXPECT_EQ(file->format.bitsPerSample, 16u);
    if (c.exactLength) {
        EXPECT_EQ(file->getFrames(), FormatCorpus::kFrames);
    }
    const Channels expected = FormatCorpus::tone(c.rate);
    const Channels sequential = readAll(*file, 65536);
    ASSERT_EQ(sequential[0].size(), file->getFrames());
    for (std::size_t ch = 0; ch < 2; ++ch) {
        if (!c.lossy) {
            EXPECT_EQ(sequential[ch], expected[ch]) << "channel " << ch;
        } else if (c.exactLength) {
            EXPECT_LT(rmsDifference(sequential[ch], expected[ch]), 0.02) << "channel " << ch;
        }
    }

    CAudioFileCache cache(openSourceFile(path), 10, 65536);
    const u64 frames = cache.file->getFrames();
    for (u64 start = (frames - 1) / 65536 * 65536;; start -= 65536) {
        const u32 n = static_cast<u32>(std::min<u64>(65536, frames - start));
        const Channels block = readThroughCache(cache, start, n);
        ASSERT_EQ(block[0].size(), n) << "block at " << start;
        for (std::size_t ch = 0; ch < 2; ++ch)
            ASSERT_TRUE(std::equal(block[ch].begin(), block[ch].end(),
                                   sequential[ch].begin() + static_cast<std::ptrdiff_t>(start)))
                << "block at " << start << " channel " << ch;
        if (start == 0) break;
    }
    EXPECT_FALSE(cache.lostFrames());
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFormat, ::testing::ValuesIn(FormatCorpus::files()),
                         [](const auto& test) {
                             std::string name = test.param.name;
                             for (char& ch : name)
                                 if (ch == '.') ch = '_';
                             return name;
                         });

// An MP3 without a length header only estimates its length; the file delivers what the
// decoder gives, and libsndfile's own count agrees.
TEST(SndFileLength, MeasuresWhatTheDecoderDeliversWhereTheHeaderOnlyEstimates) {
    const std::string path = FormatCorpus::path("sox.mp3");
    long long claimed = 0;
    const Channels decoded = readWithSndfile(path, &claimed);
    std::unique_ptr<CAudioFile> file = openSourceFile(path);
    ASSERT_NE(static_cast<u64>(claimed), decoded[0].size()) << "the estimate happens to be exact";
    EXPECT_EQ(file->getFrames(), decoded[0].size());
    EXPECT_EQ(readAll(*file)[0], decoded[0]);
}

// A cut download plays as far as it goes: the length is what is there, every frame of it is
// delivered, and nothing is padded with silence.
TEST(SndFileLength, ReadsACutFileAsFarAsItGoes) {
    TempDir dir;
    for (const char* name : {"tone.mp3", "tone.ogg", "tone.opus", "tone.flac"}) {
        const std::string whole = FormatCorpus::path(name);
        const std::string cut = dir.file(std::string("cut-") + name);
        copyHead(whole, cut, std::filesystem::file_size(whole) * 2 / 3);
        const Channels decoded = readWithSndfile(cut);
        ASSERT_GT(decoded[0].size(), 10000u) << name;
        ASSERT_LT(decoded[0].size(), FormatCorpus::kFrames * 9 / 10) << name;
        CAudioFileCache cache(openSourceFile(cut), 10, 65536);
        EXPECT_EQ(cache.file->getFrames(), decoded[0].size()) << name;
        const Channels all = readThroughCache(cache, 0, FormatCorpus::kFrames);
        EXPECT_EQ(all[0], decoded[0]) << name;
        EXPECT_FALSE(cache.lostFrames()) << name;
    }
}

TEST(SndFileDamage, RefusesAFileItCannotReadWithATextNamingIt) {
    TempDir dir;
    const std::string path = dir.file("broken.flac");
    std::vector<unsigned char> bytes = readBytes(FormatCorpus::path("tone.flac"));
    bytes[0] = 'X'; // no longer "fLaC"
    writeBytes(path, bytes);
    const std::string text = errorText<std::runtime_error>([&] { openSourceFile(path); });
    EXPECT_EQ(text.rfind("\"" + path + "\"\ncannot read this file as audio: ", 0), 0u) << text;
}

// Damage inside the frames of a FLAC file whose header is sound is refused with the file's
// name, when the file is opened (the decoder stops long before the file's end) or when the
// reading gets there; it is never taken for a shorter file. A tag appended after the last
// frame is no damage.
TEST(SndFileDamage, RefusesDamagedFramesButNotATrailingTag) {
    TempDir dir;
    const std::vector<unsigned char> whole = readBytes(FormatCorpus::path("tone.flac"));
    for (std::size_t at : {whole.size() / 4, whole.size() * 2 / 3}) {
        const std::string path = dir.file("damaged" + std::to_string(at) + ".flac");
        std::vector<unsigned char> bytes = whole;
        for (std::size_t i = at; i < at + 3000; ++i)
            bytes[i] = static_cast<unsigned char>(i * 7919);
        writeBytes(path, bytes);
        const std::string text = errorText<std::runtime_error>([&] {
            CAudioFileCache cache(openSourceFile(path), 10, 65536);
            readThroughCache(cache, 0, FormatCorpus::kFrames);
        });
        EXPECT_EQ(text.rfind("\"" + path + "\"\nthe audio data cannot be decoded beyond frame ", 0),
                  0u)
            << text;
        EXPECT_NE(text.find("the file is damaged"), std::string::npos) << text;
    }
    std::vector<unsigned char> tagged = whole;
    tagged.push_back('T'), tagged.push_back('A'), tagged.push_back('G');
    tagged.resize(whole.size() + 128, ' ');
    writeBytes(dir.file("tagged.flac"), tagged);
    EXPECT_EQ(openSourceFile(dir.file("tagged.flac"))->getFrames(), FormatCorpus::kFrames);
}

// A FLAC result holds the samples a WAV result of the same sample size holds: the conversion
// (clipping, truncation toward zero) is the WAV writer's. 32-bit floats become 24 bits.
TEST(SndFileWriting, FlacHoldsWhatTheWavWriterStores) {
    TempDir dir;
    Channels data = testSignal(2, 70000);
    data[0][5] = 1.5f;     // clipped
    data[1][6] = -1.0f;    // the negative limit
    data[0][7] = 0.99999f; // truncated, then clipped to the positive limit
    for (u32 bits : {16u, 24u}) {
        const std::string flac = dir.file("out" + std::to_string(bits) + ".flac");
        const std::string wav = dir.file("out" + std::to_string(bits) + ".wav");
        writeFile(flac, FlacType, makeFormat(2, 44100, bits), data, 4096);
        writeFile(wav, WavType, makeFormat(2, 44100, bits), data, 4096);
        std::unique_ptr<CAudioFile> written = openSourceFile(flac);
        EXPECT_EQ(written->format.bitsPerSample, bits);
        EXPECT_EQ(readAll(*written), readFile(wav)) << bits << " bit";
        EXPECT_EQ(readWithSndfile(flac), readFile(wav)) << bits << " bit, decoded elsewhere";
    }
    const std::string text = errorText<std::logic_error>(
        [&] { writeFile(dir.file("float.flac"), FlacType, makeFormat(2, 44100, 32), data); });
    EXPECT_NE(text.find("cannot write 32 bit samples"), std::string::npos) << text;
}

// A written file can be read again through the same object, as a result row does.
TEST(SndFileWriting, ReopensForReadingAfterWriting) {
    TempDir dir;
    Channels data = FormatCorpus::tone(22050);
    data.resize(1);
    data[0].resize(3000);
    auto file = createAudioFile(dir.file("mono.w64"), Wave64Type);
    const AudioFormat format = makeFormat(1, 22050, 16);
    file->open(Write, &format);
    std::vector<float*> pointers{const_cast<float*>(data[0].data())};
    u32 written = 0;
    file->write(pointers.data(), 3000, &written);
    file->close();
    CAudioFileCache cache(std::move(file), 10, 1024);
    EXPECT_EQ(cache.file->getFrames(), 3000u);
    EXPECT_EQ(readThroughCache(cache, 1000, 2000)[0],
              std::vector<float>(data[0].begin() + 1000, data[0].end()));
}
