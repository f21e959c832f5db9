#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include "audio/AudioSplitFile.h"
#include "audio/DataFile.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

using namespace Audio;
using namespace TestSupport;

namespace {

std::vector<std::string> writeMembers(const TestSupport::TempDir& dir, u32 count, u32 frames,
                                      u32 rate = 44100, u32 oddRate = 0, u32 oddMember = 99) {
    std::vector<std::string> paths;
    for (u32 k = 0; k < count; ++k) {
        paths.push_back(dir.file("m" + std::to_string(k) + ".wav"));
        Channels data{std::vector<float>(frames, 0.01f * static_cast<float>(k + 1))};
        writeFile(paths.back(), WavType, makeFormat(1, k == oddMember ? oddRate : rate, 16), data);
    }
    return paths;
}

template <class Split> std::unique_ptr<Split> splitOver(const std::vector<std::string>& paths) {
    std::vector<std::unique_ptr<CFile>> files;
    for (const auto& p : paths)
        files.push_back(CDataFile::forPath(p));
    return std::make_unique<Split>(std::move(files));
}

} // namespace

TEST(AudioSplitFile, StereoSetActsAsOneStereoFile) {
    TestSupport::TempDir dir;
    auto split = splitOver<CAudioSplitFile<CWaveFile, 2>>(writeMembers(dir, 2, 100));
    split->open(Read, nullptr);
    EXPECT_EQ(split->format, (AudioFormat{2, 44100, 16, 4, 0}));
    EXPECT_EQ(split->getFrames(), 100u);
    const Channels back = readAll(*split, 33);
    EXPECT_FLOAT_EQ(back[0][99], 327.0f / 32768.0f); // 0.01 truncated to 16 bits
    EXPECT_FLOAT_EQ(back[1][0], 655.0f / 32768.0f);
}

TEST(AudioSplitFile, IncompatibleOrMultichannelMembersAreRefused) {
    TestSupport::TempDir dir;
    auto surround =
        splitOver<CAudioSplitFile<CWaveFile, 6>>(writeMembers(dir, 6, 10, 44100, 48000, 4));
    EXPECT_EQ(TestSupport::errorText<std::logic_error>([&] { surround->open(Read, nullptr); }),
              "SplitFile::Open() opened files are incompatible! choose "
              "files that are all the same file type!");
    const std::string stereo = dir.file("stereo.wav");
    writeFile(stereo, WavType, makeFormat(2, 44100, 16), testSignal(2, 10));
    auto withStereo = splitOver<CAudioSplitFile<CWaveFile, 2>>({stereo, stereo});
    EXPECT_THROW(withStereo->open(Read, nullptr), std::runtime_error);
}

TEST(AudioSplitFile, ReadingOneChannelAdvancesOnlyItsMemberUntilSeek) {
    TestSupport::TempDir dir;
    const std::vector<std::string> paths = writeMembers(dir, 2, 50);
    auto split = splitOver<CAudioSplitFile<CWaveFile, 2>>(paths);
    split->open(Read, nullptr);
    std::vector<float> right(50);
    float* onlyRight[] = {nullptr, right.data()};
    u32 got = 0;
    split->read(onlyRight, 30, &got);
    EXPECT_EQ(got, 30u);
    EXPECT_EQ(split->member(0)->position, 0u);
    EXPECT_EQ(split->member(1)->position, 30u);
    split->seek(40);
    EXPECT_EQ(split->member(0)->position, 40u);
    EXPECT_EQ(split->member(1)->position, 40u);
    std::vector<float> left(50);
    float* both[] = {left.data(), right.data()};
    split->read(both, 20, &got);
    EXPECT_EQ(got, 10u);
    EXPECT_EQ(TestSupport::errorText<std::runtime_error>([&] { split->read(both, 5, &got); }),
              "CAudioSplitFile::read() a single or multiple files cannot be read! 0 frames read!");
}

TEST(AudioSplitFile, DateIsTheNewestMembersDate) {
    TestSupport::TempDir dir;
    const std::vector<std::string> paths = writeMembers(dir, 2, 10);
    struct utimbuf old {
        1000000000, 1000000000
    };
    ::utime(paths[0].c_str(), &old);
    struct utimbuf newer {
        1600000000, 1600000000
    };
    ::utime(paths[1].c_str(), &newer);
    auto split = splitOver<CAudioSplitFile<CWaveFile, 2>>(paths);
    EXPECT_EQ(split->getDate(), (FileDate{13, 9, 2020, 40, 26, 12, 0}));
}

TEST(AudioSplitFile, WritingSixChannelsInCapacityTenMakesSixMonoFiles) {
    TestSupport::TempDir dir;
    CAudioSplitFile<CAiffFile, 10> split(6);
    for (u32 k = 0; k < 6; ++k)
        split.setMember(k, std::make_unique<CAiffFile>(
                               CDataFile::forPath(dir.file("out" + std::to_string(k) + ".aif"))));
    const AudioFormat format = makeFormat(6, 48000, 24);
    split.open(Write, &format);
    Channels data = testSignal(6, 300);
    std::vector<float*> pointers;
    for (auto& c : data)
        pointers.push_back(c.data());
    u32 written = 0;
    split.write(pointers.data(), 300, &written);
    EXPECT_EQ(written, 300u);
    split.close();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 6);
    for (u32 k = 0; k < 6; ++k) {
        const Channels member = readFile(dir.file("out" + std::to_string(k) + ".aif"));
        ASSERT_EQ(member.size(), 1u);
        EXPECT_NEAR(member[0][123], data[k][123], 1.0 / 8388608);
    }
}
