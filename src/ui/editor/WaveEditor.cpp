#include "ui/editor/WaveEditor.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/WaveOverview.h"
#include "editor/FileInfoLine.h"
#include "editor/SelectionRange.h"
#include "editor/TimeScaleLabels.h"
#include "ui/common/Dialogs.h"
#include "ui/common/TempoDialog.h"
#include "ui/common/ThemeColours.h"
#include "ui/editor/EditorCommands.h"
#include "ui/editor/EditorPlayback.h"
#include "ui/editor/HorizontalTimeScale.h"
#include "ui/editor/MarkPointEdit.h"
#include "ui/editor/MarkPointFiles.h"
#include "ui/editor/ValueRuler.h"

namespace Ui {

using namespace EditorCommand;
using MarkPoints::KEEP;
using MarkPoints::LINEAR;
using MarkPoints::SQUARE;

namespace {

constexpr double kMinFramesPerPixel = 1.0 / 64.0;
// Zoomed in, the values scroll; zoomed out, the whole range takes a part of the view's height.
constexpr double kMinVerticalZoom = 1.0 / 16.0;
constexpr double kMaxVerticalZoom = 4.0;

} // namespace

CWaveEditor::CWaveEditor(App::CFileRow& row, Output::CAudioEngine& player,
                         std::function<Engine::Quality()> quality, QWidget* parent)
    : QWidget(parent, Qt::Window), model(row) {
    setObjectName(QStringLiteral("CWaveEditor"));
    setWindowTitle(QString::fromStdString(row.editorTitle()));
    setAccessibleName(windowTitle());
    resize(620, 460);
    tempo = row.getSourceBpm();
    doc = std::make_unique<Editor::CEditorDocument>(
        row.curves(), static_cast<std::int64_t>(row.frames()), tempo, MarkPoints::SCALE_TIME);
    files = std::make_unique<MarkPointFiles>(this, row, *doc, snapshots, [this] { return tempo; });
    playback = std::make_unique<EditorPlayback>(row, player, std::move(quality), this);
    buildWindow();
    connectCommands();
    connectView();

    timer = new QTimer(this);
    timer->setInterval(25);
    connect(timer, &QTimer::timeout, this, &CWaveEditor::tick);
    timer->start();
    rebuildInfoLine();
    updateActions();
    markPointEdit->setFocus();
}

CWaveEditor::~CWaveEditor() {
    timer->stop();
}

void CWaveEditor::buildWindow() {
    auto* bar = new QMenuBar(this);
    buildEditorMenus(*bar, commands);
    markPointEdit = new CMarkPointEdit(*doc, this);
    markPointEdit->setContextMenu(buildViewMenu(this, commands));
    markPointEdit->setWavePainter(waveform.hook());
    // The waveform keeps its blue, lighter on a dark view; its centre line stays faint.
    const QPalette& colours = markPointEdit->palette();
    const QColor blue =
        Theme::isDark(colours) ? QColor(0x7f, 0xa8, 0xd4) : QColor(0x4a, 0x6f, 0x96);
    waveform.setColors(blue, Theme::mix(Theme::curveViewBackground(colours), blue, 0.35));
    horizontal = new QScrollBar(Qt::Horizontal, this);
    horizontal->setObjectName(QStringLiteral("CScrollbar"));
    horizontal->setAccessibleName(tr("Scroll the waveform"));
    vertical = new QScrollBar(Qt::Vertical, this);
    vertical->setObjectName(QStringLiteral("verticalScroll"));
    vertical->setAccessibleName(tr("Scroll the values"));
    status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("status"));
    status->setSizeGripEnabled(false);
    infoLine = new QLabel(this);
    infoLine->setObjectName(QStringLiteral("infoLine"));
    status->addPermanentWidget(infoLine);

    timeRuler = new CHorizontalTimeScale(this);
    timeRuler->setSampleRate(model.format().sampleRate);
    timeRuler->setTempo(tempo);
    timeRuler->addActions({&commands.at(kClock), &commands.at(kMusical)});
    for (std::uint32_t s = 1; s <= 3; ++s)
        valueRulers[s - 1] = new CValueRuler(s, this);
    valueRulers[0]->addActions({&commands.at(kPercent), &commands.at(kBpm)});

