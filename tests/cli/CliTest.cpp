// stretchwerk-cli as a user runs it: exit codes, output, and files left behind.
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/CliPath.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

int runCli(const std::string& args, std::string* out = nullptr) {
    return TestSupport::run(cli() + " " + args + " 2>&1", out);
}

std::string valueOf(const std::string& text, const std::string& key) {
    const auto at = text.find(key + ": ");
    if (at == std::string::npos) return "";
    const auto start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

} // namespace

TEST(CliInfo, AgreesWithSoxOnItsFiles) {
    TestSupport::TempDir dir;
    for (const std::string spec :
         {"-r 8000 -b 8 -c 1 x.wav", "-r 96000 -b 24 -c 6 x.aiff", "-r 44100 -b 16 -c 2 x.aif"}) {
        const std::string name = spec.substr(spec.rfind(' ') + 1);
        const std::string path = dir.file(name);
        ASSERT_EQ(TestSupport::run("sox -n " + spec.substr(0, spec.rfind(' ')) + " '" + path +
                                   "' synth 1.2345 sine 440"),
                  0);
        std::string out;
        ASSERT_EQ(runCli("info '" + path + "'", &out), 0) << out;
        EXPECT_EQ(valueOf(out, "Sample Rate"), soxi("-r", path) + " Hz");
        EXPECT_EQ(valueOf(out, "Channels"), soxi("-c", path) + " ");
        EXPECT_EQ(valueOf(out, "Word Length"), soxi("-b", path) + " bit");
        EXPECT_EQ(valueOf(out, "No. of Frames"), soxi("-s", path) + " ");
        EXPECT_EQ(valueOf(out, "Total Play Time"), "0:00:01:234");
        EXPECT_EQ(valueOf(out, "Full Path"), path);
        EXPECT_EQ(valueOf(out, "Split Stereo"), "no");
        EXPECT_EQ(valueOf(out, "Format"),
                  name.ends_with(".wav") ? "MS RIFF Wave (PCM)" : "Audio IFF");
    }
}

TEST(CliInfo, DetectsTheTempoOnRequest) {
    TestSupport::TempDir dir;
    // A 10 ms beep every half second: 120 BPM; and a file without a beat.
    const std::string clicks = dir.file("clicks.wav"), quiet = dir.file("quiet.wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 44100 '" + clicks +
                               "' synth 0.01 sine 1000 pad 0 0.49 repeat 23"),
              0);
    ASSERT_EQ(TestSupport::run("sox -n -r 44100 '" + quiet + "' synth 12 sine 440"), 0);
    std::string out;
    ASSERT_EQ(runCli("info --tempo '" + clicks + "' '" + quiet + "'", &out), 0) << out;
    EXPECT_EQ(valueOf(out, "Detected tempo"), "120.0 BPM") << out;
    EXPECT_NE(out.find("Detected tempo: none"), std::string::npos) << out;
    ASSERT_EQ(runCli("info '" + clicks + "'", &out), 0);
    EXPECT_EQ(out.find("Detected tempo"), std::string::npos) << "only on request";
}

TEST(CliInfo, JsonGivesOneObjectPerFileAndTheFailures) {
    TestSupport::TempDir dir;
    const std::string name = dir.file("a \"b\"=c.wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 48000 -b 24 -c 2 '" + name + "' synth 0.5 sine 440"), 0);
    std::string out;
    EXPECT_EQ(TestSupport::run(cli() + " info --json '" + name + "' '" + dir.file("gone.wav") +
                                   "' 2>/dev/null | python3 -c 'import json,sys; "
                                   "a,b=[json.loads(l) for l in sys.stdin]; print(a[\"fullPath\"], "
                                   "a[\"sampleRate\"], a[\"bits\"], a[\"channels\"], "
                                   "a[\"frames\"], a[\"seconds\"], \"tempo\" in a, "
                                   "b[\"path\"], \"cannot open\" in b[\"error\"])'",
                               &out),
              0);
    EXPECT_EQ(out, name + " 48000 24 2 24000 0.5 False " + dir.file("gone.wav") + " True\n");
}

