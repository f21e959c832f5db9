// stretchwerk-cli devices, play and settings as a user runs them, on the clock-paced output and
// on a JACK server of the test's own.
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>

#include "cli/CliPath.h"
#include "support/TestSupport.h"

// The server helper of the output tests; compiled here too so that this program can start one.
#include "support/JackTestServer.h"

namespace {

const std::string CLOCK = "'No sound card (paced by the clock)'";

class PlaybackCli : public testing::Test {
  protected:
    TestSupport::TempDir dir;

    // Runs the command with its own configuration folder; stdout and stderr end up in *out.
    // A feed, when given, is a shell command whose output becomes the standard input.
    // A prefix goes before the program (for example a time limit).
    int run(const std::string& args, std::string* out = nullptr, const std::string& feed = "",
            const std::string& prefix = "") {
        return TestSupport::run((feed.empty() ? "" : feed + " | ") + prefix + "XDG_CONFIG_HOME='" +
                                    dir.file("config") + "' " + cli() + " " + args + " 2>&1",
                                out);
    }
    std::string wav(const std::string& name, int channels, double seconds) {
        const std::string path = dir.file(name);
        TestSupport::run("sox -n -r 44100 -b 16 -c " + std::to_string(channels) + " '" + path +
                         "' synth " + std::to_string(seconds) + " sine 440 vol 0.3");
        return "'" + path + "'";
    }
    void writeSettings(const std::string& device) {
        std::filesystem::create_directories(dir.file("config/stretchwerk"));
        const std::string text = "AudioDriver = " + device + "\r\nQuality = 3\r\n";
        TestSupport::writeBytes(dir.file("config/stretchwerk/Stretchwerk.cfg"),
                                {text.begin(), text.end()});
    }
};

} // namespace

TEST_F(PlaybackCli, DevicesMarksTheOneTheSettingsName) {
    std::string out;
    ASSERT_EQ(run("devices", &out), 0);
    const auto clock = out.find("\n  system No sound card (paced by the clock)  ");
    ASSERT_NE(clock, std::string::npos) << out;
    // The identifier follows the name column: 8-4-4-4-12 hex digits.
    const std::string id = out.substr(out.find_first_not_of(' ', out.find(')', clock) + 1), 36);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef-"), std::string::npos) << id;
    EXPECT_EQ(id[8], '-');
    EXPECT_EQ(out.find('*'), std::string::npos);
    writeSettings("No sound card (paced by the clock)");
    ASSERT_EQ(run("devices", &out), 0);
    EXPECT_NE(out.find("\n* system No sound card"), std::string::npos) << out;
    // The same as JSON: one object a line, the chosen one marked.
    ASSERT_EQ(run("devices --json | python3 -c 'import json,sys; d=[json.loads(l) for l in "
                  "sys.stdin]; c=[x for x in d if x[\"chosen\"]]; print(len(d), c[0][\"name\"], "
                  "c[0][\"id\"], c[0][\"type\"])'",
                  &out),
              0);
    EXPECT_NE(out.find(" No sound card (paced by the clock) " + id + " system"), std::string::npos)
        << out;
    EXPECT_EQ(run("devices extra"), 2);
    // play takes the identifier as well as the name.
    ASSERT_EQ(run("play " + wav("short.wav", 1, 0.1) + " --device " + id, &out), 0) << out;
}

TEST_F(PlaybackCli, SettingsShowsThePathAndTheValues) {
    std::string out;
    ASSERT_EQ(run("settings", &out), 0);
    EXPECT_NE(out.find("file: " + dir.file("config/stretchwerk/Stretchwerk.cfg") + "\n"),
              std::string::npos);
    EXPECT_NE(out.find("Quality: 2\n"), std::string::npos);
    writeSettings("No sound card (paced by the clock)");
    ASSERT_EQ(run("settings", &out), 0);
    EXPECT_NE(out.find("AudioDriver: No sound card (paced by the clock)\n"), std::string::npos);
    EXPECT_NE(out.find("Quality: 3\n"), std::string::npos);
    EXPECT_NE(out.find("IncludePitch: no\n"), std::string::npos) << "as the file spells it";
    TestSupport::writeBytes(dir.file("config/stretchwerk/Stretchwerk.cfg"), {'Q', '\r', '\n'});
    EXPECT_EQ(run("settings", &out), 1);
}

