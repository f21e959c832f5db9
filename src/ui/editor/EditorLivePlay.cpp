#include "ui/editor/EditorLivePlay.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "ui/common/Dialogs.h"
#include "ui/editor/MarkPointEdit.h"
#include "ui/editor/WaveEditor.h"

namespace Ui {

namespace {
// The preview command, beside whose button this one goes.
constexpr int kPreview = 100005;
} // namespace

EditorLivePlay::EditorLivePlay(CWaveEditor& editor_, Output::CAudioEngine& player,
                               std::function<Engine::Quality()> quality_)
    : editor(editor_), audition(player), quality(std::move(quality_)) {
    command = new QAction(tr("Play pro&cessed"), &editor);
    command->setObjectName(QStringLiteral("cmdPlayProcessed"));
    command->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_Return),
                           QKeySequence(Qt::ShiftModifier | Qt::KeypadModifier | Qt::Key_Enter)});
    command->setStatusTip(tr("Play from the cursor along the curves, computed while it plays; "
                             "edits are heard at once"));
    command->setToolTip(tr("Play processed"));
    editor.addAction(command);
    placeCommand();
    connect(command, &QAction::triggered, this, &EditorLivePlay::playProcessed);
    timer = new QTimer(this);
    // Polled rather than told: every way of editing the curves (mouse, keys, undo, paste,
    // loading, snapshots) is seen, and a look compares a few points.
    timer->setInterval(kFollowMs);
    connect(timer, &QTimer::timeout, this, &EditorLivePlay::follow);
}

EditorLivePlay::~EditorLivePlay() = default;

// In the Play menu after the preview, and as a button right of the preview's.
void EditorLivePlay::placeCommand() {
    QAction* preview = editor.action(kPreview);
    if (auto* bar = editor.findChild<QMenuBar*>())
        for (QAction* menu : bar->actions()) {
            const QList<QAction*> entries =
                menu->menu() ? menu->menu()->actions() : QList<QAction*>();
            const qsizetype at = entries.indexOf(preview);
            // After the preview and the command that plays the finished one.
            if (at >= 0)
                menu->menu()->insertAction(at + 2 < entries.size() ? entries[at + 2] : nullptr,
                                           command);
        }
    auto* buttons = editor.findChild<QToolBar*>(QStringLiteral("buttons"));
    if (!buttons) return;
    auto* button = new QToolButton(buttons);
    button->setDefaultAction(command);
    button->setObjectName(QStringLiteral("buttonPlayProcessed"));
    const QString label = QStringLiteral("▶~");
    button->setText(label);
    button->setAccessibleName(tr("Play processed"));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(label) + 9);
    connect(command, &QAction::changed, button, [button, label] { button->setText(label); });
    const QList<QAction*> items = buttons->actions();
    QAction* after = nullptr;
    for (qsizetype i = 0; i + 1 < items.size(); ++i)
        if (auto* b = qobject_cast<QToolButton*>(buttons->widgetForAction(items[i]));
            b && b->defaultAction() == preview)
            after = items[i + 1];
    buttons->insertWidget(after, button);
}

void EditorLivePlay::playProcessed() {
    editor.playbackTakenOver();
    App::CFileRow& row = editor.row();
    try {
        audition.play(row.getCache(), row.curves(), editor.document().getCursorFrame(), quality(),
                      row.nameLine());
    } catch (const std::exception& e) {
        Dialogs::current().message(&editor, QString::fromStdString(e.what()),
                                   QStringLiteral("error"));
        return;
    }
    if (!audition.isPlaying()) return;
    lastCursor = -1;
    showStatus(tr("playing processed \"%1\"").arg(QString::fromStdString(row.nameLine())));
    timer->start();
}

void EditorLivePlay::stop() {
    audition.stop();
    finished();
}

void EditorLivePlay::follow() {
    if (!audition.follow(editor.row().curves())) return finished();
    const auto frame = audition.sourceFrame();
    if (!frame || *frame == lastCursor) return;
    lastCursor = *frame;
    editor.document().setCursorFrame(*frame);
    editor.view()->update();
}

void EditorLivePlay::finished() {
    if (!timer->isActive()) return;
    timer->stop();
    showStatus(tr("played processed; underruns: %1").arg(audition.underruns()));
    if (const std::string failure = audition.failure(); !failure.empty())
        Dialogs::current().message(&editor, QString::fromStdString(failure),
                                   QStringLiteral("error"));
}

void EditorLivePlay::showStatus(const QString& text) {
    if (auto* status = editor.findChild<QStatusBar*>(QStringLiteral("status")))
        status->showMessage(text);
}

} // namespace Ui
