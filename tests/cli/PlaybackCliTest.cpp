// stretchwerk-cli devices, play and settings as a user runs them, on the clock-paced output and
// on a JACK server of the test's own.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

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

// With processing options the sound is computed while it plays, and a 16-bit device receives
// exactly the frames of the 16-bit file that process writes with the same options: nothing
// before them, silence after them. Fixed factors on a stereo source; curves on a mono source,
// which sounds on both channels.
TEST_F(PlaybackCli, ProcessedPlayGivesTheDeviceTheFramesProcessWrites) {
    TestSupport::TempDir home;
    const std::string capture = home.file("played.raw");
    const std::string rc = "pcm.swktest {\n type file\n slave.pcm \"null\"\n file \"" + capture +
                           "\"\n format \"raw\"\n hint { show on\n description \"Capture\" }\n}\n";
    TestSupport::writeBytes(home.file(".asoundrc"), {rc.begin(), rc.end()});
    const std::string mpt = dir.file("curves.mpt");
    ASSERT_EQ(run("markpoints make '" + mpt + "' --time 0:1,44100:1.6 --pitch 20000:1.3:square"),
              0);
    const struct {
        std::string source, options;
    } cases[] = {{wav("two.wav", 2, 1.0),
                  "--quality best --semitones 3 --cents 20 --time 125% --preserve-formants"},
                 {wav("one.wav", 1, 1.0), "--quality medium --markpoints '" + mpt + "'"}};
    for (const auto& c : cases) {
        const std::string outDir = dir.file("out" + std::to_string(&c - cases));
        std::filesystem::create_directories(outDir);
        std::string out;
        ASSERT_EQ(run("process --out-dir '" + outDir + "' " + c.options + " " + c.source, &out), 0)
            << out;
        const std::string result = std::filesystem::directory_iterator(outDir)->path().string();
        ASSERT_EQ(
            run("play " + c.source + " " + c.options + " --device 'Capture (swktest)' < /dev/null",
                &out, "", "HOME='" + home.path().string() + "' "),
            0)
            << out;
        const auto underruns = out.find("underruns: ");
        ASSERT_NE(underruns, std::string::npos) << out;
        // A block that came too late is silence on the device, which no comparison survives.
        if (std::stoi(out.substr(underruns + 11)) > 0)
            GTEST_SKIP() << "the machine was too busy to play in time";
        std::string raw;
        ASSERT_EQ(TestSupport::run("sox '" + result + "' -t raw - | od -An -v -td2 -w2", &raw), 0);
        std::vector<std::int16_t> written;
        for (std::istringstream in(raw); in;) {
            int v = 0;
            if (in >> v) written.push_back(static_cast<std::int16_t>(v));
        }
        const int channels = std::stoi(soxi("-c", result));
        const auto played = TestSupport::readBytes(capture);
        const std::size_t frames = written.size() / static_cast<std::size_t>(channels);
        ASSERT_GT(frames, 44100u) << c.options;
        ASSERT_GE(played.size(), frames * 4) << c.options;
        for (std::size_t i = 0; i < played.size() / 2; ++i) {
            const auto got = static_cast<std::int16_t>(played[2 * i] | played[2 * i + 1] << 8);
            const std::size_t frame = i / 2;
            const std::int16_t want = frame < frames
                                          ? written[frame * static_cast<std::size_t>(channels) +
                                                    (channels == 1 ? 0 : i % 2)]
                                          : 0;
            ASSERT_EQ(got, want) << c.options << ": frame " << frame << " of " << frames;
        }
    }
}

// The range and the loop apply to the source: a looped range plays until Enter, the positions
// staying within it.
TEST_F(PlaybackCli, ProcessedPlayLoopsARangeOfTheSource) {
    const std::string file = wav("three.wav", 2, 3.0);
    std::string out;
    ASSERT_EQ(
        run("play " + file + " --semitones -2 --start 22050 --end 66150 --loop --device " + CLOCK,
            &out, "(sleep 2; echo)"),
        0)
        << out;
    const auto at = out.find("stopped at frame ");
    ASSERT_NE(at, std::string::npos) << out;
    const long frame = std::stol(out.substr(at + 17));
    EXPECT_GE(frame, 22050);
    EXPECT_LE(frame, 66150);
    EXPECT_NE(out.find("processed "), std::string::npos) << out;
    EXPECT_EQ(run("play " + file + " --semitones 2 --start 100 --end 100 --device " + CLOCK, &out),
              1);
    EXPECT_NE(out.find("start position cannot be higher or equal than the end position!"),
              std::string::npos)
        << out;
    EXPECT_EQ(run("play " + file + " --time 128bpm --device " + CLOCK, &out), 2);
}
