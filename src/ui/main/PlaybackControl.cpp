#include "ui/main/PlaybackControl.h"

#include <QTimer>

#include "app/AppTexts.h"
#include "app/DeviceList.h"
#include "app/JobSettings.h"
#include "app/OutputFailure.h"
#include "ui/common/Dialogs.h"
#include "ui/main/NowPlayingPanel.h"

namespace Ui {

PlaybackControl::PlaybackControl(Session& s, NowPlayingPanel& shown, QWidget* parentWindow)
    : QObject(parentWindow), session(s), panel(shown), window(parentWindow), live(s.engine) {
    connect(&panel, &NowPlayingPanel::stopRequested, this, &PlaybackControl::stop);
    session.engine.setNowPlayingHook([this](const std::string& name,
                                            const Audio::CAudioFileCache* file) {
        if (!file) return panel.showStopped();
        panel.showPlaying(QString::fromStdString(name), session.engine.getHost().getSampleRate());
    });
    follower = new QTimer(this);
    follower->setInterval(kFollowMs);
    connect(follower, &QTimer::timeout, this, &PlaybackControl::followRow);
}

// Goes before the panel, which hears the player: what plays stops first.
PlaybackControl::~PlaybackControl() {
    session.engine.setNowPlayingHook(nullptr);
    try {
        live.stop();
        session.engine.stop();
    } catch (...) {
        // Closing the output failed; the session's end closes it.
    }
}

void PlaybackControl::showMessage(const QString& text) {
    Dialogs::current().message(window, text, kAppTitle);
}

void PlaybackControl::play() {
    App::CFileRow* row = session.list.firstSelected();
    if (!row) return;
    emit takingOver();
    try {
        session.engine.play(&row->getCache(), row->nameLine(), 0, -1, false, &panel, 0);
    } catch (const std::exception& e) {
        showMessage(QString::fromStdString(e.what()));
    }
    // A processed sound that played is let go of now, before the panel shows its positions.
    if (follower->isActive()) followRow();
}

void PlaybackControl::playProcessed() {
    App::CFileRow* row = session.list.firstSelected();
    if (!row) return;
    emit takingOver();
    try {
        live.play(*row, App::jobSettingsFrom(session.settings), &panel);
    } catch (const std::exception& e) {
        return showMessage(QString::fromStdString(e.what()));
    }
    if (!live.isPlaying()) return; // no output
    liveRate = row->format().sampleRate;
    shownUnderruns = -1;
    panel.setPositionText([this] { return processedPosition(); });
    follower->start();
    followRow();
}

void PlaybackControl::stop() {
    try {
        live.stop();
        session.engine.stop();
    } catch (...) {
        showMessage(QString::fromLatin1(App::kEngineStopFailed));
    }
    processedEnded();
}

void PlaybackControl::togglePlay() {
    if (session.engine.isPlaying() && session.engine.isVoiceActive())
        stop();
    else
        play();
}

// Every few milliseconds while the processed sound plays: the row's changes are taken, and the
// status line counts the underruns.
void PlaybackControl::followRow() {
    if (!live.follow()) return processedEnded();
    const Audio::i64 underruns = live.underruns();
    if (underruns == shownUnderruns) return;
    shownUnderruns = underruns;
    emit statusChanged(tr("Playing processed; underruns: %1").arg(underruns));
}

// The processed sound ended, was stopped or another play took the player over.
void PlaybackControl::processedEnded() {
    if (!follower->isActive()) return;
    follower->stop();
    panel.setPositionText({});
    emit statusChanged(tr("Played processed; underruns: %1").arg(live.underruns()));
    if (const std::string failure = live.failure(); !failure.empty())
        showMessage(QString::fromStdString(failure));
}

QString PlaybackControl::processedPosition() {
    const std::optional<Process::LivePosition> p = live.position();
    if (!p) return {};
    return tr("source %1  processed %2")
        .arg(NowPlayingPanel::clockText(static_cast<double>(p->source) / liveRate),
             NowPlayingPanel::clockText(static_cast<double>(p->processed) / liveRate));
}

void PlaybackControl::initEngine() {
    try {
        session.engine.init(session.settings.deviceId);
    } catch (...) {
        // Named as the preferences name it, with what failed and what to do.
        const std::exception_ptr failure = std::current_exception();
        std::optional<App::OutputDevice> device;
        try {
            for (const App::OutputDevice& d : App::listOutputDevices())
                if (d.id == session.settings.deviceId) device = d;
        } catch (...) {
            // Without the list the device goes unnamed.
        }
        showMessage(
            QString::fromStdString(App::outputStartFailure(device ? &*device : nullptr, failure)));
    }
}

void PlaybackControl::restartEngine() {
    stop();
    try {
        session.engine.release();
    } catch (const std::exception& e) {
        showMessage(QString::fromStdString(e.what()));
    } catch (...) {
        showMessage(QString::fromLatin1(App::kEngineReleaseFailed));
    }
    initEngine();
}

} // namespace Ui
