#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "ModelTestKit.h"
#include "app/BatchDriver.h"

using namespace App;
using namespace ModelTest;

namespace {

JobSettings besideSources() {
    JobSettings s;
    s.quality = Engine::Quality::Monophonic;
    return s;
}

} // namespace

TEST(BatchDriver, ProcessesSelectedRowsIntoNewCreatedRows) {
    TestSupport::TempDir dir;
    BatchList list;
    ScriptedUi ui;
    addFile(list, toneFile(dir, "a.wav", 40000));
    addFile(list, toneFile(dir, "b.wav", 40000));
    addFile(list, toneFile(dir, "c.wav", 40000));
    list.row(0).setSemitoneText("3");
    list.row(0).selected = list.row(2).selected = true;
    list.row(2).setTimeText("50");
    BatchDriver driver;
    const auto added = driver.processSelected(list, besideSources(), ui);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(ui.stops, 1);
    EXPECT_EQ(ui.progressTitles,
              (std::vector<std::string>{"Processing \"a.wav\" ...", "Processing \"c.wav\" ..."}));
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list.row(3).nameLine(), "a P3.0 T1.00 2.wav");
    EXPECT_TRUE(list.row(3).created && list.row(4).created);
    EXPECT_FALSE(list.row(0).busy);
    EXPECT_NEAR(static_cast<double>(list.row(4).frames()), 20000.0, 1024.0);
    EXPECT_EQ(list.selectedRows(), std::vector<CFileRow*>{&list.row(4)});
    EXPECT_TRUE(ui.messages.empty());
}

