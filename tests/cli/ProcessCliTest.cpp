// stretchwerk-cli process as a user runs it: names, parallel jobs, failures and Ctrl-C.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "cli/CliPath.h"
#include "markpoints/MarkPointFile.h"
#include "support/TestSupport.h"

using namespace MarkPoints;

namespace fs = std::filesystem;

namespace {

// Runs with the settings of an empty configuration folder, so the user's settings play no part.
int process(const TestSupport::TempDir& dir, const std::string& args, std::string* out = nullptr) {
    return TestSupport::run("cd '" + dir.path().string() + "' && XDG_CONFIG_HOME='" +
                                dir.file(".config") + "' " + cli() + " process " + args + " 2>&1",
                            out);
}

void tone(const TestSupport::TempDir& dir, const std::string& name, const std::string& spec) {
    ASSERT_EQ(TestSupport::run("sox -D -n " + spec + " '" + dir.file(name) +
                               "' synth 1 sine 440 gain -6 2>&1"),
              0);
}

} // namespace

TEST(CliProcess, WritesANewFileNamedAfterTheSettings) {
    TestSupport::TempDir dir;
    tone(dir, "tone.wav", "-r 44100 -b 16 -c 2");
    std::string out;
    ASSERT_EQ(
        process(dir, "--time 150% --semitones -2 --cents -50 --quality medium tone.wav", &out), 0)
        << out;
    const std::string made = dir.file("tone P-2.-50 T1.50 2.wav");
    ASSERT_TRUE(fs::exists(made)) << out;
    EXPECT_NE(out.find("tone P-2.-50 T1.50 2.wav"), std::string::npos);
    EXPECT_EQ(soxi("-r", made), "44100");
    EXPECT_EQ(soxi("-c", made), "2");
    const long frames = std::stol(soxi("-s", made));
    EXPECT_GE(frames, 66150);        // 1.5 s of output at least
    EXPECT_LE(frames, 66150 + 8192); // the engine's tail is not trimmed, but it is short
    // The same command again takes the next index; the first result stays as it was.
    const auto before = TestSupport::readBytes(made);
    ASSERT_EQ(
        process(dir, "--time 150% --semitones -2 --cents -50 --quality medium tone.wav", &out), 0)
        << out;
    EXPECT_TRUE(fs::exists(dir.file("tone P-2.-50 T1.50 3.wav")));
    EXPECT_EQ(TestSupport::readBytes(made), before);
    EXPECT_EQ(TestSupport::readBytes(dir.file("tone P-2.-50 T1.50 3.wav")), before);
}

// The studio engine's output is as long as the time factor says, to the frame, whatever the
// pitch; the stream ends it there instead of at the end of the engine's last call.
TEST(CliProcess, StudioQualityGivesTheExactDuration) {
    TestSupport::TempDir dir;
    tone(dir, "tone.wav", "-r 44100 -b 24 -c 2");
    const std::pair<const char*, long> cases[] = {
        {"--time 150%", 66150},
        {"--time 73% --semitones 5 --preserve-formants", 32193},
        {"--time 100% --semitones -19", 44100}};
    for (const auto& [options, frames] : cases) {
        fs::remove_all(dir.file("out"));
        fs::create_directories(dir.file("out"));
        std::string out;
        ASSERT_EQ(
            process(dir, std::string(options) + " --quality studio --out-dir out tone.wav", &out),
            0)
            << out;
        const auto made = fs::directory_iterator(dir.file("out"))->path().string();
        EXPECT_EQ(std::stol(soxi("-s", made)), frames) << options;
    }
}

