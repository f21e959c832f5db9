#pragma once
// What the desktop hears of a batch: the progress on the task bar's entry of the program, where
// the desktop shows one (the com.canonical.Unity.LauncherEntry signal that docks and task bars
// of several desktops read), and a notification when a long batch ends while the user works in
// another window. Behind DesktopBus, so the rule can be checked without a session bus.
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class QDBusConnection;
class QWidget;

namespace Ui {

class BatchRunner;

// A batch must take longer than this for its end to be announced.
inline constexpr std::chrono::milliseconds kNoticeAfter{10'000};
// The desktop file the task bar's entry belongs to.
inline const QString kLauncherEntry = QStringLiteral("application://stretchwerk.desktop");

class DesktopBus {
  public:
    virtual ~DesktopBus() = default;
    // A freedesktop notification.
    virtual void notify(const QString& summary, const QString& body) = 0;
    // The task bar entry's progress, 0 to 1, and whether it shows.
    virtual void launcherProgress(double progress, bool visible) = 0;
};

// The desktop over D-Bus: the notification service and the launcher entry signal on
// `connection`. Without a bus, nothing is sent and nothing fails.
std::unique_ptr<DesktopBus> desktopBusOver(const QDBusConnection& connection);
// The user's session bus.
std::unique_ptr<DesktopBus> sessionDesktopBus();

// Whether a batch that took `took` ends with a notification; `windowActive` while the user is in
// a window of the program.
bool announcesEnd(std::chrono::milliseconds took, bool windowActive);

class BatchNotices : public QObject {
    Q_OBJECT
  public:
    using Clock = std::function<std::chrono::milliseconds()>;
    // Follows the runner's batches for as long as `window` (its parent) lives; while a window of
    // the program is active a notification is needless. `clock` is a monotonic clock.
    BatchNotices(BatchRunner& runner, QWidget& window, std::unique_ptr<DesktopBus> bus,
                 Clock clock = steadyClock());

    static Clock steadyClock();

  private:
    void started();
    void progressed(int position);
    void finished();

    std::unique_ptr<DesktopBus> bus;
    Clock clock;
    std::chrono::milliseconds start{0};
    int shownPercent = -1;
    bool userHere = false;
};

} // namespace Ui
