// The windows in German when the locale asks for it, in English (the source texts) otherwise.
#include <QAction>
#include <QMenuBar>
#include <QtTest>

#include "support/QtTests.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Translations.h"

using namespace Ui;

namespace {

App::CSettings quietSettings() {
    return App::CSettings([] { return std::vector<App::OutputDevice>{{{}, "default", 1}}; });
}

QStringList menuTitles(const QLocale& locale) {
    const Translations translations(locale);
    App::CSettings settings = quietSettings();
    Session session(settings);
    MainWindow w(session);
    QStringList titles;
    for (QAction* a : w.menuBar()->actions())
        titles << a->text();
    // A command's status tip and a text of the window's own.
    titles << w.action(34002)->statusTip() << w.action(34002)->toolTip();
    return titles;
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT

  private slots:
    void germanLocaleGivesGermanMenus() {
        QCOMPARE(menuTitles(QLocale(QLocale::German, QLocale::Germany)),
                 QStringList({"&Datei", "&Bearbeiten", "&Algorithmus", "&Hilfe",
                              "Die ausgewählten Dateien verarbeiten", "Verarbeiten"}));
        // Austrian German takes the German too.
        QCOMPARE(menuTitles(QLocale(QLocale::German, QLocale::Austria)).front(), "&Datei");
    }

    void otherLocalesKeepTheEnglishTexts() {
        const QStringList english = {
            "&File", "&Edit", "&Algorithm", "&Help", "Process the selected files", "Process"};
        QCOMPARE(menuTitles(QLocale(QLocale::English, QLocale::UnitedStates)), english);
        QCOMPARE(menuTitles(QLocale(QLocale::French, QLocale::France)), english);
        QVERIFY(!Translations(QLocale(QLocale::French, QLocale::France)).loaded());
        // Once the German translations are gone, so are their texts.
        { const Translations german(QLocale(QLocale::German, QLocale::Germany)); }
        QCOMPARE(menuTitles(QLocale::c()), english);
    }
};

SWK_QTEST(TranslationsTest);
#include "TranslationsTest.moc"
