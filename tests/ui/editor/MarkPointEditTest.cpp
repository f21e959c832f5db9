// The mark point view driven with mouse and keys offscreen, through every interaction state.
#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

#include "editor/EditorDocument.h"
#include "support/QtTests.h"
#include "support/ScriptedDialogs.h"
#include "ui/editor/MarkPointEdit.h"

#include "support/CurveFrames.h"

using namespace MarkPoints;

namespace {
// Counts the context menus instead of showing them; the window's entries are tried with the
// window.
class AnsweredEdit : public Ui::CMarkPointEdit {
  public:
    using CMarkPointEdit::CMarkPointEdit;
    int menus = 0;

  protected:
    void chooseFromMenu(QMenu&, QPoint) override { ++menus; }
};

// 1000 × 201 pixels over 48000 frames: pixel x is frame 48 x; 2.0 at y 50, 1.0 at y 100.
struct View {
    std::array<CMarkPointArray, 3> curves;
    Editor::CEditorDocument doc;
    AnsweredEdit edit;
    QMenu menu;

    explicit View(std::array<CMarkPointArray, 3> start = {}, std::uint32_t scale = SCALE_PITCH)
        : curves(std::move(start)), doc(curves, 48000, 120.0, scale), edit(doc) {
        edit.setContextMenu(&menu);
        edit.resize(1000, 201);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        doc.geometry().setFramesPerPixel(48.0);
    }
    // QTest's moves carry no buttons: a drag needs its own event.
    void moveHeld(QPoint to, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = {}) {
        QMouseEvent e(QEvent::MouseMove, QPointF(to), edit.mapToGlobal(QPointF(to)), Qt::NoButton,
                      button, modifiers);
        QCoreApplication::sendEvent(&edit, &e);
    }
    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(&edit, button, {}, from);
        moveHeld(QPoint((from.x() + to.x()) / 2, (from.y() + to.y()) / 2), button);
        moveHeld(to, button);
        QTest::mouseRelease(&edit, button, {}, to);
    }
    // A second press of a double click arrives as its own event type.
    void doubleClick(QPoint at) {
        QTest::mouseClick(&edit, Qt::LeftButton, {}, at);
        QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(at), edit.mapToGlobal(QPointF(at)),
                      Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&edit, &e);
        QTest::mouseRelease(&edit, Qt::LeftButton, {}, at);
    }
    // An arrow key while Shift stays held (QTest would press and release Shift around it).
    void shiftArrow(Qt::Key key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::ShiftModifier);
        QCoreApplication::sendEvent(&edit, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::ShiftModifier);
        QCoreApplication::sendEvent(&edit, &release);
    }
};

CMarkPointArray curveOf(std::initializer_list<CMarkPoint> points) {
    CMarkPointArray c;
    for (const CMarkPoint& p : points)
        c.insertUnique(p);
    return c;
}

std::array<CMarkPointArray, 3> twoPitchPoints(std::uint8_t selected) {
    return {CMarkPointArray{},
            curveOf({{4800, 2.0f, LINEAR, selected}, {9600, 1.0f, SQUARE, selected}}),
            CMarkPointArray{}};
}

std::vector<std::int32_t> selectedFrames(const CMarkPointArray& c) {
    std::vector<std::int32_t> out;
    for (const CMarkPoint& p : c)
        if (p.selected) out.push_back(p.framePosition);
    return out;
}

QString screenshotFolder() {
    const QByteArray tmp = qgetenv("SWK_TEST_TMP");
    const QString base = tmp.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(tmp) + "/..";
    const QString folder = QDir::cleanPath(base + "/screenshots");
    QDir().mkpath(folder);
    return folder;
}
} // namespace

class MarkPointEditTest : public QObject {
    Q_OBJECT

