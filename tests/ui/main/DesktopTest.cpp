// The main window's desktop habits, driven offscreen: the rows' waveforms and the empty list's
// hint, the colours under a light and a dark scheme (checked by pixels), Open Recent and
// dropped folders.
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStyleFactory>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <map>

#include "app/ModelTestKit.h"
#include "app/RecentFiles.h"
#include "support/QtTests.h"
#include "support/ScriptedDialogs.h"
#include "ui/editor/MarkPointEdit.h"
#include "ui/editor/WaveEditor.h"
#include "ui/main/BackgroundOverviews.h"
#include "ui/main/EditorWindows.h"
#include "ui/main/FileListWidget.h"
#include "ui/main/ListCommands.h"
#include "ui/main/MainWindow.h"
#include "ui/main/RecentMenu.h"
#include "ui/main/RowWaveformView.h"
#include "ui/main/RowWidget.h"

using namespace Ui;

namespace {

App::CSettings quietSettings() {
    App::CSettings s([] { return std::vector<App::OutputDevice>{{{}, "default", 1}}; });
    s.quality = 1;
    return s;
}

// A mono file whose level swells and fades `bursts` times, loud enough to see.
std::string shapedFile(const TestSupport::TempDir& dir, const std::string& name, double seconds,
                       int bursts) {
    const auto frames = static_cast<std::size_t>(seconds * 8000);
    std::vector<float> samples = TestSupport::sine(frames, 330.0, 8000, 1.0);
    for (std::size_t i = 0; i < frames; ++i) {
        const double phase = static_cast<double>(i) / static_cast<double>(frames) * bursts;
        samples[i] *= static_cast<float>(0.1 + 0.8 * std::pow(std::sin(M_PI * phase), 2));
    }
    const std::string path = dir.file(name);
    JobTest::writeWave(path, JobTest::makeFormat(1, 8000, 16), {samples});
    return path;
}

QString screenshotFolder() {
    const QByteArray tmp = qgetenv("SWK_TEST_TMP");
    const QString base = tmp.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(tmp) + "/..";
    const QString folder = QDir::cleanPath(base + "/screenshots");
    QDir().mkpath(folder);
    return folder;
}

double luminance(const QColor& c) {
    const auto linear = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour most pixels of the area have: the fill behind whatever is drawn on it.
QColor commonest(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    return QColor(std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                      return a.second < b.second;
                  })->first);
}

// The strongest contrast of any pixel of the area against `fill`: the text drawn there.
double strongestContrast(const QImage& image, const QRect& area, const QColor& fill) {
    double best = 1.0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, contrast(image.pixelColor(x, y), fill));
    return best;
}

// Pixels of the area that differ from the fill: what is drawn there.
int drawnPixels(const QImage& image, const QRect& area, const QColor& fill) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y) != fill;
    return n;
}

// A dark scheme as a desktop gives one: every role set, the frames and bevels derived from
// the button colour.
QPalette darkPalette() {
    const QColor window(0x2a, 0x2e, 0x32), base(0x1b, 0x1e, 0x20), text(0xfc, 0xfc, 0xfc);
    QPalette p(text, QColor(0x31, 0x36, 0x3b), QColor(0x4d, 0x53, 0x59), QColor(0x14, 0x16, 0x18),
               QColor(0x3b, 0x40, 0x45), text, Qt::white, base, window);
    p.setColor(QPalette::AlternateBase, QColor(0x23, 0x26, 0x29));
    p.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    p.setColor(QPalette::HighlightedText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0xa1, 0xa9, 0xb1));
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x6e, 0x71, 0x75));
    return p;
}

