#include "ui/main/LivePlayController.h"

#include <QAction>
#include <QTimer>
#include <QWidget>

#include "ui/main/NowPlayingPanel.h"

namespace Ui {

LivePlayController::LivePlayController(Output::CAudioEngine& engine, NowPlayingPanel& panel_,
                                       Hooks hooks_, QWidget* window)
    : audition(engine), panel(panel_), hooks(std::move(hooks_)) {
    command = new QAction(tr("Play &processed"), window);
    command->setObjectName(QStringLiteral("cmdPlayProcessed"));
    command->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Space));
    command->setStatusTip(tr("Play the selected file processed with its settings, computed "
                             "while it plays; changes are heard at once"));
    command->setToolTip(tr("Play processed"));
    window->addAction(command);
    panel.addButton(command);
    connect(command, &QAction::triggered, this, &LivePlayController::playProcessed);
    timer = new QTimer(this);
    // Polled rather than told: every way of changing a row (its controls, pasted parameters)
    // is seen, and a look costs a comparison of a few values.
    timer->setInterval(kFollowMs);
    connect(timer, &QTimer::timeout, this, &LivePlayController::follow);
}

LivePlayController::~LivePlayController() {
    panel.setPositionText({});
}

void LivePlayController::playProcessed() {
    App::CFileRow* row = hooks.selectedRow();
    if (!row) return;
    if (hooks.beforePlay) hooks.beforePlay();
    try {
        audition.play(*row, hooks.jobSettings(), &panel);
    } catch (const std::exception& e) {
        return hooks.showError(e.what());
    }
    if (!audition.isPlaying()) return;
    rate = row->format().sampleRate;
    shownUnderruns = -1;
    panel.setPositionText([this] { return positionText(); });
    timer->start();
    follow();
}

void LivePlayController::stop() {
    audition.stop();
    finished();
}

void LivePlayController::follow() {
    if (!audition.follow()) return finished();
    const Audio::i64 underruns = audition.underruns();
    if (underruns == shownUnderruns) return;
    shownUnderruns = underruns;
    hooks.showStatus(tr("Playing processed; underruns: %1").arg(underruns));
}

void LivePlayController::finished() {
    if (!timer->isActive()) return;
    timer->stop();
    panel.setPositionText({});
    hooks.showStatus(tr("Played processed; underruns: %1").arg(audition.underruns()));
    if (const std::string failure = audition.failure(); !failure.empty()) hooks.showError(failure);
}

QString LivePlayController::positionText() {
    const auto p = audition.position();
    if (!p) return {};
    return tr("source %1  processed %2")
        .arg(NowPlayingPanel::clockText(static_cast<double>(p->source) / rate),
             NowPlayingPanel::clockText(static_cast<double>(p->processed) / rate));
}

} // namespace Ui