  private slots:
    void clickAddsOnePointPerPixelColumn() {
        View v;
        QSignalSpy edited(&v.edit, &Ui::CMarkPointEdit::edited);
        QSignalSpy cursor(&v.edit, &Ui::CMarkPointEdit::cursorMoved);
        QTest::mouseClick(&v.edit, Qt::LeftButton, {}, QPoint(100, 50));
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{4800}));
        QCOMPARE(v.curves[1][0].value, 2.0f);
        QVERIFY(edited.count() >= 1);
        QCOMPARE(cursor.count(), 1);
        QCOMPARE(cursor.at(0).at(0).toLongLong(), 4800);
        QCOMPARE(v.edit.accessibleName(), QStringLiteral("Mark point editor"));
        QCOMPARE(v.edit.accessibleDescription(),
                 QStringLiteral("Pitch curve, 1 point, no point selected"));
        QTest::mouseClick(&v.edit, Qt::LeftButton, {}, QPoint(100, 80)); // same column
        QCOMPARE(frames(v.curves[1]).size(), 1u);
        // A double click arrives as a press with 32 added: the plain path, a drag of the point.
        v.doubleClick(QPoint(300, 100));
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{4800, 14400}));
        QCOMPARE(v.doc.interaction().getState(), Editor::EditState::Idle);
    }

    void shiftWhileHoldingFineTunesTheNewPoint() {
        View v;
        QTest::mousePress(&v.edit, Qt::LeftButton, {}, QPoint(300, 100));
        QTest::keyPress(&v.edit, Qt::Key_Shift);
        QCOMPARE(v.doc.interaction().getState(), Editor::EditState::FineTune);
        v.moveHeld(QPoint(300, 50), Qt::LeftButton, Qt::ShiftModifier); // +0.5 semitones
        QTest::mouseRelease(&v.edit, Qt::LeftButton, Qt::ShiftModifier, QPoint(300, 50));
        QTest::keyRelease(&v.edit, Qt::Key_Shift);
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{14400}));
        QVERIFY(std::fabs(v.curves[1][0].value - std::pow(2.0, 0.5 / 12)) < 1e-6);
    }

    void rubberBandsSelectAndARightClickAsksTheMenu() {
        View v(twoPitchPoints(0));
        v.drag(QPoint(60, 30), QPoint(250, 120), Qt::RightButton);
        QCOMPARE(v.edit.menus, 0);
        QCOMPARE(selectedFrames(v.curves[1]), (std::vector<std::int32_t>{4800, 9600}));
        v.drag(QPoint(60, 30), QPoint(99, 69), Qt::RightButton); // 39 px: a menu
        QCOMPARE(v.edit.menus, 1);
        QCOMPARE(selectedFrames(v.curves[1]).size(), 2u);

        // Alt and Shift with the left button on empty space: bands that remove and add.
        const auto band = [&](Qt::KeyboardModifier modifier) {
            QTest::mousePress(&v.edit, Qt::LeftButton, modifier, QPoint(80, 30));
            v.moveHeld(QPoint(120, 70), Qt::LeftButton, modifier);
            QTest::mouseRelease(&v.edit, Qt::LeftButton, modifier, QPoint(120, 70));
        };
        band(Qt::AltModifier);
        QCOMPARE(selectedFrames(v.curves[1]), (std::vector<std::int32_t>{9600}));
        band(Qt::ShiftModifier);
        QCOMPARE(selectedFrames(v.curves[1]), (std::vector<std::int32_t>{4800, 9600}));
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{4800, 9600}));
    }

    void dragMovesTheSelectionAndEscRestoresIt() {
        View v(twoPitchPoints(1));
        v.drag(QPoint(100, 50), QPoint(150, 50));
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{7200, 12000}));
        QVERIFY(v.doc.commands().canUndo());
        QVERIFY(v.doc.isModified());

        QTest::mousePress(&v.edit, Qt::LeftButton, {}, QPoint(150, 50));
        v.moveHeld(QPoint(400, 20));
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{19200, 24000}));
        QTest::keyClick(&v.edit, Qt::Key_Escape);
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{7200, 12000}));
        QTest::mouseRelease(&v.edit, Qt::LeftButton, {}, QPoint(400, 20));
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{7200, 12000}));
        v.doc.commands().undo(); // only the first drag was recorded
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{4800, 9600}));
        QVERIFY(!v.doc.commands().canUndo());
    }

    void shiftArrowsNudgeAsOneMove() {
        View v(twoPitchPoints(1));
        QSignalSpy edited(&v.edit, &Ui::CMarkPointEdit::edited);
        QTest::keyPress(&v.edit, Qt::Key_Shift);
        v.shiftArrow(Qt::Key_Right);
        v.shiftArrow(Qt::Key_Right);
        v.shiftArrow(Qt::Key_Up);
        QTest::keyRelease(&v.edit, Qt::Key_Shift);
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{4896, 9696}));
        QVERIFY(edited.count() >= 1);
        v.edit.run([&] { v.doc.commands().undo(); });
        QCOMPARE(frames(v.curves[1]), (std::vector<std::int32_t>{4800, 9600}));
        QVERIFY(!v.doc.commands().canUndo());
    }

    void editedFollowsChangesOnly() {
        View v(twoPitchPoints(0));
        QSignalSpy edited(&v.edit, &Ui::CMarkPointEdit::edited);
        QTest::mouseMove(&v.edit, QPoint(300, 80)); // a hover changes nothing
        QCOMPARE(edited.count(), 0);
        QTest::mouseClick(&v.edit, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 50));
        QCOMPARE(edited.count(), 1); // selected
        v.edit.run([&] { v.doc.setModified(false); });
        QCOMPARE(edited.count(), 1); // was not modified
        QTest::keyPress(&v.edit, Qt::Key_Shift);
        v.shiftArrow(Qt::Key_Right);
        QTest::keyRelease(&v.edit, Qt::Key_Shift);
        QCOMPARE(edited.count(), 3); // moved, then recorded
        ScriptedDialogs dialogs;
        v.edit.run([&] { v.doc.commands().paste(); }); // nothing copied yet
        QCOMPARE(dialogs.messages, QStringList{"selected_paste() nothing to paste!"});
        QCOMPARE(edited.count(), 3);
    }

    void paintsCurvesAndMarkersOverTheWaveform() {
        View v({curveOf({{12000, 0.5f, LINEAR, 0}, {36000, 1.5f, LINEAR, 0}}),
                curveOf({{4800, 2.0f, LINEAR, 1}, {24000, 1.0f, SQUARE, 0}}),
                curveOf({{30000, 0.7f, KEEP, 0}, {40000, 3.0f, LINEAR, 0}})});
        v.edit.setWavePainter([](QPainter& p, const QRect& r) {
            p.setPen(QColor(0x40, 0x80, 0xC0));
            for (int x = r.left(); x < r.right(); ++x) {
                const int h = static_cast<int>(40 * std::fabs(std::sin(x * 0.05)));
                p.drawLine(x, r.center().y() - h, x, r.center().y() + h);
            }
        });
        v.doc.setCursorFrame(20000);
        QTest::mouseMove(&v.edit, QPoint(620, 160));
        const QImage image = v.edit.grab().toImage();
        const QString path = screenshotFolder() + "/mark-point-edit.png";
        QVERIFY(image.save(path));
        qInfo("screenshot: %s", qPrintable(path));
        // The selected pitch marker is filled black; the formant curve ends grey at 3.0.
        QCOMPARE(image.pixelColor(100, 50), QColor(Qt::black));
        QCOMPARE(image.pixelColor(950, v.doc.geometry().pixelOfValue(3.0)),
                 QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(image.pixelColor(v.doc.geometry().pixelOfFrame(20000), 5).red(), 0xD0);

        // Zoomed in both ways, with a rubber band being drawn.
        v.doc.geometry().setFramesPerPixel(24.0);
        v.doc.geometry().setVerticalZoom(0.5);
        v.doc.geometry().setVerticalScroll(60);
        QTest::mousePress(&v.edit, Qt::RightButton, {}, QPoint(80, 20));
        v.moveHeld(QPoint(260, 150), Qt::RightButton);
        QVERIFY(v.doc.interaction().rubberBand().has_value());
        const QImage zoomed = v.edit.grab().toImage();
        QVERIFY(zoomed.save(screenshotFolder() + "/mark-point-edit-zoomed.png"));
        int dashes = 0; // the band's dashed top edge
        for (int x = 80; x < 260; ++x)
            dashes += zoomed.pixelColor(x, 20) == QColor(Qt::black);
        QVERIFY(dashes > 90 && dashes < 170);
        QTest::mouseRelease(&v.edit, Qt::RightButton, {}, QPoint(260, 150));
    }
};

SWK_QTEST(MarkPointEditTest);
#include "MarkPointEditTest.moc"
