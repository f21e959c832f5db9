#include "ui/main/DesktopNotices.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>
#include <QWidget>
#include <algorithm>
#include <optional>

#include "ui/main/BatchRunner.h"

namespace Ui {

namespace {

class DBusDesktop : public DesktopBus {
  public:
    // The connection is made at the first message: most runs of the program never send one.
    explicit DBusDesktop(std::function<QDBusConnection()> bus) : connect(std::move(bus)) {}

    void notify(const QString& summary, const QString& body) override {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.Notifications"),
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
        const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("stretchwerk")}};
        call << QStringLiteral("Stretchwerk") << 0U << QStringLiteral("stretchwerk") << summary
             << body << QStringList() << hints << -1;
        // The answer (the notification's id) is of no use: never wait for it.
        call.setAutoStartService(true);
        connection().send(call);
    }

    void launcherProgress(double progress, bool visible) override {
        QDBusMessage update = QDBusMessage::createSignal(
            QStringLiteral("/io/github/stretchwerk/Launcher"),
            QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
        update << kLauncherEntry
               << QVariantMap{{QStringLiteral("progress"), progress},
                              {QStringLiteral("progress-visible"), visible}};
        connection().send(update);
    }

  private:
    QDBusConnection& connection() {
        if (!made) made = connect();
        return *made;
    }

    std::function<QDBusConnection()> connect;
    std::optional<QDBusConnection> made;
};

QString minutesAndSeconds(std::chrono::milliseconds took) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(took).count();
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

std::unique_ptr<DesktopBus> desktopBusOver(const QDBusConnection& connection) {
    return std::make_unique<DBusDesktop>([connection] { return connection; });
}

std::unique_ptr<DesktopBus> sessionDesktopBus() {
    return std::make_unique<DBusDesktop>([] { return QDBusConnection::sessionBus(); });
}

bool announcesEnd(std::chrono::milliseconds took, bool windowActive) {
    return took > kNoticeAfter && !windowActive;
}

BatchNotices::Clock BatchNotices::steadyClock() {
    return [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    };
}

BatchNotices::BatchNotices(BatchRunner& runner, QWidget& shownIn,
                           std::unique_ptr<DesktopBus> desktop, Clock monotonic)
    : QObject(&shownIn), bus(std::move(desktop)), clock(std::move(monotonic)) {
    connect(&runner, &BatchRunner::started, this, &BatchNotices::started);
    connect(&runner, &BatchRunner::progressed, this, &BatchNotices::progressed);
    connect(&runner, &BatchRunner::finished, this, &BatchNotices::finished);
}

void BatchNotices::started() {
    start = clock();
    shownPercent = -1;
    progressed(0);
}

void BatchNotices::progressed(int position) {
    userHere = QApplication::activeWindow() != nullptr;
    // The worker reports every 40 ms; the task bar hears whole percents only.
    const int percent = std::clamp(position / 10, 0, 100);
    if (percent == shownPercent) return;
    shownPercent = percent;
    bus->launcherProgress(percent / 100.0, true);
}

void BatchNotices::finished() {
    bus->launcherProgress(0.0, false);
    const std::chrono::milliseconds took = clock() - start;
    // Any window of the program counts: the progress window, a wave editor. As the progress
    // window closes no window may be active until the desktop activates the next one: how it
    // was at the last report counts too.
    if (announcesEnd(took, userHere || QApplication::activeWindow() != nullptr))
        bus->notify(tr("Processing finished"),
                    tr("Stretchwerk is done after %1.").arg(minutesAndSeconds(took)));
}

} // namespace Ui
