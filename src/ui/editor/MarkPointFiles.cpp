#include "ui/editor/MarkPointFiles.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "editor/MarkPointFileName.h"
#include "editor/UnsavedChanges.h"
#include "markpoints/MarkPointFile.h"
#include "ui/common/Dialogs.h"

namespace Ui {

namespace {

const char* const kUnsavedText =
    QT_TRANSLATE_NOOP("Ui::MarkPointFiles", "You forgot to save! Do you want to save right now?");

QString mptFilter() {
    return QCoreApplication::translate("Ui::MarkPointFiles", "MarkPoint Files (*.mpt)");
}

QString textOf(const std::exception& e, const char* fallback) {
    return *e.what() ? QString::fromStdString(e.what()) : QString::fromLatin1(fallback);
}

} // namespace

MarkPointFiles::MarkPointFiles(QWidget* parentWindow, App::CFileRow& fileRow,
                               Editor::CEditorDocument& document,
                               Editor::SnapshotSlots& snapshotSlots,
                               std::function<double()> baseBpm)
    : window(parentWindow), row(fileRow), doc(document), snapshots(snapshotSlots),
      tempo(std::move(baseBpm)) {
}

QString MarkPointFiles::folder() const {
    return current.isEmpty() ? QString::fromStdString(row.getMembers()[0].directory)
                             : QFileInfo(current).absolutePath();
}

bool MarkPointFiles::askAboutUnsaved() {
    return Editor::proceedWithUnsaved(
        doc.isModified(),
        [this] {
            switch (Dialogs::current().questionWithCancel(
                window, QCoreApplication::translate("Ui::MarkPointFiles", kUnsavedText),
                QCoreApplication::translate("Ui::MarkPointFiles", "Warning"))) {
            case Answer::Yes:
                return Editor::SaveAnswer::Yes;
            case Answer::No:
                return Editor::SaveAnswer::No;
            case Answer::Cancel:
                break;
            }
            return Editor::SaveAnswer::Cancel;
        },
        [this] { return save(); });
}

void MarkPointFiles::newCurves() {
    if (!askAboutUnsaved()) return;
    doc.replaceCurves({});
    snapshots.clear();
    doc.setModified(false);
    doc.clearHistory();
    current.clear();
}

void MarkPointFiles::open() {
    if (!askAboutUnsaved()) return;
    const QString chosen = Dialogs::current().openFile(
        window, QCoreApplication::translate("Ui::MarkPointFiles", "Select a file to load..."),
        folder(), mptFilter());
    if (chosen.isEmpty()) return;
    snapshots.clear();
    const char* const failed =
        QT_TRANSLATE_NOOP("Ui::MarkPointFiles", "error while loading markpoints file");
    try {
        const MarkPoints::CAnchorPointsLoadSave content =
            MarkPoints::loadMarkPointFile(chosen.toStdString());
        doc.replaceCurves({content.getScale(1), content.getScale(2), content.getScale(3)});
    } catch (const std::exception& e) {
        Dialogs::current().message(window, textOf(e, failed),
                                   QCoreApplication::translate("Ui::MarkPointFiles", "error"));
        return;
    } catch (...) {
        Dialogs::current().message(window,
                                   QCoreApplication::translate("Ui::MarkPointFiles", failed),
                                   QCoreApplication::translate("Ui::MarkPointFiles", "error"));
        return;
    }
    doc.clearHistory();
    doc.setModified(false);
    current = chosen;
}

bool MarkPointFiles::save() {
    if (current.isEmpty()) return saveAs();
    return write(current, QCoreApplication::translate("Ui::MarkPointFiles",
                                                      "CWaveEditor::SaveFileDialog() error!"));
}

bool MarkPointFiles::saveAs() {
    const std::optional<SaveChoice> choice = Dialogs::current().saveFile(
        window, QCoreApplication::translate("Ui::MarkPointFiles", "Save File as..."),
        current.isEmpty() ? folder() : current, mptFilter(), nullptr);
    if (!choice || choice->path.isEmpty()) return false;
    const QString file =
        QString::fromStdString(Editor::markPointFileName(choice->path.toStdString()));
    return write(file, QCoreApplication::translate("Ui::MarkPointFiles",
                                                   "CWaveEditor::SaveFileAsDialog() error!"));
}

bool MarkPointFiles::write(const QString& file, const QString& caption) {
    MarkPoints::CAnchorPointsLoadSave content;
    for (std::uint32_t s = 1; s <= 3; ++s)
        content.getScale(s) = doc.curve(s);
    content.setSampleRate(row.format().sampleRate);
    content.setFirstInfoWord(1);
    content.setBaseBpm(static_cast<float>(tempo ? tempo() : -1.0));
    content.setFourthInfoWord(4);
    const char* const failed =
        QT_TRANSLATE_NOOP("Ui::MarkPointFiles", "error while saving markpoints file");
    try {
        MarkPoints::saveMarkPointFile(file.toStdString(), content);
    } catch (const std::exception& e) {
        Dialogs::current().message(window, textOf(e, failed), caption);
        return false;
    } catch (...) {
        Dialogs::current().message(window, QLatin1String(failed), caption);
        return false;
    }
    doc.setModified(false);
    doc.clearHistory();
    current = file;
    return true;
}

} // namespace Ui