// Waits until every row shows its waveform; the scans run on their worker.
bool waveformsShown(MainWindow& w, std::size_t rows) {
    for (std::size_t i = 0; i < rows; ++i)
        if (!w.fileList()->widgetAt(i)->waveform()->hasOutline()) return false;
    return true;
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestSupport::TempDir> tmp;

    // Rows in every state, the window at 1200 x 800: the screenshot of one colour scheme, and
    // each row's text checked against its fill.
    void rowsInEveryState(const QString& shot, bool dark) {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        w.resize(1200, 800);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.listCommands().openPaths(
            {QString::fromStdString(shapedFile(*tmp, "voice.wav", 12, 5)),
             QString::fromStdString(shapedFile(*tmp, "drums.wav", 8, 16)),
             QString::fromStdString(shapedFile(*tmp, "pad.wav", 20, 2)),
             QString::fromStdString(shapedFile(*tmp, "voice_p+0_t80.wav", 9.6, 5))});
        QTRY_VERIFY_WITH_TIMEOUT(waveformsShown(w, 4), 60000);
        session.list.row(1).busy = true;
        session.list.row(2).selected = true;
        session.list.row(3).created = true;
        auto* time = w.fileList()->widgetAt(0)->findChild<QLineEdit*>(QStringLiteral("ctl116"));
        time->selectAll();
        QTest::keyClicks(time, QStringLiteral("150"));
        w.fileList()->refreshRows();
        const QImage window = w.grab().toImage();
        QVERIFY(window.save(screenshotFolder() + "/" + shot));
        qInfo("screenshot: %s", qPrintable(screenshotFolder() + "/" + shot));

        std::vector<QColor> fills;
        for (std::size_t i = 0; i < 4; ++i) {
            RowWidget* row = w.fileList()->widgetAt(i);
            const QImage image = row->grab().toImage();
            const QRect waveArea = row->waveform()->geometry();
            const QColor fill = commonest(image, image.rect());
            fills.push_back(fill);
            QCOMPARE(fill.lightness() < 110, dark);
            for (const char* label : {"ctl105", "ctl110"}) {
                const QRect text = row->findChild<QLabel*>(QLatin1String(label))->geometry();
                QVERIFY2(strongestContrast(image, text, fill) >= 4.5,
                         qPrintable(QStringLiteral("row %1 %2").arg(i).arg(label)));
            }
            // The waveform is there to see, though softer than the text.
            const int drawn = drawnPixels(image, waveArea, fill);
            QVERIFY2(drawn > waveArea.width() * 4, qPrintable(QString::number(drawn)));
            QVERIFY(strongestContrast(image, waveArea, fill) >= 1.8);
        }
        // Each state its own fill.
        for (std::size_t a = 0; a < fills.size(); ++a)
            for (std::size_t b = a + 1; b < fills.size(); ++b)
                QVERIFY2(fills[a] != fills[b], qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
        // The wave editor's view: its background by the scheme, the current curve readable.
        w.editors().open(session.list.row(2));
        CWaveEditor* editor = w.editors().editorOf(session.list.row(2));
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QApplication::processEvents();
        const QImage view = editor->view()->grab().toImage();
        QVERIFY(editor->grab().save(screenshotFolder() + "/editor-" + shot));
        const QColor background = commonest(view, view.rect());
        QCOMPARE(background.lightness() < 110, dark);
        QVERIFY(strongestContrast(view, view.rect(), background) >= 4.5);
        QVERIFY(editor->close());
        session.list.row(1).busy = false;
    }

  private slots:
    void init() {
        std::filesystem::remove_all(App::CSettings::configFolder());
        tmp = std::make_unique<TestSupport::TempDir>();
    }

    void anEmptyListSaysHowToAddFilesAndRowsDrawTheirWaveforms() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        w.resize(1200, 500);
        w.show();
        auto* hint = w.fileList()->findChild<QLabel*>(QStringLiteral("EmptyHint"));
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(hint && hint->isVisible());
        QVERIFY(w.grab().save(screenshotFolder() + "/main-window-empty.png"));
        QVERIFY(hint->text().contains(QStringLiteral("drop them here, or press O")));
        w.listCommands().openPaths({QString::fromStdString(shapedFile(*tmp, "a.wav", 10, 1))});
        QVERIFY(!hint->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(waveformsShown(w, 1), 60000);
        // The scan became the row's overview: the editor needs none of its own.
        App::CFileRow& row = session.list.row(0);
        QVERIFY(row.getOverview());
        QCOMPARE(row.overviewBuilding.load(), 0);

        // Loudest in the middle, quiet at both ends; a wide window gives it the room.
        RowWidget* widget = w.fileList()->widgetAt(0);
        RowWaveformView* wave = widget->waveform();
        QVERIFY2(wave->width() > 500, qPrintable(QString::number(wave->width())));
        // The wave's own pixels, on the row's fill (the colour most of the row has).
        const auto waveImage = [&] {
            const QImage rowImage = widget->grab().toImage();
            return std::make_pair(rowImage.copy(wave->geometry()),
                                  commonest(rowImage, rowImage.rect()));
        };
        QColor fill;
        const auto drawnHeight = [&fill](const QImage& image, int x) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                n += image.pixelColor(x, y) != fill;
            return n;
        };
        QImage image;
        std::tie(image, fill) = waveImage();
        const int middle = drawnHeight(image, wave->width() / 2);
        QVERIFY2(middle > image.height() * 2 / 3, qPrintable(QString::number(middle)));
        QVERIFY(drawnHeight(image, 1) < middle / 3);
        QVERIFY(wave->toolTip().isEmpty()); // as long as the source: no scale

        // 150 %: the source takes two thirds of the width, the scale under it all of it.
        auto* time = widget->findChild<QLineEdit*>(QStringLiteral("ctl116"));
        time->selectAll();
        QTest::keyClicks(time, QStringLiteral("150"));
        QCOMPARE(wave->toolTip(), QStringLiteral("Result: 15 sec"));
        std::tie(image, fill) = waveImage();
        const int width = wave->width();
        QVERIFY(drawnHeight(image, width / 3) > image.height() / 2); // the loud middle
        QVERIFY(drawnHeight(image, width * 3 / 4) <= 3);             // the scale's line only
        QVERIFY(drawnHeight(image, width - 1) >= 5);                 // the scale's end tick
        time->selectAll();
        QTest::keyClicks(time, QStringLiteral("100"));
        QVERIFY(wave->toolTip().isEmpty());
    }

    void aRowStillBeingScannedGoesAtOnceAndSoDoesTheWindow() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        auto w = std::make_unique<MainWindow>(session);
        w->show();
        // Long enough that its scan still runs when it goes.
        const QString longFile = QString::fromStdString(shapedFile(*tmp, "long.wav", 900, 3));
        w->listCommands().openPaths({longFile, longFile});
        const App::CFileRow* first = &session.list.row(0);
        QVERIFY(w->fileList()->overviews().pending(first));
        QTest::mouseClick(w->fileList()->widgetAt(0), Qt::LeftButton, {}, QPoint(3, 3));
        QTest::keyClick(w->fileList(), Qt::Key_Backspace);
        QCOMPARE(session.list.size(), 1u);
        // Nothing of the row is waited for any more: no late delivery reaches it.
        QVERIFY(!w->fileList()->overviews().pending(first));
        QApplication::processEvents();
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(w->close());
        QVERIFY(session.list.empty());
        QVERIFY(dialogs.messages.isEmpty());
        w.reset();
    }

    void openRecentListsWhatWasOpenedAndGreysWhatIsGone() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        auto w = std::make_unique<MainWindow>(session);
        const QString a = QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 800));
        const QString left = QString::fromStdString(ModelTest::toneFile(*tmp, "L.wav", 800));
        const QString right = QString::fromStdString(ModelTest::toneFile(*tmp, "R.wav", 800));
        w->listCommands().openPaths({a});
        dialogs.singleFiles = {left, right};
        w->action(34005)->trigger(); // split stereo
        QCOMPARE(session.list.size(), 2u);
        w->listCommands().openPaths({a}); // again: to the top
        RecentMenu* menu = w->recentMenu();
        emit menu->aboutToShow();
        QList<QAction*> entries = menu->actions();
        QCOMPARE(entries.value(0)->text(), QStringLiteral("a.wav"));
        QCOMPARE(entries.value(1)->text(), QStringLiteral("Stereo Split: L.wav, ..."));
        QCOMPARE(entries.value(1)->toolTip(), left + "\n" + right);
        QVERIFY(entries.value(0)->isEnabled() && entries.value(1)->isEnabled());
        QVERIFY(entries.value(2)->isSeparator());

        // Kept for the next start; a file gone since is greyed, its path in the tip.
        session.list.selectAll();
        w->listCommands().deleteSelected();
        QVERIFY(session.list.empty());
        w.reset();
        std::filesystem::remove(a.toStdString());
        MainWindow again(session);
        menu = again.recentMenu();
        emit menu->aboutToShow();
        entries = menu->actions();
        QCOMPARE(entries.value(0)->text(), QStringLiteral("a.wav"));
        QVERIFY(!entries.value(0)->isEnabled());
        QCOMPARE(entries.value(0)->toolTip(), a);
        // The set opens again as one row, without asking for its members.
        entries.value(1)->trigger();
        QCOMPARE(session.list.size(), 1u);
        QVERIFY(session.list.row(0).isSplit());
        QCOMPARE(dialogs.titles.size(), 2); // the two members chosen the first time only
        QVERIFY(dialogs.messages.isEmpty());
    }

    void theLastListOpensAgainWhenThePreferencesAskForIt() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        settings.restoreList = true;
        Session session(settings);
        const QString a = QString::fromStdString(ModelTest::toneFile(*tmp, "a.wav", 800));
        const QString b = QString::fromStdString(ModelTest::toneFile(*tmp, "b.wav", 800));
        const QString left = QString::fromStdString(ModelTest::toneFile(*tmp, "L.wav", 800));
        const QString right = QString::fromStdString(ModelTest::toneFile(*tmp, "R.wav", 800));
        {
            MainWindow w(session);
            w.listCommands().openPaths({b});
            dialogs.singleFiles = {left, right};
            w.action(34005)->trigger();
            w.listCommands().openPaths({a});
            QVERIFY(w.close());
        }
        std::filesystem::remove(a.toStdString());
        MainWindow w(session);
        w.listCommands().restoreLastList();
        QCOMPARE(session.list.size(), 2u);
        QCOMPARE(session.list.row(0).nameLine(), std::string("b.wav"));
        QVERIFY(session.list.row(1).isSplit());
        QCOMPARE(dialogs.messages,
                 QStringList{"These files of the last batch list are gone:\n" + a});
        // Not asked for: the list is not kept, and the last one kept stays.
        session.list.selectAll();
        w.listCommands().deleteSelected();
        w.listCommands().openPaths({QString::fromStdString(ModelTest::toneFile(*tmp, "c.wav", 8))});
        settings.restoreList = false;
        QVERIFY(w.close());
        QVERIFY(session.list.empty());
        MainWindow third(session);
        third.listCommands().restoreLastList();
        QCOMPARE(session.list.size(), 2u);
        QCOMPARE(session.list.row(0).nameLine(), std::string("b.wav"));
        QVERIFY(third.close());
    }

    void aDroppedFolderAddsItsAudioFilesAndNamesTheRest() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        MainWindow w(session);
        w.show();
        std::filesystem::create_directories(tmp->file("Takes/old"));
        ModelTest::toneFile(*tmp, "Takes/two.wav", 800);
        ModelTest::toneFile(*tmp, "Takes/one.WAV", 800);
        ModelTest::toneFile(*tmp, "Takes/old/three.wav", 800);
        TestSupport::writeBytes(tmp->file("Takes/notes.txt"), {'x'});
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(tmp->file("Takes")))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.fileList()->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.fileList()->viewport(), &drop);
        QCOMPARE(session.list.size(), 2u);
        QCOMPARE(session.list.row(0).nameLine(), std::string("one.WAV"));
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages[0].endsWith(QStringLiteral("Not added:\nnotes.txt\nold/")));
        emit w.recentMenu()->aboutToShow();
        QCOMPARE(w.recentMenu()->actions().value(0)->text(), QStringLiteral("two.wav"));
    }

    void windowsOpenWhereTheyClosedAndTheEditorAsItWasLeft() {
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        const QString a = QString::fromStdString(shapedFile(*tmp, "a.wav", 30, 3));
        const QRect mainPlace(40, 30, 700, 500), editorPlace(60, 50, 560, 380);
        double zoomed = 0.0;
        {
            MainWindow w(session);
            w.setGeometry(mainPlace);
            w.show();
            w.listCommands().openPaths({a});
            w.editors().open(session.list.row(0));
            CWaveEditor* editor = w.editors().editorOf(session.list.row(0));
            QVERIFY(QTest::qWaitForWindowExposed(editor));
            editor->setGeometry(editorPlace);
            QTRY_VERIFY(editor->document().geometry().getFramesPerPixel() > 1.0); // fitted
            editor->action(34049)->trigger();                                     // zoom in
            editor->action(34040)->trigger(); // pitch curve hidden
            zoomed = editor->document().geometry().getFramesPerPixel();
            QVERIFY(editor->close());
            QVERIFY(w.close());
        }
        MainWindow w(session);
        QCOMPARE(w.geometry(), mainPlace);
        w.show();
        w.listCommands().openPaths({a});
        w.editors().open(session.list.row(0));
        CWaveEditor* editor = w.editors().editorOf(session.list.row(0));
        QCOMPARE(editor->geometry(), editorPlace);
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QApplication::processEvents(); // the first size, which would show the whole file
        // A new main window is a new session: the file opens whole, all curves shown.
        QVERIFY(editor->document().geometry().getFramesPerPixel() != zoomed);
        QVERIFY(editor->document().isShown(2));
        editor->action(34049)->trigger();
        editor->action(34040)->trigger();
        dialogs.onExec = [](QDialog& d) { // the tempo musical time needs: as offered
            d.accept();
            return d.result();
        };
        editor->action(34095)->trigger(); // musical time
        QVERIFY(editor->action(34095)->isChecked());
        zoomed = editor->document().geometry().getFramesPerPixel();
        QVERIFY(editor->close());
        QTRY_VERIFY(!w.editors().editorOf(session.list.row(0)));
        // Within the session: as it was left.
        w.editors().open(session.list.row(0));
        editor = w.editors().editorOf(session.list.row(0));
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QApplication::processEvents();
        QCOMPARE(editor->document().geometry().getFramesPerPixel(), zoomed);
        QVERIFY(!editor->document().isShown(2) && editor->document().isShown(1));
        QVERIFY(!editor->action(34040)->isChecked());
        QVERIFY(editor->action(34095)->isChecked() && !editor->action(34094)->isChecked());
        QCOMPARE(dialogs.executed.size(), 1); // the tempo was kept too
        QVERIFY(editor->close());
        QVERIFY(w.close());
    }

    void rowTextStaysReadableUnderALightAndADarkScheme() {
        rowsInEveryState(QStringLiteral("main-window-light.png"), false);
        const QPalette light = QApplication::palette();
        QApplication::setPalette(darkPalette());
        rowsInEveryState(QStringLiteral("main-window-dark.png"), true);
        QApplication::setPalette(light);
    }
};

SWK_QTEST(DesktopTest);
#include "DesktopTest.moc"