// --exact-pitch, or ExactPitch in the settings file, changes the sound (342 frames in some
// calls instead of 341 at +7 semitones); both ways give the same file.
TEST(CliProcess, ExactPitchComesFromTheOptionOrTheSettings) {
    TestSupport::TempDir dir;
    tone(dir, "tone.wav", "-r 44100 -b 16 -c 1");
    std::string out;
    ASSERT_EQ(process(dir, "--semitones 7 tone.wav", &out), 0) << out;
    ASSERT_EQ(process(dir, "--semitones 7 --exact-pitch tone.wav", &out), 0) << out;
    fs::create_directories(dir.file(".config/stretchwerk"));
    const std::string settings = "# Stretchwerk2 Settings V2.0\r\n\r\nAudioDriver = default\r\n"
                                 "IncludePitch = yes\r\nIncludeTime = yes\r\n"
                                 "IncludeIndex = yes\r\nNamePostfix = yes\r\nQuality = 2\r\n"
                                 "ExactPitch = yes\r\n";
    TestSupport::writeBytes(dir.file(".config/stretchwerk/Stretchwerk.cfg"),
                            {settings.begin(), settings.end()});
    ASSERT_EQ(process(dir, "--semitones 7 tone.wav", &out), 0) << out;
    const auto plain = TestSupport::readBytes(dir.file("tone P7.0 T1.00 2.wav"));
    const auto exact = TestSupport::readBytes(dir.file("tone P7.0 T1.00 3.wav"));
    EXPECT_NE(plain, exact);
    EXPECT_EQ(TestSupport::readBytes(dir.file("tone P7.0 T1.00 4.wav")), exact);
}

TEST(CliProcess, ParallelJobsWriteTheSameFilesAsOne) {
    TestSupport::TempDir one, many;
    for (const auto* dir : {&one, &many}) {
        tone(*dir, "a.wav", "-r 48000 -b 24 -c 1");
        tone(*dir, "b.aiff", "-r 22050 -b 16 -c 2");
        tone(*dir, "c.wav", "-r 96000 -b 32 -e floating-point -c 3");
    }
    const std::string args = " --semitones 3 --quality best --preserve-formants a.wav b.aiff c.wav";
    std::string out;
    ASSERT_EQ(process(one, "--jobs 1" + args, &out), 0) << out;
    ASSERT_EQ(process(many, "--jobs 3" + args, &out), 0) << out;
    for (const std::string name :
         {"a P3.0 T1.00 2.wav", "b P3.0 T1.00 2.aiff", "c P3.0 T1.00 2.wav"}) {
        ASSERT_TRUE(fs::exists(one.file(name))) << name;
        EXPECT_EQ(TestSupport::readBytes(one.file(name)), TestSupport::readBytes(many.file(name)))
            << name;
    }
}

