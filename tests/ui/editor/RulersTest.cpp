// The rulers and the waveform painter offscreen: right-click menus, the tempo question, and
// pictures of what they draw (written to screenshots/ beside the build's test-tmp folder).
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

#include "editor/TimeScaleLabels.h"
#include "markpoints/MarkPoint.h"
#include "support/AudioFiles.h"
#include "support/QtTests.h"
#include "support/TestSupport.h"
#include "ui/editor/HorizontalTimeScale.h"
#include "ui/editor/ValueRuler.h"
#include "ui/editor/WaveformPainter.h"

using namespace Ui;
using namespace MarkPoints;

namespace {

// Answers the right-click menu with the action of a given text and records what it offered.
template <class Ruler> class Answering : public Ruler {
  public:
    using Ruler::Ruler;
    QString answer;
    QStringList offered, checked;
    int menus = 0;

  protected:
    void execMenu(QMenu& menu, const QPoint&) override {
        ++menus;
        offered.clear();
        checked.clear();
        for (QAction* a : menu.actions()) {
            offered << a->text();
            if (a->isChecked()) checked << a->text();
            if (a->text() == answer) a->trigger();
        }
    }
};

// Two checkable commands as a window gives them to a ruler.
struct Choice {
    QAction first, second;
    Choice(const QString& a, const QString& b) : first(a), second(b) {
        first.setCheckable(true);
        second.setCheckable(true);
        first.setChecked(true);
    }
};

void rightClick(QWidget& w) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), w.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&w, &event);
}

QString screenshotPath(const QString& name) {
    const QByteArray tmp = qgetenv("SWK_TEST_TMP");
    QDir dir(tmp.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(tmp) + "/..");
    dir.mkpath(QStringLiteral("screenshots"));
    return dir.absoluteFilePath(QStringLiteral("screenshots/") + name);
}

bool darkAt(const QImage& image, int x, int y0, int y1) {
    for (int y = y0; y <= y1; ++y)
        if (qGray(image.pixel(x, y)) < 100) return true;
    return false;
}

} // namespace

class RulersTest : public QObject {
    Q_OBJECT

  private slots:
    void timeRulerMenuOffersTheWindowsCommands();
    void valueRulerMenuAndHeader();
    void timeRulerDrawsTicksAtTheirFrames();
    void waveformBandsPerChannel();
    void waveformRescansOnlyForANewView();
};

void RulersTest::timeRulerMenuOffersTheWindowsCommands() {
    Answering<CHorizontalTimeScale> ruler;
    QCOMPARE(ruler.objectName(), QStringLiteral("CHorizontalTimeScale"));
    rightClick(ruler); // no commands given: no menu
    QCOMPARE(ruler.menus, 0);
    Choice types(QStringLiteral("Time"), QStringLiteral("Cycles"));
    ruler.addActions({&types.first, &types.second});
    QSignalSpy cycles(&types.second, &QAction::triggered);
    ruler.answer = QStringLiteral("Cycles");
    rightClick(ruler);
    QCOMPARE(ruler.offered, (QStringList{"Time", "Cycles"}));
    QCOMPARE(ruler.checked, QStringList{"Time"});
    QCOMPARE(cycles.count(), 1);
    ruler.setDisplayType(Editor::TIMESCALE_MUSICAL);
    QCOMPARE(ruler.displayType(), Editor::TIMESCALE_MUSICAL);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, ruler.setDisplayType(3));
}

void RulersTest::valueRulerMenuAndHeader() {
    Answering<CValueRuler> time(SCALE_TIME);
    time.setAxis(CValueScale(4.0, 200, -1.0), 30);
    QCOMPARE(time.headerText(), QStringLiteral("\r%"));
    time.setMouseValue(1.5);
    QCOMPARE(time.headerText(), QStringLiteral("150.00\r%"));
    Choice units(QStringLiteral("%"), QStringLiteral("BPM"));
    time.addActions({&units.first, &units.second});
    QSignalSpy bpm(&units.second, &QAction::triggered);
    time.answer = QStringLiteral("BPM");
    rightClick(time);
    QCOMPARE(time.offered, (QStringList{"%", "BPM"}));
    QCOMPARE(bpm.count(), 1);
    time.setAxis(CValueScale(4.0, 200, 120.0), 30);
    time.setTimeDisplay(TIMEDISPLAY_BPM);
    QCOMPARE(time.headerText(), QStringLiteral("80.00\rBPM"));

    // The pitch and formant rulers have no menu.
    Answering<CValueRuler> pitch(SCALE_PITCH);
    rightClick(pitch);
    QCOMPARE(pitch.menus, 0);
    pitch.setMouseValue(0.5);
    QCOMPARE(pitch.headerText(), QStringLiteral("-12.00\rPitch"));

    time.resize(60, 260);
    time.setAxis(CValueScale(4.0, 200, 120.0), 40);
    QVERIFY(time.grab().save(screenshotPath("value-ruler-bpm.png")));
    pitch.resize(60, 260);
    pitch.setAxis(CValueScale(4.0, 200, 120.0), 40);
    QVERIFY(pitch.grab().save(screenshotPath("value-ruler-pitch.png")));
}

