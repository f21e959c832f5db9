#include "ui/main/ListCommands.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cstdint>

#include "app/FileProperties.h"
#include "app/JobSettings.h"
#include "app/SourceOpener.h"
#include "ui/common/Dialogs.h"
#include "ui/common/TempoDialog.h"
#include "ui/main/BackgroundOverviews.h"
#include "ui/main/EditorWindows.h"
#include "ui/main/ExternalEditor.h"
#include "ui/main/FileListWidget.h"
#include "ui/main/FilePropertiesDialog.h"
#include "ui/main/PlaybackControl.h"

namespace Ui {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

std::vector<std::string> stdPaths(const QStringList& paths) {
    std::vector<std::string> out;
    for (const QString& p : paths)
        out.push_back(p.toStdString());
    return out;
}

} // namespace

ListCommands::ListCommands(Session& s, FileListWidget& list, PlaybackControl& player,
                           EditorWindows& editorWindows, QWidget* parentWindow)
    : QObject(parentWindow), session(s), view(list), playback(player), editors(editorWindows),
      window(parentWindow) {
}

// --- App::ListUi ------------------------------------------------------------------------------

void ListCommands::showMessage(const std::string& message) {
    Dialogs::current().message(window, text(message), kAppTitle);
}

bool ListCommands::askDeleteCreatedFiles() {
    return Dialogs::current().question(
        window, tr("Some of these files were made by Stretchwerk. Delete them from the disk too?"),
        kAppTitle);
}

std::optional<double> ListCommands::askSourceBpm(double preset) {
    return askTempo(window, tr("What BPM does the source file have?"), preset);
}

bool ListCommands::closeEditor(App::CFileRow& row) {
    return editors.close(row);
}

void ListCommands::stopPlayback() {
    playback.stop();
}

std::optional<std::string> ListCommands::chooseFile(const std::string& title,
                                                    const std::string& filter) {
    const QString path = Dialogs::current().openFile(
        window, text(title), text(App::CSettings::loadDefaultPath()), qtFilter(text(filter)));
    if (path.isEmpty()) return std::nullopt;
    App::CSettings::saveDefaultPath(QFileInfo(path).absolutePath().toStdString());
    return path.toStdString();
}

// --- opening ----------------------------------------------------------------------------------

void ListCommands::openAudioFiles() {
    int filter = 0;
    const QStringList paths = Dialogs::current().openFiles(
        window, text(App::kOpenTitle), text(App::CSettings::loadDefaultPath()),
        qtFilter(text(Audio::openDialogFilter())), &filter);
    if (paths.isEmpty()) return;
    App::CSettings::saveDefaultPath(QFileInfo(paths.front()).absolutePath().toStdString());
    const auto rows =
        App::openChosenFiles(session.list, stdPaths(paths), Audio::openFilterFormat(filter), *this);
    view.syncRows();
    emit opened(rows);
}

void ListCommands::openPaths(const QStringList& paths) {
    const auto rows = App::openChosenFiles(session.list, stdPaths(paths), nullptr, *this);
    view.syncRows();
    emit opened(rows);
}

void ListCommands::dropFiles(const QStringList& paths) {
    const auto rows = App::openDroppedFiles(session.list, stdPaths(paths), *this);
    view.syncRows();
    emit opened(rows);
}

void ListCommands::openSplit(int channels) {
    App::CFileRow* row =
        App::openSplitSet(session.list, static_cast<App::SplitKind>(channels), *this);
    view.syncRows();
    if (row) emit opened({row});
}

namespace {

std::vector<App::CFileRow*> openEntry(App::BatchList& list, const App::RecentEntry& entry,
                                      App::ListUi& ui) {
    if (!entry.split) return App::openChosenFiles(list, entry.paths, nullptr, ui);
    App::CFileRow* row = App::openSplitFiles(list, entry.paths, ui);
    return row ? std::vector<App::CFileRow*>{row} : std::vector<App::CFileRow*>{};
}

} // namespace

void ListCommands::openRecent(const App::RecentEntry& entry) {
    const auto rows = openEntry(session.list, entry, *this);
    view.syncRows();
    emit opened(rows);
}