    // The time values left of the view, pitch and formant right of it; each value ruler
    // reaches up beside the time ruler, where it shows its header.
    auto* grid = new QGridLayout;
    grid->setSpacing(0);
    grid->addWidget(valueRulers[0], 0, 0, 2, 1);
    grid->addWidget(timeRuler, 0, 1);
    grid->addWidget(markPointEdit, 1, 1);
    grid->addWidget(vertical, 1, 2);
    grid->addWidget(valueRulers[1], 0, 3, 2, 1);
    grid->addWidget(valueRulers[2], 0, 4, 2, 1);
    grid->addWidget(horizontal, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(bar);
    layout->addWidget(buildEditorButtons(this, commands));
    layout->addLayout(grid, 1);
    layout->addWidget(status);
}

// --- commands -------------------------------------------------------------------------------

void CWaveEditor::connectCommands() {
    auto on = [this](int id, std::function<void()> f) {
        connect(&commands.at(id), &QAction::triggered, this, [this, f] { run(f); });
    };
    // Document commands run through the view, which repaints and reports the edit.
    auto onDoc = [this](int id, std::function<void()> f) {
        connect(&commands.at(id), &QAction::triggered, this, [this, f] {
            markPointEdit->run(f);
            refresh();
        });
    };
    Editor::CurveCommands& edits = doc->commands();
    on(kNew, [this] { files->newCurves(); });
    on(kOpen, [this] { files->open(); });
    on(kOpenStandard, [this] { files->open(); });
    on(kSave, [this] { files->save(); });
    on(kSaveAs, [this] { files->saveAs(); });
    on(kClose, [this] { close(); });
    onDoc(kCopy, [&edits] { edits.copy(); });
    onDoc(kCut, [&edits] { edits.cut(); });
    onDoc(kPaste, [&edits] { edits.paste(); });
    onDoc(kDelete, [&edits] { edits.deleteSelected(); });
    onDoc(kUndo, [&edits] { edits.undo(); });
    onDoc(kRedo, [&edits] { edits.redo(); });
    onDoc(kSelectAll, [&edits] { edits.selectAll(); });
    onDoc(kInvert, [&edits] { edits.invertSelection(); });
    onDoc(kStyleLinear, [&edits] { edits.setLineStyle(LINEAR); });
    onDoc(kStyleSquare, [&edits] { edits.setLineStyle(SQUARE); });
    onDoc(kStyleKeep, [&edits] { edits.setLineStyle(KEEP); });
    onDoc(kNewLinear, [this] { doc->setNewPointStyle(LINEAR); });
    onDoc(kNewSquare, [this] { doc->setNewPointStyle(SQUARE); });
    onDoc(kNewKeep, [this] { doc->setNewPointStyle(KEEP); });
    connectViewCommands();
}

void CWaveEditor::connectViewCommands() {
    auto on = [this](int id, std::function<void()> f) {
        connect(&commands.at(id), &QAction::triggered, this, [this, f] { run(f); });
    };
    // Checkable commands follow their checked state rather than their trigger: assistive
    // technology toggles a tool button without triggering its action. A state the editor
    // refuses (showing while a drag runs) is put back by the refresh.
    auto onToggled = [this](int id, std::function<void(bool)> f) {
        connect(&commands.at(id), &QAction::toggled, this, [f](bool checked) { f(checked); });
    };
    for (std::uint32_t s = 1; s <= 3; ++s) {
        onToggled(kScaleTime + static_cast<int>(s) - 1, [this, s](bool checked) {
            if (checked && doc->getCurrentScale() != s) run([this, s] { doc->setCurrentScale(s); });
            if (!checked && doc->getCurrentScale() == s) updateActions(); // stays the current one
        });
        onToggled(kShowTime + static_cast<int>(s) - 1, [this, s](bool checked) {
            if (checked != doc->isShown(s)) run([this, s] { doc->setShown(s, !doc->isShown(s)); });
        });
    }
    on(kPercent, [this] { setTimeDisplay(MarkPoints::TIMEDISPLAY_PERCENT); });
    on(kBpm, [this] { setTimeDisplay(MarkPoints::TIMEDISPLAY_BPM); });
    on(kClock, [this] { setRulerType(Editor::TIMESCALE_CLOCK); });
    on(kMusical, [this] { setRulerType(Editor::TIMESCALE_MUSICAL); });
    on(kTempo, [this] { askTempo(); });
    for (int i = 0; i < 4; ++i) {
        on(kStoreA + i, [this, i] { storeSnapshot(i); });
        on(kRecallA + i, [this, i] { recallSnapshot(i); });
    }
    on(kZoomIn, [this] { zoomHorizontally(0.5); });
    on(kZoomOut, [this] { zoomHorizontally(2.0); });
    on(kOneToOne, [this] { setFramesPerPixel(1.0); });
    on(kFit, [this] { zoomToFit(); });
    on(kZoomUp, [this] { zoomVertically(0.5); });
    on(kZoomDown, [this] { zoomVertically(2.0); });
    on(kPlay, [this] { playback->play(playRange()); });
    on(kStop, [this] { playback->stop(); });
    onToggled(kFreeEdit, [this](bool checked) { freeEdit = checked; });
    on(kPreview, [this] { playback->preview(selection()); });
    on(kPlayPreview, [this] { playback->playPreview(); });
    on(kPlayProcessed, [this] { playback->playProcessed(doc->getCursorFrame()); });
    on(kInfoLine, [this] { rebuildInfoLine(); });
}

void CWaveEditor::connectView() {
    connect(markPointEdit, &CMarkPointEdit::edited, this, &CWaveEditor::updateActions);
    connect(markPointEdit, &CMarkPointEdit::edited, playback.get(), &EditorPlayback::followCurves);
    connect(playback.get(), &EditorPlayback::statusChanged, this, &CWaveEditor::showStatus);
    connect(playback.get(), &EditorPlayback::stateChanged, this, &CWaveEditor::updateActions);
    connect(horizontal, &QScrollBar::valueChanged, this, [this](int value) {
        doc->geometry().setFirstFrame(value);
        refresh();
    });
    connect(vertical, &QScrollBar::valueChanged, this, [this](int value) {
        doc->geometry().setVerticalScroll(value);
        refresh();
    });
    markPointEdit->installEventFilter(this);
}

void CWaveEditor::run(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        Dialogs::current().message(this, QString::fromStdString(e.what()), tr("error"));
    } catch (...) {
        Dialogs::current().message(this, tr("CWaveEditor: unknown error!"), tr("error"));
    }
    refresh();
}