// One object per source and line, for the done and the failed ones; the frames are the
// result's, and the settings say what was asked (the source's tempo with a tempo only).
TEST(CliProcess, JsonGivesOneObjectPerSourceWithItsResultOrItsFailure) {
    TestSupport::TempDir dir;
    const std::string name = dir.file("a, \"b\".wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 8000 '" + name + "' synth 1 sine 440"), 0);
    TestSupport::writeBytes(dir.file("bad.wav"), {'n', 'o'});
    const std::string script =
        "import json,sys\n"
        "for o in sorted((json.loads(l) for l in sys.stdin), key=lambda o: o['source']):\n"
        "  s=o['settings']\n"
        "  print(o['status'], o['result'], o['frames'], o['format'], o['seconds'] >= 0,\n"
        "        s['time'], s['timeUnit'], s.get('sourceBpm'), s['semitones'], s['quality'],\n"
        "        s['markpoints'], 'error' in o)\n";
    TestSupport::writeBytes(dir.file("read.py"), std::vector<unsigned char>(script.begin(),
                                                                             script.end()));
    std::string out;
    EXPECT_EQ(TestSupport::run("cd '" + dir.path().string() + "' && export XDG_CONFIG_HOME=" +
                                   dir.file("config") + " && " + cli() +
                                   " process --json --jobs 1 --quality best --time 180bpm "
                                   "--source-bpm 120 --semitones -3 'a, \"b\".wav' bad.wav "
                                   "2>/dev/null >out.json"),
              1);
    ASSERT_EQ(TestSupport::run("cd '" + dir.path().string() + "' && python3 read.py <out.json",
                               &out),
              0);
    const std::string result = "a, \"b\" P-3.0 T0.67 2.wav";
    std::string frames;
    ASSERT_EQ(TestSupport::run(cli() + " info --json '" + dir.file(result) +
                                   "' | python3 -c 'import json,sys; print(json.load(sys.stdin)[\"frames\"])'",
                               &frames),
              0);
    frames.pop_back();
    EXPECT_EQ(out, "done " + result + " " + frames +
                       " wav True 180 bpm 120 -3 best None False\n"
                       "failed None 0 None True 180 bpm 120 -3 best None True\n");
}

TEST(CliInfo, ReportsEachBadFileAndGoesOn) {
    TestSupport::TempDir dir;
    const std::string good = dir.file("good.wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 44100 '" + good + "' synth 0.1 sine 440"), 0);
    const std::string empty = dir.file("empty.wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 44100 '" + empty + "' trim 0 0"), 0);
    const std::string fast = dir.file("fast.wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 192000 '" + fast + "' synth 0.1 sine 440"), 0);
    TestSupport::writeBytes(dir.file("junk.wav"), {'n', 'o', 'p', 'e'});
    std::string out;
    const int status =
        runCli("info '" + dir.file("missing.wav") + "' '" + empty + "' '" + fast + "' '" +
                   dir.file("junk.wav") + "' '" + dir.file("notes.txt") + "' '" + good + "'",
               &out);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find(dir.file("missing.wav") +
                       ": CDataFile::open() cannot open the file! it may not exist?"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(empty + ": looks like this file has not wave data or might be broken."),
              std::string::npos)
        << out;
    EXPECT_NE(
        out.find(fast + ": file is not valid! the highest supported sample rate is 96000 Hz!"),
        std::string::npos)
        << out;
    EXPECT_NE(
        out.find(dir.file("junk.wav") + ": cannot read header because this is no valid WAVE file!"),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("does not support this kind of file"), std::string::npos) << out;
    EXPECT_EQ(valueOf(out, "Full Path"), good);
}

TEST(CliUsage, HelpAndWrongCommandLines) {
    std::string out;
    EXPECT_EQ(runCli("--help", &out), 0);
    EXPECT_NE(out.find("usage: stretchwerk-cli"), std::string::npos);
    EXPECT_EQ(runCli("copy --help", &out), 0);
    EXPECT_NE(out.find("--force"), std::string::npos);
    EXPECT_EQ(runCli("", &out), 2);
    EXPECT_EQ(runCli("frobnicate", &out), 2);
    EXPECT_EQ(runCli("info", &out), 2);
    EXPECT_EQ(runCli("info --bogus x.wav", &out), 2);
    EXPECT_EQ(runCli("copy a.wav", &out), 2);
    EXPECT_EQ(runCli("copy a.wav b.mp3", &out), 2);
    EXPECT_EQ(runCli("copy a.wav b.wav --bits 12", &out), 2);
    EXPECT_EQ(runCli("copy a.wav b.wav --bits", &out), 2);
}

