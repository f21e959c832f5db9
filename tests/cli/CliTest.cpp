// stretchwerk-cli as a user runs it: exit codes, output, and files left behind.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

#include "cli/CliPath.h"
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