TEST(BatchDriver, AFailureBeforeAnyFrameStopsTheBatch) {
    TestSupport::TempDir dir;
    BatchList list;
    ScriptedUi ui;
    addFile(list, toneFile(dir, "a.wav", 8000)).setTimeText("abc");
    addFile(list, toneFile(dir, "b.wav", 8000));
    list.selectAll();
    BatchDriver driver;
    EXPECT_TRUE(driver.processSelected(list, besideSources(), ui).empty());
    EXPECT_EQ(ui.progressTitles.size(), 1u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(list.size(), 2u);
    EXPECT_FALSE(driver.isRunning());
}

// A file that stops early, by a failure or by the progress window's stop, keeps what it holds,
// joins the list, and the batch goes on with the next row.
TEST(BatchDriver, AFileEndedEarlyIsKeptAndTheBatchGoesOn) {
    for (const bool failure : {true, false}) {
        TestSupport::TempDir dir;
        BatchList list;
        ScriptedUi ui;
        addFile(list, toneFile(dir, "a.wav", 2000000));
        addFile(list, toneFile(dir, "b.wav", 8000));
        list.selectAll();
        (failure ? ui.throwAtUpdate : ui.stopAfterUpdates) = 1;
        BatchDriver driver;
        const auto added = driver.processSelected(list, besideSources(), ui);
        ASSERT_EQ(added.size(), 2u) << failure;
        EXPECT_EQ(ui.messages,
                  failure ? std::vector<std::string>{"window gone"} : std::vector<std::string>{});
        EXPECT_GT(added[0]->frames(), 0u);
        EXPECT_LT(added[0]->frames(), 1800000u);
    }
}

// A job that ends after its file exists but before it wrote a frame leaves neither the file nor
// a row: a failure shows one message and stops the batch; a cancel shows none.
TEST(BatchDriver, AJobEndedBeforeItsFirstFrameLeavesNoFileAndNoRow) {
    for (const bool failure : {true, false}) {
        TestSupport::TempDir dir;
        BatchList list;
        ScriptedUi ui;
        BatchDriver driver;
        CFileRow& first = addFile(list, toneFile(dir, "a.wav", 8000));
        addFile(list, toneFile(dir, "b.wav", 8000));
        list.selectAll();
        if (failure) {
            // A point style no curve knows, met within the engine's start-up delay.
            first.curves()[2] = JobTest::curve({{1, 2.0f, MarkPoints::LINEAR}, {1000, 1.0f, 8}});
            first.setUseMarkPoints(true);
        } else {
            ui.atOpenProgress = [&] { driver.cancelBatch(); };
        }
        EXPECT_TRUE(driver.processSelected(list, besideSources(), ui).empty()) << failure;
        EXPECT_EQ(ui.messages,
                  failure ? std::vector<std::string>{"CKALO2FileProcess::process_ScaleArray: "
                                                     "unknown Type!"}
                          : std::vector<std::string>{});
        EXPECT_EQ(ui.progressTitles.size(), 1u) << failure;
        EXPECT_EQ(list.size(), 2u) << failure;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << failure;
    }
}

TEST(BatchDriver, CopyDialogRefusesAnExtensionThatDoesNotMatchItsFilter) {
    using namespace Audio;
    EXPECT_EQ(copyExtensionProblem("/a/x.WAV", WavType), std::nullopt);
    EXPECT_EQ(copyExtensionProblem("/a/x.aif", AiffType), std::nullopt);
    EXPECT_EQ(copyExtensionProblem("/a/x.AIFF", AiffType), std::nullopt);
    EXPECT_EQ(copyExtensionProblem("/a/x.flac", FlacType), std::nullopt);
    EXPECT_EQ(copyExtensionProblem("/a/x.aif", WavType),
              "you typed in an invalid file extension! please change it to \".wav\"");
    EXPECT_EQ(copyExtensionProblem("/a/x.wav", AiffType),
              "you typed in an invalid file extension! please change it to \".aif\"");
    EXPECT_EQ(copyExtensionProblem("/a/x.mp3", FlacType),
              "you typed in an invalid file extension! please change it to \".flac\"");
    EXPECT_EQ(copyExtensionProblem("/a.b/x", WavType), std::string()); // refused without a message
    EXPECT_EQ(copyInitialName(MemberName::of("/m/take.1.wav")), "/m/take.1 copy");
    EXPECT_EQ(copyInitialName(MemberName::of("take")), "take copy");
    EXPECT_EQ(copyRemainingSeconds(5000, 0), 0);
    EXPECT_EQ(copyRemainingSeconds(5000, 250), 15);
    EXPECT_EQ(copyRemainingSeconds(5000, 1000), 0);
}

TEST(BatchDriver, SaveACopyOfEachSelectedRowInItsFormatAndNothingWhenStopped) {
    TestSupport::TempDir dir;
    BatchList list;
    ScriptedUi ui;
    const std::string path = toneFile(dir, "a.wav", 5000, 2);
    addFile(list, path);
    addFile(list, toneFile(dir, "b.wav", 3000));
    addFile(list, toneFile(dir, "c.wav", 3000));
    list.row(0).selected = list.row(2).selected = true;
    ui.copyTargets = {{dir.file("a copy.aif"), Audio::AiffType},
                      {dir.file("c copy.wav"), Audio::WavType}};
    BatchDriver driver;
    driver.saveCopies(list, ui);
    EXPECT_EQ(ui.copyNames,
              (std::vector<std::string>{dir.file("a copy"), dir.file("c copy")})); // its folder
    EXPECT_EQ(ui.progressTitles,
              (std::vector<std::string>{"Copying \"a.wav\" ...", "Copying \"c.wav\" ..."}));
    auto copy = Audio::openSourceFile(dir.file("a copy.aif"));
    EXPECT_EQ(copy->getFrames(), 5000u);
    EXPECT_EQ(copy->format.channels, 2u);
    EXPECT_EQ(Audio::openSourceFile(dir.file("c copy.wav"))->getFrames(), 3000u);
    EXPECT_FALSE(list.row(0).busy || list.row(2).busy);

    list.selectOnly(0);
    ui.copyTargets = {{dir.file("a copy.flac"), Audio::FlacType}};
    driver.saveCopies(list, ui);
    EXPECT_EQ(TestSupport::readAll(*Audio::openSourceFile(dir.file("a copy.flac"))),
              TestSupport::readFile(path));

    // Cancelling a dialog ends the command; a stopped copy leaves nothing behind.
    list.row(2).selected = true;
    ui.copyNames.clear();
    ui.copyTargets = {{dir.file("stopped.wav"), Audio::WavType}};
    ui.stopAfterUpdates = 2;
    driver.saveCopies(list, ui);
    EXPECT_EQ(ui.copyNames.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("stopped.wav")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 6);
}

// A file that another run makes under the chosen name while the copy is written is left alone:
// the dialog asked about replacing only what was there when the name was chosen.
TEST(BatchDriver, SaveACopyNeverReplacesAFileMadeWhileItCopies) {
    TestSupport::TempDir dir;
    BatchList list;
    ScriptedUi ui;
    addFile(list, toneFile(dir, "a.wav", 5000)).selected = true;
    const std::string target = dir.file("a copy.wav");
    const std::vector<unsigned char> theirs{'o', 't', 'h', 'e', 'r'};
    ui.copyTargets = {{target, Audio::WavType}};
    ui.atUpdate = [&] {
        if (!std::filesystem::exists(target)) TestSupport::writeBytes(target, theirs);
    };
    BatchDriver driver;
    driver.saveCopies(list, ui);
    EXPECT_EQ(TestSupport::readBytes(target), theirs);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("exists already"), std::string::npos) << ui.messages[0];
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    // A file that was there when the name was chosen is replaced, as the dialog asked.
    ui.copyTargets = {{target, Audio::WavType}};
    ui.messages.clear();
    driver.saveCopies(list, ui);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Audio::openSourceFile(target)->getFrames(), 5000u);
}

