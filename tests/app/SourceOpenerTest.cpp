#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

#include "ModelTestKit.h"
#include "app/SourceOpener.h"

using namespace App;
using namespace ModelTest;

TEST(SourceOpener, ChosenNamesFollowTheExtensionAndTheFilter) {
    TestSupport::TempDir dir;
    const std::string base = dir.file("take1");
    const Audio::FileFormat* all = nullptr;
    EXPECT_EQ(resolveChosenName(base, all), base); // none exists
    TestSupport::writeBytes(base + ".opus", {});
    EXPECT_EQ(resolveChosenName(base, all), base + ".opus");
    TestSupport::writeBytes(base + ".aiff", {});
    EXPECT_EQ(resolveChosenName(base, all), base + ".aiff");
    TestSupport::writeBytes(base + ".aif", {});
    EXPECT_EQ(resolveChosenName(base, all), base + ".aif");
    TestSupport::writeBytes(base + ".wav", {});
    EXPECT_EQ(resolveChosenName(base, all), base + ".wav");
    EXPECT_EQ(resolveChosenName(base, Audio::formatOf(Audio::AiffType)), base + ".aif");
    EXPECT_EQ(resolveChosenName(base, Audio::formatOf(Audio::WavType)), base + ".wav");
    EXPECT_EQ(resolveChosenName(base, Audio::formatOf(Audio::FlacType)), base + ".flac");
    EXPECT_EQ(resolveChosenName(base + ".mid", Audio::formatOf(Audio::WavType)), base + ".mid");
}

TEST(SourceOpener, EachFailureIsShownAndTheOtherFilesStillOpen) {
    TestSupport::TempDir dir;
    BatchList list;
    ScriptedUi ui;
    const std::string good = toneFile(dir, "take1.WAV", 800);
    const std::string empty = toneFile(dir, "empty.wav", 0);
    TestSupport::writeBytes(dir.file("take1.mid"), {1, 2, 3});
    TestSupport::writeBytes(dir.file("junk.wav"), {'R', 'I', 'F', 'F'});
    const auto added = openChosenFiles(
        list, {dir.file("take1.mid"), empty, dir.file("junk.wav"), good, dir.file("gone.aif")},
        nullptr, ui);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0]->nameLine(), "take1.WAV");
    ASSERT_EQ(ui.messages.size(), 4u);
    EXPECT_EQ(ui.messages[0], "\"" + dir.file("take1.mid") +
                                  "\"\nVellamar Stretchwerk does not support this kind of file or "
                                  "the name of the file was wrong!");
    EXPECT_EQ(ui.messages[1],
              "\"" + empty + "\"\nlooks like this file has not wave data or might be broken.");
    for (int k : {2, 3})
        EXPECT_FALSE(ui.messages[k].empty());

    ScriptedUi dropUi; // dropped: only audio names, others skipped silently
    EXPECT_EQ(openDroppedFiles(list, {dir.file("take1.mid"), good}, dropUi).size(), 1u);
    EXPECT_TRUE(dropUi.messages.empty());
    EXPECT_EQ(list.size(), 2u);
}

TEST(SourceOpener, DroppedFoldersGiveTheirAudioFilesAndNameTheRestOnce) {
    TestSupport::TempDir dir;
    const std::filesystem::path takes = dir.file("Takes"), more = dir.file("More");
    std::filesystem::create_directories(takes / "inner");
    std::filesystem::create_directories(more);
    toneFile(dir, "Takes/b.WAV", 800);
    toneFile(dir, "Takes/a.wav", 800);
    toneFile(dir, "Takes/inner/deep.wav", 800); // one level only
    TestSupport::writeBytes((takes / "notes.txt").string(), {'x'});
    TestSupport::writeBytes((takes / ".hidden.wav").string(), {'x'});
    TestSupport::writeBytes((takes / "broken.aif").string(), {'F', 'O', 'R', 'M'});
    toneFile(dir, "More/c.wav", 800);
    BatchList list;
    ScriptedUi ui;
    const auto added =
        openDroppedFiles(list, {takes.string(), dir.file("loose.mid"), more.string()}, ui);
    ASSERT_EQ(added.size(), 3u);
    EXPECT_EQ(added[0]->nameLine(), "a.wav");
    EXPECT_EQ(added[1]->nameLine(), "b.WAV");
    EXPECT_EQ(added[2]->nameLine(), "c.wav");
    // The broken file's own failure, then one message for the rest of both folders.
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1], "Only the audio files directly inside a dropped folder were "
                              "added. Not added:\ninner/\nnotes.txt");

    // Past the names a message holds: how many more.
    std::vector<std::string> names;
    for (std::size_t i = 0; i <= kNamedAtMost; ++i)
        names.push_back("n" + std::to_string(i));
    const std::string text = notAddedMessage(names);
    EXPECT_NE(text.find("\nn11\nand 1 more"), std::string::npos) << text;
    EXPECT_EQ(text.find("n12"), std::string::npos);
    EXPECT_EQ(notAddedMessage({"x"}).find("more"), std::string::npos);
    // An unreadable folder gives nothing.
    EXPECT_TRUE(readDroppedFolder(dir.file("none")).audioFiles.empty());
}

