#include "ui/main/PlaybackControl.h"

#include "app/AppTexts.h"
#include "app/DeviceList.h"
#include "app/OutputFailure.h"
#include "ui/common/Dialogs.h"
#include "ui/main/NowPlayingPanel.h"

namespace Ui {

PlaybackControl::PlaybackControl(Session& s, NowPlayingPanel& shown, QWidget* parentWindow)
    : QObject(parentWindow), session(s), panel(shown), window(parentWindow) {
    connect(&panel, &NowPlayingPanel::stopRequested, this, &PlaybackControl::stop);
    session.engine.setNowPlayingHook([this](const std::string& name,
                                            const Audio::CAudioFileCache* file) {
        if (!file) return panel.showStopped();
        panel.showPlaying(QString::fromStdString(name), session.engine.getHost().getSampleRate());
    });
}

PlaybackControl::~PlaybackControl() {
    session.engine.setNowPlayingHook(nullptr);
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
}

void PlaybackControl::stop() {
    try {
        session.engine.stop();
    } catch (...) {
        showMessage(QString::fromLatin1(App::kEngineStopFailed));
    }
}

void PlaybackControl::togglePlay() {
    if (session.engine.isPlaying() && session.engine.isVoiceActive())
        stop();
    else
        play();
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
