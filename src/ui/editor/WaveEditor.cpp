#include "ui/editor/WaveEditor.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/FileRow.h"
#include "app/SourceOpener.h"
#include "app/WaveOverview.h"
#include "ui/common/Dialogs.h"
#include "editor/FileInfoLine.h"
#include "editor/MarkPointFileName.h"
#include "editor/SelectionRange.h"
#include "editor/TimeScaleLabels.h"
#include "editor/UnsavedChanges.h"
#include "markpoints/MarkPointFile.h"
#include "ui/editor/EditorLivePlay.h"
#include "ui/editor/HorizontalTimeScale.h"
#include "ui/editor/MarkPointEdit.h"
#include "ui/editor/ValueRuler.h"

namespace Ui {

using MarkPoints::KEEP;
using MarkPoints::LINEAR;
using MarkPoints::SQUARE;

struct CWaveEditor::Command {
    int id;
    const char* text;
    QList<QKeySequence> keys;
    const char* tip = nullptr;
};

namespace {

enum : int {
    kNew = 34027,
    kOpen = 34026,
    kOpenStandard = 57601,
    kSave = 34028,
    kSaveAs = 34029,
    kClose = 34030,
    kCopy = 57634,
    kCut = 57635,
    kPaste = 57637,
    kDelete = 34045,
    kUndo = 57643,
    kRedo = 57644,
    kSelectAll = 34053,
    kInvert = 34054,
    kStyleLinear = 34087,
    kStyleSquare = 34088,
    kStyleKeep = 34089,
    kNewLinear = 34071,
    kNewSquare = 34072,
    kNewKeep = 34073,
    kScaleTime = 34057,
    kShowTime = 34039,
    kPercent = 34064,
    kBpm = 34063,
    kClock = 34094,
    kMusical = 34095,
    kTempo = 34069,
    kStoreA = 34031,
    kRecallA = 34035,
    kZoomIn = 34049,
    kZoomOut = 34050,
    kZoomUp = 34091,
    kZoomDown = 34092,
    kOneToOne = 34060,
    kFit = 34061,
    kPlay = 100002,
    kStop = 100003,
    kFreeEdit = 100004,
    kPreview = 100005,
    kPlayPreview = 34106,
    kInfoLine = 34107,
};

constexpr double kMinFramesPerPixel = 1.0 / 64.0;
constexpr double kMinVerticalZoom = 1.0 / 16.0;
constexpr double kMaxVerticalZoom = 1.0;

const char* const kUnsavedText = "You forgot to save! Do you want to save right now?";
const char* const kFreeEditTip = "In Free Edit Mode one click is enough to add a new mark point";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QString mptFilter() {
    return QStringLiteral("MarkPoint Files (*.mpt)");
}

QString quotedName(const char* what, const App::CFileRow& row) {
    return QStringLiteral("%1 \"%2\"").arg(QLatin1String(what), qs(row.nameLine()));
}

// The tempo question: a number between 1 and 10000, "," read as ".".
class TempoDialog : public QDialog {
  public:
    TempoDialog(double preset, QWidget* parent) : QDialog(parent) {
        setObjectName(QStringLiteral("TempoDialog"));
        setWindowTitle(QStringLiteral("Tempo"));
        field = new QLineEdit(QString::number(preset, 'f', 2), this);
        field->setObjectName(QStringLiteral("IDC_BPM"));
        field->setAccessibleName(QStringLiteral("BPM"));
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &TempoDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &TempoDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QStringLiteral("Tempo in BPM:"), this));
        layout->addWidget(field);
        layout->addWidget(buttons);
    }
    void accept() override {
        if (const auto bpm = App::sourceBpmFrom(field->text().toStdString())) {
            chosen = *bpm;
            QDialog::accept();
        } else {
            Dialogs::current().message(this, QLatin1String(App::kInvalidBpm), kAppTitle);
        }
    }
    double value() const { return chosen; }

  private:
    QLineEdit* field = nullptr;
    double chosen = 0.0;
};

} // namespace

