#include <gtest/gtest.h>

#include <filesystem>

#include "ModelTestKit.h"
#include "app/RecentFiles.h"

using namespace App;

namespace {

RecentEntry file(const std::string& path) {
    return {{path}, false};
}

std::string text(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

} // namespace

TEST(RecentFiles, KeepsTenMostRecentFirstAndMovesAReopenedEntryUp) {
    RecentFiles recent("/nowhere/RecentFiles");
    for (int i = 0; i < 12; ++i)
        recent.add(file("/music/take" + std::to_string(i) + ".wav"));
    ASSERT_EQ(recent.list().size(), RecentFiles::kKept);
    EXPECT_EQ(recent.list().front(), file("/music/take11.wav"));
    EXPECT_EQ(recent.list().back(), file("/music/take2.wav"));
    // Opened again: to the top, listed once, nothing else lost.
    recent.add(file("/music/take2.wav"));
    EXPECT_EQ(recent.list().front(), file("/music/take2.wav"));
    EXPECT_EQ(recent.list().size(), RecentFiles::kKept);
    EXPECT_EQ(recent.list().back(), file("/music/take3.wav"));
    // A split set is one entry, apart from its members opened alone; again: moved up.
    const RecentEntry set{{"/music/L.wav", "/music/R.wav"}, true};
    recent.add(set);
    recent.add(file("/music/L.wav"));
    recent.add(set);
    ASSERT_EQ(recent.list().size(), RecentFiles::kKept);
    EXPECT_EQ(recent.list()[0], set);
    EXPECT_EQ(recent.list()[1], file("/music/L.wav"));
    EXPECT_EQ(set.menuText(), "Stereo Split: L.wav, ...");
    EXPECT_EQ(set.toolTip(), "/music/L.wav\n/music/R.wav");
}

TEST(RecentFiles, TheLastListKeepsItsOrderAndMoreThanTen) {
    RecentFiles last("/nowhere/LastList", 100);
    std::vector<RecentEntry> rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back(file("/t" + std::to_string(i) + ".wav"));
    rows.push_back(file("/t0.wav")); // the same file twice in the list: once
    last.assign(rows);
    ASSERT_EQ(last.list().size(), 12u);
    EXPECT_EQ(last.list().front(), file("/t0.wav"));
    EXPECT_EQ(last.list().back(), file("/t11.wav"));
    RecentFiles again("/nowhere/LastList", 100);
    again.parse(last.text());
    EXPECT_EQ(again.list(), last.list());
    RecentFiles two("/nowhere/LastList", 2);
    two.assign(rows);
    EXPECT_EQ(two.list().size(), 2u);
}

TEST(RecentFiles, MissingFilesAndSetsWithAMissingMemberAreMarked) {
    TestSupport::TempDir dir;
    const std::string here = ModelTest::toneFile(dir, "here.wav", 100);
    EXPECT_FALSE(file(here).missing());
    EXPECT_TRUE(file(dir.file("gone.wav")).missing());
    EXPECT_TRUE((RecentEntry{{here, dir.file("gone.wav")}, true}.missing()));
    EXPECT_TRUE(file(dir.path().string()).missing()); // a folder is no file to open
}

TEST(RecentFiles, PathsHoldingTheSeparatorsSurviveTheFile) {
    TestSupport::TempDir dir;
    RecentFiles recent(dir.file("cfg/RecentFiles")); // the folder made on saving
    const RecentEntry odd = file("/music/50%\ttab\nline\r.wav");
    const RecentEntry set{{"/a/%25.wav", "/a/b", "/a/c", "/a/d", "/a/e", "/a/f"}, true};
    recent.add(set);
    recent.add(odd);
    recent.save();
    RecentFiles again(dir.file("cfg/RecentFiles"));
    again.load();
    EXPECT_EQ(again.list(), recent.list());
    EXPECT_EQ(again.list()[0].menuText(), "50%\ttab\nline\r.wav");
}

TEST(RecentFiles, ADamagedFileKeepsItsWholeEntries) {
    RecentFiles recent("/nowhere/RecentFiles");
    recent.parse(text({kRecentFilesHeader, "file\t/a.wav", "", "film\t/b.wav", "file\t/c%zz.wav",
                       "file\t/c%2", "file\trelative.wav", "file\t/d.wav\t/e.wav",
                       "split\t/l.wav\t/m.wav\t/r.wav", "split\t/l.wav", "file\t", "file",
                       "file\t/a.wav", "split\t/l.wav\t/r.wav\r", "file\t/f.wav"}));
    EXPECT_EQ(recent.list(), (std::vector<RecentEntry>{
                                 file("/a.wav"), {{"/l.wav", "/r.wav"}, true}, file("/f.wav")}));
    // Another header: not our file; more lines than kept: the first ten.
    recent.parse(text({"Stretchwerk recent files 2", "file\t/a.wav"}));
    EXPECT_TRUE(recent.list().empty());
    std::vector<std::string> many{kRecentFilesHeader};
    for (int i = 0; i < 15; ++i)
        many.push_back("file\t/t" + std::to_string(i) + ".wav");
    recent.parse(text(many));
    ASSERT_EQ(recent.list().size(), RecentFiles::kKept);
    EXPECT_EQ(recent.list().back(), file("/t9.wav"));
    // No file, or a folder in its place: an empty list, no failure.
    TestSupport::TempDir dir;
    RecentFiles none(dir.file("none"));
    none.load();
    EXPECT_TRUE(none.list().empty());
    RecentFiles folder(dir.path().string());
    folder.load();
    EXPECT_TRUE(folder.list().empty());
}

TEST(RecentFiles, AFailedSaveNamesTheFile) {
    TestSupport::TempDir dir;
    TestSupport::writeBytes(dir.file("plain"), {'x'});
    const std::string path = dir.file("plain/RecentFiles"); // a file where its folder should be
    RecentFiles recent(path);
    recent.add(file("/a.wav"));
    try {
        recent.save();
        FAIL() << "saved";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
}
