// What the desktop hears of a batch: the task bar's progress as it runs, a notification when a
// batch of more than 10 s ends while the window is not active; recorded behind the seam, and once
// over a real session bus.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>
#include <cmath>
#include <deque>

#include "app/JobSettings.h"
#include "app/ModelTestKit.h"
#include "support/QtTests.h"
#include "support/ScriptedDialogs.h"
#include "ui/main/BatchRunner.h"
#include "ui/main/DesktopNotices.h"
#include "ui/main/Session.h"

using namespace Ui;
using std::chrono::milliseconds;

namespace {

struct Heard {
    QStringList notices;
    QList<std::pair<double, bool>> progress;
};

class RecordingBus : public DesktopBus {
  public:
    explicit RecordingBus(std::shared_ptr<Heard> log) : heard(std::move(log)) {}
    void notify(const QString& summary, const QString& body) override {
        heard->notices << summary + QLatin1Char('|') + body;
    }
    void launcherProgress(double progress, bool visible) override {
        heard->progress.append({progress, visible});
    }

  private:
    std::shared_ptr<Heard> heard;
};

// A clock that reads the times given, one per reading.
BatchNotices::Clock clockReading(std::deque<milliseconds> times) {
    return [times = std::move(times)]() mutable {
        const milliseconds t = times.front();
        times.pop_front();
        return t;
    };
}

App::CSettings quietSettings() {
    App::CSettings s([] { return std::vector<App::OutputDevice>{{{}, "default", 1}}; });
    s.quality = 1;
    return s;
}

// Runs one real batch over a file of its own, long enough for progress reports, to its end.
void runBatch(Session& session, const TestSupport::TempDir& dir, const std::string& name) {
    session.list.addRow(
        App::makeRowCache(Audio::openSourceFile(ModelTest::toneFile(dir, name, 800000))),
        {dir.file(name)}, false, Audio::fileTypeFromExtension(name));
    session.list.selectOnly(session.list.size() - 1);
    QSignalSpy ended(&session.runner, &BatchRunner::finished);
    QVERIFY(session.runner.processSelected(App::jobSettingsFrom(session.settings)));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 30000);
}

} // namespace

// The desktop's side: the notification service and a task bar that listens to launcher entries.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

  public:
    QStringList heard;

  public slots:
    uint Notify(const QString& app, uint, const QString& icon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int timeout) {
        heard << QStringList{app,
                             icon,
                             summary,
                             body,
                             hints.value(QStringLiteral("desktop-entry")).toString(),
                             QString::number(timeout)}
                     .join(QLatin1Char(' '));
        return 1;
    }
    void update(const QString& entry, const QVariantMap& properties) {
        heard << QStringList{entry,
                             QString::number(
                                 properties.value(QStringLiteral("progress")).toDouble()),
                             properties.value(QStringLiteral("progress-visible")).toBool()
                                 ? QStringLiteral("true")
                                 : QStringLiteral("false")}
                     .join(QLatin1Char(' '));
    }
};

class DesktopNoticesTest : public QObject {
    Q_OBJECT

  private slots:
    void onlyALongBatchEndingUnseenIsAnnounced() {
        QVERIFY(!announcesEnd(milliseconds(10'000), false));
        QVERIFY(announcesEnd(milliseconds(10'001), false));
        QVERIFY(!announcesEnd(milliseconds(10'001), true));
        QVERIFY(!announcesEnd(milliseconds(0), false));
    }

    void aBatchShowsItsProgressAndAnnouncesItsEnd() {
        TestSupport::TempDir dir;
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        QWidget window;
        session.runner.setWindow(&window);
        // The user works elsewhere: no window of the program stays active (this connection
        // comes first, so it acts before the notices look).
        QObject::connect(&session.runner, &BatchRunner::progressed, &window,
                         [] { QApplication::setActiveWindow(nullptr); });
        auto heard = std::make_shared<Heard>();
        new BatchNotices(session.runner, window, std::make_unique<RecordingBus>(heard),
                         clockReading({milliseconds(5'000), milliseconds(15'001),
                                       milliseconds(20'000), milliseconds(30'000)}));

        runBatch(session, dir, "a.wav"); // 10.001 s, the window not shown
        QCOMPARE(heard->notices, QStringList{QStringLiteral(
                                     "Processing finished|Stretchwerk is done after 0:10.")});
        // Shown from nothing on, rising in whole percents, then gone.
        QVERIFY2(heard->progress.size() >= 3, "the file is long enough for progress reports");
        QCOMPARE(heard->progress.front(), std::make_pair(0.0, true));
        QCOMPARE(heard->progress.back(), std::make_pair(0.0, false));
        for (qsizetype i = 1; i + 1 < heard->progress.size(); ++i) {
            QVERIFY(heard->progress[i].second);
            QVERIFY(heard->progress[i].first > heard->progress[i - 1].first);
            QCOMPARE(std::round(heard->progress[i].first * 100) / 100, heard->progress[i].first);
        }

        heard->notices.clear();
        runBatch(session, dir, "b.wav"); // exactly 10 s
        QVERIFY(heard->notices.isEmpty());
        QCOMPARE(heard->progress.back(), std::make_pair(0.0, false));
    }

    void anActiveWindowNeedsNoNotice() {
        TestSupport::TempDir dir;
        ScriptedDialogs dialogs;
        App::CSettings settings = quietSettings();
        Session session(settings);
        QWidget window;
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        session.runner.setWindow(&window);
        auto heard = std::make_shared<Heard>();
        new BatchNotices(session.runner, window, std::make_unique<RecordingBus>(heard),
                         clockReading({milliseconds(0), milliseconds(60'000)}));
        runBatch(session, dir, "a.wav");
        QVERIFY(heard->notices.isEmpty());
        QVERIFY(!heard->progress.isEmpty());
    }

    // The messages as a desktop receives them, over a session bus of the test's own.
    void theMessagesReachARealBus() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) QSKIP("dbus-daemon is not installed");
        QProcess bus;
        bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                           QStringLiteral("--print-address=1")});
        QVERIFY(bus.waitForReadyRead(20000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        {
            QDBusConnection desktop =
                QDBusConnection::connectToBus(address, QStringLiteral("desk"));
            QDBusConnection app = QDBusConnection::connectToBus(address, QStringLiteral("app"));
            QVERIFY(desktop.isConnected() && app.isConnected());
            NotificationServer server;
            QVERIFY(desktop.registerService(QStringLiteral("org.freedesktop.Notifications")));
            QVERIFY(desktop.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                           &server, QDBusConnection::ExportAllSlots));
            QVERIFY(desktop.connect(
                QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                QStringLiteral("Update"), &server, SLOT(update(QString, QVariantMap))));
            const std::unique_ptr<DesktopBus> sender = desktopBusOver(app);
            sender->launcherProgress(0.25, true);
            sender->notify(QStringLiteral("Processing finished"), QStringLiteral("done"));
            QTRY_COMPARE_WITH_TIMEOUT(server.heard.size(), 2, 20000);
            QCOMPARE(server.heard[0],
                     QStringLiteral("application://stretchwerk.desktop 0.25 true"));
            QCOMPARE(server.heard[1],
                     QStringLiteral("Stretchwerk stretchwerk Processing finished done "
                                    "stretchwerk -1"));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("desk"));
        QDBusConnection::disconnectFromBus(QStringLiteral("app"));
        bus.terminate();
        QVERIFY(bus.waitForFinished(20000));
    }
};

SWK_QTEST(DesktopNoticesTest);
#include "DesktopNoticesTest.moc"