void CWaveEditor::storeSnapshot(int slot) {
    snapshots.store(slot, {doc->curve(1), doc->curve(2), doc->curve(3)});
}

void CWaveEditor::recallSnapshot(int slot) {
    if (!doc->interaction().isIdle()) return;
    const Editor::Curves* curves = snapshots.recall(slot);
    if (!curves) return;
    doc->replaceCurves(*curves);
    doc->setModified(true);
    doc->clearHistory();
}

void CWaveEditor::setTimeDisplay(std::uint32_t type) {
    if (type == MarkPoints::TIMEDISPLAY_BPM && !ensureTempo()) return;
    doc->setTimeDisplay(type);
}

void CWaveEditor::setRulerType(std::uint32_t type) {
    if (type == Editor::TIMESCALE_MUSICAL && !ensureTempo()) return;
    rulerType = type;
}

bool CWaveEditor::ensureTempo() {
    if (tempo > 0.0) return true;
    askTempo();
    return tempo > 0.0;
}

void CWaveEditor::askTempo() {
    if (const auto bpm = Ui::askTempo(this, tr("Tempo in BPM:"), tempo > 0.0 ? tempo : 120.0,
                                      tempoDetectionOf(model.getCache())))
        setTempo(*bpm);
}

void CWaveEditor::setTempo(double bpm) {
    tempo = bpm;
    doc->setBaseBpm(bpm);
    timeRuler->setTempo(bpm);
    syncRulers();
}

void CWaveEditor::setFramesPerPixel(double fpp) {
    doc->geometry().setFramesPerPixel(fpp);
    syncScrollBars();
}

void CWaveEditor::zoomHorizontally(double factor) {
    const double fpp = doc->geometry().getFramesPerPixel() * factor;
    const double widest = std::max(1.0, static_cast<double>(doc->getFileLength()));
    if (fpp < kMinFramesPerPixel || fpp > widest) return;
    setFramesPerPixel(fpp);
}

void CWaveEditor::zoomToFit() {
    const auto& r = doc->geometry().getViewRect();
    const double width = std::max(1, r.right - r.left);
    double fpp = 1.0;
    while (width * fpp < static_cast<double>(doc->getFileLength()))
        fpp *= 2.0;
    doc->geometry().setFirstFrame(0);
    setFramesPerPixel(fpp);
}

CWaveEditor::ViewState CWaveEditor::viewState() const {
    const Editor::CViewGeometry& g = doc->geometry();
    ViewState v{g.getFramesPerPixel(),
                g.getFirstFrame(),
                g.getVerticalZoom(),
                g.getVerticalScroll(),
                {},
                rulerType,
                tempo};
    for (std::uint32_t s = 1; s <= 3; ++s)
        v.shown[s - 1] = doc->isShown(s);
    return v;
}

