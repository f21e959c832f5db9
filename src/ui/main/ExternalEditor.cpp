#include "ui/main/ExternalEditor.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include "ui/common/Dialogs.h"
#include "ui/main/StartUp.h"

namespace Ui {

namespace {

const char* const kEditorFilter = QT_TRANSLATE_NOOP("Ui::ExternalEditor", "Programs (*)");

bool start(const QString& program, const QStringList& args = {}) {
    return !program.isEmpty() && QProcess::startDetached(program, args);
}

// The stored editor, started alone; another one chosen by the user when it will not start.
QString startAlone(QWidget* parent, App::CSettings& settings) {
    QString program = QString::fromStdString(settings.editorPath);
    if (start(program)) return program;
    Dialogs& dialogs = Dialogs::current();
    dialogs.message(
        parent,
        QCoreApplication::translate("Ui::ExternalEditor",
                                    "I could not open the editor. Can you select it again for me?"),
        kAppTitle);
    program = dialogs.openFile(
        parent, QCoreApplication::translate("Ui::ExternalEditor", "Choose external editor"),
        QString(), QCoreApplication::translate("Ui::ExternalEditor", kEditorFilter), true);
    if (program.isEmpty()) return {};
    settings.editorPath = program.toStdString();
    saveSettings(parent, settings);
    if (start(program)) return program;
    dialogs.message(parent,
                    QCoreApplication::translate("Ui::ExternalEditor",
                                                "I still could not open the editor! Sorry!"),
                    kAppTitle);
    return {};
}

void startEach(QString program, QStringList files) {
    if (files.isEmpty()) return;
    const QString file = files.takeFirst();
    if (!start(program, {file})) return;
    QTimer::singleShot(kEditorFilePauseMs, [program, files] { startEach(program, files); });
}

} // namespace

void launchExternalEditor(QWidget* parent, App::CSettings& settings, const QStringList& files) {
    const QString program = startAlone(parent, settings);
    if (program.isEmpty()) return;
    QTimer::singleShot(kEditorSettleMs, [program, files] { startEach(program, files); });
}

} // namespace Ui