TEST(CliCopy, CopiesSamplesExactlyAndConvertsBits) {
    TestSupport::TempDir dir;
    const std::string in = dir.file("in.wav");
    ASSERT_EQ(
        TestSupport::run("sox -n -r 48000 -b 24 -c 3 '" + in + "' synth 0.5 whitenoise gain -3"),
        0);
    std::string out;
    ASSERT_EQ(runCli("copy '" + in + "' '" + dir.file("same.aiff") + "'", &out), 0) << out;
    ASSERT_EQ(runCli("copy '" + in + "' '" + dir.file("wide.wav") + "' --bits 32", &out), 0) << out;
    ASSERT_EQ(runCli("copy '" + in + "' '" + dir.file("narrow.aif") + "' --bits 16", &out), 0)
        << out;
    EXPECT_EQ(soxi("-b", dir.file("same.aiff")), "24");
    EXPECT_EQ(soxi("-e", dir.file("wide.wav")), "Floating Point PCM");
    EXPECT_EQ(soxi("-b", dir.file("narrow.aif")), "16");
    // sox finds no difference between the source and the lossless copies.
    for (const std::string copy : {"same.aiff", "wide.wav"}) {
        ASSERT_EQ(TestSupport::run("sox -m -v 1 '" + in + "' -v -1 '" + dir.file(copy) + "' '" +
                                   dir.file("diff.wav") + "' 2>/dev/null"),
                  0);
        std::string stats;
        TestSupport::run("sox '" + dir.file("diff.wav") + "' -n stat 2>&1", &stats);
        EXPECT_NE(stats.find("Maximum amplitude:     0.000000"), std::string::npos)
            << copy << stats;
    }
    EXPECT_EQ(soxi("-s", dir.file("narrow.aif")), soxi("-s", in));
}

TEST(CliCopy, NeverOverwritesWithoutForceAndLeavesNothingHalfWritten) {
    TestSupport::TempDir dir;
    const std::string in = dir.file("in.wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 8000 '" + in + "' synth 0.2 sine 440"), 0);
    const std::string existing = dir.file("keep.wav");
    TestSupport::writeBytes(existing, {'m', 'i', 'n', 'e'});
    std::string out;
    EXPECT_EQ(runCli("copy '" + in + "' '" + existing + "'", &out), 1);
    EXPECT_NE(out.find("exists already"), std::string::npos) << out;
    EXPECT_EQ(TestSupport::readBytes(existing).size(), 4u);
    EXPECT_EQ(runCli("copy '" + in + "' '" + existing + "' --force", &out), 0) << out;
    EXPECT_GT(TestSupport::readBytes(existing).size(), 44u);

    // A source that cannot be read leaves no destination and no temporary file behind.
    TestSupport::writeBytes(dir.file("bad.wav"), {'R', 'I', 'F', 'F'});
    EXPECT_EQ(runCli("copy '" + dir.file("bad.wav") + "' '" + dir.file("out.wav") + "'", &out), 1);
    const std::string nowhere = dir.file("no/such/dir/out.wav");
    EXPECT_EQ(runCli("copy '" + in + "' '" + nowhere + "'", &out), 1);
    EXPECT_EQ(out, "stretchwerk-cli: " + nowhere +
                       ": cannot create a file in this folder (No such file or directory)\n");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"bad.wav", "in.wav", "keep.wav"}));
}