CWaveEditor::CWaveEditor(App::CFileRow& row, Output::CAudioEngine& audio,
                         std::function<Engine::Quality()> algorithm, QWidget* parent)
    : QWidget(parent, Qt::Window), model(row), player(audio), quality(std::move(algorithm)) {
    setObjectName(QStringLiteral("CWaveEditor"));
    setWindowTitle(qs(row.editorTitle()));
    setAccessibleName(windowTitle());
    resize(620, 460);
    tempo = row.getSourceBpm();
    doc = std::make_unique<Editor::CEditorDocument>(
        row.curves(), static_cast<std::int64_t>(row.frames()), tempo, MarkPoints::SCALE_TIME);

    auto* bar = new QMenuBar(this);
    buildMenus(bar);
    markPointEdit = new CMarkPointEdit(*doc, this);
    markPointEdit->setObjectName(QStringLiteral("CMarkPointEdit"));
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
    timeRuler->setObjectName(QStringLiteral("CHorizontalTimeScale"));
    timeRuler->setAccessibleName(tr("Time ruler"));
    timeRuler->setSampleRate(row.format().sampleRate);
    timeRuler->setTempo(tempo);
    const char* rulerNames[] = {"Time values", "Pitch values", "Formant values"};
    for (std::uint32_t s = 1; s <= 3; ++s) {
        auto* ruler = new CValueRuler(s, this);
        ruler->setObjectName(QStringLiteral("CValueRuler%1").arg(s));
        ruler->setAccessibleName(tr(rulerNames[s - 1]));
        valueRulers[s - 1] = ruler;
    }
    markPointEdit->setWavePainter(waveform.hook());

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
    layout->addWidget(buildButtons());
    layout->addLayout(grid, 1);
    layout->addWidget(status);
    connectCommands();
    connectView();
    livePlay = std::make_unique<EditorLivePlay>(*this, player, quality);
    markPointEdit->installEventFilter(this);

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
    renderer.abort();
    renderer.wait();
    if (previewCache) player.stopIfPlaying(previewCache.get());
    if (playMode == PlayMode::File) player.stopIfPlaying(&model.getCache());
}

// --- building -------------------------------------------------------------------------------

QAction* CWaveEditor::addCommand(QMenu* menu, const Command& c) {
    auto* a = new QAction(tr(c.text), this);
    a->setObjectName(QStringLiteral("cmd%1").arg(c.id));
    a->setShortcuts(c.keys);
    a->setShortcutContext(Qt::WindowShortcut);
    if (c.tip) a->setToolTip(tr(c.tip));
    if (menu) menu->addAction(a);
    addAction(a);
    actions[c.id] = a;
    return a;
}

void CWaveEditor::buildMenus(QMenuBar* bar) {
    using K = QKeySequence;
    QMenu* file = bar->addMenu(tr("&File"));
    addCommand(file, {kNew, "&New dynamic settings", {K(Qt::CTRL | Qt::Key_N)}});
    addCommand(file, {kOpen, "&Open dynamic settings...", {K(Qt::CTRL | Qt::Key_O)}});
    addCommand(nullptr, {kOpenStandard, "Open...", {}});
    addCommand(file, {kSave, "&Save dynamic settings", {K(Qt::CTRL | Qt::Key_S)}});
    addCommand(file, {kSaveAs, "Save dynamic settings &as...", {}});
    file->addSeparator();
    addCommand(file, {kClose, "&Close", {K(Qt::ALT | Qt::Key_F4)}});

    QMenu* edit = bar->addMenu(tr("&Edit"));
    addCommand(edit, {kUndo, "&Undo", {K(Qt::CTRL | Qt::Key_Z)}});
    addCommand(edit, {kRedo, "&Redo", {K(Qt::CTRL | Qt::Key_Y)}});
    edit->addSeparator();
    addCommand(edit, {kCut, "Cu&t", {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)}});
    addCommand(edit, {kCopy, "&Copy", {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}});
    addCommand(edit, {kPaste, "&Paste", {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)}});
    addCommand(edit, {kDelete, "&Delete", {K(Qt::Key_Delete), K(Qt::Key_Backspace)}});
    edit->addSeparator();
    addCommand(edit, {kSelectAll, "Select &all", {K(Qt::CTRL | Qt::Key_A)}});
    addCommand(edit, {kInvert, "&Invert selection", {K(Qt::CTRL | Qt::Key_I)}});
    QMenu* style = edit->addMenu(tr("Line &style of the selection"));
    addCommand(style, {kStyleLinear, "&Linear", {}});
    addCommand(style, {kStyleSquare, "&Square", {}});
    addCommand(style, {kStyleKeep, "&Keep", {}});

    QMenu* points = bar->addMenu(tr("&Points"));
    const Command newStyles[] = {{kNewLinear, "New points &linear", {K(Qt::Key_A)}},
                                 {kNewSquare, "New points &square", {K(Qt::Key_S)}},
                                 {kNewKeep, "New points &keep", {}}};
    for (const Command& c : newStyles)
        addCommand(points, c)->setCheckable(true);
    points->addSeparator();
    const char* scales[] = {"&Time curve", "&Pitch curve", "&Formant curve"};
    const char* shows[] = {"Show t&ime curve", "Show p&itch curve", "Show f&ormant curve"};
    for (int i = 0; i < 3; ++i)
        addCommand(points, {kScaleTime + i, scales[i], {K(Qt::Key_F1 + i)}})->setCheckable(true);
    points->addSeparator();
    for (int i = 0; i < 3; ++i)
        addCommand(points, {kShowTime + i, shows[i], {K(Qt::Key_F5 + i)}})->setCheckable(true);

    QMenu* view = bar->addMenu(tr("&View"));
    addCommand(view, {kPercent, "Time values in &percent", {}})->setCheckable(true);
    addCommand(view, {kBpm, "Time values in &BPM", {}})->setCheckable(true);
    view->addSeparator();
    addCommand(view, {kClock, "Ruler in &clock time", {}})->setCheckable(true);
    addCommand(view, {kMusical, "Ruler in &musical time", {}})->setCheckable(true);
    addCommand(view, {kTempo, "&Tempo...", {}});
    view->addSeparator();
    addCommand(view, {kZoomIn, "Zoom &in", {K(Qt::CTRL | Qt::Key_Right)}});
    addCommand(view, {kZoomOut, "Zoom &out", {K(Qt::CTRL | Qt::Key_Left)}});
    addCommand(view, {kOneToOne, "Zoom &1:1", {}});
    addCommand(view, {kFit, "Zoom to &fit", {}});
    addCommand(view, {kZoomUp, "Zoom values i&n", {K(Qt::CTRL | Qt::Key_Up)}});
    addCommand(view, {kZoomDown, "Zoom values o&ut", {K(Qt::CTRL | Qt::Key_Down)}});
    view->addSeparator();
    addCommand(view, {kInfoLine, "Refresh file &information", {}});

    QMenu* snapshotMenu = bar->addMenu(tr("&Snapshots"));
    for (int i = 0; i < 4; ++i) {
        const QString letter(QChar('A' + i));
        QAction* a = addCommand(snapshotMenu, {kStoreA + i, "", {K(Qt::CTRL | (Qt::Key_1 + i))}});
        a->setText(tr("Store snapshot %1").arg(letter));
    }
    snapshotMenu->addSeparator();
    for (int i = 0; i < 4; ++i) {
        const QString letter(QChar('A' + i));
        QAction* a = addCommand(snapshotMenu, {kRecallA + i, "", {K(Qt::Key_1 + i)}});
        a->setText(tr("Recall snapshot %1").arg(letter));
    }

    QMenu* play = bar->addMenu(tr("P&lay"));
    addCommand(play, {kPlay, "&Play", {K(Qt::Key_Return), K(Qt::KeypadModifier | Qt::Key_Enter)}});
    addCommand(play, {kStop, "&Stop", {K(Qt::KeypadModifier | Qt::Key_0)}});
    addCommand(play, {kPreview, "P&review", {K(Qt::KeypadModifier | Qt::Key_Plus)}});
    addCommand(play, {kPlayPreview, "Play the finished previe&w", {}});
    play->addSeparator();
    addCommand(play, {kFreeEdit, "&Free edit mode", {}, kFreeEditTip})->setCheckable(true);
}