TEST(CliProcess, ReportsAFileThatFailsAndGoesOnWithTheOthers) {
    TestSupport::TempDir dir;
    tone(dir, "ok.wav", "-r 8000 -b 16 -c 1");
    tone(dir, "wide.wav", "-r 8000 -b 16 -c 10");
    tone(dir, "taken.wav", "-r 8000 -b 16 -c 1");
    for (int n = 2; n <= 9; ++n)
        TestSupport::writeBytes(dir.file("taken T2.00 " + std::to_string(n) + ".wav"), {1});
    std::string out;
    EXPECT_EQ(
        process(dir, "--time 200% --no-pitch-in-name wide.wav taken.wav ok.wav --jobs 1", &out), 1);
    EXPECT_NE(out.find("wide.wav: CKALO2FileProcess::init() the source has 10 channels"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("taken.wav: no free destination name"), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(dir.file("ok T2.00 2.wav"))) << out;
    EXPECT_FALSE(fs::exists(dir.file("wide T2.00 2.wav")));
    EXPECT_FALSE(fs::exists(dir.file("taken T2.00 10.wav")));
}

TEST(CliProcess, SaysWhyThereIsNoNameWithoutAnIndex) {
    TestSupport::TempDir dir;
    tone(dir, "t.wav", "-r 8000 -b 16 -c 1");
    std::string out;
    EXPECT_EQ(process(dir, "--no-pitch-in-name --no-time-in-name --no-index-in-name t.wav", &out),
              1);
    EXPECT_NE(out.find("t.wav: no destination name: with no settings in the name it would be the "
                       "source itself"),
              std::string::npos)
        << out;
    ASSERT_EQ(process(dir, "--no-pitch-in-name --no-index-in-name t.wav", &out), 0) << out;
    EXPECT_EQ(process(dir, "--no-pitch-in-name --no-index-in-name t.wav", &out), 1);
    EXPECT_NE(out.find("no free destination name: t T1.00.wav exists already"), std::string::npos)
        << out;
}

TEST(CliProcess, SplitSetsGiveOneFilePerChannel) {
    TestSupport::TempDir dir;
    tone(dir, "L.wav", "-r 44100 -b 16 -c 1");
    tone(dir, "R.wav", "-r 44100 -b 16 -c 1");
    tone(dir, "R48.wav", "-r 48000 -b 16 -c 1");
    std::string out;
    ASSERT_EQ(process(dir, "--double-length --split L.wav R.wav", &out), 0) << out;
    for (const std::string name : {"L P0.0 T2.00 2.wav", "R P0.0 T2.00 2.wav"}) {
        ASSERT_TRUE(fs::exists(dir.file(name))) << out;
        EXPECT_EQ(soxi("-c", dir.file(name)), "1");
        EXPECT_GE(std::stol(soxi("-s", dir.file(name))), 88200);
    }
    EXPECT_EQ(process(dir, "--split L.wav R48.wav", &out), 1);
    EXPECT_NE(out.find("Expect a Samplerate of 44100 Hz"), std::string::npos) << out;
    for (const std::string twice : {"L.wav L.wav", "L.wav ./L.wav"}) {
        EXPECT_EQ(process(dir, "--split " + twice, &out), 1) << twice;
        EXPECT_NE(out.find("You have already opened this file!"), std::string::npos) << out;
    }
}

TEST(CliProcess, MarkPointCurvesDriveTheFactorsAndLeaveThemOutOfTheName) {
    TestSupport::TempDir dir;
    tone(dir, "tone.wav", "-r 44100 -b 16 -c 1");
    CAnchorPointsLoadSave curves;
    curves.setSampleRate(44100);
    curves.getScale(SCALE_TIME).insertUnique({44100, 2.0f, LINEAR, 0});
    saveMarkPointFile(dir.file("curves.mpt"), curves);
    std::string out;
    ASSERT_EQ(process(dir, "--markpoints curves.mpt tone.wav", &out), 0) << out;
    EXPECT_EQ(out.find("warning"), std::string::npos) << out;
    const std::string made = dir.file("tone 2.wav");
    ASSERT_TRUE(fs::exists(made)) << out;
    // The time factor rises from 1 to 2 over the file: about 1.5 s come out of 1 s.
    const long frames = std::stol(soxi("-s", made));
    EXPECT_GT(frames, 60000);
    EXPECT_LT(frames, 76000);
    EXPECT_EQ(process(dir, "--markpoints missing.mpt tone.wav", &out), 1);
    EXPECT_NE(out.find("missing.mpt"), std::string::npos);
    // Curve values beyond the engine's range are clamped, and the file is named.
    curves.getScale(SCALE_PITCH).insertUnique({22050, 8.0f, LINEAR, 0});
    saveMarkPointFile(dir.file("high.mpt"), curves);
    ASSERT_EQ(process(dir, "--markpoints high.mpt tone.wav", &out), 0) << out;
    EXPECT_NE(out.find("high.mpt: warning: values beyond the engine's range are taken as the "
                       "nearest limit: pitch curve (0.25 to 4)"),
              std::string::npos)
        << out;
}

TEST(CliProcess, WrongCommandLinesExitWithTwo) {
    TestSupport::TempDir dir;
    tone(dir, "t.wav", "-r 8000 -b 16 -c 1");
    for (const std::string args :
         {"", "--time 5 t.wav", "--time 120bpm t.wav", "--time 0% t.wav", "--quality superb t.wav",
          "--semitones 49 t.wav", "--cents x t.wav", "--split t.wav", "--out-dir nowhere t.wav",
          "--name-parts middle t.wav", "--jobs 0 t.wav", "--semitones 36 t.wav",
          "--semitones -24 --cents -1 t.wav", "--time 5% t.wav", "--time 3600s t.wav",
          "--time 1201bpm --source-bpm 120 t.wav"}) {
        std::string out;
        EXPECT_EQ(process(dir, args, &out), 2) << args << "\n" << out;
    }
    // Requests beyond the engine's range name the range, and no file is made.
    std::string out;
    EXPECT_EQ(process(dir, "--time 3600s t.wav", &out), 2);
    EXPECT_NE(out.find("t.wav: a time of 3600 s is beyond the range of 0.1 s to 128 s"),
              std::string::npos)
        << out;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(process(dir, "--time 120bpm --source-bpm 60 --out-dir . t.wav", &out), 0) << out;
    EXPECT_TRUE(fs::exists(dir.file("t P0.0 T0.50 2.wav"))) << out;
}

namespace {
// The frames the header of a 16-bit stereo WAV file claims.
long headerFrames(const std::string& path) {
    unsigned char bytes[44] = {};
    std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(bytes), sizeof bytes);
    return static_cast<long>(bytes[40] | bytes[41] << 8 | bytes[42] << 16 | bytes[43] << 24) / 4;
}
} // namespace