TEST(SourceOpener, FailureWithoutTextGetsTheListsOwnText) {
    auto blank = std::make_exception_ptr(std::runtime_error(""));
    EXPECT_EQ(failureText(blank, kCouldNotOpen), kCouldNotOpen);
    EXPECT_EQ(failureText(std::make_exception_ptr(42), "x"), "x");
    EXPECT_EQ(failureText(std::make_exception_ptr(std::logic_error("own")), "x"), "own");
}

TEST(SourceOpener, SplitMemberTitlesInChannelOrder) {
    EXPECT_EQ(splitMemberTitles(SplitKind::Stereo),
              (std::vector<std::string>{"Select Left Channel File", "Select Right Channel File"}));
    const auto t71 = splitMemberTitles(SplitKind::Surround71);
    ASSERT_EQ(t71.size(), 8u);
    EXPECT_EQ(t71[4], "Select Rear Right Channel File");
    EXPECT_EQ(t71[5], "Select Rear Center Left Channel File");
    EXPECT_EQ(t71[6], "Select Rear Center Right Channel File");
    EXPECT_EQ(t71[7], "Select Subwoofer Channel File");
    const auto t61 = splitMemberTitles(SplitKind::Surround61);
    ASSERT_EQ(t61.size(), 7u);
    EXPECT_EQ(t61[3], "Select Rear Center Channel File");
    EXPECT_EQ(splitMemberTitles(SplitKind::Surround51).back(), "Select Subwoofer Channel File");
}

TEST(SourceOpener, SplitMembersFailingACheckAreAskedForAgain) {
    TestSupport::TempDir dir;
    BatchList list;
    ScriptedUi ui;
    const std::string left = toneFile(dir, "L.wav", 800, 1, 44100);
    const std::string right = toneFile(dir, "R.wav", 800, 1, 44100);
    ui.files = {dir.file("L.mid"),
                left,
                toneFile(dir, "st.wav", 800, 2, 44100),
                toneFile(dir, "slow.wav", 800, 1, 22050),
                toneFile(dir, "b24.wav", 800, 1, 44100, 24),
                toneFile(dir, "short.wav", 799, 1, 44100),
                toneFile(dir, "none.wav", 0, 1, 44100),
                dir.file("./L.wav"),
                right};
    TestSupport::writeBytes(dir.file("bad.wav"), {'R', 'I', 'F', 'F', 0, 0});
    ui.files.insert(ui.files.begin() + 2, dir.file("bad.wav"));
    CFileRow* row = openSplitSet(list, SplitKind::Stereo, ui);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->isSplit());
    EXPECT_EQ(row->format().channels, 2u);
    EXPECT_EQ(row->getMembers()[1].path, right);
    EXPECT_EQ(row->infoLine().rfind("Split - 44.1 kHz", 0), 0u);
    const std::vector<std::string> expected{
        "Vellamar Stretchwerk does not support this kind of file! Or maybe you miss-spelled the "
        "filename?",
        "Error CFileScroll::OpenDialogSingleSplitFile",
        "Single Channel File Required - \nA The file you have selected appears to be a stereo file "
        "and therefore cannot be opened!",
        "Cannot open this file: Expect a Samplerate of 44100 Hz.\n this file has 22050 Hz! open "
        "another file please.",
        "Cannot open this file: Expect a 16 bit file.\n this is a 24 bit file! open another file "
        "please.",
        "the files must be of the same size! this file has not the same size as the other!",
        "looks like this file has not wave data or might be broken.",
        "You have already opened this file! select anothe one please!"};
    EXPECT_EQ(ui.messages, expected);
    EXPECT_EQ(ui.filters.front(), Audio::openDialogFilter());
    EXPECT_EQ(ui.filters.back(), Audio::singleFormatFilter(Audio::WavType));
    EXPECT_EQ(ui.titles.back(), "Select Right Channel File");
}

