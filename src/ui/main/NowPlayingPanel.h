#pragma once
// What plays now: the file's name, the position and a stop button, fed by the playback
// engine's listener and shown on the window's thread.
#include <QFrame>
#include <atomic>

#include "output/PlaybackListener.h"

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

  signals:
    void stopRequested();

  private:
    void tick();

    QLabel* name = nullptr;
    QLabel* where = nullptr;
    QTimer* timer = nullptr;
    double rate = 44100.0;
    std::atomic<Audio::i64> startFrame{0};
    std::atomic<Audio::i64> frame{0};
};

} // namespace Ui