// Ctrl-C, SIGTERM and a closed terminal (SIGHUP) close the current file cleanly; even a killed
// process leaves a header that claims no more than the file holds.
TEST(CliProcess, InterruptedOrKilledRunsLeaveAValidHeader) {
    TestSupport::TempDir dir;
    ASSERT_EQ(TestSupport::run("sox -n -r 44100 -b 16 -c 2 '" + dir.file("long.wav") +
                               "' synth 600 sine 300 2>&1"),
              0);
    const std::string made = dir.file("long P0.0 T3.00 2.wav");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(::strsignal(signal));
        fs::remove(made);
        const pid_t child = ::fork();
        if (child == 0) {
            ::chdir(dir.path().c_str());
            ::setenv("XDG_CONFIG_HOME", dir.file(".config").c_str(), 1);
            ::execl(cli().c_str(), cli().c_str(), "process", "--quality", "best", "--time", "300%",
                    "long.wav", static_cast<char*>(nullptr));
            ::_exit(99);
        }
        // Wait until the header claims frames while the job writes, then interrupt it.
        for (int i = 0; i < 600 && headerFrames(made) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        const long frames = headerFrames(made);
        EXPECT_GT(frames, 0);
        EXPECT_LT(frames, 600L * 44100 * 3);
        if (signal == SIGKILL) {
            EXPECT_TRUE(WIFSIGNALED(status));
            EXPECT_LE(static_cast<std::uintmax_t>(frames) * 4 + 44, fs::file_size(made));
        } else {
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_EQ(WEXITSTATUS(status), 130);
            EXPECT_EQ(static_cast<std::uintmax_t>(frames) * 4 + 44, fs::file_size(made));
        }
    }
}

TEST(CliProcess, AStoredQualityOutsideTheModesProcessesInTheFastMode) {
    TestSupport::TempDir stored, fast;
    for (const auto* dir : {&stored, &fast})
        tone(*dir, "tone.wav", "-r 44100 -b 16 -c 1");
    fs::create_directories(stored.file(".config/stretchwerk"));
    const std::string text = "AudioDriver = default\r\nIncludePitch = yes\r\nIncludeTime = "
                             "yes\r\nIncludeIndex = yes\r\nQuality = high\r\n";
    TestSupport::writeBytes(stored.file(".config/stretchwerk/Stretchwerk.cfg"),
                            {text.begin(), text.end()});
    std::string out;
    ASSERT_EQ(process(stored, "--time 125% tone.wav", &out), 0) << out;
    ASSERT_EQ(process(fast, "--time 125% --quality fast tone.wav", &out), 0) << out;
    EXPECT_EQ(TestSupport::readBytes(stored.file("tone P0.0 T1.25 2.wav")),
              TestSupport::readBytes(fast.file("tone P0.0 T1.25 2.wav")));
}
