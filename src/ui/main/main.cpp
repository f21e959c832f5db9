// stretchwerk: the desktop application.
#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include "app/DeviceList.h"
#include "ui/main/AboutBox.h"
#include "ui/main/ListCommands.h"
#include "ui/main/MainWindow.h"
#include "ui/main/PlaybackControl.h"
#include "ui/main/Session.h"
#include "ui/main/StartUp.h"
#include "ui/main/Translations.h"

int main(int argc, char** argv) {
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Stretchwerk"));
    QApplication::setApplicationVersion(QStringLiteral("2.0.2.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("stretchwerk"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/stretchwerk/stretchwerk.svg")));
    // The language of the environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
    const Ui::Translations translations(QLocale::system());
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Changes the duration and pitch of audio files."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption({QStringLiteral("no-splash"),
                      QCoreApplication::translate("main", "Do not show the picture at start-up.")});
    parser.addPositionalArgument(
        QStringLiteral("FILE"),
        QCoreApplication::translate("main", "Files to put in the batch list."),
        QStringLiteral("[FILE...]"));
    parser.process(app);

    App::CSettings settings(App::listOutputDevices);
    Ui::loadSettingsAtStartUp(nullptr, settings);
    Ui::Session session(settings);
    Ui::MainWindow window(session);
    window.selectAlgorithm(settings.quality, false);
    window.playback().initEngine();
    window.show();
    if (!parser.isSet(QStringLiteral("no-splash"))) Ui::showAboutBox(&window, true);
    if (settings.restoreList) window.listCommands().restoreLastList();
    if (!parser.positionalArguments().isEmpty())
        window.listCommands().openPaths(parser.positionalArguments());
    return QApplication::exec();
}
