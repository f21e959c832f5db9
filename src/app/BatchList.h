#pragma once
// The batch list: its rows in display order, the selection, the parameter clipboard and the
// removal rules. User-interface thread only.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/FileRow.h"
#include "app/ListUi.h"
#include "app/ParameterRecord.h"

namespace App {

inline constexpr const char* kCopyNeedsOneRow =
    "You need to select exactly one entry to copy parameters";
inline constexpr const char* kEditorWontClose =
    "something is wrong while closing the editor window!";
inline constexpr const char* kOverviewKeepsOpen =
    "cannot close the application right now because an overview is being processed...";

class BatchList {
  public:
    enum class Key { Home, End, Up, Down };

    BatchList() = default;
    BatchList(const BatchList&) = delete;
    BatchList& operator=(const BatchList&) = delete;

    // Appends a row for the source. Throws std::runtime_error with the list's text when the
    // row cannot be made.
    CFileRow& addRow(std::unique_ptr<Audio::CAudioFileCache> cache,
                     const std::vector<std::string>& memberPaths, bool split,
                     Audio::FileType fileType);

    std::size_t size() const { return rows.size(); }
    bool empty() const { return rows.empty(); }
    CFileRow& row(std::size_t index) const { return *rows.at(index); }
    std::optional<std::size_t> indexOf(const CFileRow& row) const;
    // Letter keys count only once a row was ever added.
    bool hadRows() const { return everHadRows; }

    std::vector<CFileRow*> selectedRows() const;
    CFileRow* firstSelected() const;
    // A click selects only that row; with Shift it toggles that row alone.
    void click(std::size_t index, bool shift);
    void selectAll();
    void selectOnly(std::size_t index);
    // Home/End select only the first or last row, Up/Down the neighbour of the one selected
    // row, or with several selected the first (Up) or last (Down) of them. Nothing happens
    // while no row is selected.
    void key(Key k);

    // Copies the one selected row's parameters; false (with the message) otherwise.
    bool copyParameters(ListUi& ui);
    // Applies the clipboard to every selected row that is not busy (a job has taken its
    // parameters already); the rows changed.
    std::vector<CFileRow*> pasteParameters();
    bool hasClipboard() const { return clipboard.has_value(); }

    // Removes the selected rows as the Delete key does; true when any row went.
    bool removeSelectedRows(ListUi& ui);
    // Before the application closes: false when it must stay open. Otherwise every row is gone.
    bool closeAll(ListUi& ui);

    // Time out while waiting for a removed row's cache users; tests shorten it.
    int userWaitMs = 3000;

  private:
    bool removeRow(std::size_t index, bool deleteCreated, ListUi& ui);
    bool waitForNoUsers(const CFileRow& row) const;

    std::vector<std::unique_ptr<CFileRow>> rows;
    std::optional<ParameterRecord> clipboard;
    bool everHadRows = false;
};

// Deletes the row's files from disk (every member); a failure is shown and the rest go on.
void deleteRowFiles(CFileRow& row, ListUi& ui);

} // namespace App