void RulersTest::timeRulerDrawsTicksAtTheirFrames() {
    CHorizontalTimeScale ruler;
    ruler.resize(600, ruler.sizeHint().height());
    ruler.setSampleRate(44100);
    ruler.setView(50000, 100.0); // ticks every 0.2 s (88.2 px), the first at 1.2 s
    const QImage clock = ruler.grab().toImage();
    QVERIFY(clock.save(screenshotPath("time-ruler-clock.png")));
    const int bottom = clock.height() - 2;
    for (int k = 6; k * 8820 <= 50000 + 600 * 100; ++k) {
        const int x = static_cast<int>(std::lround((k * 8820 - 50000) / 100.0));
        QVERIFY2(darkAt(clock, x, bottom - 8, bottom - 5), qPrintable(QString::number(x)));
    }
    QVERIFY(!darkAt(clock, 10, bottom - 8, bottom - 5)); // no major tick there

    ruler.setTempo(120.0);
    ruler.setDisplayType(Editor::TIMESCALE_MUSICAL);
    ruler.setView(0, 1920.0 * 44100 / 48000); // 50 px a bar: every 4th bar, 200 px apart
    const QImage musical = ruler.grab().toImage();
    QVERIFY(musical.save(screenshotPath("time-ruler-musical.png")));
    for (const int x : {200, 400})
        QVERIFY(darkAt(musical, x, bottom - 8, bottom - 5));
    QVERIFY(!darkAt(musical, 100, bottom - 8, bottom - 5));
    ruler.setView(96000 * 2 - 2000, 8.0); // around bar 3 by sixteenths
    QVERIFY(ruler.grab().save(screenshotPath("time-ruler-musical-zoomed.png")));
}

void RulersTest::waveformBandsPerChannel() {
    // Two channels of 400 columns: a sine and a ramp.
    Editor::WaveformColumns columns;
    columns.minimum.assign(2, std::vector<float>(400));
    columns.maximum.assign(2, std::vector<float>(400));
    for (int k = 0; k < 400; ++k) {
        const float s = static_cast<float>(0.8 * std::sin(k * 0.05));
        columns.minimum[0][k] = s - 0.1f;
        columns.maximum[0][k] = s + 0.1f;
        columns.minimum[1][k] = -k / 400.0f;
        columns.maximum[1][k] = k / 400.0f;
    }
    WaveformPainter painter;
    painter.setColumns(columns);
    QImage image(400, 201, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        painter.hook()(p, QRect(0, 0, 400, 201));
    }
    QVERIFY(image.save(screenshotPath("waveform-bands.png")));
    const auto inked = [&](int x, int y) { return image.pixel(x, y) != qRgb(255, 255, 255); };
    // Band 1 (y 0–100, centre 50, half 49.75): column 0 spans −0.1..0.1 around the centre.
    QVERIFY(inked(0, 50 - 4) && inked(0, 50 + 4));
    QVERIFY(!inked(0, 50 - 8) && !inked(0, 50 + 8));
    // Band 2 (centre 150): the ramp reaches almost the band's edges at its end.
    QVERIFY(inked(399, 150 - 48) && inked(399, 150 + 48));
    QVERIFY(!inked(10, 150 - 10));
}

void RulersTest::waveformRescansOnlyForANewView() {
    TestSupport::TempDir dir;
    const std::string path = dir.file("wave.wav");
    TestSupport::writeWav(path, TestSupport::testSignal(2, 100000));
    Audio::CAudioFileCache cache(Audio::createAudioFile(path, Audio::WavType), 10, 65536);
    WaveformPainter painter;
    QVERIFY(painter.rescan(cache, {}, {0, 50.0, 300}));
    QCOMPARE(painter.getColumns().columns(), std::size_t{300});
    QVERIFY(!painter.rescan(cache, {}, {0, 50.0, 300}));
    QVERIFY(painter.rescan(cache, {}, {0, 500.0, 300})); // zoomed out: to the end of the file
    QCOMPARE(painter.getColumns().columns(), std::size_t{200});
    QVERIFY(painter.rescan(cache, {}, {1000, 500.0, 300}));
}

SWK_QTEST(RulersTest);
#include "RulersTest.moc"
