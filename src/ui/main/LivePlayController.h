#pragma once
// "Play processed" in the main window: the command (Shift+Space, and a button in the
// now-playing panel) plays the selected row's processed sound while it is computed; the row's
// changes are followed while it plays; the panel shows the source and the processed position;
// the status line counts the underruns.
#include <QObject>
#include <functional>

#include "app/JobSettings.h"
#include "app/LiveRowAudition.h"

class QAction;
class QTimer;
class QWidget;

namespace Ui {

class NowPlayingPanel;

class LivePlayController : public QObject {
    Q_OBJECT
  public:
    struct Hooks {
        std::function<App::CFileRow*()> selectedRow;
        std::function<App::JobSettings()> jobSettings;
        // Before it plays: the other players of the window let go of the engine.
        std::function<void()> beforePlay;
        std::function<void(const QString&)> showStatus;
        std::function<void(const std::string&)> showError;
    };

    // The command goes on `window` (for its shortcut) and into the panel. Owned by the window
    // that holds the engine, and gone before the engine and the panel are.
    LivePlayController(Output::CAudioEngine& engine, NowPlayingPanel& panel, Hooks hooks,
                       QWidget* window);
    ~LivePlayController() override;

    QAction* action() const { return command; }
    void playProcessed();
    void stop();
    bool isPlaying() { return audition.isPlaying(); }
    App::LiveRowAudition& model() { return audition; }
    // How often the settings are looked at while playing: a change waits at most this long.
    static constexpr int kFollowMs = 10;

  private:
    void follow();
    void finished();
    QString positionText();

    App::LiveRowAudition audition;
    NowPlayingPanel& panel;
    Hooks hooks;
    QAction* command = nullptr;
    QTimer* timer = nullptr;
    double rate = 44100.0;
    Audio::i64 shownUnderruns = -1;
};

} // namespace Ui
