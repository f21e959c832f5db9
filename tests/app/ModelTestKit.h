#pragma once
// A scripted window for the batch list model: answers its questions from queues and records
// what it was told.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/BatchList.h"
#include "app/BatchUi.h"
#include "process/JobTestFiles.h"
#include "support/TestSupport.h"

namespace ModelTest {

class ScriptedUi : public App::ListUi, public App::BatchUi {
  public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    bool askDeleteCreatedFiles() override { return ++deleteQuestions, deleteAnswer; }
    std::optional<double> askSourceBpm(double preset) override {
        bpmPresets.push_back(preset);
        return bpmAnswer;
    }
    bool closeEditor(App::CFileRow&) override { return editorCloses; }
    void stopPlayback() override { ++stops; }
    std::optional<std::string> chooseFile(const std::string& title,
                                          const std::string& filter) override {
        titles.push_back(title);
        filters.push_back(filter);
        if (files.empty()) return std::nullopt;
        auto next = files.front();
        files.pop_front();
        return next;
    }
    std::optional<std::string> chooseDestination(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    class Window : public App::ProgressWindow {
      public:
        explicit Window(ScriptedUi& owner) : ui(owner) {}
        bool update(int position, std::int64_t) override {
            ui.positions.push_back(position);
            if (ui.atUpdate) ui.atUpdate();
            if (ui.throwAtUpdate >= 0 && --ui.throwAtUpdate < 0)
                throw std::runtime_error("window gone");
            return ui.stopAfterUpdates < 0 || --ui.stopAfterUpdates > 0;
        }
        ScriptedUi& ui;
    };
    std::unique_ptr<App::ProgressWindow> openProgress(const std::string& title) override {
        progressTitles.push_back(title);
        if (atOpenProgress) atOpenProgress();
        return std::make_unique<Window>(*this);
    }
    std::optional<App::CopyTarget> chooseCopyTarget(const std::string& initialName) override {
        copyNames.push_back(initialName);
        if (copyTargets.empty()) return std::nullopt;
        auto next = copyTargets.front();
        copyTargets.pop_front();
        return next;
    }

    std::vector<std::string> messages, titles, filters, progressTitles, copyNames;
    std::vector<double> bpmPresets;
    std::vector<int> positions;
    std::deque<std::string> files;
    std::deque<App::CopyTarget> copyTargets;
    std::optional<double> bpmAnswer;
    bool deleteAnswer = false, editorCloses = true;
    int deleteQuestions = 0, stops = 0;
    int stopAfterUpdates = -1;            // the window's stop is pressed at this update; -1 never
    int throwAtUpdate = -1;               // the window fails after this many updates; -1 never
    std::function<void()> atUpdate;       // what happens elsewhere while the window shows progress
    std::function<void()> atOpenProgress; // ... and as the window opens
};

// A WAV file of `frames` frames of a quiet sine on every channel.
inline std::string toneFile(const TestSupport::TempDir& dir, const std::string& name,
                            Audio::u32 frames, Audio::u32 channels = 1, Audio::u32 rate = 8000,
                            Audio::u32 bits = 16) {
    const std::string path = dir.file(name);
    JobTest::Channels data(channels, TestSupport::sine(frames, 441.0, rate, 0.25));
    JobTest::writeWave(path, JobTest::makeFormat(channels, rate, bits), data);
    return path;
}

inline App::CFileRow& addFile(App::BatchList& list, const std::string& path) {
    return list.addRow(App::makeRowCache(Audio::openSourceFile(path)), {path}, false,
                       Audio::fileTypeFromExtension(path));
}

} // namespace ModelTest
