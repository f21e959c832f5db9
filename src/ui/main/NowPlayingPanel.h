#pragma once
// What plays now: the file's name, the position and a stop button, fed by the playback
// engine's listener and shown on the window's thread.
#include <QFrame>
#include <atomic>
#include <functional>

#include "output/PlaybackListener.h"

class QAction;
class QHBoxLayout;
class QLabel;
class QTimer;

namespace Ui {

class NowPlayingPanel : public QFrame, public Output::CPlaybackListener {
    Q_OBJECT
  public:
    explicit NowPlayingPanel(QWidget* parent = nullptr);

    // Called on the producer thread: only stored.
    void started(Audio::i32 value, Audio::i64 startFrame) override;
    void position(Audio::i32 value, Audio::i64 frame) override;

    // User-interface thread.
    void showPlaying(const QString& name, double sampleRate);
    void showStopped();
    QString positionText() const;
    // Shown instead of the position while it gives a text (a processed sound's two positions).
    void setPositionText(std::function<QString()> text) { positionOverride = std::move(text); }
    // A button for a command, before the stop button.
    void addButton(QAction* action);
    // m:ss.t
    static QString clockText(double seconds);

  signals:
    void stopRequested();

  private:
    void tick();

    QLabel* name = nullptr;
    QLabel* where = nullptr;
    QHBoxLayout* row = nullptr;
    QTimer* timer = nullptr;
    std::function<QString()> positionOverride;
    double rate = 44100.0;
    std::atomic<Audio::i64> startFrame{0};
    std::atomic<Audio::i64> frame{0};
};

} // namespace Ui
