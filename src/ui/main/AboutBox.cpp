#include "ui/main/AboutBox.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QSvgWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/common/Dialogs.h"

namespace Ui {

namespace {

class AboutDialog : public QDialog {
  public:
    explicit AboutDialog(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
        setObjectName(QStringLiteral("AboutBox"));
        setWindowTitle(QCoreApplication::translate("Ui::AboutBox", "About Stretchwerk"));
        setAccessibleName(QCoreApplication::translate("Ui::AboutBox", "Stretchwerk version %1")
                              .arg(QStringLiteral("2.0.2.0")));
        auto* picture = new QSvgWidget(QStringLiteral(":/stretchwerk/about.svg"), this);
        picture->setFixedSize(412, 450);
        picture->setAttribute(Qt::WA_TransparentForMouseEvents);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(picture);
    }

  protected:
    void mousePressEvent(QMouseEvent*) override { accept(); }
    void keyPressEvent(QKeyEvent*) override { accept(); }
};

} // namespace

void showAboutBox(QWidget* parent, bool atStartUp) {
    AboutDialog dialog(parent);
    if (atStartUp) QTimer::singleShot(3000, &dialog, &QDialog::accept);
    Dialogs::current().exec(dialog);
}

QUrl manualUrl() {
    // The installed manual first: share/doc beside the bin folder of the program.
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral("../share/doc/stretchwerk/manual.html"));
    if (QFileInfo::exists(installed)) return QUrl::fromLocalFile(QDir::cleanPath(installed));
    // Otherwise a copy of the manual from the resources, so it opens without an installation.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString path = QDir(folder).filePath(QStringLiteral("stretchwerk-manual.html"));
    QFile::remove(path);
    QFile::copy(QStringLiteral(":/stretchwerk/manual.html"), path);
    return QUrl::fromLocalFile(path);
}

} // namespace Ui