// The window runs the batch on a worker and changes the list on its own thread. The worker
// takes a row's parameters and curves there too, so a wave editor that edits the curves while
// the batch runs never races it (ThreadSanitizer watches this one).
TEST(BatchThreads, CurvesEditedDuringABatchAreTakenOnTheListThread) {
    TestSupport::TempDir dir;
    BatchList list;
    addFile(list, toneFile(dir, "a.wav", 60000));
    addFile(list, toneFile(dir, "b.wav", 60000));
    list.row(1).setSemitoneText("4");
    list.selectOnly(1);
    ScriptedUi copier;
    ASSERT_TRUE(list.copyParameters(copier));
    list.selectAll();

    // The list's thread: runs what the worker hands it and edits curves in between.
    struct ListThread : ScriptedUi {
        std::mutex lock;
        std::condition_variable wake;
        std::deque<std::function<void()>*> queue;
        void onListThread(const std::function<void()>& change) override {
            std::function<void()> task = change;
            std::unique_lock hold(lock);
            queue.push_back(&task);
            wake.notify_all();
            wake.wait(hold,
                      [&] { return std::find(queue.begin(), queue.end(), &task) == queue.end(); });
        }
    } ui;
    BatchDriver driver;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        driver.processSelected(list, besideSources(), ui);
        done = true;
        ui.wake.notify_all();
    });
    std::int32_t frame = 0;
    while (!done) {
        {
            std::unique_lock hold(ui.lock);
            ui.wake.wait_for(hold, std::chrono::milliseconds(1),
                             [&] { return done || !ui.queue.empty(); });
            while (!ui.queue.empty()) {
                (*ui.queue.front())();
                ui.queue.pop_front();
            }
            ui.wake.notify_all();
        }
        // The editor of row 0 adds and removes points; paste meets busy rows.
        auto& pitch = list.row(0).curves()[1];
        pitch.insertUnique({frame, 1.5f, MarkPoints::LINEAR, 0});
        if (pitch.size() > 8) pitch.remove(pitch[0].framePosition);
        frame = (frame + 997) % 60000;
        list.pasteParameters();
    }
    worker.join();
    EXPECT_EQ(list.size(), 4u);
    EXPECT_TRUE(ui.messages.empty());
}