QWidget* CWaveEditor::buildButtons() {
    // A tool bar, so that buttons that do not fit a narrow window move to its overflow menu.
    auto* row = new QToolBar(this);
    row->setObjectName(QStringLiteral("buttons"));
    row->setAccessibleName(tr("Editor buttons"));
    row->setMovable(false);
    row->setFloatable(false);
    // The button that opens the buttons a narrow window has no room for comes without a name.
    if (auto* more = row->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(tr("More buttons"));
    // Short labels on the buttons; the accessible name and tooltip carry the command's text.
    const std::pair<int, const char*> buttons[] = {
        {kNewLinear, "/"}, {kNewSquare, "⌐"},     {kNewKeep, "—"},       {0, nullptr},
        {kScaleTime, "T"}, {kScaleTime + 1, "P"}, {kScaleTime + 2, "F"}, {0, nullptr},
        {kShowTime, "t"},  {kShowTime + 1, "p"},  {kShowTime + 2, "f"},  {0, nullptr},
        {kStoreA, "→A"},   {kStoreA + 1, "→B"},   {kStoreA + 2, "→C"},   {kStoreA + 3, "→D"},
        {kRecallA, "A"},   {kRecallA + 1, "B"},   {kRecallA + 2, "C"},   {kRecallA + 3, "D"},
        {0, nullptr},      {kZoomIn, "+"},        {kZoomOut, "−"},       {kOneToOne, "1:1"},
        {kFit, "↔"},       {0, nullptr},          {kPlay, "▶"},          {kStop, "■"},
        {kPreview, "▶P"},  {kFreeEdit, "Free"}};
    for (const auto& [id, label] : buttons) {
        if (!label) {
            row->addSeparator();
            continue;
        }
        QAction* a = actions.at(id);
        auto* b = new QToolButton(row);
        b->setDefaultAction(a);
        b->setObjectName(QStringLiteral("button%1").arg(id));
        b->setText(QString::fromUtf8(label));
        b->setAccessibleName(QString(a->text()).remove(QLatin1Char('&')));
        b->setToolTip(a->toolTip());
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        // As narrow as the label: the whole row fits the window's first width.
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QString::fromUtf8(label)) + 9);
        // setDefaultAction copies the action's text whenever it changes; keep the short label.
        connect(a, &QAction::changed, b, [b, label] { b->setText(QString::fromUtf8(label)); });
        row->addWidget(b);
    }
    return row;
}

