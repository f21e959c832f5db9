#include "ui/main/FileListWidget.h"

#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QProgressDialog>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "app/AppTexts.h"
#include "app/FileProperties.h"
#include "app/JobSettings.h"
#include "app/SourceOpener.h"
#include "app/WaveOverview.h"
#include "ui/main/BatchRunner.h"
#include "ui/common/Dialogs.h"
#include "ui/main/ExternalEditor.h"
#include "ui/main/NowPlayingPanel.h"
#include "ui/main/RowWidget.h"
#include "ui/main/SmallDialogs.h"
#include "ui/editor/WaveEditor.h"

namespace Ui {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

FileListWidget::FileListWidget(App::CSettings& appSettings, QWidget* parent)
    : QScrollArea(parent), settings(appSettings) {
    setObjectName(QStringLiteral("FileList"));
    setAccessibleName(tr("Batch list"));
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    rowsHost = new QWidget;
    rowsHost->setObjectName(QStringLiteral("rows"));
    rowsLayout = new QVBoxLayout(rowsHost);
    rowsLayout->setContentsMargins(0, 0, 0, 0);
    rowsLayout->setSpacing(0);
    rowsLayout->addStretch(1);
    setWidget(rowsHost);
    viewport()->setAcceptDrops(true);
    nowPlaying = new NowPlayingPanel(this);
    batch = std::make_unique<BatchRunner>(list, this);
    connect(batch.get(), &BatchRunner::listChanged, this, &FileListWidget::syncRows);
    connect(batch.get(), &BatchRunner::stopPlaybackRequested, this, &FileListWidget::stop);
    connect(nowPlaying, &NowPlayingPanel::stopRequested, this, &FileListWidget::stop);
    audio.setNowPlayingHook([this](const std::string& name, const Audio::CAudioFileCache* file) {
        if (!file) return nowPlaying->showStopped();
        nowPlaying->showPlaying(text(name), audio.getHost().getSampleRate());
    });
}

FileListWidget::~FileListWidget() {
    // The editors use the player and their rows: they go first.
    for (auto& [row, editor] : std::exchange(editors, {}))
        delete editor;
    audio.setNowPlayingHook(nullptr);
    batch->cancel();
    batch->waitForEnd();
    try {
        audio.release();
    } catch (...) {
    }
}

RowWidget* FileListWidget::widgetOf(const App::CFileRow& row) const {
    const auto it = widgets.find(&row);
    return it == widgets.end() ? nullptr : it->second;
}

void FileListWidget::syncRows() {
    std::map<const App::CFileRow*, RowWidget*> kept;
    for (std::size_t i = 0; i < list.size(); ++i) {
        App::CFileRow& row = list.row(i);
        RowWidget* w = widgetOf(row);
        if (!w) {
            w = new RowWidget(row, rowsHost);
            connect(w, &RowWidget::clicked, this, &FileListWidget::rowClicked);
            connect(w, &RowWidget::doubleClicked, this, [this](RowWidget* r) {
                list.selectOnly(*list.indexOf(r->row()));
                openInExternalEditor();
            });
            connect(w, &RowWidget::timeUnitChosen, this, &FileListWidget::timeUnitChosen);
            connect(w, &RowWidget::editorRequested, this,
                    [this](RowWidget* r) { openWaveEditor(r->row()); });
        }
        rowsLayout->insertWidget(static_cast<int>(i), w);
        kept[&row] = w;
        widgets.erase(&row);
    }
    for (auto& [row, w] : widgets)
        delete w;
    widgets = std::move(kept);
    refreshRows();
}

void FileListWidget::refreshRows() {
    for (auto& [row, w] : widgets)
        w->refresh();
    emit selectionChanged();
}

void FileListWidget::rowClicked(RowWidget* row, bool shift) {
    if (const auto index = list.indexOf(row->row())) list.click(*index, shift);
    setFocus();
    refreshRows();
}

void FileListWidget::timeUnitChosen(RowWidget* row, int unit, bool ctrl) {
    row->row().changeTimeUnit(static_cast<Process::TimeUnit>(unit), ctrl,
                              [this](double preset) { return askSourceBpm(preset); });
    row->refresh();
}

// --- ListUi ---------------------------------------------------------------------------------

void FileListWidget::showMessage(const std::string& message) {
    Dialogs::current().message(this, text(message), kAppTitle);
}

bool FileListWidget::askDeleteCreatedFiles() {
    return Dialogs::current().question(
        this, tr("Some of these files were made by Stretchwerk. Delete them from the disk too?"),
        kAppTitle);
}

std::optional<double> FileListWidget::askSourceBpm(double preset) {
    SourceBpmDialog dialog(preset, this);
    if (Dialogs::current().exec(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.value();
}

bool FileListWidget::closeEditor(App::CFileRow& row) {
    CWaveEditor* editor = editorOf(row);
    if (!editor) return !row.editorOpen;
    if (!editor->close()) return false;
    // Gone before the row is: the editor edits the row's curves in place.
    delete editor;
    return true;
}

void FileListWidget::stopPlayback() {
    stop();
}

std::optional<std::string> FileListWidget::chooseFile(const std::string& title,
                                                      const std::string& filter) {
    const QString path = Dialogs::current().openFile(
        this, text(title), text(App::CSettings::loadDefaultPath()), qtFilter(text(filter)));
    if (path.isEmpty()) return std::nullopt;
    App::CSettings::saveDefaultPath(QFileInfo(path).absolutePath().toStdString());
    return path.toStdString();
}

// --- commands -------------------------------------------------------------------------------

void FileListWidget::openAudioFiles() {
    int filter = 0;
    const QStringList paths = Dialogs::current().openFiles(
        this, text(App::kOpenTitle), text(App::CSettings::loadDefaultPath()),
        qtFilter(text(App::kAllAudioFilter)), &filter);
    if (paths.isEmpty()) return;
    App::CSettings::saveDefaultPath(QFileInfo(paths.front()).absolutePath().toStdString());
    std::vector<std::string> chosen;
    for (const QString& p : paths)
        chosen.push_back(p.toStdString());
    App::openChosenFiles(list, chosen, static_cast<App::OpenFilter>(std::clamp(filter, 0, 2)),
                         *this);
    syncRows();
}

void FileListWidget::openPaths(const QStringList& paths) {
    std::vector<std::string> chosen;
    for (const QString& p : paths)
        chosen.push_back(p.toStdString());
    App::openChosenFiles(list, chosen, App::OpenFilter::AllAudio, *this);
    syncRows();
}

void FileListWidget::openSplit(int channels) {
    App::openSplitSet(list, static_cast<App::SplitKind>(channels), *this);
    syncRows();
}

void FileListWidget::play() {
    App::CFileRow* row = list.firstSelected();
    if (!row) return;
    takeOverPlayback();
    try {
        audio.play(&row->getCache(), row->nameLine(), 0, -1, false, nowPlaying, 0);
        playingRow = audio.isPlaying() ? row : nullptr;
    } catch (const std::exception& e) {
        showMessage(e.what());
    }
}

void FileListWidget::takeOverPlayback() {
    for (auto& [r, editor] : editors)
        editor->playbackTakenOver();
}

void FileListWidget::stop() {
    try {
        audio.stop();
    } catch (...) {
        showMessage(App::kEngineStopFailed);
    }
    playingRow = nullptr;
}

void FileListWidget::togglePlay() {
    if (audio.isPlaying() && audio.isVoiceActive())
        stop();
    else
        play();
}

void FileListWidget::processSelected() {
    if (!batch->processSelected(App::jobSettingsFrom(settings))) return;
    refreshRows();
}

void FileListWidget::saveCopy() {
    if (App::CFileRow* row = list.firstSelected()) batch->saveCopy(*row);
}

void FileListWidget::openInExternalEditor() {
    for (App::CFileRow* row : list.selectedRows()) {
        if (row->editorOpen)
            return showMessage("close the editor before you start a external wave editor!");
        if (row->busy)
            return showMessage("you should not open this file in a wave editor while a kalo "
                               "rendering is in progress!");
        if (row->overviewBuilding != 0)
            return showMessage("opening the wave editor is not allowed for the moment!");
        stop();
        QStringList files;
        for (const App::MemberName& m : row->getMembers())
            files << text(m.path);
        launchExternalEditor(this, settings, files);
    }
}

CWaveEditor* FileListWidget::editorOf(const App::CFileRow& row) const {
    const auto it = editors.find(&row);
    return it == editors.end() ? nullptr : it->second;
}

void FileListWidget::openWaveEditor(App::CFileRow& row) {
    if (CWaveEditor* open = editorOf(row)) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    if (row.overviewBuilding != 0) return;
    try {
        // The waveform overview, built the first time: a long file takes a moment.
        QProgressDialog progress(tr("Reading the waveform of \"%1\"...").arg(text(row.nameLine())),
                                 tr("Cancel"), 0, 100, this);
        progress.setObjectName(QStringLiteral("OverviewProgress"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        if (!App::ensureOverview(row, [&progress](int percent) {
                progress.setValue(percent);
                return !progress.wasCanceled();
            }))
            return;
        auto* editor = new CWaveEditor(
            row, audio, [this] { return App::qualityFrom(settings.quality); }, this);
        connect(editor, &CWaveEditor::closed, this, [this](CWaveEditor* closed) {
            closed->row().editorOpen = false;
            editors.erase(&closed->row());
            closed->deleteLater();
        });
        editors[&row] = editor;
        row.editorOpen = true;
        editor->show();
        editor->raise();
        editor->activateWindow();
    } catch (...) {
        showMessage("CFileScroll::DisplayWaveEditorWindow() unknown error!");
    }
}

void FileListWidget::openWaveEditors() {
    stop();
    for (App::CFileRow* row : list.selectedRows())
        openWaveEditor(*row);
}

void FileListWidget::selectAll() {
    list.selectAll();
    refreshRows();
}

void FileListWidget::fileInformation() {
    const std::vector<App::CFileRow*> rows = list.selectedRows();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        App::CFileRow& row = **it;
        try {
            row.getCache().refresh();
            const std::string path =
                QFileInfo(text(row.getMembers()[0].path)).absoluteFilePath().toStdString();
            const double bpm = row.getSourceBpm();
            PropertiesDialog dialog(text(row.nameLine()),
                                    App::fileProperties(*row.getCache().file, path,
                                                        row.getFileType(), row.isSplit(), bpm),
                                    this);
            Dialogs::current().exec(dialog);
            std::lock_guard lock(row.getCache().tableMutex());
            if (row.getCache().file->isOpen() && row.getCache().getUsers() == 0)
                row.getCache().file->close();
        } catch (const std::exception& e) {
            showMessage(e.what());
        }
    }
}

void FileListWidget::deleteSelected() {
    if (list.removeSelectedRows(*this)) syncRows();
}

void FileListWidget::copyParameters() {
    list.copyParameters(*this);
}

void FileListWidget::pasteParameters() {
    list.pasteParameters();
    refreshRows();
}

void FileListWidget::revealInFileManager() {
    const App::CFileRow* row = list.firstSelected();
    if (!row) return;
    const std::string folder = row->getMembers()[0].directory;
    QDesktopServices::openUrl(QUrl::fromLocalFile(text(folder.empty() ? "." : folder)));
}

void FileListWidget::showVersion() {
    Dialogs::current().message(
        this,
        QStringLiteral("%1 version: %2")
            .arg(QStringLiteral("VELLAMAR Stretchwerk II"), QStringLiteral("2.0.2.0")),
        kAppTitle);
}

void FileListWidget::initEngine() {
    try {
        audio.init(settings.deviceId);
    } catch (const std::exception& e) {
        showMessage(e.what());
    } catch (...) {
        showMessage(App::kEngineInitFailed);
    }
}

void FileListWidget::restartEngine() {
    stop();
    try {
        audio.release();
    } catch (const std::exception& e) {
        showMessage(e.what());
    } catch (...) {
        showMessage(App::kEngineReleaseFailed);
    }
    initEngine();
}

bool FileListWidget::prepareClose() {
    if (batch->isRunning()) {
        if (!Dialogs::current().question(
                this, tr("A file is being processed. Stop processing and quit?"), kAppTitle))
            return false;
        batch->cancel();
        batch->waitForEnd();
    }
    stop();
    const bool closing = list.closeAll(*this);
    syncRows();
    return closing;
}

// --- keys and drops -------------------------------------------------------------------------

bool FileListWidget::handleKey(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (key) {
    case Qt::Key_O:
        return openAudioFiles(), true;
    case Qt::Key_L:
        return openSplit(2), true;
    case Qt::Key_V:
        return showVersion(), true;
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const auto k = key == Qt::Key_Home  ? App::BatchList::Key::Home
                       : key == Qt::Key_End ? App::BatchList::Key::End
                       : key == Qt::Key_Up  ? App::BatchList::Key::Up
                                            : App::BatchList::Key::Down;
        list.key(k);
        refreshRows();
        if (App::CFileRow* first = list.firstSelected())
            if (RowWidget* w = widgetOf(*first)) ensureWidgetVisible(w);
        return true;
    }
    default:
        break;
    }
    if (!list.hadRows()) return false;
    switch (key) {
    case Qt::Key_Space:
        return togglePlay(), true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return deleteSelected(), true;
    case Qt::Key_E:
        return openInExternalEditor(), true;
    case Qt::Key_W:
        return openWaveEditors(), true;
    case Qt::Key_I:
        return fileInformation(), true;
    default:
        return false;
    }
}

void FileListWidget::keyPressEvent(QKeyEvent* event) {
    try {
        if (handleKey(event)) return event->accept();
    } catch (...) {
        showMessage("CFileScroll::OnChar() unknown error!");
        return;
    }
    QScrollArea::keyPressEvent(event);
}

void FileListWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FileListWidget::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    App::openDroppedFiles(list, paths, *this);
    event->acceptProposedAction();
    syncRows();
}

} // namespace Ui
