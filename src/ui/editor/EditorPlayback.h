#pragma once
// The wave editor's playing: the row's file (the selection or the whole file), the preview of
// its processed result, rendered on a thread of its own, and the processed sound computed while
// it plays ("Play processed"), all through the main window's player. It works out where the
// editor's cursor stands while any of them plays.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

#include "app/FileRow.h"
#include "app/PreviewRenderer.h"
#include "editor/LiveCurveAudition.h"
#include "editor/PlayCursor.h"
#include "editor/PreviewRange.h"
#include "output/AudioEngine.h"

class QTimer;
class QWidget;

namespace Ui {

class EditorPlayback : public QObject {
    Q_OBJECT
  public:
    // `window` is the parent of the messages; `quality` gives the algorithm a preview renders
    // with.
    EditorPlayback(App::CFileRow& row, Output::CAudioEngine& player,
                   std::function<Engine::Quality()> quality, QWidget* window);
    // Aborts a preview being rendered and waits for it; stops what this editor plays.
    ~EditorPlayback() override;

    // Plays the range (looping within it when the selection is one).
    void play(Editor::FrameRange range);
    // Space: stops what plays, else plays the range.
    void togglePlay(Editor::FrameRange range);
    void stop();
    // Renders the range's preview, then plays it; while one renders, its result plays when it
    // is ready. A range longer than an hour is refused with its message.
    void preview(const std::optional<Editor::FrameRange>& selection);
    // Plays the finished preview again.
    void playPreview();
    // From `from` along the curves as they stand, computed while it plays. A point added, moved
    // or deleted while it plays is heard from where it stands (followCurves).
    void playProcessed(std::int64_t from);
    // Takes the curves' edits into the processed sound that plays; nothing else plays.
    void followCurves();
    // Another play of the main window took the player over: the cursor stops following.
    void playbackTakenOver();
    // The window closes: what plays stops, a preview being rendered is aborted and waited for,
    // and one that arrives afterwards plays no more.
    void shutDown();

    bool isPlaying() const { return mode != Mode::None; }
    bool isPlayingPreview() const { return mode == Mode::Preview; }
    bool isPlayingProcessed() const { return mode == Mode::Live; }
    Editor::LiveCurveAudition& liveAudition() { return live; }
    // How often the curves are looked at while the processed sound plays: an edit that no view
    // reports (a snapshot, a loaded file) waits at most this long.
    static constexpr int kFollowMs = 10;
    bool isPreviewRendering() const { return renderer.isRunning(); }
    bool hasPreview() const { return previewCache != nullptr; }
    // Every 25 ms: the source frame whose sound is heard now, or nothing when it did not move
    // or nothing plays.
    std::optional<std::int64_t> cursorNow();

  signals:
    // "playing \"name\"", "previewing \"name\"", the preview's progress; empty when nothing.
    void statusChanged(const QString& text);
    // A preview started rendering, became ready, or the play ended.
    void stateChanged();

  private:
    enum class Mode { None, File, Preview, Live };
    void previewFinished(App::PreviewResult result);
    void showFailure(const QString& text);
    // The processed sound ended, was stopped or another play took the player over.
    void processedEnded();
    void dropProcessed();

    App::CFileRow& row;
    Output::CAudioEngine& player;
    std::function<Engine::Quality()> quality;
    QPointer<QWidget> window;
    bool closing = false;

    Mode mode = Mode::None;
    Editor::FrameRange playing;
    App::PreviewRenderer renderer;
    std::unique_ptr<App::PreviewProgress> progress;
    std::unique_ptr<Audio::CAudioFileCache> previewCache;
    Editor::FrameRange previewRange;
    // Copies of the time and pitch curves the preview was rendered with.
    MarkPoints::CMarkPointArray previewTime, previewPitch;
    std::unique_ptr<Editor::PreviewCursor> previewCursor;
    std::int64_t lastCursor = -1;
    Editor::LiveCurveAudition live;
    QTimer* follower = nullptr;
    Audio::i64 shownUnderruns = -1;
};

} // namespace Ui
