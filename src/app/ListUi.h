#pragma once
// What the batch list needs from its window: questions, messages and the file dialogs.
// The windows implement it; the tests answer it.
#include <optional>
#include <string>
#include <vector>

namespace App {

class CFileRow;

class ListUi {
  public:
    virtual ~ListUi() = default;

    virtual void showMessage(const std::string& text) = 0;
    // Whether files the application created should also be deleted from disk.
    virtual bool askDeleteCreatedFiles() = 0;
    // The source-BPM dialog, preset to `preset`; nothing when cancelled.
    virtual std::optional<double> askSourceBpm(double preset) = 0;
    // Asks the row's wave editor to close; false when it stays open.
    virtual bool closeEditor(CFileRow& row) = 0;
    virtual void stopPlayback() = 0;
    // A single-selection open dialog; nothing when cancelled.
    virtual std::optional<std::string> chooseFile(const std::string& title,
                                                  const std::string& filter) = 0;
};

} // namespace App
