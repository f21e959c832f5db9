#include "ui/main/EditorWindows.h"

#include <QProgressDialog>
#include <QWidget>

#include "app/JobSettings.h"
#include "app/WaveOverview.h"
#include "ui/common/Dialogs.h"
#include "ui/editor/WaveEditor.h"
#include "ui/main/WindowMemory.h"

namespace Ui {

namespace {

std::string viewKey(const App::CFileRow& row) {
    std::string key;
    for (const App::MemberName& m : row.getMembers())
        key += m.path + '\n';
    return key;
}

} // namespace

EditorWindows::EditorWindows(Session& s, QWidget* parentWindow)
    : QObject(parentWindow), session(s), window(parentWindow) {
}

CWaveEditor* EditorWindows::editorOf(const App::CFileRow& row) const {
    const auto it = editors.find(&row);
    return it == editors.end() ? nullptr : it->second.data();
}

void EditorWindows::open(App::CFileRow& row) {
    if (CWaveEditor* open = editorOf(row)) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    if (row.overviewBuilding != 0) return;
    try {
        // The waveform overview, built the first time: a long file takes a moment.
        QProgressDialog progress(
            tr("Reading the waveform of \"%1\"...").arg(QString::fromStdString(row.nameLine())),
            tr("Cancel"), 0, 100, window);
        progress.setObjectName(QStringLiteral("OverviewProgress"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        if (!App::ensureOverview(row, [&progress](int percent) {
                progress.setValue(percent);
                return !progress.wasCanceled();
            }))
            return;
        App::CSettings& settings = session.settings;
        auto* editor = new CWaveEditor(
            row, session.engine, [&settings] { return App::qualityFrom(settings.quality); },
            window);
        restorePlace(editor, "Editor");
        if (const auto view = views.find(viewKey(row)); view != views.end())
            editor->restoreView(view->second);
        connect(editor, &CWaveEditor::closed, this, &EditorWindows::closed);
        editors[&row] = editor;
        row.editorOpen = true;
        editor->show();
        editor->raise();
        editor->activateWindow();
    } catch (...) {
        Dialogs::current().message(
            window, tr("CFileScroll::DisplayWaveEditorWindow() unknown error!"), kAppTitle);
    }
}

void EditorWindows::closed(CWaveEditor* editor) {
    rememberPlace(editor, "Editor");
    views[viewKey(editor->row())] = editor->viewState();
    editor->row().editorOpen = false;
    editors.erase(&editor->row());
    editor->deleteLater();
}

bool EditorWindows::close(App::CFileRow& row) {
    CWaveEditor* editor = editorOf(row);
    if (!editor) return !row.editorOpen;
    return editor->close();
}

void EditorWindows::playbackTakenOver() {
    for (auto& [row, editor] : editors)
        if (editor) editor->playbackTakenOver();
}

} // namespace Ui
