// The main window driven as a user drives it: mouse and keys on real widgets, dialogs answered
// through the seam.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>
#include <filesystem>

#include "app/DeviceList.h"
#include "app/ModelTestKit.h"
#include "ui/main/BatchRunner.h"
#include "ui/main/FileListWidget.h"
#include "ui/main/LivePlayController.h"
#include "ui/main/MainWindow.h"
#include "ui/main/NowPlayingPanel.h"
#include "ui/main/PreferencesDialog.h"
#include "ui/main/ProgressDialog.h"
#include "ui/main/RowWidget.h"
#include "ui/main/StartUp.h"
#include "markpoints/MarkPointFile.h"
#include "ui/editor/MarkPointEdit.h"
#include "ui/editor/WaveEditor.h"
#include "support/ScriptedDialogs.h"

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
    return w.fileList()->widgetOf(w.fileList()->model().row(i));
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
                      QPoint(d.pixelOfFrame(frame), d.pixelOfValue(value)));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestSupport::TempDir> tmp;
    std::unique_ptr<ScriptedDialogs> unexpected; // no real dialog ever blocks a test

  private slots:
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
        MainWindow w(settings);
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
                       34021, 34006, 34007, 34008, 34009, 57664, 34025})
            QVERIFY2(w.action(id), qPrintable(QString::number(id)));
    }

    void algorithmMenuChecksOneEntryAndStoresIt() {
        App::CSettings settings = quietSettings();
        MainWindow w(settings);
        w.selectAlgorithm(4, false);
        QVERIFY(w.action(34009)->isChecked());
        QVERIFY(!w.action(34007)->isChecked());
        w.selectAlgorithm(0, false);
        QVERIFY(w.action(34007)->isChecked());
        QCOMPARE(w.algorithm(), 2);
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
        QString sample;
        bool besideWasOff = false, chooserOff = false, postfixOff = false;
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
            d.accept();
            return d.result();
        };
        QVERIFY(runPreferences(nullptr, settings));
        QVERIFY(besideWasOff && chooserOff && postfixOff);
        QVERIFY(sample.startsWith(QStringLiteral("Sample:\t\t")));
        QVERIFY2(sample.endsWith(QStringLiteral("SoundFile.wav")), qPrintable(sample));
        QVERIFY(!sample.contains(QStringLiteral(" 3")));
        QVERIFY(settings.namePrefix && !settings.namePostfix && !settings.includeIndex);
        QCOMPARE(settings.targetPath, std::string("/music/out"));
    }

    void openingSelectingAndKeys() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        MainWindow w(settings);
        FileListWidget* list = w.fileList();
        QTest::keyClick(list, Qt::Key_Space); // no row ever: ignored
        QTest::keyClick(list, Qt::Key_V);
        QCOMPARE(dialogs.messages.value(0),
                 QStringLiteral("VELLAMAR Stretchwerk II version: 2.0.2.0"));
        dialogs.chosenFiles = {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 8000)),
                               QString::fromStdString(tmp->file("b.mp3")),
                               QString::fromStdString(ModelTest::toneFile(*tmp, "c.wav", 8000))};
        QTest::keyClick(list, Qt::Key_O);
        QCOMPARE(dialogs.titles.value(0), QStringLiteral("Add to batch list..."));
        QVERIFY(
            dialogs.filters.value(0).startsWith(QStringLiteral("All Audiofiles (*.wav *.aif)")));
        QCOMPARE(list->model().size(), 2u);
        QCOMPARE(dialogs.messages.size(), 2); // the mp3 named
        QVERIFY(dialogs.messages[1].contains(QStringLiteral("b.mp3")));
        QTest::mouseClick(rowWidget(w, 1), Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(list->model().row(1).selected && !list->model().row(0).selected);
        QVERIFY(w.action(34002)->isEnabled());
        QTest::mouseClick(rowWidget(w, 0), Qt::LeftButton, Qt::ShiftModifier, QPoint(3, 3));
        QCOMPARE(list->model().selectedRows().size(), 2u);
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(list->model().selectedRows(), std::vector<App::CFileRow*>{&list->model().row(0)});
        QTest::keyClick(list, Qt::Key_End);
        QVERIFY(list->model().row(1).selected);
        QTest::keyClick(list, Qt::Key_I);
        QCOMPARE(dialogs.executed.value(0), QStringLiteral("PropertiesDialog"));
    }

    void rowFieldsFollowTheListRules() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        MainWindow w(settings);
        showActive(w);
        w.fileList()->openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 80000))});
        QApplication::processEvents(); // lays the new row out
        RowWidget* row = rowWidget(w, 0);
        auto* semitones = child<QSpinBox>(row, "ctl112");
        auto* typed = semitones->findChild<QLineEdit*>();
        typed->selectAll();
        QTest::keyClicks(typed, QStringLiteral("-60"));
        QCOMPARE(typed->text(), QStringLiteral("-48"));
        QCOMPARE(w.fileList()->model().row(0).getSemitones(), -48);
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
        QCOMPARE(w.fileList()->model().row(0).getSourceBpm(), 120.5);
        QCOMPARE(child<QLineEdit>(row, "ctl116")->text(), QStringLiteral("120.50000"));
    }

    void copyAndPasteParametersWithTheKeys() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        MainWindow w(settings);
        showActive(w);
        FileListWidget* list = w.fileList();
        list->openPaths({QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 800)),
                         QString::fromStdString(ModelTest::toneFile(*tmp, "b.wav", 800))});
        QApplication::processEvents();
        list->model().row(0).setSemitoneText("5");
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
        MainWindow w(settings);
        w.selectAlgorithm(1, false);
        FileListWidget* list = w.fileList();
        list->openPaths({QString::fromStdString(ModelTest::toneFile(*tmp, "long.wav", 3000000)),
                         QString::fromStdString(ModelTest::toneFile(*tmp, "short.wav", 16000))});
        list->selectAll();
        w.action(34002)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(w.findChild<ProgressDialog*>() != nullptr, 5000);
        ProgressDialog* progress = w.findChild<ProgressDialog*>();
        QVERIFY(progress->windowTitle().startsWith(QStringLiteral("Processing \"long.wav\"")));
        QTest::mouseClick(child<QPushButton>(progress, "IDCANCEL"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!list->runner().isRunning(), 20000);
        QCOMPARE(dialogs.questions.value(0),
                 QStringLiteral("Are you sure you want to abort processing?"));
        QCOMPARE(list->model().size(), 4u);
        QVERIFY(list->model().row(2).created);
        QVERIFY(list->model().row(2).frames() < 3000000u);
        QVERIFY(list->model().row(3).selected);
        QVERIFY(dialogs.messages.isEmpty());

        dialogs.answers = {true}; // delete the created files too
        list->deleteSelected();
        QCOMPARE(list->model().size(), 3u);
        QVERIFY(!std::filesystem::exists(tmp->file("short P0.0 T1.00 2.wav")));
    }

    void saveACopyChecksTheExtensionBeforeTheDialogCloses() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        MainWindow w(settings);
        w.fileList()->openPaths({QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 8000))});
        w.fileList()->selectAll();
        dialogs.saves = {{QString::fromStdString(tmp->file("x.aif")), 0},
                         {QString::fromStdString(tmp->file("x.wav")), 0}};
        w.action(34003)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!w.fileList()->runner().isRunning(), 10000);
        QCOMPARE(dialogs.saveInitial, QStringList{QStringLiteral("a copy")});
        QCOMPARE(dialogs.messages,
                 QStringList{QStringLiteral(
                     "you typed in an invalid file extension! please change it to \".wav\"")});
        QVERIFY(std::filesystem::exists(tmp->file("x.wav")));
        QVERIFY(!std::filesystem::exists(tmp->file("x.aif")));
    }

    void droppedFilesOpenAndOthersAreSkipped() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        MainWindow w(settings);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(
                          QString::fromStdString(ModelTest::toneFile(*tmp, "take1.WAV", 800))),
                      QUrl::fromLocalFile(QString::fromStdString(tmp->file("take1.mp3")))});
        showActive(w);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.fileList()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.fileList()->viewport(), &drop);
        QCOMPARE(w.fileList()->model().size(), 1u);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void splitStereoAsksForEachMemberAgainAfterAFailedCheck() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        MainWindow w(settings);
        const QString left = QString::fromStdString(ModelTest::toneFile(*tmp, "L.wav", 800));
        dialogs.singleFiles = {
            left, QString::fromStdString(ModelTest::toneFile(*tmp, "st.wav", 800, 2)), left,
            QString::fromStdString(ModelTest::toneFile(*tmp, "R.wav", 800))};
        QTest::keyClick(w.fileList(), Qt::Key_L);
        QCOMPARE(w.fileList()->model().size(), 1u);
        QCOMPARE(dialogs.titles,
                 (QStringList{"Select Left Channel File", "Select Right Channel File",
                              "Select Right Channel File", "Select Right Channel File"}));
        QCOMPARE(dialogs.messages.size(), 2);
        QCOMPARE(dialogs.filters.value(1), QStringLiteral("Wave Files (*.wav)"));
        QCOMPARE(rowWidget(w, 0)->findChild<QLabel*>(QStringLiteral("ctl110"))->text().left(8),
                 QStringLiteral("Split - "));
    }

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
        MainWindow w(settings);
        w.fileList()->openSplit(2);
        w.fileList()->selectAll();
        QTest::keyClick(w.fileList(), Qt::Key_E);
        QCOMPARE(dialogs.messages.value(0),
                 QStringLiteral("I could not open the editor. Can you select it again for me?"));
        QCOMPARE(settings.editorPath, script);
        auto written = [&] {
            QFile f(QString::fromStdString(log));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QByteArray expected = QByteArray::fromStdString("[]\n[" + tmp->file("L.wav") +
                                                              "]\n[" + tmp->file("R.wav") + "]\n");
        QTRY_COMPARE_WITH_TIMEOUT(written(), expected, 5000);
    }

    void playingShowsWhatPlaysAndSpaceStopsIt() {
        ScriptedDialogs dialogs;
        App::CSettings settings(App::listOutputDevices);
        for (const App::OutputDevice& d : App::listOutputDevices())
            if (d.name.find("No sound card") != std::string::npos) settings.deviceId = d.id;
        MainWindow w(settings);
        w.fileList()->initEngine();
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messages.join('\n')));
        w.fileList()->openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 80000))});
        w.fileList()->selectAll();
        QTest::keyClick(w.fileList(), Qt::Key_Space);
        NowPlayingPanel* panel = w.fileList()->nowPlayingPanel();
        QVERIFY(!panel->isHidden());
        QCOMPARE(child<QLabel>(panel, "playingName")->text(), QStringLiteral("a.wav"));
        QTRY_VERIFY_WITH_TIMEOUT(panel->positionText() != QStringLiteral("0:00.0"), 5000);
        QTest::keyClick(w.fileList(), Qt::Key_Space);
        QVERIFY(panel->isHidden());
    }

    // Shift+Space plays the selected row processed; a semitone changed while it plays is taken
    // without starting again: the source position keeps going.
    void playProcessedFollowsTheRowWhileItPlays() {
        ScriptedDialogs dialogs;
        App::CSettings settings(App::listOutputDevices);
        for (const App::OutputDevice& d : App::listOutputDevices())
            if (d.name.find("No sound card") != std::string::npos) settings.deviceId = d.id;
        MainWindow w(settings);
        showActive(w);
        w.fileList()->initEngine();
        w.fileList()->openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 400000))});
        w.fileList()->selectAll();
        QTest::keyClick(w.fileList(), Qt::Key_Space, Qt::ShiftModifier);
        App::LiveRowAudition& live = w.livePlay().model();
        QVERIFY(live.isPlaying());
        NowPlayingPanel* panel = w.fileList()->nowPlayingPanel();
        QVERIFY(!panel->isHidden());
        QVERIFY(child<QToolButton>(panel, "playingcmdPlayProcessed"));
        QTRY_VERIFY_WITH_TIMEOUT(live.position() && live.position()->source > 4000, 5000);
        QVERIFY(child<QLabel>(panel, "playingPosition")->text().startsWith("source "));
        const std::int64_t before = live.position()->source;
        auto* semitones = child<QSpinBox>(rowWidget(w, 0), "ctl112");
        QVERIFY(semitones);
        semitones->setValue(5);
        QTRY_COMPARE_WITH_TIMEOUT(live.factorsInUse().pitch, Process::pitchFactorOf(5, 0), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(live.position(), 5000);
        QVERIFY(live.position()->source >= before); // not from the start again
        QTRY_VERIFY_WITH_TIMEOUT(live.position()->source > before + 2000, 5000);
        QVERIFY(live.isPlaying());
        QVERIFY(w.statusBar()->currentMessage().startsWith("Playing processed; underruns: "));
        child<QPushButton>(panel, "playingStop")->click();
        QVERIFY(!live.isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(
            w.statusBar()->currentMessage().startsWith("Played processed; underruns: "), 5000);
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.messages.join('\n')));
    }

    void closingDuringABatchAsksAndAborts() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        auto* w = new MainWindow(settings);
        w->fileList()->openPaths(
            {QString::fromStdString(ModelTest::toneFile(*tmp, "long.wav", 3000000))});
        w->fileList()->selectAll();
        w->action(34002)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(w->findChild<ProgressDialog*>() != nullptr, 5000);
        dialogs.answers = {false};
        QVERIFY(!w->close());
        dialogs.answers = {true, false}; // stop and quit; keep the created file
        QVERIFY(w->close());
        QVERIFY(!w->fileList()->runner().isRunning());
        delete w;
        QVERIFY(std::filesystem::exists(tmp->file("long P0.0 T1.00 2.wav")));
    }

    void theEditorOpensOncePerRowAndClosesBeforeItsRowGoes() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        MainWindow w(settings);
        showActive(w);
        FileListWidget* list = w.fileList();
        list->openPaths({QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 8000)),
                         QString::fromStdString(ModelTest::toneFile(*tmp, "b.wav", 8000))});
        QApplication::processEvents();
        auto* button = child<QPushButton>(rowWidget(w, 0), "ctl444");
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        App::CFileRow& a = list->model().row(0);
        CWaveEditor* editor = list->editorOf(a);
        QVERIFY(editor && editor->isVisible() && a.editorOpen);
        QCOMPARE(editor->windowTitle(), QStringLiteral("a.wav"));
        QVERIFY(a.getOverview());                  // built for the waveform
        QTest::mouseClick(button, Qt::LeftButton); // again: the same window
        QCOMPARE(w.findChildren<CWaveEditor*>().size(), 1);
        list->selectAll();
        QTest::keyClick(list, Qt::Key_W); // a second editor, for b
        QCOMPARE(w.findChildren<CWaveEditor*>().size(), 2);
        QVERIFY(list->model().row(1).editorOpen);

        // Removing a row asks its editor to close: Cancel keeps both.
        editor->document().setModified(true);
        dialogs.threeWay = {Ui::Answer::Cancel};
        list->model().selectOnly(0);
        list->deleteSelected();
        QCOMPARE(list->model().size(), 2u);
        QCOMPARE(dialogs.questions.value(0),
                 QStringLiteral("You forgot to save! Do you want to save right now?"));
        QCOMPARE(dialogs.messages.size(), 1); // the editor would not close
        QVERIFY(a.editorOpen && list->editorOf(a) == editor);
        dialogs.threeWay = {Ui::Answer::No};
        list->deleteSelected();
        QCOMPARE(list->model().size(), 1u);
        QCOMPARE(w.findChildren<CWaveEditor*>().size(), 1);

        // An editor closed by itself frees its row; the main window closes the others.
        CWaveEditor* b = list->editorOf(list->model().row(0));
        activate(b);
        QTest::keyClick(b->view(), Qt::Key_F4, Qt::AltModifier);
        QTRY_VERIFY(w.findChildren<CWaveEditor*>().isEmpty());
        QVERIFY(!list->model().row(0).editorOpen);
        QTest::keyClick(list, Qt::Key_W);
        QVERIFY(list->editorOf(list->model().row(0)));
        dialogs.messages.clear();
        QVERIFY(w.close());
        QVERIFY(w.findChildren<CWaveEditor*>().isEmpty());
    }

    void curvesDrawnInTheEditorProcessLikeTheCommandLine() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        MainWindow w(settings);
        showActive(w);
        FileListWidget* list = w.fileList();
        const std::string source = ModelTest::toneFile(*tmp, "take.wav", 16000);
        list->openPaths({QString::fromStdString(source)});
        list->selectAll();
        QTest::keyClick(list, Qt::Key_W);
        App::CFileRow& row = list->model().row(0);
        CWaveEditor* editor = list->editorOf(row);
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
        QTRY_VERIFY_WITH_TIMEOUT(!list->runner().isRunning(), 20000);
        QCOMPARE(list->model().size(), 2u);
        const std::string processed = list->model().row(1).getMembers()[0].path;

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

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
