#pragma once
// The main window's playing: the first selected row on the player of the session, as it is or
// processed with its settings while it plays ("Play processed"), the panel that shows what plays,
// and the player's start and restart on the device of the settings.
#include <QObject>
#include <QPointer>

#include "app/LiveRowAudition.h"
#include "ui/main/Session.h"

class QTimer;
class QWidget;

namespace Ui {

class NowPlayingPanel;

class PlaybackControl : public QObject {
    Q_OBJECT
  public:
    PlaybackControl(Session& session, NowPlayingPanel& panel, QWidget* window);
    ~PlaybackControl() override;

    void play();
    // The row processed with its settings as they stand, computed while it plays. Its
    // semitones, cents, time, time unit and formant box are followed while it plays, from where
    // it stands; the panel shows the source and the processed position.
    void playProcessed();
    // Stops what plays, processed or not.
    void stop();
    // Space: stops what plays, else plays.
    void togglePlay();
    // Starts the player on the device of the settings; a failure is shown.
    void initEngine();
    // After the preferences changed the device: stops, releases and starts again.
    void restartEngine();

    App::LiveRowAudition& liveAudition() { return live; }
    // How often the row is looked at while it plays processed: a change waits at most this long.
    static constexpr int kFollowMs = 10;

  signals:
    // A play of the list takes the player over from a wave editor.
    void takingOver();
    // The processed play's state and its underruns, for the status line.
    void statusChanged(const QString& text);

  private:
    void showMessage(const QString& text);
    void followRow();
    void processedEnded();
    QString processedPosition();

    Session& session;
    NowPlayingPanel& panel;
    QPointer<QWidget> window;
    App::LiveRowAudition live;
    // Polled rather than told: every way of changing a row (its controls, pasted parameters,
    // the time unit's question) is seen, and a look compares a few values.
    QTimer* follower = nullptr;
    double liveRate = 44100.0;
    Audio::i64 shownUnderruns = -1;
};

} // namespace Ui
