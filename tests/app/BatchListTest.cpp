#include <gtest/gtest.h>

#include <filesystem>

#include "ModelTestKit.h"
#include "app/BatchList.h"

using namespace MarkPoints;

using namespace App;
using namespace ModelTest;

namespace {

struct ListOf {
    TestSupport::TempDir dir;
    BatchList list;
    std::vector<std::string> paths;
    explicit ListOf(int n) {
        for (int i = 0; i < n; ++i) {
            paths.push_back(toneFile(dir, "r" + std::to_string(i) + ".wav", 800));
            addFile(list, paths.back());
        }
    }
    std::string selection() const {
        std::string s;
        for (std::size_t i = 0; i < list.size(); ++i)
            s += list.row(i).selected ? '*' : '.';
        return s;
    }
    void select(const std::string& pattern) {
        for (std::size_t i = 0; i < pattern.size(); ++i)
            list.row(i).selected = pattern[i] == '*';
    }
};

} // namespace

TEST(BatchList, SelectionByClickAndKeys) {
    ListOf l(4);
    EXPECT_FALSE(BatchList().hadRows());
    EXPECT_TRUE(l.list.hadRows());
    l.list.key(BatchList::Key::End); // nothing selected: nothing happens
    EXPECT_EQ(l.selection(), "....");
    l.list.click(2, false);
    EXPECT_EQ(l.selection(), "..*.");
    l.list.click(0, true);
    l.list.click(3, true);
    l.list.click(2, true);
    EXPECT_EQ(l.selection(), "*..*");
    EXPECT_EQ(l.list.firstSelected(), &l.list.row(0));
    EXPECT_EQ(l.list.selectedRows().back(), &l.list.row(3));
    struct Step {
        const char* before;
        BatchList::Key key;
        const char* after;
    } steps[] = {
        {".*.*", BatchList::Key::Up, ".*.."},   {".*.*", BatchList::Key::Down, "...*"},
        {".*..", BatchList::Key::Up, "*..."},   {"*...", BatchList::Key::Up, "*..."},
        {"..*.", BatchList::Key::Down, "...*"}, {"...*", BatchList::Key::Down, "...*"},
        {"..*.", BatchList::Key::Home, "*..."}, {".*..", BatchList::Key::End, "...*"},
    };
    for (const Step& s : steps) {
        l.select(s.before);
        l.list.key(s.key);
        EXPECT_EQ(l.selection(), s.after) << s.before;
    }
    l.list.selectAll();
    EXPECT_EQ(l.selection(), "****");
}

TEST(BatchList, CopyNeedsExactlyOneRowAndPasteAppliesEverything) {
    ListOf l(3);
    ScriptedUi ui;
    EXPECT_FALSE(l.list.copyParameters(ui));
    l.select("**.");
    EXPECT_FALSE(l.list.copyParameters(ui));
    EXPECT_EQ(ui.messages, (std::vector<std::string>(2, kCopyNeedsOneRow)));
    CFileRow& source = l.list.row(0);
    source.setSemitoneText("7");
    source.setCentText("-20");
    source.setPreserveFormants(true);
    source.setUseMarkPoints(true);
    source.setSourceBpm(90.0);
    source.curves()[1] = JobTest::curve({{100, 2.0f, LINEAR}});
    l.select("*..");
    ASSERT_TRUE(l.list.copyParameters(ui));
    l.select(".**");
    EXPECT_EQ(l.list.pasteParameters().size(), 2u);
    for (std::size_t i : {1u, 2u}) {
        const CFileRow& r = l.list.row(i);
        EXPECT_EQ(r.getSemitones(), 7);
        EXPECT_EQ(r.getCents(), -20);
        EXPECT_TRUE(r.getPreserveFormants());
        EXPECT_TRUE(r.getUseMarkPoints());
        EXPECT_EQ(r.getSourceBpm(), 90.0);
        EXPECT_EQ(r.curves()[1], source.curves()[1]);
    }
    // A busy row's job has taken its parameters already: it takes no new ones.
    l.list.row(2).setSemitoneText("1");
    l.list.row(2).busy = true;
    EXPECT_EQ(l.list.pasteParameters(), std::vector<CFileRow*>{&l.list.row(1)});
    EXPECT_EQ(l.list.row(2).getSemitones(), 1);
}

TEST(BatchList, RemovalKeepsRowsInUseAndDeletesCreatedFilesOnRequest) {
    ListOf l(5);
    ScriptedUi ui;
    l.list.userWaitMs = 0;
    l.list.row(1).created = true;
    l.list.row(2).busy = true;
    l.list.row(3).overviewBuilding = 1;
    l.list.row(4).created = true;
    l.select("*****");
    ui.deleteAnswer = true;
    ASSERT_TRUE(l.list.removeSelectedRows(ui));
    EXPECT_EQ(ui.stops, 1);
    EXPECT_EQ(ui.deleteQuestions, 1);
    ASSERT_EQ(l.list.size(), 2u); // the busy row and the one being scanned stay
    EXPECT_EQ(l.list.row(0).nameLine(), "r2.wav");
    EXPECT_EQ(l.selection(), ".*");
    EXPECT_TRUE(std::filesystem::exists(l.paths[0])); // not created by us: never deleted
    EXPECT_FALSE(std::filesystem::exists(l.paths[1]));
    EXPECT_FALSE(std::filesystem::exists(l.paths[4]));
    EXPECT_TRUE(ui.messages.empty());
}

TEST(BatchList, RemovalStopsAtAnEditorThatStaysOpen) {
    ListOf l(3);
    ScriptedUi ui;
    l.list.row(1).editorOpen = true;
    ui.editorCloses = false;
    l.list.selectAll();
    EXPECT_TRUE(l.list.removeSelectedRows(ui)); // the last row went before the walk stopped
    EXPECT_EQ(ui.deleteQuestions, 0);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kEditorWontClose});
    EXPECT_EQ(l.list.size(), 2u);
}

TEST(BatchList, ClosingWaitsForOverviewsAndAsksAboutCreatedFiles) {
    ListOf l(2);
    ScriptedUi ui;
    l.list.row(0).overviewBuilding = 1;
    EXPECT_FALSE(l.list.closeAll(ui));
    EXPECT_EQ(ui.messages, std::vector<std::string>{kOverviewKeepsOpen});
    l.list.row(0).overviewBuilding = 0;
    l.list.row(1).created = true;
    ui.deleteAnswer = false;
    EXPECT_TRUE(l.list.closeAll(ui));
    EXPECT_EQ(ui.deleteQuestions, 1);
    EXPECT_TRUE(std::filesystem::exists(l.paths[1]));
    EXPECT_TRUE(l.list.empty());
}