void CWaveEditor::connectCommands() {
    auto on = [this](int id, std::function<void()> f) {
        connect(actions.at(id), &QAction::triggered, this, [this, f] { run(f); });
    };
    // Checkable commands follow their checked state rather than their trigger: assistive
    // technology toggles a tool button without triggering its action. A state the editor
    // refuses (showing while a drag runs) is put back by the refresh.
    auto onToggled = [this](int id, std::function<void(bool)> f) {
        connect(actions.at(id), &QAction::toggled, this, [f](bool checked) { f(checked); });
    };
    // Document commands run through the view, which repaints and reports the edit.
    auto onDoc = [this](int id, std::function<void()> f) {
        connect(actions.at(id), &QAction::triggered, this, [this, f] {
            markPointEdit->run(f);
            refresh();
        });
    };
    Editor::CEditorDocument& d = *doc;
    on(kNew, [this] { newCurves(); });
    on(kOpen, [this] { openCurves(); });
    on(kOpenStandard, [this] { openCurves(); });
    on(kSave, [this] { save(); });
    on(kSaveAs, [this] { saveAs(); });
    on(kClose, [this] { close(); });
    onDoc(kCopy, [&d] { d.copy(); });
    onDoc(kCut, [&d] { d.cut(); });
    onDoc(kPaste, [&d] { d.paste(); });
    onDoc(kDelete, [&d] { d.deleteSelected(); });
    onDoc(kUndo, [&d] { d.undo(); });
    onDoc(kRedo, [&d] { d.redo(); });
    onDoc(kSelectAll, [&d] { d.selectAll(); });
    onDoc(kInvert, [&d] { d.invertSelection(); });
    onDoc(kStyleLinear, [&d] { d.setLineStyle(LINEAR); });
    onDoc(kStyleSquare, [&d] { d.setLineStyle(SQUARE); });
    onDoc(kStyleKeep, [&d] { d.setLineStyle(KEEP); });
    onDoc(kNewLinear, [&d] { d.setNewPointStyle(LINEAR); });
    onDoc(kNewSquare, [&d] { d.setNewPointStyle(SQUARE); });
    onDoc(kNewKeep, [&d] { d.setNewPointStyle(KEEP); });
    for (std::uint32_t s = 1; s <= 3; ++s) {
        onToggled(kScaleTime + static_cast<int>(s) - 1, [this, s](bool checked) {
            if (checked && doc->getCurrentScale() != s) run([this, s] { setCurrentScale(s); });
            if (!checked && doc->getCurrentScale() == s) updateActions(); // stays the current one
        });
        onToggled(kShowTime + static_cast<int>(s) - 1, [this, s](bool checked) {
            if (checked != doc->isShown(s)) run([this, s] { toggleShown(s); });
        });
    }
    on(kPercent, [this] { setTimeDisplay(MarkPoints::TIMEDISPLAY_PERCENT); });
    on(kBpm, [this] { setTimeDisplay(MarkPoints::TIMEDISPLAY_BPM); });
    on(kClock, [this] { setRulerType(1); });
    on(kMusical, [this] { setRulerType(2); });
    on(kTempo, [this] { askTempo(); });
    for (int i = 0; i < 4; ++i) {
        on(kStoreA + i, [this, i] { storeSnapshot(i); });
        on(kRecallA + i, [this, i] { recallSnapshot(i); });
    }
    on(kZoomIn, [this] { zoomHorizontally(0.5); });
    on(kZoomOut, [this] { zoomHorizontally(2.0); });
    on(kOneToOne, [this] { zoomOneToOne(); });
    on(kFit, [this] { zoomToFit(); });
    on(kZoomUp, [this] { zoomVertically(0.5); });
    on(kZoomDown, [this] { zoomVertically(2.0); });
    on(kPlay, [this] { play(); });
    on(kStop, [this] { stop(); });
    onToggled(kFreeEdit, [this](bool checked) { freeEdit = checked; });
    on(kPreview, [this] { preview(); });
    on(kPlayPreview, [this] { playPreview(); });
    on(kInfoLine, [this] { rebuildInfoLine(); });
    connect(horizontal, &QScrollBar::valueChanged, this, [this](int value) {
        doc->setFirstFrame(value);
        refresh();
    });
    connect(vertical, &QScrollBar::valueChanged, this, [this](int value) {
        doc->setVerticalScroll(value);
        refresh();
    });
}

