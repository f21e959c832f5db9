#pragma once
// "Play processed" in the wave editor: the command (Shift+Enter, in the Play menu and as a
// button beside the preview button) plays the row from the cursor along the curves as they
// stand, computed while it plays. A point added, moved or deleted while it plays is heard
// within the live allowance; the cursor shows the source frame being heard, as the stream
// recorded it. The rendered preview stays as it is.
#include <QObject>
#include <functional>

#include "editor/LiveCurveAudition.h"

class QAction;
class QTimer;

namespace Ui {

class CWaveEditor;

class EditorLivePlay : public QObject {
    Q_OBJECT
  public:
    // Owned by the editor and gone before its document is.
    EditorLivePlay(CWaveEditor& editor, Output::CAudioEngine& player,
                   std::function<Engine::Quality()> quality);
    ~EditorLivePlay() override;

    QAction* action() const { return command; }
    void playProcessed();
    void stop();
    bool isPlaying() { return audition.isPlaying(); }
    Editor::LiveCurveAudition& model() { return audition; }
    // How often the curves are looked at while playing: an edit waits at most this long.
    static constexpr int kFollowMs = 10;

  private:
    void placeCommand();
    void follow();
    void finished();
    void showStatus(const QString& text);

    CWaveEditor& editor;
    Editor::LiveCurveAudition audition;
    std::function<Engine::Quality()> quality;
    QAction* command = nullptr;
    QTimer* timer = nullptr;
    std::int64_t lastCursor = -1;
};

} // namespace Ui