void CWaveEditor::restoreView(const ViewState& v) {
    fitted = true; // the first size keeps this view
    if (v.tempo > 0.0) setTempo(v.tempo);
    if (v.rulerType != Editor::TIMESCALE_MUSICAL || tempo > 0.0) rulerType = v.rulerType;
    for (std::uint32_t s = 1; s <= 3; ++s)
        doc->setShown(s, v.shown[s - 1]);
    Editor::CViewGeometry& g = doc->geometry();
    g.setFirstFrame(std::clamp<std::int64_t>(v.firstFrame, 0, doc->getFileLength()));
    g.setVerticalZoom(v.verticalZoom);
    g.setVerticalScroll(v.verticalScroll);
    setFramesPerPixel(v.framesPerPixel);
    refresh();
}

void CWaveEditor::fitOnce() {
    if (fitted || shut) return;
    fitted = true;
    zoomToFit();
    refresh();
}

void CWaveEditor::zoomVertically(double factor) {
    const double zoom = doc->geometry().getVerticalZoom() * factor;
    if (zoom < kMinVerticalZoom || zoom > kMaxVerticalZoom) return;
    doc->geometry().setVerticalZoom(zoom);
    syncScrollBars();
}

std::optional<Editor::FrameRange> CWaveEditor::selection() const {
    return Editor::selectionRange(model.curves(), doc->getFileLength());
}

Editor::FrameRange CWaveEditor::playRange() const {
    return selection().value_or(Editor::FrameRange{0, doc->getFileLength()});
}

void CWaveEditor::rebuildInfoLine() {
    infoLine->setText(QString::fromStdString(Editor::fileInfoLine(
        model.format(), model.frames(), model.isSplit(), model.getFileType())));
}

// --- state ----------------------------------------------------------------------------------

const QString& CWaveEditor::markPointPath() const {
    return files->path();
}

QString CWaveEditor::statusText() const {
    return status->currentMessage();
}

bool CWaveEditor::isPreviewRendering() const {
    return playback->isPreviewRendering();
}

bool CWaveEditor::isPlayingPreview() const {
    return playback->isPlayingPreview();
}

bool CWaveEditor::isPlaying() const {
    return playback->isPlaying();
}

Editor::LiveCurveAudition& CWaveEditor::processedAudition() const {
    return playback->liveAudition();
}

void CWaveEditor::playbackTakenOver() {
    playback->playbackTakenOver();
}

void CWaveEditor::showStatus(const QString& text) {
    if (text.isEmpty())
        status->clearMessage();
    else
        status->showMessage(text);
}

// Every 25 ms: the cursor follows what plays.
void CWaveEditor::tick() {
    if (const std::optional<std::int64_t> cursor = playback->cursorNow()) {
        doc->setCursorFrame(*cursor);
        markPointEdit->update();
    }
}

void CWaveEditor::refresh() {
    if (shut) return; // a refresh queued before the window closed: its row may be gone
    syncScrollBars();
    syncRulers();
    rescanWaveform();
    updateActions();
    markPointEdit->refresh();
}

void CWaveEditor::updateActions() {
    const bool idle = doc->interaction().isIdle();
    for (int i = 0; i < 4; ++i) {
        commands.at(kStoreA + i).setEnabled(snapshots.canStore(i));
        commands.at(kRecallA + i).setEnabled(snapshots.canRecall(i) && idle);
    }
    for (std::uint32_t s = 1; s <= 3; ++s) {
        commands.at(kScaleTime + static_cast<int>(s) - 1).setChecked(doc->getCurrentScale() == s);
        commands.at(kShowTime + static_cast<int>(s) - 1).setChecked(doc->isShown(s));
    }
    const std::uint32_t style = doc->getNewPointStyle();
    commands.at(kNewLinear).setChecked(style == LINEAR);
    commands.at(kNewSquare).setChecked(style == SQUARE);
    commands.at(kNewKeep).setChecked(style == KEEP);
    const std::uint32_t display = doc->getTimeDisplay();
    commands.at(kPercent).setChecked(display == MarkPoints::TIMEDISPLAY_PERCENT);
    commands.at(kBpm).setChecked(display == MarkPoints::TIMEDISPLAY_BPM);
    commands.at(kClock).setChecked(rulerType == Editor::TIMESCALE_CLOCK);
    commands.at(kMusical).setChecked(rulerType == Editor::TIMESCALE_MUSICAL);
    const Editor::CurveCommands& edits = doc->commands();
    commands.at(kUndo).setEnabled(edits.canUndo());
    commands.at(kRedo).setEnabled(edits.canRedo());
    const bool selected = edits.anySelected();
    for (int id : {kCut, kCopy, kDelete})
        commands.at(id).setEnabled(selected);
    commands.at(kPaste).setEnabled(edits.hasClipboard());
    commands.at(kPlayPreview).setEnabled(playback->hasPreview());
    commands.at(kFreeEdit).setChecked(freeEdit);
}