void CWaveEditor::connectView() {
    connect(markPointEdit, &CMarkPointEdit::edited, this, &CWaveEditor::updateActions);
    auto ask = [this] { return tempoQuestion(); };
    timeRuler->setTempoQuestion(ask);
    valueRulers[0]->setTempoQuestion(ask);
    connect(timeRuler, &CHorizontalTimeScale::tempoChanged, this, &CWaveEditor::setTempo);
    connect(valueRulers[0], &CValueRuler::tempoChanged, this, &CWaveEditor::setTempo);
    connect(timeRuler, &CHorizontalTimeScale::displayTypeChanged, this, [this](int type) {
        rulerType = static_cast<std::uint32_t>(type);
        updateActions();
    });
    connect(valueRulers[0], &CValueRuler::timeDisplayChanged, this, [this](int display) {
        doc->setTimeDisplay(static_cast<std::uint32_t>(display));
        refresh();
    });
}

std::optional<double> CWaveEditor::tempoQuestion() {
    TempoDialog dialog(tempo > 0.0 ? tempo : 120.0, this);
    if (Dialogs::current().exec(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.value();
}

void CWaveEditor::setTempo(double bpm) {
    tempo = bpm;
    doc->setBaseBpm(bpm);
    timeRuler->setTempo(bpm);
    syncRulers();
}

// --- commands -------------------------------------------------------------------------------

void CWaveEditor::run(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        Dialogs::current().message(this, qs(e.what()), QStringLiteral("error"));
    } catch (...) {
        Dialogs::current().message(this, QStringLiteral("CWaveEditor: unknown error!"),
                                   QStringLiteral("error"));
    }
    refresh();
}

bool CWaveEditor::askAboutUnsaved() {
    return Editor::proceedWithUnsaved(
        doc->isModified(),
        [this] {
            switch (Dialogs::current().questionWithCancel(this, QLatin1String(kUnsavedText),
                                                          QStringLiteral("Warning"))) {
            case Answer::Yes:
                return Editor::SaveAnswer::Yes;
            case Answer::No:
                return Editor::SaveAnswer::No;
            case Answer::Cancel:
                break;
            }
            return Editor::SaveAnswer::Cancel;
        },
        [this] { return save(); });
}

void CWaveEditor::newCurves() {
    if (!askAboutUnsaved()) return;
    doc->replaceCurves({});
    snapshots.clear();
    doc->setModified(false);
    doc->clearHistory();
    path.clear();
}

void CWaveEditor::openCurves() {
    if (!askAboutUnsaved()) return;
    const QString chosen = Dialogs::current().openFile(
        this, QStringLiteral("Select a file to load..."),
        path.isEmpty() ? qs(model.getMembers()[0].directory) : QFileInfo(path).absolutePath(),
        mptFilter());
    if (chosen.isEmpty()) return;
    snapshots.clear();
    try {
        const MarkPoints::CAnchorPointsLoadSave content =
            MarkPoints::loadMarkPointFile(chosen.toStdString());
        doc->replaceCurves({content.getScale(1), content.getScale(2), content.getScale(3)});
    } catch (const std::exception& e) {
        const QString text =
            *e.what() ? qs(e.what()) : QStringLiteral("error while loading markpoints file");
        Dialogs::current().message(this, text, QStringLiteral("error"));
        return;
    } catch (...) {
        Dialogs::current().message(this, QStringLiteral("error while loading markpoints file"),
                                   QStringLiteral("error"));
        return;
    }
    doc->clearHistory();
    doc->setModified(false);
    path = chosen;
}

bool CWaveEditor::save() {
    if (path.isEmpty()) return saveAs();
    return writeCurves(path, QStringLiteral("CWaveEditor::SaveFileDialog() error!"));
}

bool CWaveEditor::saveAs() {
    const std::optional<SaveChoice> choice = Dialogs::current().saveFile(
        this, QStringLiteral("Save File as..."),
        path.isEmpty() ? qs(model.getMembers()[0].directory) : path, mptFilter(), nullptr);
    if (!choice || choice->path.isEmpty()) return false;
    const QString file = qs(Editor::markPointFileName(choice->path.toStdString()));
    return writeCurves(file, QStringLiteral("CWaveEditor::SaveFileAsDialog() error!"));
}

bool CWaveEditor::writeCurves(const QString& file, const QString& caption) {
    MarkPoints::CAnchorPointsLoadSave content;
    for (std::uint32_t s = 1; s <= 3; ++s)
        content.getScale(s) = doc->curve(s);
    content.setSampleRate(model.format().sampleRate);
    content.setFirstInfoWord(1);
    content.setBaseBpm(static_cast<float>(tempo));
    content.setFourthInfoWord(4);
    try {
        MarkPoints::saveMarkPointFile(file.toStdString(), content);
    } catch (const std::exception& e) {
        const QString text =
            *e.what() ? qs(e.what()) : QStringLiteral("error while saving markpoints file");
        Dialogs::current().message(this, text, caption);
        return false;
    } catch (...) {
        Dialogs::current().message(this, QStringLiteral("error while saving markpoints file"),
                                   caption);
        return false;
    }
    doc->setModified(false);
    doc->clearHistory();
    path = file;
    return true;
}

void CWaveEditor::storeSnapshot(int slot) {
    Editor::Curves curves;
    for (std::uint32_t s = 1; s <= 3; ++s)
        curves[s - 1] = doc->curve(s);
    snapshots.store(slot, curves);
}

void CWaveEditor::recallSnapshot(int slot) {
    if (doc->getState() != Editor::EditState::Idle) return;
    const Editor::Curves* curves = snapshots.recall(slot);
    if (!curves) return;
    doc->replaceCurves(*curves);
    doc->setModified(true);
    doc->clearHistory();
}

void CWaveEditor::setCurrentScale(std::uint32_t scale) {
    doc->setCurrentScale(scale);
}

void CWaveEditor::toggleShown(std::uint32_t scale) {
    doc->setShown(scale, !doc->isShown(scale));
}

void CWaveEditor::setTimeDisplay(std::uint32_t type) {
    if (type == MarkPoints::TIMEDISPLAY_BPM && tempo <= 0.0 && !askTempo()) return;
    doc->setTimeDisplay(type);
}

void CWaveEditor::setRulerType(std::uint32_t type) {
    if (type == 2 && tempo <= 0.0 && !askTempo()) return;
    rulerType = type;
}

bool CWaveEditor::askTempo() {
    const std::optional<double> bpm = tempoQuestion();
    if (!bpm) return false;
    setTempo(*bpm);
    return true;
}

void CWaveEditor::setFramesPerPixel(double fpp) {
    doc->setFramesPerPixel(fpp);
    syncScrollBars();
}

void CWaveEditor::zoomHorizontally(double factor) {
    const double fpp = doc->getFramesPerPixel() * factor;
    const double widest = std::max(1.0, static_cast<double>(doc->getFileLength()));
    if (fpp < kMinFramesPerPixel || fpp > widest) return;
    setFramesPerPixel(fpp);
}

void CWaveEditor::zoomOneToOne() {
    setFramesPerPixel(1.0);
}

void CWaveEditor::zoomToFit() {
    const auto& r = doc->getViewRect();
    const double width = std::max(1, r.right - r.left);
    double fpp = 1.0;
    while (width * fpp < static_cast<double>(doc->getFileLength()))
        fpp *= 2.0;
    doc->setFirstFrame(0);
    setFramesPerPixel(fpp);
}

void CWaveEditor::zoomVertically(double factor) {
    const double zoom = doc->getVerticalZoom() * factor;
    if (zoom < kMinVerticalZoom || zoom > kMaxVerticalZoom) return;
    doc->setVerticalZoom(zoom);
    syncScrollBars();
}

std::optional<Editor::FrameRange> CWaveEditor::selection() const {
    return Editor::selectionRange(model.curves(), doc->getFileLength());
}

void CWaveEditor::play() {
    const auto [start, end] = selection().value_or(Editor::FrameRange{0, doc->getFileLength()});
    try {
        player.play(&model.getCache(), model.nameLine(), static_cast<Audio::i32>(start),
                    static_cast<Audio::i32>(end), false, nullptr, 0);
    } catch (...) {
        playMode = PlayMode::None;
        Dialogs::current().message(this,
                                   QStringLiteral("unknown error while trying to play audio!"),
                                   QStringLiteral("error"));
        return;
    }
    if (!player.isPlaying()) return;
    playMode = PlayMode::File;
    rangeStart = start;
    rangeEnd = end;
    showStatus(quotedName("playing", model));
}

void CWaveEditor::togglePlay() {
    if (playMode != PlayMode::None && player.isPlaying() && player.isVoiceActive())
        stop();
    else
        run([this] { play(); });
}

void CWaveEditor::stop() {
    if (playMode == PlayMode::File) player.stopIfPlaying(&model.getCache());
    if (playMode == PlayMode::Preview && previewCache) player.stopIfPlaying(previewCache.get());
    playMode = PlayMode::None;
    showStatus({});
}

void CWaveEditor::playbackTakenOver() {
    playMode = PlayMode::None;
}

bool CWaveEditor::isPlayingPreview() const {
    return playMode == PlayMode::Preview;
}

void CWaveEditor::preview() {
    if (renderer.isRunning()) return; // its result plays when it is ready
    Editor::FrameRange range;
    try {
        range = Editor::previewRange(selection(), doc->getFileLength(), model.format().sampleRate);
    } catch (const std::length_error& e) {
        Dialogs::current().message(this, QLatin1String(e.what()), kAppTitle);
        return;
    }
    if (playMode == PlayMode::Preview) stop();
    renderer.wait();
    previewCursor.reset();
    previewCache.reset();
    previewTime = model.curves()[0];
    previewPitch = model.curves()[1];
    previewRange = range;
    progress =
        std::make_unique<App::PreviewProgress>(model.nameLine(), [this](const std::string& line) {
            QMetaObject::invokeMethod(
                this, [this, text = qs(line)] { showStatus(text); }, Qt::QueuedConnection);
        });
    const bool started =
        renderer.start(model, range.start, range.end, quality ? quality() : Engine::Quality::Fast, *progress,
                       [this](App::PreviewResult r) {
                           auto shared = std::make_shared<App::PreviewResult>(std::move(r));
                           QMetaObject::invokeMethod(
                               this, [this, shared] { previewFinished(std::move(*shared)); },
                               Qt::QueuedConnection);
                       });
    if (!started) return;
    updateActions();
}

void CWaveEditor::previewFinished(App::PreviewResult result) {
    renderer.wait();
    if (closing) return; // arrived after the window closed: nothing plays any more
    updateActions();
    switch (result.outcome) {
    case App::PreviewResult::Aborted:
        showStatus({});
        return;
    case App::PreviewResult::Failed:
        showStatus({});
        Dialogs::current().message(
            this, QStringLiteral("unknown error while trying to play preview audio!"),
            QStringLiteral("error"));
        return;
    case App::PreviewResult::Ready:
        break;
    }
    if (!result.cache || result.cache->file->getFrames() == 0) {
        showStatus({});
        Dialogs::current().message(
            this,
            QStringLiteral("error while playing preview file. preview process returnen NULL!"),
            QStringLiteral("error"));
        return;
    }
    previewCache = std::move(result.cache);
    previewCursor = std::make_unique<Editor::PreviewCursor>(
        previewTime, previewPitch, result.step, previewRange.start, previewRange.end,
        previewCache->file->getFrames());
    updateActions();
    playPreview();
}

void CWaveEditor::playPreview() {
    if (!previewCache) return;
    try {
        player.play(previewCache.get(), model.nameLine(), 0, -1, false, nullptr, 0);
    } catch (...) {
        playMode = PlayMode::None;
        Dialogs::current().message(
            this, QStringLiteral("unknown error while trying to play preview audio!"),
            QStringLiteral("error"));
        return;
    }
    if (!player.isPlaying()) return;
    playMode = PlayMode::Preview;
    showStatus(quotedName("previewing", model));
}

void CWaveEditor::rebuildInfoLine() {
    infoLine->setText(qs(Editor::fileInfoLine(model.format(), model.frames(), model.isSplit(),
                                              model.getFileType())));
}

// --- state ----------------------------------------------------------------------------------

QString CWaveEditor::statusText() const {
    return status->currentMessage();
}

void CWaveEditor::showStatus(const QString& text) {
    if (text.isEmpty())
        status->clearMessage();
    else
        status->showMessage(text);
}

// Every 25 ms. The cursor follows the frames the output has played, i.e. what is heard; the
// player's position reports run ahead of that by its read-ahead.
void CWaveEditor::tick() {
    if (playMode == PlayMode::None) return;
    if (!player.isPlaying() || !player.isVoiceActive()) {
        playMode = PlayMode::None;
        showStatus({});
        return;
    }
    const std::int64_t e = Editor::elapsedSourceFrames(
        static_cast<std::uint64_t>(std::max<Audio::i64>(0, player.getFramesPlayed())),
        model.format().sampleRate, static_cast<std::uint32_t>(player.getHost().getSampleRate()));
    const std::int64_t cursor = playMode == PlayMode::File
                                    ? Editor::playCursorFrame(e, rangeStart, rangeEnd)
                                : previewCursor ? previewCursor->frameAt(e)
                                                : previewRange.start;
    if (cursor == lastCursor) return;
    lastCursor = cursor;
    doc->setCursorFrame(cursor);
    markPointEdit->update();
}

void CWaveEditor::refresh() {
    syncScrollBars();
    syncRulers();
    rescanWaveform();
    updateActions();
    markPointEdit->refresh();
}

void CWaveEditor::updateActions() {
    const bool idle = doc->getState() == Editor::EditState::Idle;
    for (int i = 0; i < 4; ++i) {
        actions.at(kStoreA + i)->setEnabled(snapshots.canStore(i));
        actions.at(kRecallA + i)->setEnabled(snapshots.canRecall(i) && idle);
    }
    for (std::uint32_t s = 1; s <= 3; ++s) {
        actions.at(kScaleTime + static_cast<int>(s) - 1)->setChecked(doc->getCurrentScale() == s);
        actions.at(kShowTime + static_cast<int>(s) - 1)->setChecked(doc->isShown(s));
    }
    const std::uint32_t style = doc->getNewPointStyle();
    actions.at(kNewLinear)->setChecked(style == LINEAR);
    actions.at(kNewSquare)->setChecked(style == SQUARE);
    actions.at(kNewKeep)->setChecked(style == KEEP);
    actions.at(kPercent)->setChecked(doc->getTimeDisplay() == MarkPoints::TIMEDISPLAY_PERCENT);
    actions.at(kBpm)->setChecked(doc->getTimeDisplay() == MarkPoints::TIMEDISPLAY_BPM);
    actions.at(kClock)->setChecked(rulerType == 1);
    actions.at(kMusical)->setChecked(rulerType == 2);
    actions.at(kUndo)->setEnabled(doc->canUndo());
    actions.at(kRedo)->setEnabled(doc->canRedo());
    actions.at(kPlayPreview)->setEnabled(previewCache != nullptr);
    actions.at(kFreeEdit)->setChecked(freeEdit);
}

void CWaveEditor::syncScrollBars() {
    const auto& r = doc->getViewRect();
    const double fpp = doc->getFramesPerPixel();
    const auto visible = static_cast<std::int64_t>(std::max(1, r.right - r.left) * fpp);
    const std::int64_t last = std::max<std::int64_t>(0, doc->getFileLength() - visible);
    const QSignalBlocker block(horizontal);
    horizontal->setRange(0, static_cast<int>(std::min<std::int64_t>(last, INT32_MAX)));
    horizontal->setPageStep(static_cast<int>(std::max<std::int64_t>(1, visible)));
    horizontal->setSingleStep(static_cast<int>(std::max(1.0, 16 * fpp)));
    if (doc->getFirstFrame() > last) doc->setFirstFrame(last);
    horizontal->setValue(static_cast<int>(doc->getFirstFrame()));
    const int height = std::max(1, r.bottom - r.top);
    const int full = static_cast<int>(height / doc->getVerticalZoom() + 0.5);
    const QSignalBlocker blockV(vertical);
    vertical->setRange(0, std::max(0, full - height));
    vertical->setPageStep(height);
    vertical->setVisible(full > height);
}

void CWaveEditor::syncRulers() {
    timeRuler->setView(doc->getFirstFrame(), doc->getFramesPerPixel());
    timeRuler->setDisplayType(rulerType);
    const auto& r = doc->getViewRect();
    const MarkPoints::CValueScale& axis = doc->getValueScale();
    for (CValueRuler* ruler : valueRulers) {
        const int top = markPointEdit->geometry().top() - ruler->geometry().top() + r.top -
                        doc->getVerticalScroll();
        ruler->setAxis(axis, top);
        ruler->setTimeDisplay(doc->getTimeDisplay());
        ruler->update();
    }
    timeRuler->update();
}

void CWaveEditor::rescanWaveform() {
    const auto& r = doc->getViewRect();
    try {
        waveform.rescan(model.getCache(), {model.getOverview(), App::kOverviewFramesPerLevel},
                        {doc->getFirstFrame(), doc->getFramesPerPixel(), r.right - r.left});
    } catch (const std::exception& e) {
        showStatus(qs(e.what()));
    }
}

// --- events ---------------------------------------------------------------------------------

bool CWaveEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched != markPointEdit) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
        // The view takes its new size in its own handler, which runs after this filter.
        QMetaObject::invokeMethod(this, &CWaveEditor::refresh, Qt::QueuedConnection);
        break;
    case QEvent::MouseMove: {
        const int y = static_cast<QMouseEvent*>(event)->position().toPoint().y();
        for (CValueRuler* ruler : valueRulers)
            ruler->setMouseValue(doc->valueOfPixel(y));
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
    switch (event->key()) {
    case Qt::Key_Space:
        if (!event->isAutoRepeat()) togglePlay();
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
    if (!askAboutUnsaved()) return event->ignore();
    closing = true;
    if (previewCache) player.stopIfPlaying(previewCache.get());
    if (playMode == PlayMode::File) player.stopIfPlaying(&model.getCache());
    playMode = PlayMode::None;
    livePlay->stop();
    renderer.abort();
    while (renderer.isRunning())
        QThread::msleep(10);
    renderer.wait();
    timer->stop();
    event->accept();
    emit closed(this);
}

QAction* CWaveEditor::action(int id) const {
    const auto it = actions.find(id);
    return it == actions.end() ? nullptr : it->second;
}

} // namespace Ui
