// The tempo dialog offers the detected tempo: found in the background while the dialog stays
// live, taken by default while the field is untouched and by the Use button later, never in the
// way of a value the user types.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <condition_variable>
#include <mutex>

#include "app/ModelTestKit.h"
#include "support/QtTests.h"
#include "support/ScriptedDialogs.h"
#include "ui/common/TempoDialog.h"
#include "ui/main/FileListWidget.h"
#include "ui/main/ListCommands.h"
#include "ui/main/MainWindow.h"
#include "ui/main/RowWidget.h"

using namespace Ui;

namespace {

// A detection that waits until the test lets it finish (or the dialog aborts it).
struct HeldDetection {
    std::mutex lock;
    std::condition_variable changed;
    bool released = false;
    bool aborted = false;
    double bpm = 112.0;

    TempoDetection function() {
        return [this](const std::atomic<bool>& abort) {
            std::unique_lock held(lock);
            while (!released && !abort)
                changed.wait_for(held, std::chrono::milliseconds(5));
            aborted = abort;
            return bpm;
        };
    }
    void release() {
        std::lock_guard held(lock);
        released = true;
        changed.notify_all();
    }
};

QString detectedText(const TempoDialog& d) {
    return d.findChild<QLabel*>(QStringLiteral("detectedTempo"))->text();
}

QLineEdit* field(const TempoDialog& d) {
    return d.findChild<QLineEdit*>(QStringLiteral("IDC_BPM"));
}

QPushButton* useButton(const TempoDialog& d) {
    return d.findChild<QPushButton*>(QStringLiteral("useDetected"));
}

// Clicks at `bpm` (5 ms bursts), mono 22050 Hz, written as a WAV file.
std::string clickTrack(const TestSupport::TempDir& dir, double bpm, double seconds) {
    constexpr double kRate = 22050.0;
    std::vector<float> x(static_cast<std::size_t>(seconds * kRate), 0.0f);
    for (double at = 0.1 * kRate; at < static_cast<double>(x.size()); at += 60.0 / bpm * kRate)
        for (std::size_t i = 0; i < 110 && static_cast<std::size_t>(at) + i < x.size(); ++i)
            x[static_cast<std::size_t>(at) + i] =
                0.8f * std::exp(-static_cast<float>(i) / 20.0f) * (i % 2 ? 1.0f : -1.0f);
    const std::string path = dir.file("clicks.wav");
    JobTest::writeWave(path, JobTest::makeFormat(1, 22050, 16), {x});
    return path;
}

} // namespace

class TempoDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void detectsInTheBackgroundAndTakesTheTempoByDefault() {
        HeldDetection detection;
        TempoDialog d(QStringLiteral("What BPM does the source file have?"), 120.0, nullptr,
                      detection.function());
        // The dialog is up and live while the detection still runs.
        QCOMPARE(detectedText(d), QStringLiteral("Detecting the tempo..."));
        QVERIFY(!useButton(d)->isEnabled());
        QCOMPARE(field(d)->text(), QStringLiteral("120.00000"));
        QSignalSpy ended(&d, &TempoDialog::detectionEnded);
        detection.release();
        QVERIFY(ended.wait(20000));
        QCOMPARE(detectedText(d), QStringLiteral("Detected: 112.0 BPM"));
        QCOMPARE(field(d)->text(), QStringLiteral("112.0"));
        QVERIFY(useButton(d)->isEnabled());
        // Another value typed over it is what counts.
        field(d)->selectAll();
        QTest::keyClicks(field(d), QStringLiteral("98.5"));
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.value(), 98.5);
    }

    void aTypedValueStaysUntilUseIsPressed() {
        HeldDetection detection;
        detection.bpm = 87.26;
        TempoDialog d(QStringLiteral("Tempo in BPM:"), 120.0, nullptr, detection.function());
        field(d)->selectAll();
        QTest::keyClicks(field(d), QStringLiteral("95"));
        QSignalSpy ended(&d, &TempoDialog::detectionEnded);
        detection.release();
        QVERIFY(ended.wait(20000));
        QCOMPARE(detectedText(d), QStringLiteral("Detected: 87.3 BPM"));
        QCOMPARE(field(d)->text(), QStringLiteral("95"));
        QTest::mouseClick(useButton(d), Qt::LeftButton);
        QCOMPARE(field(d)->text(), QStringLiteral("87.3"));
        d.accept();
        QCOMPARE(d.value(), 87.3);
    }

    void noBeatLeavesThePreset() {
        HeldDetection detection;
        detection.bpm = 0.0;
        detection.release();
        TempoDialog d(QStringLiteral("Tempo in BPM:"), 120.0, nullptr, detection.function());
        QSignalSpy ended(&d, &TempoDialog::detectionEnded);
        QVERIFY(ended.wait(20000));
        QCOMPARE(detectedText(d), QStringLiteral("No steady beat detected"));
        QVERIFY(!useButton(d)->isEnabled());
        QVERIFY(!d.detected());
        QCOMPARE(field(d)->text(), QStringLiteral("120.00000"));
    }

    void closingStopsTheDetection() {
        HeldDetection detection;
        {
            TempoDialog d(QStringLiteral("Tempo in BPM:"), 120.0, nullptr, detection.function());
            d.reject();
        } // never released: only the abort ends it
        QVERIFY(detection.aborted);
    }

    // The row's BPM unit asks with the tempo found in the row's own file.
    void theSourceBpmDialogOffersTheFilesTempo() {
        TestSupport::TempDir dir;
        ScriptedDialogs dialogs;
        App::CSettings settings([] { return std::vector<App::OutputDevice>{{{}, "default", 1}}; });
        Session session(settings);
        MainWindow w(session);
        w.listCommands().openPaths({QString::fromStdString(clickTrack(dir, 112.0, 20.0))});
        QString shown;
        dialogs.onExec = [&](QDialog& d) -> int {
            auto& tempo = dynamic_cast<TempoDialog&>(d);
            QSignalSpy ended(&tempo, &TempoDialog::detectionEnded);
            if (!ended.wait(60000)) return QDialog::Rejected;
            shown = detectedText(tempo);
            tempo.accept();
            return tempo.result();
        };
        auto* unit = w.fileList()->widgetAt(0)->findChild<QComboBox*>(QStringLiteral("ctl119"));
        unit->activated(2);
        QVERIFY2(shown.contains(QRegularExpression(QStringLiteral("^Detected: 11[12]\\.\\d BPM$"))),
                 qPrintable(shown));
        QVERIFY(std::abs(session.list.row(0).getSourceBpm() - 112.0) <= 0.5);
    }
};

SWK_QTEST(TempoDialogTest);
#include "TempoDialogTest.moc"
