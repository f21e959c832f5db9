// Files that sox writes decode to the same samples as sox's own decoding.
#include <cstring>
#include <gtest/gtest.h>

#include "support/AudioFiles.h"
#include "support/TestSupport.h"

using namespace Audio;
using namespace TestSupport;

namespace {

struct SoxCase {
    const char* extension;
    u32 bits;
    u32 channels;
    u32 rate;
};

void PrintTo(const SoxCase& c, std::ostream* os) {
    *os << c.extension << ' ' << c.bits << " bit " << c.channels << " ch " << c.rate << " Hz";
}

std::vector<SoxCase> soxCases() {
    std::vector<SoxCase> cases;
    for (const char* ext : {"wav", "aiff"})
        for (u32 bits : {8u, 16u, 24u, 32u})
            for (auto [channels, rate] :
                 {std::pair{1u, 8000u}, std::pair{2u, 44100u}, std::pair{6u, 96000u}})
                cases.push_back({ext, bits, channels, rate});
    return cases;
}

// sox's decoding of a file as interleaved native floats.
std::vector<float> soxDecode(const std::string& path, const std::string& raw) {
    EXPECT_EQ(TestSupport::run("sox '" + path + "' -t f32 '" + raw + "' 2>&1"), 0);
    const auto bytes = TestSupport::readBytes(raw);
    std::vector<float> out(bytes.size() / 4);
    std::memcpy(out.data(), bytes.data(), out.size() * 4);
    return out;
}

} // namespace

class SoxAgreement : public ::testing::TestWithParam<SoxCase> {};

TEST_P(SoxAgreement, ReaderMatchesSoxDecoding) {
    const SoxCase c = GetParam();
    TestSupport::TempDir dir;
    const std::string path = dir.file(std::string("in.") + c.extension);
    // 8-bit WAV is unsigned by definition; the other integer formats are signed.
    const std::string encoding =
        c.bits == 8 && std::string(c.extension) == "wav"    ? "unsigned-integer"
        : c.bits == 32 && std::string(c.extension) == "wav" ? "floating-point"
                                                            : "signed-integer";
    const std::string make = "sox -n -r " + std::to_string(c.rate) + " -b " +
                             std::to_string(c.bits) + " -e " + encoding + " -c " +
                             std::to_string(c.channels) + " '" + path +
                             "' synth 0.05 whitenoise sine 300 gain -1 2>&1";
    ASSERT_EQ(TestSupport::run(make), 0) << make;
    const std::vector<float> expected = soxDecode(path, dir.file("sox.f32"));
    const Channels ours = readFile(path);
    ASSERT_EQ(ours.size(), c.channels);
    ASSERT_EQ(ours[0].size() * c.channels, expected.size());
    for (std::size_t i = 0; i < ours[0].size(); ++i)
        for (u32 ch = 0; ch < c.channels; ++ch)
            ASSERT_NEAR(ours[ch][i], expected[i * c.channels + ch], 1e-7)
                << "frame " << i << " channel " << ch;
}

INSTANTIATE_TEST_SUITE_P(SoxFiles, SoxAgreement, ::testing::ValuesIn(soxCases()),
                         [](const auto& testCase) {
                             return std::string(testCase.param.extension) +
                                    std::to_string(testCase.param.bits) + "bit" +
                                    std::to_string(testCase.param.channels) + "ch" +
                                    std::to_string(testCase.param.rate);
                         });

TEST(SoxAgreement, SoxReadsWhatWeWrite) {
    TestSupport::TempDir dir;
    for (const char* ext : {"wav", "aiff"}) {
        for (u32 bits : {8u, 16u, 24u, 32u}) {
            const std::string path = dir.file("ours" + std::to_string(bits) + "." + ext);
            const Channels data = testSignal(3, 4000);
            writeFile(path, fileTypeFromExtension(path), makeFormat(3, 22050, bits), data);
            const std::vector<float> sox = soxDecode(path, dir.file("sox.f32"));
            const Channels ours = readFile(path);
            ASSERT_EQ(sox.size(), 3u * 4000u) << path;
            for (std::size_t i = 0; i < 4000; ++i)
                for (u32 ch = 0; ch < 3; ++ch)
                    ASSERT_NEAR(ours[ch][i], sox[i * 3 + ch], 1e-7) << path << " frame " << i;
        }
    }
}
