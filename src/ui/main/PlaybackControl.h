#pragma once
// The main window's playing: the first selected row on the player of the session, the panel that
// shows what plays, and the player's start and restart on the device of the settings.
#include <QObject>
#include <QPointer>

#include "ui/main/Session.h"

class QWidget;

namespace Ui {

class NowPlayingPanel;

class PlaybackControl : public QObject {
    Q_OBJECT
  public:
    PlaybackControl(Session& session, NowPlayingPanel& panel, QWidget* window);
    ~PlaybackControl() override;

    void play();
    void stop();
    // Space: stops what plays, else plays.
    void togglePlay();
    // Starts the player on the device of the settings; a failure is shown.
    void initEngine();
    // After the preferences changed the device: stops, releases and starts again.
    void restartEngine();

  signals:
    // A play of the list takes the player over from a wave editor.
    void takingOver();

  private:
    void showMessage(const QString& text);

    Session& session;
    NowPlayingPanel& panel;
    QPointer<QWidget> window;
};

} // namespace Ui
