#include "ui/editor/EditorPlayback.h"

#include <QThread>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

#include "ui/common/Dialogs.h"

namespace Ui {

namespace {

QString quotedName(const QString& what, const App::CFileRow& row) {
    return QStringLiteral("%1 \"%2\"").arg(what, QString::fromStdString(row.nameLine()));
}

} // namespace

EditorPlayback::EditorPlayback(App::CFileRow& fileRow, Output::CAudioEngine& audio,
                               std::function<Engine::Quality()> algorithm, QWidget* parentWindow)
    : row(fileRow), player(audio), quality(std::move(algorithm)), window(parentWindow),
      live(audio) {
    follower = new QTimer(this);
    follower->setInterval(kFollowMs);
    connect(follower, &QTimer::timeout, this, &EditorPlayback::followCurves);
}

EditorPlayback::~EditorPlayback() {
    shutDown();
}

void EditorPlayback::showFailure(const QString& text) {
    Dialogs::current().message(window, text, tr("error"));
}

void EditorPlayback::play(Editor::FrameRange range) {
    try {
        player.play(&row.getCache(), row.nameLine(), static_cast<Audio::i32>(range.start),
                    static_cast<Audio::i32>(range.end), false, nullptr, 0);
    } catch (...) {
        mode = Mode::None;
        showFailure(tr("unknown error while trying to play audio!"));
        return;
    }
    if (!player.isPlaying()) return;
    dropProcessed();
    mode = Mode::File;
    playing = range;
    emit statusChanged(quotedName(tr("playing"), row));
}

void EditorPlayback::togglePlay(Editor::FrameRange range) {
    if (mode != Mode::None && player.isPlaying() && player.isVoiceActive())
        stop();
    else
        play(range);
}

void EditorPlayback::stop() {
    if (mode == Mode::File) player.stopIfPlaying(&row.getCache());
    if (mode == Mode::Preview && previewCache) player.stopIfPlaying(previewCache.get());
    if (mode == Mode::Live) live.stop();
    mode = Mode::None;
    if (follower->isActive())
        processedEnded();
    else
        emit statusChanged({});
}

void EditorPlayback::playbackTakenOver() {
    mode = Mode::None;
}

void EditorPlayback::preview(const std::optional<Editor::FrameRange>& selection) {
    if (renderer.isRunning()) return; // its result plays when it is ready
    Editor::FrameRange range;
    try {
        range = Editor::previewRange(selection, static_cast<std::int64_t>(row.frames()),
                                     row.format().sampleRate);
    } catch (const std::length_error& e) {
        Dialogs::current().message(window, QLatin1String(e.what()), kAppTitle);
        return;
    }
    if (mode == Mode::Preview) stop();
    renderer.wait();
    previewCursor.reset();
    previewCache.reset();
    previewTime = row.curves()[0];
    previewPitch = row.curves()[1];
    previewRange = range;
    progress =
        std::make_unique<App::PreviewProgress>(row.nameLine(), [this](const std::string& line) {
            QMetaObject::invokeMethod(
                this, [this, text = QString::fromStdString(line)] { emit statusChanged(text); },
                Qt::QueuedConnection);
        });
    const Engine::Quality algorithm = quality ? quality() : Engine::Quality::Fast;
    const bool started = renderer.start(
        row, range.start, range.end, algorithm, *progress, [this](App::PreviewResult r) {
            auto shared = std::make_shared<App::PreviewResult>(std::move(r));
            QMetaObject::invokeMethod(
                this, [this, shared] { previewFinished(std::move(*shared)); },
                Qt::QueuedConnection);
        });
    if (started) emit stateChanged();
}

void EditorPlayback::previewFinished(App::PreviewResult result) {
    renderer.wait();
    if (closing) return; // arrived after the window closed: nothing plays any more
    emit stateChanged();
    switch (result.outcome) {
    case App::PreviewResult::Aborted:
        emit statusChanged({});
        return;
    case App::PreviewResult::Failed:
        emit statusChanged({});
        showFailure(tr("unknown error while trying to play preview audio!"));
        return;
    case App::PreviewResult::Ready:
        break;
    }
    if (!result.cache || result.cache->file->getFrames() == 0) {
        emit statusChanged({});
        showFailure(tr("error while playing preview file. preview process returnen NULL!"));
        return;
    }
    previewCache = std::move(result.cache);
    previewCursor = std::make_unique<Editor::PreviewCursor>(previewTime, previewPitch, result.step,
                                                            previewRange.start, previewRange.end,
                                                            previewCache->file->getFrames());
    emit stateChanged();
    playPreview();
}

void EditorPlayback::playPreview() {
    if (!previewCache) return;
    try {
        player.play(previewCache.get(), row.nameLine(), 0, -1, false, nullptr, 0);
    } catch (...) {
        mode = Mode::None;
        showFailure(tr("unknown error while trying to play preview audio!"));
        return;
    }
    if (!player.isPlaying()) return;
    dropProcessed();
    mode = Mode::Preview;
    emit statusChanged(quotedName(tr("previewing"), row));
}

void EditorPlayback::playProcessed(std::int64_t from) {
    const Engine::Quality algorithm = quality ? quality() : Engine::Quality::Fast;
    try {
        live.play(row.getCache(), row.curves(), from, algorithm, row.nameLine());
    } catch (const std::exception& e) {
        return showFailure(QString::fromStdString(e.what()));
    }
    if (!live.isPlaying()) return; // no output
    mode = Mode::Live;
    lastCursor = -1;
    shownUnderruns = 0;
    emit statusChanged(quotedName("playing processed", row));
    emit stateChanged();
    follower->start();
}

// Every few milliseconds while the processed sound plays, and at once when the view reports an
// edit. The status line counts the underruns once there are any.
void EditorPlayback::followCurves() {
    if (!follower->isActive()) return;
    if (!live.follow(row.curves())) return processedEnded();
    const Audio::i64 underruns = live.underruns();
    if (underruns == shownUnderruns) return;
    shownUnderruns = underruns;
    emit statusChanged(quotedName("playing processed", row) +
                       QStringLiteral("; underruns: %1").arg(underruns));
}

void EditorPlayback::processedEnded() {
    follower->stop();
    if (mode == Mode::Live) mode = Mode::None;
    emit statusChanged(QStringLiteral("played processed; underruns: %1").arg(live.underruns()));
    emit stateChanged();
    if (const std::string failure = live.failure(); !failure.empty())
        showFailure(QString::fromStdString(failure));
}

// Another play of this editor took the player over from the processed sound: it is let go of
// without a word.
void EditorPlayback::dropProcessed() {
    if (!follower->isActive()) return;
    follower->stop();
    live.stop();
}

void EditorPlayback::shutDown() {
    closing = true;
    follower->stop();
    live.stop();
    if (previewCache) player.stopIfPlaying(previewCache.get());
    if (mode == Mode::File) player.stopIfPlaying(&row.getCache());
    mode = Mode::None;
    renderer.abort();
    while (renderer.isRunning())
        QThread::msleep(10);
    renderer.wait();
}

// The cursor follows the frames the output has played, i.e. what is heard; the player's
// position reports run ahead of that by its read-ahead.
std::optional<std::int64_t> EditorPlayback::cursorNow() {
    if (mode == Mode::None) return std::nullopt;
    if (mode == Mode::Live) {
        // The source frame heard now, through the curves in force when it was computed.
        const std::optional<std::int64_t> frame = live.sourceFrame();
        if (!frame || *frame == lastCursor) return std::nullopt;
        lastCursor = *frame;
        return frame;
    }
    if (!player.isPlaying() || !player.isVoiceActive()) {
        mode = Mode::None;
        emit statusChanged({});
        emit stateChanged();
        return std::nullopt;
    }
    const std::int64_t e = Editor::elapsedSourceFrames(
        static_cast<std::uint64_t>(std::max<Audio::i64>(0, player.getFramesPlayed())),
        row.format().sampleRate, static_cast<std::uint32_t>(player.getHost().getSampleRate()));
    const std::int64_t cursor = mode == Mode::File
                                    ? Editor::playCursorFrame(e, playing.start, playing.end)
                                : previewCursor ? previewCursor->frameAt(e)
                                                : previewRange.start;
    if (cursor == lastCursor) return std::nullopt;
    lastCursor = cursor;
    return cursor;
}

} // namespace Ui