TEST(CliCopy, NewFilesGetTheUsualModeReplacedOnesKeepTheirsAndLinksStay) {
    TestSupport::TempDir dir;
    const std::string in = dir.file("in.wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 8000 '" + in + "' synth 0.1 sine 440"), 0);
    auto mode = [](const std::string& path) {
        return fs::status(path).permissions() & fs::perms::mask;
    };
    std::string out;
    ASSERT_EQ(TestSupport::run("umask 027; " + cli() + " copy '" + in + "' '" +
                                   dir.file("new.wav") + "' 2>&1",
                               &out),
              0)
        << out;
    EXPECT_EQ(mode(dir.file("new.wav")), fs::perms(0640));
    const std::string kept = dir.file("kept.wav");
    TestSupport::writeBytes(kept, {'o', 'l', 'd'});
    fs::permissions(kept, fs::perms(0604));
    ASSERT_EQ(runCli("copy '" + in + "' '" + kept + "' --force", &out), 0) << out;
    EXPECT_EQ(mode(kept), fs::perms(0604));
    // Through a link: the file it names gets the copy, the link stays a link.
    fs::create_directory(dir.file("sub"));
    fs::create_symlink("../kept.wav", dir.file("sub/link.wav"));
    TestSupport::writeBytes(kept, {'o', 'l', 'd'});
    ASSERT_EQ(runCli("copy '" + in + "' '" + dir.file("sub/link.wav") + "' --force", &out), 0)
        << out;
    EXPECT_TRUE(fs::is_symlink(dir.file("sub/link.wav")));
    EXPECT_GT(fs::file_size(kept), 44u);
    EXPECT_EQ(mode(kept), fs::perms(0604));
}

TEST(CliUsage, DoubleDashEndsTheOptionsAndFullPathIsAbsolute) {
    TestSupport::TempDir dir;
    fs::create_directory(dir.file("sub"));
    ASSERT_EQ(TestSupport::run("sox -n -r 8000 '" + dir.file("-x.wav") + "' synth 0.1 sine 440"),
              0);
    std::string out;
    EXPECT_EQ(TestSupport::run("cd '" + dir.path().string() + "' && " + cli() +
                                   " info sub/../-x.wav -- -x.wav 2>&1",
                               &out),
              0)
        << out;
    const std::string full = "Full Path: " + dir.file("-x.wav") + "\n";
    const auto first = out.find(full);
    EXPECT_NE(first, std::string::npos) << out;
    EXPECT_NE(out.find(full, first + 1), std::string::npos) << out;
    EXPECT_EQ(runCli("info -- --help", &out), 1) << "a file named --help";
    EXPECT_EQ(runCli("process --markpoints '' x.wav", &out), 2) << out;
    EXPECT_EQ(runCli("process --help", &out), 0);
    EXPECT_NE(out.find("fast and medium take the same path"), std::string::npos);
}

// Output that cannot be written fails the command, whatever it printed.
TEST(CliUsage, UnwritableOutputFails) {
    TestSupport::TempDir dir;
    const std::string wav = dir.file("x.wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 8000 '" + wav + "' synth 0.1 sine 440"), 0);
    const std::string mpt = dir.file("x.mpt");
    ASSERT_EQ(runCli("markpoints make '" + mpt + "' --time 0:1"), 0);
    for (const std::string& args : std::vector<std::string>{
             "info '" + wav + "'", "settings", "devices", "markpoints show '" + mpt + "'"}) {
        std::string out;
        EXPECT_EQ(TestSupport::run("XDG_CONFIG_HOME='" + dir.file("config") + "' " + cli() + " " +
                                       args + " 2>&1 >/dev/full",
                                   &out),
                  1)
            << args;
        EXPECT_NE(out.find("cannot write the output: No space left on device"), std::string::npos)
            << args << ": " << out;
    }
}