// A FIFO would block the read, a device (/dev/urandom) might never end it: neither is read, both
// count as a corrupt file. settings fails, process warns and goes on with the defaults.
TEST_F(PlaybackCli, SettingsInPlaceOfAFifoOrADeviceAreCorrupt) {
    const std::string path = dir.file("config/stretchwerk/Stretchwerk.cfg");
    std::filesystem::create_directories(dir.file("config/stretchwerk"));
    const std::string file = wav("t.wav", 1, 0.1);
    const std::string guard = "timeout 20 env "; // a blocked read must not hang the test
    for (const std::string& make : {"mkfifo '" + path + "'", "ln -s /dev/null '" + path + "'"}) {
        std::filesystem::remove(path);
        ASSERT_EQ(TestSupport::run(make), 0);
        std::string out;
        EXPECT_EQ(run("settings", &out, "", guard), 1) << make;
        EXPECT_NE(out.find("file is corrupt! (not a regular file)"), std::string::npos) << out;
        EXPECT_EQ(run("process --out-dir '" + dir.path().string() + "' " + file, &out, "", guard),
                  0)
            << out;
        EXPECT_NE(out.find("(using the defaults)"), std::string::npos) << out;
    }
}

// The range plays in real time: a two-second file takes about two seconds.
TEST_F(PlaybackCli, PlaysARangeOnTheClockPacedOutputToItsEnd) {
    const std::string file = wav("two.wav", 2, 2.0);
    writeSettings("No sound card (paced by the clock)");
    std::string out;
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(run("play " + file + " < /dev/null", &out), 0) << out;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    EXPECT_GT(took.count(), 1.5);
    EXPECT_LT(took.count(), 5.0);
    EXPECT_NE(out.find("position: 1."), std::string::npos) << out;
    EXPECT_NE(out.find("played to frame 88200\n"), std::string::npos) << out;
    ASSERT_EQ(run("play " + file + " --start 44100 --end 66150 --device " + CLOCK, &out), 0);
    EXPECT_NE(out.find("played to frame 66150\n"), std::string::npos) << out;
}

TEST_F(PlaybackCli, LoopStopsOnEnterOrATerminationSignal) {
    const std::string file = wav("short.wav", 1, 0.2);
    std::string out;
    ASSERT_EQ(run("play " + file + " --loop --device " + CLOCK, &out, "(sleep 1; echo)"), 0) << out;
    EXPECT_NE(out.find("stopped at frame "), std::string::npos) << out;
    const std::string background = "XDG_CONFIG_HOME='" + dir.file("config") + "' " + cli() +
                                   " play " + file + " --loop --device " + CLOCK +
                                   " < /dev/null > /dev/null 2>&1 & p=$!; sleep 1; kill -TERM $p;"
                                   " wait $p; echo $?";
    TestSupport::run(background, &out);
    EXPECT_EQ(out, "130\n");
}

TEST_F(PlaybackCli, RefusesWhatItCannotPlay) {
    std::string out;
    EXPECT_EQ(run("play " + wav("six.wav", 6, 0.1) + " --device " + CLOCK, &out), 1);
    EXPECT_NE(out.find("six.wav: the file has too many channels to be played!"), std::string::npos)
        << out;
    const std::string two = wav("two.wav", 2, 0.1);
    EXPECT_EQ(run("play " + two + " --start 1000 --end 1000 --device " + CLOCK, &out), 1);
    EXPECT_NE(out.find("start position cannot be higher or equal than the end position!"),
              std::string::npos);
    EXPECT_EQ(run("play " + two + " --device 'no such device'", &out), 1);
    EXPECT_NE(out.find("no output device is named \"no such device\""), std::string::npos);
    EXPECT_EQ(run("play " + two + " --start 4410 --device " + CLOCK, &out), 1);
    EXPECT_NE(out.find("--start 4410 lies beyond the last frame (the file has 4410 frames)"),
              std::string::npos)
        << out;
    EXPECT_EQ(run("play '" + dir.file("missing.wav") + "' --device " + CLOCK), 1);
    EXPECT_EQ(run("play " + two + " --start -5"), 2);
    EXPECT_EQ(run("play"), 2);
}

TEST_F(PlaybackCli, ListsAndPlaysOnARunningJackServer) {
    JackTest::Server server;
    if (!server.installed()) GTEST_SKIP() << "jackd is not installed (install jackd2)";
    ASSERT_TRUE(server.available()) << "jackd is installed but did not start";
    const std::string device = "JACK (" + server.name() + ")";
    std::string out;
    ASSERT_EQ(run("devices", &out), 0);
    EXPECT_NE(out.find("  jack   " + device), std::string::npos) << out;
    ASSERT_EQ(
        run("play " + wav("half.wav", 2, 0.5) + " --device '" + device + "' < /dev/null", &out), 0)
        << out;
    EXPECT_NE(out.find("played to frame 22050\n"), std::string::npos) << out;
}
