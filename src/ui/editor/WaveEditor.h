#pragma once
// The wave editor window of one row: the editor view with its rulers and scroll bars, a menu, a
// row of buttons and a status line. Every command is one QAction (objectName "cmd" + id) of its
// command table, shared by menu, key, button and the views' context menus. Plays the row, its
// preview and its processed sound through the main window's player (EditorPlayback) and keeps its
// curves in mark point files (MarkPointFiles).
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "app/FileRow.h"
#include "editor/EditorDocument.h"
#include "editor/PreviewRange.h"
#include "editor/SnapshotSlots.h"
#include "output/AudioEngine.h"
#include "ui/common/CommandTable.h"
#include "ui/editor/WaveformPainter.h"

class QAction;
class QLabel;
class QScrollBar;
class QStatusBar;
class QTimer;

namespace Editor {
class LiveCurveAudition;
}

namespace Ui {

class CMarkPointEdit;
class CHorizontalTimeScale;
class CValueRuler;
class EditorPlayback;
class MarkPointFiles;

class CWaveEditor : public QWidget {
    Q_OBJECT
  public:
    // `player` is the main window's; `quality` gives the algorithm a preview renders with.
    CWaveEditor(App::CFileRow& row, Output::CAudioEngine& player,
                std::function<Engine::Quality()> quality, QWidget* parent = nullptr);
    ~CWaveEditor() override;

    App::CFileRow& row() const { return model; }
    Editor::CEditorDocument& document() const { return *doc; }
    CMarkPointEdit* view() const { return markPointEdit; }
    // The command's action; null for an unknown id.
    QAction* action(int id) const { return commands.find(id); }
    // The mark point file last loaded or saved; empty before.
    const QString& markPointPath() const;
    QString statusText() const;
    bool isFreeEdit() const { return freeEdit; }
    bool isPreviewRendering() const;
    bool isPlayingPreview() const;
    bool isPlaying() const;
    // "Play processed": what plays from the cursor along the curves.
    Editor::LiveCurveAudition& processedAudition() const;

    // Another play of the main window took the player over: the cursor stops following.
    void playbackTakenOver();

    // What the window shows of its file: the zoom and scroll, the curves shown, the ruler and
    // the tempo it needs. The main window keeps it for the session and gives it back when the
    // file's editor opens again, in place of showing the whole file.
    struct ViewState {
        double framesPerPixel = 1.0;
        std::int64_t firstFrame = 0;
        double verticalZoom = 1.0;
        int verticalScroll = 0;
        std::array<bool, 3> shown{true, true, true};
        std::uint32_t rulerType = 1;
        double tempo = -1.0;
    };
    ViewState viewState() const;
    void restoreView(const ViewState& state);

  signals:
    // The window closed (its curves stay with the row); from now on it leaves the row alone,
    // which may go before the window does.
    void closed(CWaveEditor* editor);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    void connectCommands();
    void connectViewCommands();
    void connectView();

    // Every command runs here: a failure is shown instead of escaping into Qt.
    void run(const std::function<void()>& command);
    void storeSnapshot(int slot);
    void recallSnapshot(int slot);
    void setTimeDisplay(std::uint32_t type);
    void setRulerType(std::uint32_t type);
    // BPM values and musical time need a tempo: asked for when there is none. False when the
    // question was cancelled.
    bool ensureTempo();
    void askTempo();
    void setTempo(double bpm);
    void zoomHorizontally(double factor);
    void zoomToFit();
    // At the view's first size: the whole file in view.
    void fitOnce();
    void zoomVertically(double factor);
    void rebuildInfoLine();
    // The selection's frames, if any, and the range that plays: the selection or the file.
    std::optional<Editor::FrameRange> selection() const;
    Editor::FrameRange playRange() const;

    void showStatus(const QString& text);
    void tick();
    void refresh();
    void updateActions();
    void setFramesPerPixel(double fpp);
    void syncScrollBars();
    // Rulers and waveform follow the view's geometry.
    void syncRulers();
    void rescanWaveform();

    App::CFileRow& model;
    std::unique_ptr<Editor::CEditorDocument> doc;
    Editor::SnapshotSlots snapshots;
    CommandTable commands{this};
    std::unique_ptr<MarkPointFiles> files;
    std::unique_ptr<EditorPlayback> playback;
    bool freeEdit = false;
    // Closed: the window goes with the next turn of the event loop and touches its row no more.
    bool shut = false;
    bool fitted = false;
    double tempo = -1.0;
    std::uint32_t rulerType = 1;

    CMarkPointEdit* markPointEdit = nullptr;
    CHorizontalTimeScale* timeRuler = nullptr;
    std::array<CValueRuler*, 3> valueRulers{};
    QScrollBar* horizontal = nullptr;
    QScrollBar* vertical = nullptr;
    QStatusBar* status = nullptr;
    QLabel* infoLine = nullptr;
    QTimer* timer = nullptr;

    WaveformPainter waveform;
};

} // namespace Ui