TEST(SourceOpener, SplitSetsFromTheirPathsCheckEveryMember) {
    TestSupport::TempDir dir;
    BatchList list;
    ScriptedUi ui;
    const std::string left = toneFile(dir, "L.wav", 800, 1, 44100);
    const std::string right = toneFile(dir, "R.wav", 800, 1, 44100);
    CFileRow* row = openSplitFiles(list, {left, right}, ui);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->isSplit());
    EXPECT_EQ(row->getMembers()[1].path, right);
    // The last member fails a check; the same file twice; a count of no layout; one gone.
    const std::string slow = toneFile(dir, "slow.wav", 800, 1, 22050);
    EXPECT_EQ(openSplitFiles(list, {left, slow}, ui), nullptr);
    EXPECT_EQ(openSplitFiles(list, {left, dir.file("./L.wav")}, ui), nullptr);
    EXPECT_EQ(openSplitFiles(list, {left, right, left}, ui), nullptr);
    EXPECT_EQ(openSplitFiles(list, {left, dir.file("gone.wav")}, ui), nullptr);
    ASSERT_EQ(ui.messages.size(), 4u);
    EXPECT_EQ(
        ui.messages[0].rfind("\"" + slow + "\"\nCannot open this file: Expect a Samplerate", 0),
        0u);
    EXPECT_NE(ui.messages[1].find("You have already opened this file!"), std::string::npos);
    EXPECT_EQ(ui.messages[2], kCouldNotOpen);
    EXPECT_EQ(ui.messages[3].rfind("\"" + dir.file("gone.wav") + "\"\n", 0), 0u);
    EXPECT_EQ(list.size(), 1u);
}

TEST(SourceOpener, CancellingAnyMemberOpensNothing) {
    TestSupport::TempDir dir;
    BatchList list;
    ScriptedUi ui;
    ui.files = {toneFile(dir, "c.aif.wav", 800)};
    EXPECT_EQ(openSplitSet(list, SplitKind::Surround51, ui), nullptr);
    EXPECT_EQ(ui.titles.size(), 2u);
    EXPECT_TRUE(list.empty());
}

TEST(SourceOpener, SurroundSetReadsInChannelOrder) {
    TestSupport::TempDir dir;
    BatchList list;
    ScriptedUi ui;
    std::vector<std::string> paths;
    for (int c = 0; c < 6; ++c) {
        paths.push_back(dir.file("ch" + std::to_string(c) + ".wav"));
        JobTest::writeWave(paths.back(), JobTest::makeFormat(1, 8000, 16),
                           {std::vector<float>(100, 0.125f * static_cast<float>(c + 1))});
        ui.files.push_back(paths.back());
    }
    CFileRow* row = openSplitSet(list, SplitKind::Surround51, ui);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->infoLine().rfind("Surround 5.1 - ", 0), 0u);
    EXPECT_EQ(row->editorTitle(), "Surround 5.1");
    std::vector<std::vector<float>> got(6, std::vector<float>(10));
    std::vector<float*> ptrs;
    for (auto& g : got)
        ptrs.push_back(g.data());
    Audio::u32 read = 0;
    Audio::tools::read(ptrs.data(), 0, &row->getCache(), 6, 50, 10, &read);
    ASSERT_EQ(read, 10u);
    for (int c = 0; c < 6; ++c)
        EXPECT_FLOAT_EQ(got[c][0], 0.125f * static_cast<float>(c + 1));
}

// A FIFO chosen or dropped as a source is refused at once, naming it: reading it would wait for
// a writer that never comes, and the window would hang.
TEST(SourceOpener, AFifoIsRefusedWithoutWaiting) {
    TestSupport::TempDir dir;
    const std::string pipe = dir.file("pipe.wav");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    BatchList list;
    ScriptedUi ui;
    auto opening = std::async(std::launch::async, [&] {
        openChosenFiles(list, {pipe}, nullptr, ui);
        openDroppedFiles(list, {pipe}, ui);
    });
    if (opening.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        // The guard: a writer lets the waiting open go, so that the test ends and fails.
        const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
        opening.wait();
        FAIL() << "opening a FIFO waited for a writer";
    }
    EXPECT_TRUE(list.empty());
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const std::string& message : ui.messages)
        EXPECT_EQ(message, "CDataFile::open() cannot read this file! it is a FIFO (named pipe), "
                           "not a regular file.\n FILE:" +
                               pipe);
}
