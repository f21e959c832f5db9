// The wave editor window driven by its keys, menus and buttons offscreen; dialogs answered
// through the seam, the player on the null output device.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "app/DeviceList.h"
#include "app/ModelTestKit.h"
#include "editor/LiveCurveAudition.h"
#include "markpoints/MarkPointFile.h"
#include "support/HeldKey.h"
#include "support/PlaysOn.h"
#include "support/QtTests.h"
#include "support/ScriptedDialogs.h"
#include "ui/editor/HorizontalTimeScale.h"
#include "ui/editor/MarkPointEdit.h"
#include "ui/editor/ValueRuler.h"
#include "ui/editor/WaveEditor.h"

using namespace Ui;
using MarkPoints::CMarkPoint;
using MarkPoints::LINEAR;

namespace {

// Starts the player on the null output, so play and preview run without a sound card.
void initNullOutput(Output::CAudioEngine& engine) {
    for (const App::OutputDevice& d : App::listOutputDevices())
        if (d.name.find("No sound card") != std::string::npos) engine.init(d.id);
}

std::vector<std::int32_t> frames(const MarkPoints::CMarkPointArray& curve) {
    std::vector<std::int32_t> out;
    for (const CMarkPoint& p : curve)
        out.push_back(p.framePosition);
    return out;
}

// A silent 16-bit mono WAV of `frames` frames at 8000 Hz that takes no room on the disk: a
// one-frame file whose sizes are patched and whose data is a hole.
std::string silentWave(const TestSupport::TempDir& dir, const std::string& name,
                       std::uint32_t frames) {
    const std::string path = ModelTest::toneFile(dir, name, 1);
    std::vector<unsigned char> bytes = TestSupport::readBytes(path);
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t data = text.find("data");
    const std::uint32_t dataBytes = frames * 2;
    put(data + 4, dataBytes);
    put(4, static_cast<std::uint32_t>(data + 8 - 8 + dataBytes));
    bytes.resize(data + 8);
    TestSupport::writeBytes(path, bytes);
    std::filesystem::resize_file(path, data + 8 + dataBytes);
    return path;
}

// Answers the next popup menu from the event loop with its entry of this text ('&' left out),
// in the menu or a submenu; none when no entry has the text.
void answerMenu(const QString& text) {
    QTimer::singleShot(0, [text] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        std::function<QAction*(QMenu*)> find = [&](QMenu* m) -> QAction* {
            for (QAction* a : m->actions()) {
                if (a->menu())
                    if (QAction* inner = find(a->menu())) return inner;
                if (QString(a->text()).remove(QLatin1Char('&')) == text) return a;
            }
            return nullptr;
        };
        QAction* chosen = find(menu);
        menu->close();
        if (chosen) chosen->trigger();
    });
}

// The view opens its menu when the button is released; the rulers on a context menu event.
void rightClick(QWidget* w, QPoint at) {
    if (qobject_cast<CMarkPointEdit*>(w)) return QTest::mouseClick(w, Qt::RightButton, {}, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &event);
}

// A row of one tone file, its player and its editor, shown and active.
struct Fixture {
    TestSupport::TempDir tmp;
    App::BatchList list;
    Output::CAudioEngine engine;
    App::CFileRow* row = nullptr;
    std::unique_ptr<CWaveEditor> editor;

    // `silent`: a long silent file instead of the tone.
    explicit Fixture(Audio::u32 frameCount = 16000, bool silent = false) {
        row = &ModelTest::addFile(list, silent ? silentWave(tmp, "a.wav", frameCount)
                                               : ModelTest::toneFile(tmp, "a.wav", frameCount));
        row->curves()[1].insertUnique(CMarkPoint{1000, 2.0f, LINEAR, 0});
        row->curves()[1].insertUnique(CMarkPoint{3000, 0.5f, LINEAR, 0});
        row->curves()[0].insertUnique(CMarkPoint{2000, 1.5f, LINEAR, 0});
        editor =
            std::make_unique<CWaveEditor>(*row, engine, [] { return Engine::Quality::Monophonic; });
        editor->show();
        editor->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(editor.get()));
    }
    Editor::CEditorDocument& doc() { return editor->document(); }
    QAction* cmd(int id) { return editor->action(id); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(editor->view(), k, m); }
    std::string file(const char* name) { return tmp.file(name); }
};

} // namespace