void CWaveEditor::syncScrollBars() {
    const Editor::CViewGeometry& g = doc->geometry();
    const auto& r = g.getViewRect();
    const double fpp = g.getFramesPerPixel();
    const auto visible = static_cast<std::int64_t>(std::max(1, r.right - r.left) * fpp);
    const std::int64_t last = std::max<std::int64_t>(0, doc->getFileLength() - visible);
    const QSignalBlocker block(horizontal);
    horizontal->setRange(0, static_cast<int>(std::min<std::int64_t>(last, INT32_MAX)));
    horizontal->setPageStep(static_cast<int>(std::max<std::int64_t>(1, visible)));
    horizontal->setSingleStep(static_cast<int>(std::max(1.0, 16 * fpp)));
    if (g.getFirstFrame() > last) doc->geometry().setFirstFrame(last);
    horizontal->setValue(static_cast<int>(g.getFirstFrame()));
    const int height = std::max(1, r.bottom - r.top);
    const int full = static_cast<int>(height / g.getVerticalZoom() + 0.5);
    const QSignalBlocker blockV(vertical);
    vertical->setRange(0, std::max(0, full - height));
    vertical->setPageStep(height);
    vertical->setVisible(full > height);
}

void CWaveEditor::syncRulers() {
    const Editor::CViewGeometry& g = doc->geometry();
    timeRuler->setView(g.getFirstFrame(), g.getFramesPerPixel());
    timeRuler->setDisplayType(rulerType);
    for (CValueRuler* ruler : valueRulers) {
        const int top = markPointEdit->geometry().top() - ruler->geometry().top() +
                        g.getViewRect().top - g.getVerticalScroll();
        ruler->setAxis(g.scale(), top);
        ruler->setTimeDisplay(doc->getTimeDisplay());
        ruler->update();
    }
    timeRuler->update();
}

void CWaveEditor::rescanWaveform() {
    const Editor::CViewGeometry& g = doc->geometry();
    const auto& r = g.getViewRect();
    try {
        waveform.rescan(model.getCache(), {model.getOverview(), App::kOverviewFramesPerLevel},
                        {g.getFirstFrame(), g.getFramesPerPixel(), r.right - r.left});
    } catch (const std::exception& e) {
        showStatus(QString::fromStdString(e.what()));
    }
}

// --- events ---------------------------------------------------------------------------------

bool CWaveEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched != markPointEdit) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
        // The view takes its new size in its own handler, which runs after this filter. The
        // first size shows the whole file.
        QMetaObject::invokeMethod(this, fitted ? &CWaveEditor::refresh : &CWaveEditor::fitOnce,
                                  Qt::QueuedConnection);
        break;
    case QEvent::MouseMove: {
        const int y = static_cast<QMouseEvent*>(event)->position().toPoint().y();
        for (CValueRuler* ruler : valueRulers)
            ruler->setMouseValue(doc->geometry().valueOfPixel(y));
        break;
    }
    case QEvent::Leave:
        for (CValueRuler* ruler : valueRulers)
            ruler->setMouseValue(std::nullopt);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void CWaveEditor::keyPressEvent(QKeyEvent* event) {
    if (commands.runKeypadKey(*event)) return;
    switch (event->key()) {
    case Qt::Key_Space:
        if (!event->isAutoRepeat()) run([this] { playback->togglePlay(playRange()); });
        return;
    case Qt::Key_Escape:
    case Qt::Key_Shift:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Pressed while a button has the focus: the view's keys all the same.
        if (!markPointEdit->hasFocus()) {
            QCoreApplication::sendEvent(markPointEdit, event);
            return refresh();
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void CWaveEditor::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Shift && !markPointEdit->hasFocus()) {
        QCoreApplication::sendEvent(markPointEdit, event);
        return refresh();
    }
    QWidget::keyReleaseEvent(event);
}

void CWaveEditor::closeEvent(QCloseEvent* event) {
    if (!files->askAboutUnsaved()) return event->ignore();
    playback->shutDown();
    timer->stop();
    markPointEdit->removeEventFilter(this);
    shut = true;
    event->accept();
    emit closed(this);
}

} // namespace Ui