void ListCommands::restoreLastList() {
    App::RecentFiles last(App::RecentFiles::lastListPath(), SIZE_MAX);
    last.load();
    QString gone;
    for (const App::RecentEntry& entry : last.list()) {
        if (entry.missing())
            gone += QLatin1Char('\n') + text(entry.toolTip());
        else
            openEntry(session.list, entry, *this);
    }
    view.syncRows();
    if (!gone.isEmpty())
        Dialogs::current().message(
            window, tr("These files of the last batch list are gone:") + gone, kAppTitle);
}

// --- the selected rows -----------------------------------------------------------------------

void ListCommands::processSelected() {
    if (!session.runner.processSelected(App::jobSettingsFrom(session.settings))) return;
    view.refreshRows();
}

void ListCommands::saveCopies() {
    session.runner.saveCopies();
}

void ListCommands::openInExternalEditor() {
    // A row that is refused is named; the others still open.
    for (App::CFileRow* row : session.list.selectedRows()) {
        if (const char* refusal = App::externalEditorRefusal(*row)) {
            showMessage(refusal);
            continue;
        }
        playback.stop();
        QStringList files;
        for (const App::MemberName& m : row->getMembers())
            files << text(m.path);
        launchExternalEditor(window, session.settings, files);
    }
}

void ListCommands::openWaveEditors() {
    playback.stop();
    for (App::CFileRow* row : session.list.selectedRows())
        editors.open(*row);
}

void ListCommands::selectAll() {
    session.list.selectAll();
    view.refreshRows();
}

void ListCommands::fileInformation() {
    const std::vector<App::CFileRow*> rows = session.list.selectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        App::CFileRow& row = **it;
        try {
            row.getCache().refresh();
            const std::string path =
                QFileInfo(text(row.getMembers()[0].path)).absoluteFilePath().toStdString();
            PropertiesDialog dialog(text(row.nameLine()),
                                    App::fileProperties(*row.getCache().file, path,
                                                        row.getFileType(), row.isSplit(),
                                                        row.getSourceBpm()),
                                    window);
            Dialogs::current().exec(dialog);
            std::lock_guard lock(row.getCache().tableMutex());
            if (row.getCache().file->isOpen() && row.getCache().getUsers() == 0)
                row.getCache().file->close();
        } catch (const std::exception& e) {
            showMessage(e.what());
        }
    }
}

void ListCommands::deleteSelected() {
    // A waveform scan reads its row until it ends: it ends before the row may go. Rows that
    // stay get theirs again.
    view.overviews().cancel(session.list.selectedRows());
    session.list.removeSelectedRows(*this);
    view.syncRows();
}

void ListCommands::copyParameters() {
    session.list.copyParameters(*this);
}

void ListCommands::pasteParameters() {
    session.list.pasteParameters();
    view.refreshRows();
}

void ListCommands::revealInFileManager() {
    const App::CFileRow* row = session.list.firstSelected();
    if (!row) return;
    const std::string folder = row->getMembers()[0].directory;
    QDesktopServices::openUrl(QUrl::fromLocalFile(text(folder.empty() ? "." : folder)));
}

void ListCommands::showVersion() {
    Dialogs::current().message(
        window,
        tr("%1 version: %2")
            .arg(QStringLiteral("VELLAMAR Stretchwerk II"), QStringLiteral("2.0.2.0")),
        kAppTitle);
}

void ListCommands::chooseTimeUnit(App::CFileRow& row, int unit, bool ctrlHeld) {
    row.changeTimeUnit(static_cast<Process::TimeUnit>(unit), ctrlHeld, [this, &row](double preset) {
        return askTempo(window, tr("What BPM does the source file have?"), preset,
                        tempoDetectionOf(row.getCache()));
    });
}

bool ListCommands::prepareClose() {
    if (session.runner.isRunning()) {
        if (!Dialogs::current().question(
                window, tr("A file is being processed. Stop processing and quit?"), kAppTitle))
            return false;
        session.runner.cancel();
        session.runner.waitForEnd();
    }
    playback.stop();
    if (session.settings.restoreList) {
        std::vector<App::RecentEntry> rows;
        for (std::size_t i = 0; i < session.list.size(); ++i)
            rows.push_back(App::RecentEntry::of(session.list.row(i)));
        App::RecentFiles last(App::RecentFiles::lastListPath(), SIZE_MAX);
        last.assign(rows);
        try {
            last.save();
        } catch (const std::exception& e) {
            showMessage(e.what()); // the list closes all the same
        }
    }
    view.overviews().cancelAll();
    const bool closing = session.list.closeAll(*this);
    view.syncRows();
    return closing;
}

} // namespace Ui
