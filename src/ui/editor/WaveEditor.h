#pragma once
// The wave editor window of one row: the editor view with its rulers and scroll bar, a menu,
// a row of buttons and a status line. Every command is one QAction (objectName "cmd" + id)
// shared by menu, key and button. Plays the row and its preview through the main window's
// player; renders the preview on a thread of its own and never waits for it, except when
// the window closes.
#include <QWidget>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

#include "app/FileRow.h"
#include "app/PreviewRenderer.h"
#include "editor/EditorDocument.h"
#include "editor/PlayCursor.h"
#include "editor/PreviewRange.h"
#include "editor/SnapshotSlots.h"
#include "editor/WaveformScan.h"
#include "ui/editor/WaveformPainter.h"
#include "output/AudioEngine.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QScrollBar;
class QStatusBar;
class QTimer;
class QToolButton;

namespace Ui {

class CMarkPointEdit;
class CHorizontalTimeScale;
class EditorLivePlay;
class CValueRuler;

class CWaveEditor : public QWidget {
    Q_OBJECT
  public:
    // `player` is the main window's; `quality` gives the algorithm a preview renders with.
    CWaveEditor(App::CFileRow& row, Output::CAudioEngine& player,
                std::function<Engine::Quality()> quality,
                QWidget* parent = nullptr);
    ~CWaveEditor() override;

    App::CFileRow& row() const { return model; }
    Editor::CEditorDocument& document() const { return *doc; }
    CMarkPointEdit* view() const { return markPointEdit; }
    // The command's action; null for an unknown id.
    QAction* action(int id) const;
    // The mark point file last loaded or saved; empty before.
    const QString& markPointPath() const { return path; }
    QString statusText() const;
    bool isFreeEdit() const { return freeEdit; }
    bool isPreviewRendering() const { return renderer.isRunning(); }
    bool isPlayingPreview() const;
    bool isPlaying() const { return playMode != PlayMode::None; }

    // Another play of the main window took the player over: the cursor stops following.
    void playbackTakenOver();
    EditorLivePlay& livePlayer() const { return *livePlay; }

  signals:
    // The window closed (its curves stay with the row); it is destroyed right after.
    void closed(CWaveEditor* editor);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Command;
    enum class PlayMode { None, File, Preview };

    // Building the window.
    void buildMenus(QMenuBar* bar);
    QAction* addCommand(QMenu* menu, const Command& c);
    QWidget* buildButtons();
    void connectCommands();
    void connectView();

    // Commands.
    void newCurves();
    void openCurves();
    bool save();
    bool saveAs();
    bool writeCurves(const QString& file, const QString& caption);
    void storeSnapshot(int slot);
    void recallSnapshot(int slot);
    void setCurrentScale(std::uint32_t scale);
    void toggleShown(std::uint32_t scale);
    void setTimeDisplay(std::uint32_t type);
    void setRulerType(std::uint32_t type);
    bool askTempo();
    void zoomHorizontally(double factor);
    void zoomOneToOne();
    void zoomToFit();
    void zoomVertically(double factor);
    void play();
    void togglePlay();
    void stop();
    void preview();
    void playPreview();
    void rebuildInfoLine();

    // Every command runs here: a failure is shown instead of escaping into Qt.
    void run(const std::function<void()>& command);
    bool askAboutUnsaved();
    void previewFinished(App::PreviewResult result);
    void showStatus(const QString& text);
    void tick();
    void refresh();
    void updateActions();
    void setFramesPerPixel(double fpp);
    void syncScrollBars();
    // Rulers and waveform follow the view's geometry.
    void syncRulers();
    void rescanWaveform();
    void setTempo(double bpm);
    std::optional<double> tempoQuestion();
    // The selection's frames, if any.
    std::optional<Editor::FrameRange> selection() const;

    App::CFileRow& model;
    Output::CAudioEngine& player;
    std::function<Engine::Quality()> quality;
    std::unique_ptr<Editor::CEditorDocument> doc;
    Editor::SnapshotSlots snapshots;
    QString path;
    bool freeEdit = false;
    bool closing = false;
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
    std::map<int, QAction*> actions;

    PlayMode playMode = PlayMode::None;
    std::int64_t rangeStart = 0, rangeEnd = 0;
    App::PreviewRenderer renderer;
    std::unique_ptr<App::PreviewProgress> progress;
    std::unique_ptr<Audio::CAudioFileCache> previewCache;
    Editor::FrameRange previewRange;
    // Copies of the time and pitch curves the preview was rendered with.
    MarkPoints::CMarkPointArray previewTime, previewPitch;
    std::unique_ptr<Editor::PreviewCursor> previewCursor;
    std::int64_t lastCursor = -1;

    WaveformPainter waveform;
    // Last: it goes before the document it plays from.
    std::unique_ptr<EditorLivePlay> livePlay;
};

} // namespace Ui
