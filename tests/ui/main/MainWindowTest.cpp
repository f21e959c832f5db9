// The main window driven as a user drives it: mouse and keys on real widgets, dialogs answered
// through the seam.
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <filesystem>

#include "app/DeviceList.h"
#include "app/ModelTestKit.h"
#include "markpoints/MarkPointFile.h"
#include "support/FormatCorpus.h"
#include "support/HeldKey.h"
#include "support/PlaysOn.h"
#include "support/QtTests.h"
#include "support/ScriptedDialogs.h"
#include "ui/editor/MarkPointEdit.h"
#include "ui/editor/WaveEditor.h"
#include "ui/main/BatchRunner.h"
#include "ui/main/EditorWindows.h"
#include "ui/main/FileListWidget.h"
#include "ui/main/ListCommands.h"
#include "ui/main/MainWindow.h"
#include "ui/main/NowPlayingPanel.h"
#include "ui/main/PlaybackControl.h"
#include "ui/main/PreferencesDialog.h"
#include "ui/main/ProgressDialog.h"
#include "ui/main/RowWidget.h"
#include "ui/main/StartUp.h"

using namespace Ui;

namespace {

std::string configFile() {
    return App::CSettings::configFolder() + "/Stretchwerk.cfg";
}

// Settings that list only the default device, so nothing is probed.
App::CSettings quietSettings() {
    App::CSettings s([] { return std::vector<App::OutputDevice>{{{}, "default", 1}}; });
    s.quality = 1;
    return s;
}

RowWidget* rowWidget(MainWindow& w, std::size_t i) {
    return w.fileList()->widgetAt(i);
}

void showActive(MainWindow& w) {
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

template <class T> T* child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(QLatin1String(name));
}

// The offscreen platform leaves the main window active when another window opens.
void activate(QWidget* window) {
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// "frame:value:style,..." of a curve, the values exact as floats.
std::string pointsText(const MarkPoints::CMarkPointArray& curve) {
    std::string text;
    for (const MarkPoints::CMarkPoint& p : curve) {
        char value[32];
        std::snprintf(value, sizeof value, "%.9g", static_cast<double>(p.value));
        const char* style = p.lineStyle == MarkPoints::SQUARE ? "square"
                            : p.lineStyle == MarkPoints::KEEP ? "keep"
                                                              : "linear";
        text +=
            (text.empty() ? "" : ",") + std::to_string(p.framePosition) + ":" + value + ":" + style;
    }
    return text;
}

// Clicks on empty space of the view at a frame, with the value of the current curve at y.
void clickAt(CWaveEditor& editor, std::int64_t frame, double value) {
    Editor::CEditorDocument& d = editor.document();
    QTest::mouseClick(editor.view(), Qt::LeftButton, {},
                      QPoint(d.geometry().pixelOfFrame(frame), d.geometry().pixelOfValue(value)));
}

// What a screen reader announces of a widget: its accessible name and description.
QString announced(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a->text(QAccessible::Name) + QLatin1Char(' ') + a->text(QAccessible::Description);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestSupport::TempDir> tmp, home;
    std::unique_ptr<ScriptedDialogs> unexpected; // no real dialog ever blocks a test

  private slots:
    // ALSA reads ~/.asoundrc: a home of our own gives it a device that never opens.
    void initTestCase() {
        home = std::make_unique<TestSupport::TempDir>();
        const std::string rc = "pcm.swkmissing {\n type hw\n card 31\n"
                               " hint { show on\n description \"Missing card\" }\n}\n";
        TestSupport::writeBytes(home->file(".asoundrc"), {rc.begin(), rc.end()});
        qputenv("HOME", QByteArray::fromStdString(home->path().string()));
    }
    void init() {
        std::filesystem::remove_all(App::CSettings::configFolder());
        tmp = std::make_unique<TestSupport::TempDir>();
        unexpected = std::make_unique<ScriptedDialogs>();
    }
    void cleanup() {
        QVERIFY2(unexpected->messages.isEmpty(), qPrintable(unexpected->messages.join('\n')));
        unexpected.reset();
    }

    void startsWithTitleGeometryAndTheCommandTable() {
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        QCOMPARE(w.windowTitle(), QStringLiteral("Vellamar Stretchwerk"));
        QCOMPARE(w.geometry().size(), QSize(470, 400));
        QAction* process = w.action(34002);
        QVERIFY(process);
        QCOMPARE(process->statusTip(), QStringLiteral("Process the selected files"));
        QCOMPARE(process->toolTip(), QStringLiteral("Process"));
        QCOMPARE(w.action(34022)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
        QCOMPARE(w.action(57601)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        QCOMPARE(w.action(34005)->toolTip(), QStringLiteral("Open Split Stereo"));
        QVERIFY(!process->isEnabled()); // nothing selected yet
        for (int id : {34026, 34027, 34093, 34010, 34003, 34024, 34019, 57665, 34011, 34020, 34023,
                       34021, 34006, 34007, 34008, 34009, 34028, 57664, 34025})
            QVERIFY2(w.action(id), qPrintable(QString::number(id)));
        // A Linux user reads no names of another system's things.
        for (QAction* a : w.findChildren<QAction*>())
            for (const QString& text : {a->text(), a->statusTip(), a->toolTip()})
                for (const char* foreign :
                     {"Explorer", "Homepage", "DirectSound", "ASIO", "registry"})
                    QVERIFY2(!text.contains(QLatin1String(foreign)), qPrintable(text));
    }

    void algorithmMenuChecksOneEntryAndStoresIt() {
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        w.selectAlgorithm(4, false);
        QVERIFY(w.action(34009)->isChecked());
        QVERIFY(!w.action(34007)->isChecked());
        w.selectAlgorithm(0, false);
        QVERIFY(w.action(34007)->isChecked());
        QCOMPARE(w.algorithm(), 2);
        w.action(34028)->trigger();
        QCOMPARE(w.algorithm(), 5);
        QCOMPARE(w.action(34028)->statusTip(), QStringLiteral("Set the Algorithm to Studio"));
        App::CSettings studio = quietSettings();
        studio.load();
        QCOMPARE(studio.quality, 5);
        w.action(34008)->trigger();
        QCOMPARE(w.algorithm(), 3);
        auto* exact = w.findChild<QAction*>(QStringLiteral("cmdExactPitch"));
        QVERIFY(exact && !exact->isChecked());
        exact->trigger();
        App::CSettings reloaded = quietSettings();
        reloaded.load();
        QCOMPARE(reloaded.quality, 3);
        QVERIFY(reloaded.exactPitch);
    }

    void brokenSettingsLeadThroughThePreferences() {
        std::filesystem::create_directories(App::CSettings::configFolder());
        TestSupport::writeBytes(configFile(), {'Q', '\r', '\n'});
        ScriptedDialogs dialogs;
        dialogs.onExec = [](QDialog& d) -> int {
            child<QCheckBox>(&d, "IDC_INCLUDEINDEX")->setChecked(false);
            d.accept();
            return d.result();
        };
        App::CSettings settings(App::listOutputDevices);
        loadSettingsAtStartUp(nullptr, settings);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.executed, QStringList{QStringLiteral("PreferencesDlg")});
        App::CSettings reloaded(App::listOutputDevices);
        reloaded.load(); // a valid file now
        QVERIFY(!reloaded.includeIndex);
    }

    void preferencesShowASampleNameAndKeepTheFolderUnlessChosen() {
        ScriptedDialogs dialogs;
        App::CSettings settings(App::listOutputDevices);
        settings.targetPath = "/music/out";
        QString sample, folderHeard, sampleHeard;
        bool besideWasOff = false, chooserOff = false, postfixOff = false;
        bool toggledOff = false, toggledOn = false;
        dialogs.onExec = [&](QDialog& d) -> int {
            child<QCheckBox>(&d, "IDC_INCLUDEINDEX")->setChecked(false);
            QTest::mouseClick(child<QRadioButton>(&d, "IDC_PREFIXEXT"), Qt::LeftButton);
            auto* beside = child<QCheckBox>(&d, "IDC_USECURRENTLOC");
            besideWasOff = !beside->isChecked();
            QTest::mouseClick(beside, Qt::LeftButton);
            chooserOff = !child<QPushButton>(&d, "IDC_DIRCHOOSE")->isEnabled();
            QTest::mouseClick(beside, Qt::LeftButton); // unticked again, no folder chosen
            postfixOff = !child<QRadioButton>(&d, "IDC_POSTFIXEXT")->isChecked();
            sample = child<QLabel>(&d, "IDC_NAMESAMPLE")->text();
            // The folder and the sample name are announced, not their captions alone; the
            // chooser follows the box however it was toggled (a screen reader's Toggle too).
            folderHeard = announced(child<QLabel>(&d, "IDC_DIRSTRING"));
            sampleHeard = announced(child<QLabel>(&d, "IDC_NAMESAMPLE"));
            auto* chooser = child<QPushButton>(&d, "IDC_DIRCHOOSE");
            QAccessibleInterface* box = QAccessible::queryAccessibleInterface(beside);
            box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
            toggledOff = beside->isChecked() && !chooser->isEnabled();
            box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
            toggledOn = !beside->isChecked() && chooser->isEnabled();
            d.accept();
            return d.result();
        };
        QVERIFY(runPreferences(nullptr, settings));
        QVERIFY(besideWasOff && chooserOff && postfixOff);
        QVERIFY(toggledOff && toggledOn);
        QVERIFY2(folderHeard.contains(QStringLiteral("/music/out")), qPrintable(folderHeard));
        QVERIFY2(sampleHeard.contains(QStringLiteral("SoundFile.wav")), qPrintable(sampleHeard));
        QVERIFY(sample.startsWith(QStringLiteral("Sample:\t\t")));
        QVERIFY2(sample.endsWith(QStringLiteral("SoundFile.wav")), qPrintable(sample));
        QVERIFY(!sample.contains(QStringLiteral(" 3")));
        QVERIFY(settings.namePrefix && !settings.namePostfix && !settings.includeIndex);
        QCOMPARE(settings.targetPath, std::string("/music/out"));
    }

    void openingSelectingAndKeys() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        FileListWidget* list = w.fileList();
        QTest::keyClick(list, Qt::Key_Space); // no row ever: ignored
        QTest::keyClick(list, Qt::Key_V);
        QCOMPARE(dialogs.messages.value(0),
                 QStringLiteral("VELLAMAR Stretchwerk II version: 2.0.2.0"));
        heldKey(list, Qt::Key_V); // a held key acts once
        QCOMPARE(dialogs.messages.size(), 1);
        dialogs.chosenFiles = {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 8000)),
                               QString::fromStdString(tmp->file("b.mid")),
                               QString::fromStdString(ModelTest::toneFile(*tmp, "c.wav", 8000))};
        QTest::keyClick(list, Qt::Key_O);
        QCOMPARE(dialogs.titles.value(0), QStringLiteral("Add to batch list..."));
        // The first filter takes every name the opener takes, in any case.
        const QString all = dialogs.filters.value(0).section(QStringLiteral(";;"), 0, 0);
        QVERIFY2(all.startsWith(QStringLiteral("All Audiofiles (")), qPrintable(all));
        const QStringList patterns = all.section('(', 1).chopped(1).split(' ');
        const auto taken = [&](const QString& name) {
            return std::any_of(patterns.begin(), patterns.end(), [&](const QString& p) {
                return QRegularExpression(QRegularExpression::wildcardToRegularExpression(p))
                    .match(name)
                    .hasMatch();
            });
        };
        for (const char* name : {"a.wav", "b.WAV", "c.aif", "d.AIFF", "e.aiff", "f.flac", "g.MP3"})
            QVERIFY2(taken(QLatin1String(name)), name);
        QVERIFY(!taken(QStringLiteral("h.mid")));
        QCOMPARE(session.list.size(), 2u);
        QCOMPARE(dialogs.messages.size(), 2); // the MIDI file named
        QVERIFY(dialogs.messages[1].contains(QStringLiteral("b.mid")));
        QTest::mouseClick(rowWidget(w, 1), Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(session.list.row(1).selected && !session.list.row(0).selected);
        QVERIFY(w.action(34002)->isEnabled());
        // The states a row shows in colour are accessible states and words too.
        for (std::size_t i : {0u, 1u}) {
            QAccessibleInterface* row = QAccessible::queryAccessibleInterface(rowWidget(w, i));
            QCOMPARE(bool(row->state().selected), i == 1);
            QVERIFY(row->state().selectable);
            QCOMPARE(row->text(QAccessible::Description).contains(QStringLiteral("selected")),
                     i == 1);
        }
        session.list.row(0).busy = session.list.row(0).created = true;
        w.fileList()->refreshRows();
        QVERIFY(QAccessible::queryAccessibleInterface(rowWidget(w, 0))->state().busy);
        QVERIFY(announced(rowWidget(w, 0)).contains(QStringLiteral("being processed")));
        QVERIFY(announced(rowWidget(w, 0)).contains(QStringLiteral("made by Stretchwerk")));
        session.list.row(0).busy = session.list.row(0).created = false;
        QTest::mouseClick(rowWidget(w, 0), Qt::LeftButton, Qt::ShiftModifier, QPoint(3, 3));
        QCOMPARE(session.list.selectedRows().size(), 2u);
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(session.list.selectedRows(), std::vector<App::CFileRow*>{&session.list.row(0)});
        QTest::keyClick(list, Qt::Key_End);
        QVERIFY(session.list.row(1).selected);
        // The properties are announced with their values, not their captions alone.
        QStringList heard;
        dialogs.onExec = [&](QDialog& d) {
            for (QLabel* value : d.findChildren<QLabel*>())
                if (value->buddy() == nullptr && !value->text().endsWith(':'))
                    heard << announced(value);
            return int(QDialog::Accepted);
        };
        QTest::keyClick(list, Qt::Key_I);
        QCOMPARE(dialogs.executed.value(0), QStringLiteral("PropertiesDialog"));
        QVERIFY2(heard.filter(QStringLiteral("8000 Hz")).size() == 1, qPrintable(heard.join('|')));
        QVERIFY2(heard.filter(QStringLiteral("c.wav")).size() == 1, qPrintable(heard.join('|')));
    }

    void rowFieldsFollowTheListRules() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        showActive(w);
        w.listCommands().openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 80000))});
        QApplication::processEvents(); // lays the new row out
        RowWidget* row = rowWidget(w, 0);
        auto* semitones = child<QSpinBox>(row, "ctl112");
        auto* typed = semitones->findChild<QLineEdit*>();
        typed->selectAll();
        QTest::keyClicks(typed, QStringLiteral("-60"));
        QCOMPARE(typed->text(), QStringLiteral("-48"));
        QCOMPARE(session.list.row(0).getSemitones(), -48);
        // Each number field shows its unit beside it, for the eye and as its label.
        for (const auto& [field, unit] : {std::pair{"ctl112", "st"}, std::pair{"ctl113", "ct"}}) {
            QLabel* shown = nullptr;
            for (QLabel* l : row->findChildren<QLabel*>())
                if (l->buddy() == child<QSpinBox>(row, field)) shown = l;
            QVERIFY2(shown && shown->isVisible(), field);
            QCOMPARE(shown->text(), QLatin1String(unit));
        }
        QTest::mouseClick(child<QCheckBox>(row, "ctl117"), Qt::LeftButton);
        QVERIFY(!semitones->isEnabled());
        QVERIFY(!child<QCheckBox>(row, "ctl118")->isEnabled());
        QTest::mouseClick(child<QCheckBox>(row, "ctl120"), Qt::LeftButton);
        QVERIFY(!child<QCheckBox>(row, "ctl117")->isChecked());
        QVERIFY(child<QCheckBox>(row, "ctl118")->isEnabled());
        QTest::mouseClick(child<QCheckBox>(row, "ctl120"), Qt::LeftButton);
        QVERIFY(semitones->isEnabled());

        int attempts = 0; // the BPM dialog refuses 1, then takes 120,5
        dialogs.onExec = [&](QDialog& d) -> int {
            auto* field = child<QLineEdit>(&d, "IDC_BPM");
            field->setText(attempts++ == 0 ? QStringLiteral("1") : QStringLiteral("120,5"));
            QMetaObject::invokeMethod(&d, "accept");
            if (d.result() != QDialog::Accepted) {
                field->setText(QStringLiteral("120,5"));
                QMetaObject::invokeMethod(&d, "accept");
            }
            return d.result();
        };
        auto* unit = child<QComboBox>(row, "ctl119");
        unit->activated(2);
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral("please enter a valid BPM number!")});
        QCOMPARE(session.list.row(0).getSourceBpm(), 120.5);
        QCOMPARE(child<QLineEdit>(row, "ctl116")->text(), QStringLiteral("120.50000"));
    }

    void copyAndPasteParametersWithTheKeys() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        showActive(w);
        FileListWidget* list = w.fileList();
        w.listCommands().openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 800)),
             QString::fromStdString(ModelTest::toneFile(*tmp, "b.wav", 800))});
        QApplication::processEvents();
        session.list.row(0).setSemitoneText("5");
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier); // none selected
        QCOMPARE(dialogs.messages, QStringList{QStringLiteral(
                                       "You need to select exactly one entry to copy parameters")});
        QTest::mouseClick(rowWidget(w, 0), Qt::LeftButton, {}, QPoint(3, 3));
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QTest::mouseClick(rowWidget(w, 1), Qt::LeftButton, {}, QPoint(3, 3));
        QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(child<QSpinBox>(rowWidget(w, 1), "ctl112")->value(), 5);
    }

    void processingAddsRowsAndCancelStopsTheFile() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        w.selectAlgorithm(1, false);
        w.listCommands().openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "long.wav", 3000000)),
             QString::fromStdString(ModelTest::toneFile(*tmp, "short.wav", 16000))});
        w.listCommands().selectAll();
        w.action(34002)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(w.findChild<ProgressDialog*>() != nullptr, 5000);
        ProgressDialog* progress = w.findChild<ProgressDialog*>();
        QVERIFY(progress->windowTitle().startsWith(QStringLiteral("Processing \"long.wav\"")));
        QTest::mouseClick(child<QPushButton>(progress, "IDCANCEL"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!session.runner.isRunning(), 120000);
        QCOMPARE(dialogs.questions.value(0),
                 QStringLiteral("Are you sure you want to abort processing?"));
        QCOMPARE(session.list.size(), 4u);
        QVERIFY(session.list.row(2).created);
        QVERIFY(session.list.row(2).frames() < 3000000u);
        QVERIFY(session.list.row(3).selected);
        QVERIFY(dialogs.messages.isEmpty());

        dialogs.answers = {true}; // delete the created files too
        w.listCommands().deleteSelected();
        QCOMPARE(session.list.size(), 3u);
        QVERIFY(!std::filesystem::exists(tmp->file("short P0.0 T1.00 2.wav")));
    }

    void saveACopyOfEachSelectedRowStartsInItsFolder() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        w.listCommands().openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 8000)),
             QString::fromStdString(ModelTest::toneFile(*tmp, "b.wav", 8000))});
        w.listCommands().selectAll();
        const QString out = QString::fromStdString(tmp->file("out/"));
        std::filesystem::create_directories(tmp->file("out"));
        dialogs.saves = {{out + "x.aif", 0}, {out + "x.wav", 0}, {out + "y.wav", 0}};
        w.action(34003)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!session.runner.isRunning(), 120000);
        QCOMPARE(dialogs.saveInitial, (QStringList{QString::fromStdString(tmp->file("a copy")),
                                                   QString::fromStdString(tmp->file("b copy"))}));
        QCOMPARE(dialogs.messages,
                 QStringList{QStringLiteral(
                     "you typed in an invalid file extension! please change it to \".wav\"")});
        QVERIFY(std::filesystem::exists(tmp->file("out/x.wav")));
        QVERIFY(std::filesystem::exists(tmp->file("out/y.wav")));
        QVERIFY(!std::filesystem::exists(tmp->file("out/x.aif")));
    }

    // The open dialog lists every name the opener takes; FLAC, Ogg, Opus and MP3 files open in
    // the list and in the wave editor, named as people know them; an MP3 gives a FLAC result,
    // and the result format chosen in the preferences is what a WAV gives.
    void compressedFormatsOpenInBothWindowsAndProcessIntoTheirResultFormat() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        showActive(w);
        FileListWidget* list = w.fileList();
        const char* names[] = {"tone.flac", "tone.ogg", "tone.opus", "tone.mp3"};
        for (const char* name : names)
            dialogs.chosenFiles << QString::fromStdString(TestSupport::FormatCorpus::path(name));
        QTest::keyClick(list, Qt::Key_O);
        for (const char* pattern : {"*.wav ", "*.aif ", "*.AIF ", "*.aiff ", "*.AIFF ", "*.flac ",
                                    "*.FLAC ", "*.ogg ", "*.opus ", "*.mp3 ", "*.MP3 "})
            QVERIFY2(dialogs.filters.value(0).contains(QLatin1String(pattern)), pattern);
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messages.join('\n')));
        QCOMPARE(session.list.size(), 4u);
        const QString shown[] = {"FLAC", "Ogg Vorbis", "Opus", "MP3"};
        for (std::size_t i = 0; i < 4; ++i) {
            QTest::mouseClick(rowWidget(w, i), Qt::LeftButton, {}, QPoint(3, 3));
            QTest::keyClick(list, Qt::Key_W);
            CWaveEditor* editor = w.editors().editorOf(session.list.row(i));
            QVERIFY(editor);
            const QString info = editor->findChild<QLabel*>(QStringLiteral("infoLine"))->text();
            QVERIFY2(info.contains(QStringLiteral("Stereo - ") + shown[i] + "  "),
                     qPrintable(info));
        }
        QString format;
        dialogs.onExec = [&](QDialog& d) {
            for (QLabel* caption : d.findChildren<QLabel*>())
                if (caption->text() == QStringLiteral("Format:") && caption->buddy())
                    format = qobject_cast<QLabel*>(caption->buddy())->text();
            return QDialog::Accepted;
        };
        QTest::keyClick(list, Qt::Key_I); // the MP3 row is the selected one
        QCOMPARE(format, QStringLiteral("MPEG Layer III"));

        w.action(34002)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!session.runner.isRunning(), 120000);
        QCOMPARE(session.list.size(), 5u);
        const App::CFileRow& result = session.list.row(4);
        QCOMPARE(result.getFileType(), Audio::FlacType);
        QCOMPARE(QString::fromStdString(result.getMembers()[0].name),
                 QStringLiteral("tone P0.0 T1.00 2.flac"));

        dialogs.onExec = [](QDialog& d) {
            auto* box = child<QComboBox>(&d, "IDC_RESULTFORMAT");
            box->setCurrentIndex(box->findText(QStringLiteral("AIFF")));
            d.accept();
            return d.result();
        };
        QVERIFY(runPreferences(&w, settings));
        QCOMPARE(settings.resultFormat, Audio::AiffType);
        w.listCommands().openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "take.wav", 8000))});
        QTest::mouseClick(rowWidget(w, 5), Qt::LeftButton, {}, QPoint(3, 3));
        w.action(34002)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!session.runner.isRunning(), 120000);
        QVERIFY(std::filesystem::exists(tmp->file("take P0.0 T1.00 2.aif")));
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messages.join('\n')));
    }

    void droppedFilesOpenAndOthersAreSkipped() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(
                          QString::fromStdString(ModelTest::toneFile(*tmp, "take1.WAV", 800))),
                      QUrl::fromLocalFile(QString::fromStdString(tmp->file("take1.mid")))});
        showActive(w);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.fileList()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.fileList()->viewport(), &drop);
        QCOMPARE(session.list.size(), 1u);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void splitStereoAsksForEachMemberAgainAfterAFailedCheck() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        const QString left = QString::fromStdString(ModelTest::toneFile(*tmp, "L.wav", 800));
        dialogs.singleFiles = {
            left, QString::fromStdString(ModelTest::toneFile(*tmp, "st.wav", 800, 2)), left,
            QString::fromStdString(ModelTest::toneFile(*tmp, "R.wav", 800))};
        QTest::keyClick(w.fileList(), Qt::Key_L);
        QCOMPARE(session.list.size(), 1u);
        QCOMPARE(dialogs.titles,
                 (QStringList{"Select Left Channel File", "Select Right Channel File",
                              "Select Right Channel File", "Select Right Channel File"}));
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(dialogs.filters.value(1), QStringLiteral("Wave Files (*.wav *.WAV)"));
        QCOMPARE(rowWidget(w, 0)->findChild<QLabel*>(QStringLiteral("ctl110"))->text().left(8),
                 QStringLiteral("Split - "));
    }

    // A row that may not go to the editor is named, and the others still go.
    void externalEditorStartsAloneThenOncePerMember() {
        ScriptedDialogs dialogs;
        const std::string log = tmp->file("editor.log");
        const std::string script = tmp->file("my editor.sh");
        const std::string body = "#!/bin/sh\necho \"[$*]\" >> '" + log + "'\n";
        TestSupport::writeBytes(script, {body.begin(), body.end()});
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        App::CSettings settings = quietSettings();
        settings.editorPath = tmp->file("missing-editor");
        dialogs.singleFiles = {QString::fromStdString(ModelTest::toneFile(*tmp, "L.wav", 800)),
                               QString::fromStdString(ModelTest::toneFile(*tmp, "R.wav", 800)),
                               QString::fromStdString(script)};
        Session session(settings);
        MainWindow w(session);
        w.listCommands().openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "c.wav", 800))});
        session.list.row(0).busy = true;
        w.listCommands().openSplit(2);
        w.listCommands().selectAll();
        QTest::keyClick(w.fileList(), Qt::Key_E);
        QCOMPARE(dialogs.messages,
                 (QStringList{"you should not open this file in a wave editor while a kalo "
                              "rendering is in progress!",
                              "I could not open the editor. Can you select it again for me?"}));
        QCOMPARE(settings.editorPath, script);
        session.list.row(0).busy = false;
        auto written = [&] {
            QFile f(QString::fromStdString(log));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray expected = QByteArray::fromStdString("[]\n[" + tmp->file("L.wav") +
                                                              "]\n[" + tmp->file("R.wav") + "]\n");
        QTRY_COMPARE_WITH_TIMEOUT(written(), expected, 5000);
    }

    // A machine without the sound card of the settings: the box names the ALSA device, what
    // failed and what to do.
    void anOutputThatWillNotOpenIsNamedWithWhatToDo() {
        ScriptedDialogs dialogs;
        App::CSettings settings(App::listOutputDevices);
        for (const App::OutputDevice& d : App::listOutputDevices())
            if (d.name.find("swkmissing") != std::string::npos) settings.deviceId = d.id;
        QVERIFY(settings.deviceId != App::DeviceId{});
        Session session(settings);
        MainWindow w(session);
        w.playback().initEngine();
        QCOMPARE(dialogs.messages.size(), 1);
        const QString text = dialogs.messages[0];
        QVERIFY2(text.startsWith(QStringLiteral(
                     "The ALSA output \"Missing card (swkmissing)\" could not be opened: ")),
                 qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral("Choose another output in Edit \u203a Preferences.")),
                 qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("DirectSound")), qPrintable(text));
    }

    void playingShowsWhatPlaysAndSpaceStopsIt() {
        ScriptedDialogs dialogs;
        App::CSettings settings(App::listOutputDevices);
        for (const App::OutputDevice& d : App::listOutputDevices())
            if (d.name.find("No sound card") != std::string::npos) settings.deviceId = d.id;
        Session session(settings);
        MainWindow w(session);
        w.playback().initEngine();
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messages.join('\n')));
        w.listCommands().openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 80000))});
        w.listCommands().selectAll();
        QTest::keyClick(w.fileList(), Qt::Key_Space);
        NowPlayingPanel* panel = w.nowPlayingPanel();
        QVERIFY(!panel->isHidden());
        QCOMPARE(child<QLabel>(panel, "playingName")->text(), QStringLiteral("a.wav"));
        QTRY_VERIFY_WITH_TIMEOUT(panel->positionText() != QStringLiteral("0:00.0"), 5000);
        QTest::keyClick(w.fileList(), Qt::Key_Space);
        QVERIFY(panel->isHidden());
    }

    // Shift+Space plays the selected row processed; a semitone and a time typed while it plays
    // are taken from where it stands, without starting again.
    void playProcessedFollowsTheRowWhileItPlays() {
        ScriptedDialogs dialogs;
        App::CSettings settings(App::listOutputDevices);
        for (const App::OutputDevice& d : App::listOutputDevices())
            if (d.name.find("No sound card") != std::string::npos) settings.deviceId = d.id;
        Session session(settings);
        MainWindow w(session);
        showActive(w);
        w.playback().initEngine();
        w.listCommands().openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 400000))});
        w.listCommands().selectAll();
        QApplication::processEvents(); // lays the new row out
        QTest::keyClick(w.fileList(), Qt::Key_Space, Qt::ShiftModifier);
        App::LiveRowAudition& live = w.playback().liveAudition();
        QVERIFY(live.isPlaying());
        NowPlayingPanel* panel = w.nowPlayingPanel();
        QVERIFY(!panel->isHidden());
        QCOMPARE(child<QToolButton>(panel, "playingcmd90005")->defaultAction(), w.action(90005));
        QTRY_VERIFY_WITH_TIMEOUT(
            child<QLabel>(panel, "playingPosition")->text().startsWith("source 0:0"), 5000);
        QVERIFY(w.statusBar()->currentMessage().startsWith("Playing processed; underruns: "));
        QTRY_VERIFY_WITH_TIMEOUT(live.position() && live.position()->source > 4000, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(
            session.engine.getFramesPlayed() > session.engine.getHost().getSampleRate() / 2, 5000);
        std::int64_t source = live.position()->source;
        auto* semitones = child<QSpinBox>(rowWidget(w, 0), "ctl112")->findChild<QLineEdit*>();
        semitones->selectAll();
        QVERIFY(goesOnThrough(
            session.engine, [&] { QTest::keyClicks(semitones, QStringLiteral("5")); },
            [&] { return live.factorsInUse().pitch == Process::pitchFactorOf(5, 0); }));
        QVERIFY(live.position()->source > source); // on from where it stood
        source = live.position()->source;
        auto* time = child<QLineEdit>(rowWidget(w, 0), "ctl116");
        time->selectAll();
        QVERIFY(goesOnThrough(
            session.engine, [&] { QTest::keyClicks(time, QStringLiteral("125")); },
            [&] { return live.factorsInUse().time == 1.25; }));
        QVERIFY(live.position()->source > source);
        QVERIFY(live.isPlaying());

        child<QPushButton>(panel, "playingStop")->click();
        QVERIFY(!live.isPlaying());
        QVERIFY(w.statusBar()->currentMessage().startsWith("Played processed; underruns: "));
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messages.join('\n')));
    }

    void closingDuringABatchAsksAndAborts() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        auto* w = new MainWindow(session);
        w->listCommands().openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "long.wav", 3000000))});
        w->listCommands().selectAll();
        w->action(34002)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(w->findChild<ProgressDialog*>() != nullptr, 5000);
        // Sound is out before the stop: a file stopped before its first frame is not kept.
        QTRY_VERIFY_WITH_TIMEOUT(
            w->findChild<ProgressDialog*>()->findChild<QProgressBar*>()->value() > 0, 10000);
        dialogs.answers = {false};
        QVERIFY(!w->close());
        dialogs.answers = {true, false}; // stop and quit; keep the created file
        QVERIFY(w->close());
        QVERIFY(!session.runner.isRunning());
        delete w;
        QVERIFY(std::filesystem::exists(tmp->file("long P0.0 T1.00 2.wav")));
    }

    void theEditorOpensOncePerRowAndClosesBeforeItsRowGoes() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        showActive(w);
        FileListWidget* list = w.fileList();
        w.listCommands().openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 8000)),
             QString::fromStdString(ModelTest::toneFile(*tmp, "b.wav", 8000))});
        QApplication::processEvents();
        auto* button = child<QPushButton>(rowWidget(w, 0), "ctl444");
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        App::CFileRow& a = session.list.row(0);
        CWaveEditor* editor = w.editors().editorOf(a);
        QVERIFY(editor && editor->isVisible() && a.editorOpen);
        QCOMPARE(editor->windowTitle(), QStringLiteral("a.wav"));
        QVERIFY(a.getOverview());                  // built for the waveform
        QTest::mouseClick(button, Qt::LeftButton); // again: the same window
        QCOMPARE(w.findChildren<CWaveEditor*>().size(), 1);
        w.listCommands().selectAll();
        QTest::keyClick(list, Qt::Key_W); // a second editor, for b
        QCOMPARE(w.findChildren<CWaveEditor*>().size(), 2);
        QVERIFY(session.list.row(1).editorOpen);

        // Removing a row asks its editor to close: Cancel keeps both.
        editor->document().setModified(true);
        dialogs.threeWay = {Ui::Answer::Cancel};
        session.list.selectOnly(0);
        w.listCommands().deleteSelected();
        QCOMPARE(session.list.size(), 2u);
        QCOMPARE(dialogs.questions.value(0),
                 QStringLiteral("You forgot to save! Do you want to save right now?"));
        QCOMPARE(dialogs.messages.size(), 1); // the editor would not close
        QVERIFY(a.editorOpen && w.editors().editorOf(a) == editor);
        dialogs.threeWay = {Ui::Answer::No};
        w.listCommands().deleteSelected();
        QCOMPARE(session.list.size(), 1u);
        QTRY_COMPARE(w.findChildren<CWaveEditor*>().size(), 1);

        // An editor closed by itself frees its row; the main window closes the others.
        CWaveEditor* b = w.editors().editorOf(session.list.row(0));
        activate(b);
        QTest::keyClick(b->view(), Qt::Key_F4, Qt::AltModifier);
        QTRY_VERIFY(w.findChildren<CWaveEditor*>().isEmpty());
        QVERIFY(!session.list.row(0).editorOpen);
        QTest::keyClick(list, Qt::Key_W);
        QVERIFY(w.editors().editorOf(session.list.row(0)));
        dialogs.messages.clear();
        QVERIFY(w.close());
        QTRY_VERIFY(w.findChildren<CWaveEditor*>().isEmpty());
    }

    void curvesDrawnInTheEditorProcessLikeTheCommandLine() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        showActive(w);
        FileListWidget* list = w.fileList();
        const std::string source = ModelTest::toneFile(*tmp, "take.wav", 16000);
        w.listCommands().openPaths({QString::fromStdString(source)});
        w.listCommands().selectAll();
        QTest::keyClick(list, Qt::Key_W);
        App::CFileRow& row = session.list.row(0);
        CWaveEditor* editor = w.editors().editorOf(row);
        activate(editor);
        editor->action(34061)->trigger(); // the whole file in view
        // A pitch step: up a fifth from 6000 on, square.
        QTest::keyClick(editor->view(), Qt::Key_F2);
        QTest::keyClick(editor->view(), Qt::Key_S);
        clickAt(*editor, 6000, 1.5);
        // A time curve: slower towards the middle, back to normal at the end.
        QTest::keyClick(editor->view(), Qt::Key_F1);
        QTest::keyClick(editor->view(), Qt::Key_A);
        clickAt(*editor, 8000, 1.6);
        clickAt(*editor, 14000, 1.0);
        QCOMPARE(row.curves()[1].size(), 1u);
        QCOMPARE(row.curves()[0].size(), 2u);
        QCOMPARE(row.curves()[1][0].lineStyle, MarkPoints::SQUARE);
        QVERIFY(row.curves()[1][0].value > 1.2f);

        dialogs.saves = {{QString::fromStdString(tmp->file("take")), 0}};
        QTest::keyClick(editor->view(), Qt::Key_S, Qt::ControlModifier);
        const auto saved = MarkPoints::loadMarkPointFile(tmp->file("take.mpt"));
        QVERIFY(editor->close());

        QTest::mouseClick(child<QCheckBox>(rowWidget(w, 0), "ctl120"), Qt::LeftButton);
        QVERIFY(row.getUseMarkPoints());
        w.action(34002)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!session.runner.isRunning(), 120000);
        QCOMPARE(session.list.size(), 2u);
        const std::string processed = session.list.row(1).getMembers()[0].path;

        // The same curves, made and processed by the command line.
        const std::string made = tmp->file("cli.mpt");
        const std::string cli = SWK_CLI_PATH;
        std::string out;
        QCOMPARE(TestSupport::run(cli + " markpoints make '" + made + "' --time " +
                                      pointsText(saved.getScale(1)) + " --pitch " +
                                      pointsText(saved.getScale(2)) + " --sample-rate 8000 2>&1",
                                  &out),
                 0);
        std::filesystem::create_directories(tmp->file("cli"));
        QCOMPARE(TestSupport::run(cli + " process --quality mono --markpoints '" + made +
                                      "' --out-dir '" + tmp->file("cli") + "' '" + source +
                                      "' 2>&1",
                                  &out),
                 0);
        std::string fromCli;
        for (const auto& entry : std::filesystem::directory_iterator(tmp->file("cli")))
            fromCli = entry.path().string();
        QVERIFY2(!fromCli.empty(), out.c_str());
        const auto cliBytes = TestSupport::readBytes(fromCli);
        QVERIFY(cliBytes.size() > 1000);
        QVERIFY(TestSupport::readBytes(processed) == cliBytes);
        QVERIFY(dialogs.messages.isEmpty());
    }
};

SWK_QTEST(MainWindowTest);
#include "MainWindowTest.moc"