// A FIFO (or any other thing that is not a file) given as a source is refused at once, by each
// command: reading it would wait for a writer that never comes.
TEST(CliUsage, AFifoAsASourceIsRefusedWithoutWaiting) {
    TestSupport::TempDir dir;
    const std::string wav = dir.file("x.wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 8000 '" + wav + "' synth 0.1 sine 440"), 0);
    for (const std::string name : {"pipe.wav", "pipe.mpt"})
        ASSERT_EQ(::mkfifo(dir.file(name).c_str(), 0600), 0);
    const std::string pipe = quoted(dir.file("pipe.wav"));
    const std::string curves = quoted(dir.file("pipe.mpt"));
    for (const std::string& args :
         {"info " + pipe, "copy " + pipe + " " + quoted(dir.file("c.wav")), "process " + pipe,
          "process --markpoints " + curves + " " + quoted(wav), "markpoints show " + curves}) {
        std::string out;
        // The guard ends a command that waits after all (status 124).
        EXPECT_EQ(TestSupport::run("cd " + quoted(dir.path().string()) +
                                       " && XDG_CONFIG_HOME=" + quoted(dir.file("config")) +
                                       " timeout -k 10 120 " + cli() + " " + args + " 2>&1",
                                   &out),
                  1)
            << args;
        EXPECT_NE(out.find("cannot read this file! it is a FIFO (named pipe), not a regular file."),
                  std::string::npos)
            << args << ": " << out;
    }
    for (const auto& entry : fs::directory_iterator(dir.path())) // nothing was written
        EXPECT_TRUE(entry.path() == wav || entry.path().filename().string().starts_with("pipe.") ||
                    entry.is_directory())
            << entry.path();
}

namespace {
// An 8-bit mono WAV file of `frames` frames that takes no room: its sound is a hole in the file.
void sparseWave(const std::string& path, std::uint32_t frames) {
    TestSupport::writeBytes(path, TestSupport::waveFile(1, 1, 8000, 1, 8, 0).data);
    std::vector<unsigned char> header = TestSupport::readBytes(path);
    for (int i = 0; i < 4; ++i) {
        header[4 + i] = static_cast<unsigned char>((frames + 36) >> (8 * i));
        header[40 + i] = static_cast<unsigned char>(frames >> (8 * i));
    }
    TestSupport::writeBytes(path, header);
    fs::resize_file(path, 44 + std::uintmax_t{frames});
}
} // namespace

// A result that its format cannot hold is refused before anything is written, with its size.
// The file size limit keeps a command that starts writing after all from filling the disk.
// (A WAV result grows into RF64; AIFF counts its sizes in 32 bits.)
TEST(CliUsage, AResultBeyond4GiBIsRefusedBeforeAnythingIsWritten) {
    TestSupport::TempDir dir;
    const std::string big = dir.file("big.wav");
    sparseWave(big, 1500000000);
    for (const char* args :
         {"copy big.wav wide.aif --bits 24", "process --time 300% --format aiff big.wav"}) {
        std::string out;
        EXPECT_EQ(TestSupport::run("cd " + quoted(dir.path().string()) +
                                       " && export XDG_CONFIG_HOME=" + quoted(dir.file("config")) +
                                       " && ulimit -f 10240 && " + cli() + " " + args + " 2>&1",
                                   &out),
                  1)
            << args;
        EXPECT_NE(out.find("the result would hold 4.19 GiB of samples, more than AIFF files can hold"),
                  std::string::npos)
            << args << ": " << out;
    }
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_TRUE(entry.path() == big || entry.is_directory()) << entry.path();
}

// A copy that was killed leaves its hidden temporary file; the next copy to the same name
// removes it, but not the one of a copy still at work (which holds it locked).
TEST(CliCopy, TheNextCopyRemovesTheTemporaryFileOfAKilledOne) {
    TestSupport::TempDir dir;
    const std::string in = dir.file("in.wav");
    ASSERT_EQ(TestSupport::run("sox -n -r 8000 '" + in + "' synth 0.2 sine 440"), 0);
    const std::string killed = dir.file(".out.wav.partial-Ab3dE9");
    const std::string working = dir.file(".out.wav.partial-Zz9yX1");
    const std::string other = dir.file(".other.wav.partial-Ab3dE9");
    for (const std::string& path : {killed, working, other})
        TestSupport::writeBytes(path, {'R', 'I', 'F', 'F'});
    const int held = ::open(working.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::string out;
    ASSERT_EQ(runCli("copy '" + in + "' '" + dir.file("out.wav") + "'", &out), 0) << out;
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_TRUE(fs::exists(working));
    EXPECT_TRUE(fs::exists(other));
    ::close(held);
}
