#include "ui/main/NowPlayingPanel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace Ui {

NowPlayingPanel::NowPlayingPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("NowPlaying"));
    setFrameShape(QFrame::StyledPanel);
    name = new QLabel(this);
    name->setObjectName(QStringLiteral("playingName"));
    where = new QLabel(this);
    where->setObjectName(QStringLiteral("playingPosition"));
    auto* stop = new QPushButton(tr("Stop"), this);
    stop->setObjectName(QStringLiteral("playingStop"));
    connect(stop, &QPushButton::clicked, this, &NowPlayingPanel::stopRequested);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(new QLabel(tr("Playing:"), this));
    layout->addWidget(name, 1);
    layout->addWidget(where);
    layout->addWidget(stop);
    row = layout;
    timer = new QTimer(this);
    timer->setInterval(100);
    connect(timer, &QTimer::timeout, this, &NowPlayingPanel::tick);
    hide();
}

void NowPlayingPanel::started(Audio::i32, Audio::i64 start) {
    startFrame = start;
    frame = start;
}

void NowPlayingPanel::position(Audio::i32, Audio::i64 at) {
    frame = at;
}

void NowPlayingPanel::showPlaying(const QString& file, double sampleRate) {
    rate = sampleRate > 0 ? sampleRate : 44100.0;
    startFrame = 0;
    frame = 0;
    name->setText(file);
    tick();
    timer->start();
    show();
}

void NowPlayingPanel::showStopped() {
    timer->stop();
    hide();
}

void NowPlayingPanel::addButton(QAction* action) {
    auto* button = new QToolButton(this);
    button->setDefaultAction(action);
    button->setObjectName(QStringLiteral("playing") + action->objectName());
    row->insertWidget(row->count() - 1, button);
}

QString NowPlayingPanel::positionText() const {
    return clockText(static_cast<double>(std::max<Audio::i64>(0, frame - startFrame)) / rate);
}

QString NowPlayingPanel::clockText(double seconds) {
    const int whole = static_cast<int>(seconds);
    return QStringLiteral("%1:%2.%3")
        .arg(whole / 60)
        .arg(whole % 60, 2, 10, QLatin1Char('0'))
        .arg(static_cast<int>((seconds - whole) * 10));
}

void NowPlayingPanel::tick() {
    const QString text = positionOverride ? positionOverride() : QString();
    where->setText(text.isEmpty() ? positionText() : text);
}

} // namespace Ui