class WaveEditorTest : public QObject {
    Q_OBJECT
    std::unique_ptr<ScriptedDialogs> dialogs;

  private slots:
    void init() { dialogs = std::make_unique<ScriptedDialogs>(); }
    void cleanup() { dialogs.reset(); }

    void everyCommandHasItsActionKeysAndButton() {
        Fixture f;
        CWaveEditor& e = *f.editor;
        QCOMPARE(e.objectName(), QStringLiteral("CWaveEditor"));
        QCOMPARE(e.windowTitle(), QStringLiteral("a.wav"));
        using K = QKeySequence;
        const std::pair<int, QList<K>> table[] = {
            {34027, {K(Qt::CTRL | Qt::Key_N)}},
            {34026, {K(Qt::CTRL | Qt::Key_O)}},
            {57601, {}},
            {34028, {K(Qt::CTRL | Qt::Key_S)}},
            {34029, {}},
            {34030, {K(Qt::ALT | Qt::Key_F4)}},
            {57634, {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}},
            {57635, {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)}},
            {57637, {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)}},
            {34045, {K(Qt::Key_Delete), K(Qt::Key_Backspace)}},
            {57643, {K(Qt::CTRL | Qt::Key_Z)}},
            {57644, {K(Qt::CTRL | Qt::Key_Y)}},
            {34053, {K(Qt::CTRL | Qt::Key_A)}},
            {34054, {K(Qt::CTRL | Qt::Key_I)}},
            {34071, {K(Qt::Key_A)}},
            {34072, {K(Qt::Key_S)}},
            {34057, {K(Qt::Key_F1)}},
            {34059, {K(Qt::Key_F3)}},
            {34039, {K(Qt::Key_F5)}},
            {34041, {K(Qt::Key_F7)}},
            {34031, {K(Qt::CTRL | Qt::Key_1)}},
            {34034, {K(Qt::CTRL | Qt::Key_4)}},
            {34035, {K(Qt::Key_1)}},
            {34038, {K(Qt::Key_4)}},
            {34049, {K(Qt::CTRL | Qt::Key_Right)}},
            {34050, {K(Qt::CTRL | Qt::Key_Left)}},
            {34091, {K(Qt::CTRL | Qt::Key_Up)}},
            {34092, {K(Qt::CTRL | Qt::Key_Down)}},
            {100002, {K(Qt::Key_Return), K(Qt::KeypadModifier | Qt::Key_Enter)}},
            {100003, {K(Qt::KeypadModifier | Qt::Key_0)}},
            {100005, {K(Qt::KeypadModifier | Qt::Key_Plus)}},
            {100006,
             {K(Qt::SHIFT | Qt::Key_Return),
              K(Qt::ShiftModifier | Qt::KeypadModifier | Qt::Key_Enter)}},
        };
        for (const auto& [id, keys] : table) {
            QAction* a = e.action(id);
            QVERIFY2(a, qPrintable(QString::number(id)));
            QCOMPARE(a->objectName(), QStringLiteral("cmd%1").arg(id));
            QCOMPARE(a->shortcuts(), keys);
        }
        for (int id : {34087, 34088, 34089, 34073, 34058, 34040, 34064, 34063,  34094, 34095,
                       34069, 34032, 34033, 34036, 34037, 34060, 34061, 100004, 34106, 34107})
            QVERIFY2(e.action(id), qPrintable(QString::number(id)));
        QCOMPARE(e.action(100004)->toolTip(),
                 QStringLiteral("In Free Edit Mode one click is enough to add a new mark point"));
        // Each button shows a glyph; its tip names the command and its key.
        const auto buttons = e.findChildren<QToolButton*>();
        QVERIFY(buttons.size() >= 25);
        for (QToolButton* b : buttons) {
            if (!b->objectName().startsWith(QLatin1String("button"))) continue;
            QAction* a = b->defaultAction();
            const QString name = QString(a->text()).remove(QLatin1Char('&'));
            QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->objectName()));
            QVERIFY2(b->toolTip().startsWith(name), qPrintable(b->toolTip()));
            if (!a->shortcut().isEmpty())
                QVERIFY2(b->toolTip().contains(a->shortcut().toString(QKeySequence::NativeText)),
                         qPrintable(b->toolTip()));
        }
        QCOMPARE(e.findChild<QToolButton*>(QStringLiteral("button34039"))->toolTip(),
                 QStringLiteral("Show time curve (F5)"));

        // It opens with the whole file in view.
        const Editor::CViewGeometry& g = f.doc().geometry();
        const int width = g.getViewRect().right - g.getViewRect().left;
        QVERIFY(g.getFramesPerPixel() * width >= 16000);
        QVERIFY(g.getFramesPerPixel() / 2 * width < 16000);
    }

    void editingKeysRunTheDocumentsCommands() {
        Fixture f;
        auto& d = f.doc();
        const auto& pitch = f.row->curves()[1];
        f.key(Qt::Key_A, Qt::ControlModifier);
        QVERIFY(d.commands().anySelected());
        f.key(Qt::Key_I, Qt::ControlModifier);
        QVERIFY(!d.commands().anySelected());
        f.key(Qt::Key_A, Qt::ControlModifier);
        f.key(Qt::Key_C, Qt::ControlModifier);
        QVERIFY(d.commands().hasClipboard());
        f.key(Qt::Key_Delete);
        QVERIFY(pitch.empty()); // the row's own curves are edited
        QVERIFY(d.isModified());
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(frames(pitch), (std::vector<std::int32_t>{1000, 3000}));
        f.key(Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(pitch.empty());
        f.key(Qt::Key_Z, Qt::ControlModifier);
        f.key(Qt::Key_A, Qt::ControlModifier);
        f.key(Qt::Key_X, Qt::ControlModifier);
        QVERIFY(pitch.empty() && f.row->curves()[0].empty());
        d.setCursorFrame(5000);
        f.key(Qt::Key_Insert, Qt::ShiftModifier); // paste: the earliest point at the cursor
        QCOMPARE(frames(pitch), (std::vector<std::int32_t>{5000, 7000}));
        QCOMPARE(frames(f.row->curves()[0]), (std::vector<std::int32_t>{6000}));
        f.key(Qt::Key_Backspace);
        QVERIFY(pitch.empty());
        f.key(Qt::Key_Z, Qt::ControlModifier);
        f.key(Qt::Key_A, Qt::ControlModifier);
        f.key(Qt::Key_Delete, Qt::ShiftModifier); // cut again
        QVERIFY(pitch.empty());
        d.setCursorFrame(100);
        f.key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(frames(pitch), (std::vector<std::int32_t>{100, 2100}));
        f.key(Qt::Key_Insert, Qt::ControlModifier); // copy of the pasted, still selected points
        f.cmd(34088)->trigger();                    // square style for the selection
        QCOMPARE(pitch[0].lineStyle, MarkPoints::SQUARE);
        f.cmd(34089)->trigger();
        QCOMPARE(pitch[1].lineStyle, MarkPoints::KEEP);
        f.cmd(34087)->trigger();
        QCOMPARE(pitch[1].lineStyle, LINEAR);
    }

    void viewKeysSetScaleStylesVisibilityAndZoom() {
        Fixture f;
        auto& d = f.doc();
        for (auto [k, scale] : {std::pair{Qt::Key_F2, 2u}, {Qt::Key_F3, 3u}, {Qt::Key_F1, 1u}}) {
            f.key(k);
            QCOMPARE(d.getCurrentScale(), scale);
        }
        QVERIFY(f.cmd(34057)->isChecked() && !f.cmd(34058)->isChecked());
        f.key(Qt::Key_S);
        QCOMPARE(d.getNewPointStyle(), MarkPoints::SQUARE);
        f.cmd(34073)->trigger();
        QCOMPARE(d.getNewPointStyle(), MarkPoints::KEEP);
        f.key(Qt::Key_A);
        QCOMPARE(d.getNewPointStyle(), LINEAR);
        for (auto [k, scale] : {std::pair{Qt::Key_F5, 1u}, {Qt::Key_F6, 2u}, {Qt::Key_F7, 3u}}) {
            f.key(k);
            QVERIFY(!d.isShown(scale));
            f.key(k);
            QVERIFY(d.isShown(scale));
        }
        f.cmd(34063)->trigger(); // BPM needs a tempo: asked, proposing 120
        QCOMPARE(dialogs->executed, QStringList{QStringLiteral("TempoDialog")});
        QCOMPARE(d.getTimeDisplay(), MarkPoints::TIMEDISPLAY_PERCENT); // cancelled
        dialogs->onExec = [](QDialog& dialog) {
            QMetaObject::invokeMethod(&dialog, "accept");
            return dialog.result();
        };
        f.cmd(34063)->trigger();
        QCOMPARE(d.getTimeDisplay(), MarkPoints::TIMEDISPLAY_BPM);
        f.cmd(34064)->trigger();
        QCOMPARE(d.getTimeDisplay(), MarkPoints::TIMEDISPLAY_PERCENT);

        f.cmd(34061)->trigger(); // fit: 16000 frames in the view's width
        const double fit = d.geometry().getFramesPerPixel();
        const int width = d.geometry().getViewRect().right - d.geometry().getViewRect().left;
        QVERIFY(fit * width >= 16000 && fit / 2 * width < 16000);
        f.key(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(d.geometry().getFramesPerPixel(), fit / 2);
        f.key(Qt::Key_Left, Qt::ControlModifier);
        f.key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(d.geometry().getFramesPerPixel(), fit * 2);
        f.cmd(34060)->trigger();
        QCOMPARE(d.geometry().getFramesPerPixel(), 1.0);
        f.key(Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(d.geometry().getVerticalZoom(), 0.5);
        f.key(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(d.geometry().getVerticalZoom(), 1.0);
        f.key(Qt::Key_Down, Qt::ControlModifier); // out beyond the whole range, to a limit
        QCOMPARE(d.geometry().getVerticalZoom(), 2.0);
        for (int i = 0; i < 5; ++i)
            f.key(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(d.geometry().getVerticalZoom(), 4.0);
        f.cmd(100004)->trigger();
        QVERIFY(f.editor->isFreeEdit());
    }

    void heldKeysActOnceButZoomOnAndOn() {
        Fixture f;
        QWidget* view = f.editor->view();
        f.key(Qt::Key_F5);
        QVERIFY(!f.doc().isShown(1));
        heldKey(view, Qt::Key_F5); // held: not shown and hidden again and again
        QVERIFY(!f.doc().isShown(1));
        f.key(Qt::Key_A, Qt::ControlModifier);
        heldKey(view, Qt::Key_I, Qt::ControlModifier);
        QVERIFY(f.doc().commands().anySelected());
        const double fpp = f.doc().geometry().getFramesPerPixel();
        heldKey(view, Qt::Key_Right, Qt::ControlModifier);
        heldKey(view, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(f.doc().geometry().getFramesPerPixel(), fpp / 4);
    }

    void contextAndRulerMenusRunTheWindowsCommands() {
        Fixture f;
        const auto& pitch = f.row->curves()[1];
        f.cmd(34061)->trigger(); // the whole file in view
        f.key(Qt::Key_F2);
        f.key(Qt::Key_A, Qt::ControlModifier);
        auto& g = f.doc().geometry();
        const QPoint empty(g.pixelOfFrame(10000), g.pixelOfValue(1.0));
        answerMenu(QStringLiteral("Copy"));
        rightClick(f.editor->view(), empty);
        answerMenu(QStringLiteral("Paste")); // at the release: frame 10000 or so
        rightClick(f.editor->view(), empty);
        QCOMPARE(pitch.size(), 4u);
        answerMenu(QStringLiteral("Square"));
        rightClick(f.editor->view(), empty);
        QCOMPARE(pitch[2].lineStyle, MarkPoints::SQUARE);
        answerMenu(QStringLiteral("Delete"));
        rightClick(f.editor->view(), empty);
        QCOMPARE(frames(pitch), (std::vector<std::int32_t>{1000, 3000}));

        // The rulers' menus ask for the tempo first, as the commands do.
        answerMenu(QStringLiteral("Ruler in musical time"));
        rightClick(f.editor->findChild<CHorizontalTimeScale*>(), QPoint(20, 5));
        QCOMPARE(dialogs->executed, QStringList{"TempoDialog"}); // cancelled
        QVERIFY(f.cmd(34094)->isChecked());
        answerMenu(QStringLiteral("Time values in BPM"));
        rightClick(f.editor->findChild<CValueRuler*>(QStringLiteral("CValueRuler1")),
                   QPoint(5, 80));
        QCOMPARE(dialogs->executed.size(), 2);
        QCOMPARE(f.doc().getTimeDisplay(), MarkPoints::TIMEDISPLAY_PERCENT);
    }

    void musicalTimeAsksForTheTempoThatRulersAndAxisShare() {
        Fixture f;
        auto& d = f.doc();
        auto* ruler = f.editor->findChild<CHorizontalTimeScale*>();
        f.cmd(34095)->trigger(); // the tempo question cancelled: still clock time
        QCOMPARE(ruler->displayType(), 1u);
        QVERIFY(f.cmd(34094)->isChecked());
        dialogs->onExec = [](QDialog& dialog) {
            dialog.findChild<QLineEdit*>()->setText(QStringLiteral("90"));
            QMetaObject::invokeMethod(&dialog, "accept");
            return dialog.result();
        };
        f.cmd(34069)->trigger();
        QCOMPARE(ruler->tempo(), 90.0);
        QCOMPARE(d.geometry().scale().getBaseBpm(), 90.0);
        f.cmd(34095)->trigger(); // no question now
        QCOMPARE(ruler->displayType(), 2u);
        QVERIFY(f.cmd(34095)->isChecked() && !f.cmd(34094)->isChecked());
        f.cmd(34094)->trigger();
        QCOMPARE(ruler->displayType(), 1u);
        f.cmd(34107)->trigger();
        QVERIFY(f.editor->findChild<QLabel*>(QStringLiteral("infoLine"))
                    ->text()
                    .startsWith(QStringLiteral("8.0kHz, 16bits, Mono - PCM Wave")));
    }

    void snapshotsFillInOrderAndRecallCopies() {
        Fixture f;
        const auto original = f.row->curves();
        f.key(Qt::Key_3, Qt::ControlModifier); // C before B: nothing
        f.key(Qt::Key_3);
        QCOMPARE(f.row->curves(), original);
        QVERIFY(!f.cmd(34033)->isEnabled() && !f.cmd(34037)->isEnabled());
        f.key(Qt::Key_1, Qt::ControlModifier);
        QVERIFY(f.cmd(34035)->isEnabled() && f.cmd(34032)->isEnabled());
        QVERIFY(!f.cmd(34033)->isEnabled());
        f.key(Qt::Key_A, Qt::ControlModifier);
        f.key(Qt::Key_Delete);
        f.key(Qt::Key_2, Qt::ControlModifier); // B: the emptied curves
        f.doc().setModified(false);
        f.key(Qt::Key_1);
        QCOMPARE(f.row->curves(), original);
        QVERIFY(f.doc().isModified());
        QVERIFY(!f.doc().commands().canUndo());
        f.key(Qt::Key_2);
        QVERIFY(f.row->curves()[1].empty());
        dialogs->threeWay = {Answer::No};
        f.key(Qt::Key_N, Qt::ControlModifier); // new: curves and slots emptied
        QVERIFY(!f.cmd(34035)->isEnabled() && !f.cmd(34032)->isEnabled());
        QVERIFY(f.row->curves()[0].empty() && !f.doc().isModified());
    }

    void unsavedChangesAskBeforeNewOpenAndClose() {
        Fixture f;
        f.key(Qt::Key_A, Qt::ControlModifier);
        f.key(Qt::Key_Delete);
        dialogs->threeWay = {Answer::Cancel};
        f.key(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(dialogs->questions,
                 QStringList{"You forgot to save! Do you want to save right now?"});
        QCOMPARE(dialogs->questionTitles, QStringList{"Warning"});
        QVERIFY(f.doc().commands().canUndo()); // nothing happened
        dialogs->threeWay = {Answer::Cancel};
        QVERIFY(!f.editor->close());
        QVERIFY(f.editor->isVisible());
        // Yes with a save that fails keeps the window and the changes.
        dialogs->threeWay = {Answer::Yes};
        dialogs->saves = {{QString::fromStdString(f.file("missing/take1")), 0}};
        QVERIFY(!f.editor->close());
        QCOMPARE(dialogs->messageTitles,
                 QStringList{QStringLiteral("CWaveEditor::SaveFileAsDialog() error!")});
        QVERIFY(f.doc().isModified());
        dialogs->threeWay = {Answer::Yes};
        dialogs->saves = {{QString::fromStdString(f.file("take1")), 0}};
        QSignalSpy closed(f.editor.get(), &CWaveEditor::closed);
        QVERIFY(f.editor->close());
        QCOMPARE(closed.size(), 1);
        QVERIFY(std::filesystem::exists(f.file("take1.mpt")));
    }

    void saveAsForcesMptAndOpenReadsItBack() {
        Fixture f;
        const auto drawn = f.row->curves();
        dialogs->saves = {{QString::fromStdString(f.file("take1.txt")), 0}};
        f.key(Qt::Key_S, Qt::ControlModifier); // no path yet: save as
        QCOMPARE(f.editor->markPointPath(), QString::fromStdString(f.file("take1.mpt")));
        QVERIFY(!std::filesystem::exists(f.file("take1.txt")));
        const auto saved = MarkPoints::loadMarkPointFile(f.file("take1.mpt"));
        QCOMPARE(saved.getScale(2), drawn[1]);
        QCOMPARE(saved.getSampleRate(), 8000u);
        f.key(Qt::Key_A, Qt::ControlModifier);
        f.key(Qt::Key_Delete);
        f.key(Qt::Key_S, Qt::ControlModifier); // to the same path, no dialog
        QVERIFY(dialogs->saves.empty() && !f.doc().isModified());
        QVERIFY(MarkPoints::loadMarkPointFile(f.file("take1.mpt")).getScale(2).empty());

        dialogs->singleFiles = {QString::fromStdString(f.file("take1.mpt"))};
        MarkPoints::CAnchorPointsLoadSave content;
        for (std::uint32_t s = 1; s <= 3; ++s)
            content.getScale(s) = drawn[s - 1];
        MarkPoints::saveMarkPointFile(f.file("take1.mpt"), content);
        f.key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs->titles, QStringList{"Select a file to load..."});
        QCOMPARE(dialogs->filters, QStringList{"MarkPoint Files (*.mpt)"});
        QCOMPARE(f.row->curves(), drawn);
        QVERIFY(!f.doc().isModified() && !f.doc().commands().canUndo());

        TestSupport::writeBytes(f.file("broken.mpt"), {'A', 'P'});
        dialogs->singleFiles = {QString::fromStdString(f.file("broken.mpt"))};
        f.cmd(57601)->trigger();
        QCOMPARE(dialogs->messageTitles, QStringList{"error"});
        QCOMPARE(f.row->curves(), drawn); // unchanged by the failed load
    }

    void previewLongerThanAnHourIsRefused() {
        Fixture f(61 * 60 * 8000, true);
        f.key(Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(dialogs->messages,
                 QStringList{"please select a range shorter than 60 minutes for the preview!\n"});
        QVERIFY(!f.editor->isPreviewRendering());
        // 59 minutes of it selected: renders; closing aborts and waits for it.
        f.row->curves()[1].clear();
        f.row->curves()[1].insertUnique(CMarkPoint{100, 1.0f, LINEAR, 1});
        f.row->curves()[1].insertUnique(CMarkPoint{100 + 59 * 60 * 8000, 1.0f, LINEAR, 1});
        f.key(Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY(f.editor->isPreviewRendering());
        f.doc().setModified(false);
        QVERIFY(f.editor->close());
        QVERIFY(!f.editor->isPreviewRendering());
    }

    void aFileThePlayerRefusesIsReported() {
        TestSupport::TempDir tmp;
        App::BatchList list;
        Output::CAudioEngine engine;
        initNullOutput(engine);
        App::CFileRow& row =
            ModelTest::addFile(list, ModelTest::toneFile(tmp, "many.wav", 8000, 8));
        CWaveEditor editor(row, engine, [] { return Engine::Quality::Monophonic; });
        editor.action(100002)->trigger();
        QCOMPARE(dialogs->messages,
                 QStringList{QStringLiteral("unknown error while trying to play audio!")});
        QVERIFY(!editor.isPlaying());
        QVERIFY(editor.statusText().isEmpty());
    }

    void playAndPreviewFollowWithTheCursor() {
        Fixture f(40000);
        initNullOutput(f.engine);
        QVERIFY(f.engine.isInitialized());
        f.key(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(f.editor->statusText(), QStringLiteral("playing \"a.wav\""));
        f.key(Qt::Key_0, Qt::KeypadModifier);
        QVERIFY(!f.editor->isPlaying());
        f.key(Qt::Key_Return);
        QCOMPARE(f.editor->statusText(), QStringLiteral("playing \"a.wav\""));
        QTRY_VERIFY_WITH_TIMEOUT(f.doc().getCursorFrame() > 0, 5000);
        f.key(Qt::Key_0, Qt::KeypadModifier);
        QVERIFY(!f.editor->isPlaying());
        f.key(Qt::Key_Space); // plays, Space again stops
        QVERIFY(f.editor->isPlaying());
        f.key(Qt::Key_Space);
        QVERIFY(!f.editor->isPlaying());

        f.key(Qt::Key_Plus, Qt::KeypadModifier);
        QTRY_COMPARE_WITH_TIMEOUT(f.editor->statusText(), QStringLiteral("previewing \"a.wav\""),
                                  20000);
        QVERIFY(f.editor->isPlayingPreview());
        QVERIFY(f.cmd(34106)->isEnabled());
        f.doc().setCursorFrame(0);
        QTRY_VERIFY_WITH_TIMEOUT(f.doc().getCursorFrame() > 0, 5000);
        QVERIFY(dialogs->messages.isEmpty());

        // A preview that is ready only after the window closed plays no more.
        f.key(Qt::Key_0, Qt::KeypadModifier);
        f.key(Qt::Key_Plus, Qt::KeypadModifier);
        QVERIFY(TestSupport::waitUntil([&] { return !f.editor->isPreviewRendering(); }));
        QVERIFY(f.editor->close());
        QApplication::processEvents(); // the result arrives now
        QVERIFY(!f.editor->isPlayingPreview());
        QVERIFY(!f.engine.isPlaying() || !f.engine.isVoiceActive());
    }

    // Shift+Enter plays from the cursor along the curves; deleting the pitch points and taking
    // them back are heard while it plays, and the cursor goes on from where it stood.
    void playProcessedTakesEditsWhileItPlays() {
        Fixture f(400000);
        initNullOutput(f.engine);
        auto* bar = f.editor->findChild<QToolBar*>(QStringLiteral("buttons"));
        const QList<QAction*> items = bar->actions();
        const auto at = [&](const char* name) {
            for (qsizetype i = 0; i < items.size(); ++i)
                if (bar->widgetForAction(items[i])->objectName() == QLatin1String(name)) return i;
            return qsizetype{-1};
        };
        QCOMPARE(at("button100006"), at("button100005") + 1);

        f.doc().setCursorFrame(4000);
        f.key(Qt::Key_Return, Qt::ShiftModifier);
        Editor::LiveCurveAudition& live = f.editor->processedAudition();
        QVERIFY(live.isPlaying());
        QCOMPARE(f.editor->statusText(), QStringLiteral("playing processed \"a.wav\""));
        const auto pitchIs = [&](double pitch) {
            return [&live, pitch] { return live.factorsInUse().pitch == pitch; };
        };
        QTRY_VERIFY_WITH_TIMEOUT(
            f.engine.getFramesPlayed() > f.engine.getHost().getSampleRate() / 2, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(live.factorsInUse().pitch, 0.5, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(f.doc().getCursorFrame() > 4000, 5000);
        std::int64_t cursor = f.doc().getCursorFrame();
        QVERIFY(goesOnThrough(
            f.engine,
            [&] {
                f.key(Qt::Key_A, Qt::ControlModifier);
                f.key(Qt::Key_Delete);
            },
            pitchIs(1.0)));
        QCOMPARE(f.row->curves()[1].size(), std::size_t{0});
        QVERIFY(f.doc().getCursorFrame() > cursor); // on from where it stood
        cursor = f.doc().getCursorFrame();
        QVERIFY(goesOnThrough(
            f.engine, [&] { f.key(Qt::Key_Z, Qt::ControlModifier); }, pitchIs(0.5)));
        QVERIFY(f.doc().getCursorFrame() > cursor);
        QVERIFY(f.editor->isPlaying());
        // The file's own play takes the player over; keypad Shift+Enter takes it back.
        f.key(Qt::Key_Return);
        QVERIFY(!live.isPlaying());
        QCOMPARE(f.editor->statusText(), QStringLiteral("playing \"a.wav\""));
        f.key(Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
        QVERIFY(live.isPlaying());
        f.key(Qt::Key_0, Qt::KeypadModifier);
        QVERIFY(!live.isPlaying());
        QVERIFY(!f.editor->isPlaying());
        QVERIFY(f.editor->statusText().startsWith(QStringLiteral("played processed; underruns: ")));
        QVERIFY(dialogs->messages.isEmpty());
    }
};

SWK_QTEST(WaveEditorTest);
#include "WaveEditorTest.moc"
