#include "ui/common/Dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <utility>

namespace Ui {

namespace {
Dialogs realDialogs;
Dialogs* installed = nullptr;
} // namespace

Dialogs& Dialogs::current() {
    return installed ? *installed : realDialogs;
}

Dialogs* Dialogs::install(Dialogs* dialogs) {
    return std::exchange(installed, dialogs);
}

void Dialogs::message(QWidget* parent, const QString& text, const QString& title) {
    QMessageBox::information(parent, title, text);
}

bool Dialogs::question(QWidget* parent, const QString& text, const QString& title) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

Answer Dialogs::questionWithCancel(QWidget* parent, const QString& text, const QString& title) {
    switch (QMessageBox::warning(parent, title, text,
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                 QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QStringList Dialogs::openFiles(QWidget* parent, const QString& title, const QString& folder,
                               const QString& filter, int* chosenFilter) {
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // The patterns of any case make long filter texts: the descriptions say enough.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (dialog.exec() != QDialog::Accepted) return {};
    if (chosenFilter)
        *chosenFilter = static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles();
}

QString Dialogs::openFile(QWidget* parent, const QString& title, const QString& folder,
                          const QString& filter, bool executablesOnly) {
    for (;;) {
        const QString path = QFileDialog::getOpenFileName(parent, title, folder, filter, nullptr,
                                                          QFileDialog::HideNameFilterDetails);
        if (path.isEmpty() || !executablesOnly || QFileInfo(path).isExecutable()) return path;
        message(parent, QStringLiteral("\"%1\" is not a program.").arg(path), kAppTitle);
    }
}

std::optional<SaveChoice> Dialogs::saveFile(QWidget* parent, const QString& title,
                                            const QString& initialPath, const QString& filter,
                                            const std::function<bool(const SaveChoice&)>& accept) {
    QFileDialog dialog(parent, title, initialPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        SaveChoice choice{
            dialog.selectedFiles().value(0),
            static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter()))};
        if (!accept || accept(choice)) return choice;
    }
}

QString Dialogs::chooseFolder(QWidget* parent, const QString& title, const QString& folder) {
    return QFileDialog::getExistingDirectory(parent, title, folder);
}

int Dialogs::exec(QDialog& dialog) {
    return dialog.exec();
}

QString qtFilter(const QString& pairs) {
    const QStringList parts = pairs.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (description.isEmpty()) break;
        description.remove(QRegularExpression(QStringLiteral("\\s*\\(.*\\)$")));
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << p.trimmed(); // the table lists each name in both cases
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace Ui
