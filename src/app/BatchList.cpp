#include "app/BatchList.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace App {

using namespace Audio;

CFileRow& BatchList::addRow(std::unique_ptr<CAudioFileCache> cache,
                            const std::vector<std::string>& memberPaths, bool split,
                            FileType fileType) {
    std::unique_ptr<CFileRow> row;
    try {
        row = std::make_unique<CFileRow>(std::move(cache), memberPaths, split, fileType);
    } catch (...) {
        throw std::runtime_error(
            "I could not open this file.  Perhaps it is already open in another program?");
    }
    rows.push_back(std::move(row));
    everHadRows = true;
    return *rows.back();
}

std::optional<std::size_t> BatchList::indexOf(const CFileRow& r) const {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].get() == &r) return i;
    return std::nullopt;
}

std::vector<CFileRow*> BatchList::selectedRows() const {
    std::vector<CFileRow*> out;
    for (const auto& r : rows)
        if (r->selected) out.push_back(r.get());
    return out;
}

CFileRow* BatchList::firstSelected() const {
    for (const auto& r : rows)
        if (r->selected) return r.get();
    return nullptr;
}

void BatchList::selectOnly(std::size_t index) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i]->selected = i == index;
}

void BatchList::click(std::size_t index, bool shift) {
    if (index >= rows.size()) return;
    if (shift)
        rows[index]->selected = !rows[index]->selected;
    else
        selectOnly(index);
}

void BatchList::selectAll() {
    for (auto& r : rows)
        r->selected = true;
}

void BatchList::key(Key k) {
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i]->selected) chosen.push_back(i);
    if (chosen.empty()) return;
    const std::size_t last = rows.size() - 1;
    switch (k) {
    case Key::Home:
        return selectOnly(0);
    case Key::End:
        return selectOnly(last);
    case Key::Up:
        if (chosen.size() > 1) return selectOnly(chosen.front());
        return selectOnly(chosen.front() == 0 ? 0 : chosen.front() - 1);
    case Key::Down:
        if (chosen.size() > 1) return selectOnly(chosen.back());
        return selectOnly(std::min(chosen.back() + 1, last));
    }
}

bool BatchList::copyParameters(ListUi& ui) {
    const std::vector<CFileRow*> chosen = selectedRows();
    if (chosen.size() != 1) {
        ui.showMessage(kCopyNeedsOneRow);
        return false;
    }
    clipboard = ParameterRecord::of(*chosen.front());
    return true;
}

std::vector<CFileRow*> BatchList::pasteParameters() {
    if (!clipboard) return {};
    std::vector<CFileRow*> changed;
    for (CFileRow* r : selectedRows())
        if (!r->busy) {
            clipboard->applyTo(*r);
            changed.push_back(r);
        }
    return changed;
}

void deleteRowFiles(CFileRow& row, ListUi& ui) {
    {
        std::lock_guard lock(row.getCache().tableMutex());
        if (row.getCache().file->isOpen()) row.getCache().file->close();
    }
    for (const MemberName& m : row.getMembers())
        if (::unlink(m.path.c_str()) != 0)
            ui.showMessage("Cannot delete \"" + m.path +
                           "\". Perhaps it is open in another program? (" + std::strerror(errno) +
                           ")");
}

bool BatchList::waitForNoUsers(const CFileRow& r) const {
    for (int waited = 0; r.getCache().getUsers() != 0; waited += 50) {
        if (waited >= userWaitMs) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// False ends the whole walk (an editor that will not close).
bool BatchList::removeRow(std::size_t index, bool deleteCreated, ListUi& ui) {
    CFileRow& r = *rows[index];
    // A row being scanned stays, and so do its files.
    if (r.overviewBuilding != 0) return true;
    if (r.editorOpen && !ui.closeEditor(r)) {
        ui.showMessage(kEditorWontClose);
        return false;
    }
    // A row whose cache is still read (a job, the player) stays until its users are gone:
    // destroying it would pull the file from under them.
    if (r.busy || !waitForNoUsers(r)) return true;
    if (deleteCreated && r.created) deleteRowFiles(r, ui);
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool BatchList::removeSelectedRows(ListUi& ui) {
    ui.stopPlayback();
    const bool anyCreated = std::any_of(rows.begin(), rows.end(),
                                        [](const auto& r) { return r->selected && r->created; });
    const bool deleteCreated = anyCreated && ui.askDeleteCreatedFiles();
    const std::size_t before = rows.size();
    for (std::size_t i = rows.size(); i-- > 0;)
        if (rows[i]->selected && !removeRow(i, deleteCreated, ui)) break;
    const bool removed = rows.size() != before;
    if (removed && !rows.empty()) selectOnly(rows.size() - 1);
    return removed;
}

bool BatchList::closeAll(ListUi& ui) {
    if (std::any_of(rows.begin(), rows.end(),
                    [](const auto& r) { return r->overviewBuilding != 0; })) {
        ui.showMessage(kOverviewKeepsOpen);
        return false;
    }
    const bool anyCreated =
        std::any_of(rows.begin(), rows.end(), [](const auto& r) { return r->created; });
    const bool deleteCreated = anyCreated && ui.askDeleteCreatedFiles();
    for (std::size_t i = rows.size(); i-- > 0;)
        if (!removeRow(i, deleteCreated, ui)) return false;
    return rows.empty();
}

} // namespace App
