#include "ui/editor/MarkPointEdit.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <exception>

#include "ui/common/Dialogs.h"
#include "ui/editor/MarkPointPainting.h"

namespace Ui {

const QString CMarkPointEdit::kCut = QStringLiteral("Cut");
const QString CMarkPointEdit::kCopy = QStringLiteral("Copy");
const QString CMarkPointEdit::kPaste = QStringLiteral("Paste");
const QString CMarkPointEdit::kDelete = QStringLiteral("Delete");
const QString CMarkPointEdit::kLineStyle = QStringLiteral("Line Style");
const QString CMarkPointEdit::kLinear = QStringLiteral("LINEAR");
const QString CMarkPointEdit::kSquare = QStringLiteral("SQUARE");

namespace {
std::uint32_t modifierBits(Qt::KeyboardModifiers modifiers) {
    std::uint32_t bits = 0;
    if (modifiers & Qt::ShiftModifier) bits |= Editor::kShift;
    if (modifiers & Qt::ControlModifier) bits |= Editor::kCtrl;
    if (modifiers & Qt::AltModifier) bits |= Editor::kAlt;
    if (modifiers & Qt::MetaModifier) bits |= Editor::kMeta;
    return bits;
}

int buttonNumber(Qt::MouseButton button) {
    if (button == Qt::LeftButton) return Editor::kLeftButton;
    if (button == Qt::RightButton) return Editor::kRightButton;
    return 0;
}

Editor::PixelPoint pixel(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}
} // namespace

CMarkPointEdit::CMarkPointEdit(Editor::CEditorDocument& document, QWidget* parent)
    : QWidget(parent), doc(document) {
    setObjectName(QStringLiteral("CMarkPointEdit"));
    setAccessibleName(QStringLiteral("Mark point editor"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    updateDescription();
}

void CMarkPointEdit::setWavePainter(WavePainter painter) {
    wavePainter = std::move(painter);
    update();
}

CMarkPointEdit::Snapshot CMarkPointEdit::snapshot() const {
    return {{doc.curve(MarkPoints::SCALE_TIME), doc.curve(MarkPoints::SCALE_PITCH),
             doc.curve(MarkPoints::SCALE_FORMANT)},
            doc.isModified(),
            doc.getCursorFrame()};
}

void CMarkPointEdit::run(const std::function<void()>& command) {
    const Snapshot before = snapshot();
    QString failure;
    try {
        command();
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    const Snapshot after = snapshot();
    const bool changed = after.curves != before.curves || after.modified != before.modified;
    refresh();
    if (changed) emit edited();
    if (after.cursor != before.cursor) emit cursorMoved(after.cursor);
    // Shown last, so that the view already shows what the failed call left behind.
    if (!failure.isEmpty()) Dialogs::current().message(this, failure, QStringLiteral("error"));
}

void CMarkPointEdit::refresh() {
    updateDescription();
    update();
}

void CMarkPointEdit::updateDescription() {
    const QString text = QString::fromStdString(doc.describe());
    if (text != accessibleDescription()) setAccessibleDescription(text);
}

// --- painting ----------------------------------------------------------------------------

void CMarkPointEdit::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (wavePainter) wavePainter(painter, rect());
    try {
        doc.layout();
        // The current curve last, so that it lies on top of the grey ones.
        for (std::uint32_t id = MarkPoints::SCALE_TIME; id <= MarkPoints::SCALE_FORMANT; ++id)
            if (doc.isShown(id) && id != doc.getCurrentScale()) paintCurve(painter, doc, id);
        if (doc.isShown(doc.getCurrentScale())) paintCurve(painter, doc, doc.getCurrentScale());
        paintRubberBand(painter, doc);
        paintCursor(painter, doc, height());
        if (mouseInside) paintReadout(painter, doc, mouse, rect());
    } catch (const std::exception& e) {
        // A message box from inside a paint would paint again: the fault is shown in place.
        painter.setPen(Qt::red);
        painter.drawText(rect(), Qt::AlignCenter, QString::fromStdString(e.what()));
    }
}

void CMarkPointEdit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    doc.setViewRect({0, 0, width(), height()});
}

// --- mouse -------------------------------------------------------------------------------

void CMarkPointEdit::press(QMouseEvent* event, std::uint32_t extraModifiers) {
    const int button = buttonNumber(event->button());
    if (button == 0) return;
    setFocus(Qt::MouseFocusReason);
    const Editor::PixelPoint at = pixel(event);
    const std::uint32_t modifiers = modifierBits(event->modifiers()) | extraModifiers;
    run([&] { doc.buttonDown(at, button, modifiers); });
}

void CMarkPointEdit::mousePressEvent(QMouseEvent* event) {
    press(event, 0);
}

void CMarkPointEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    press(event, Editor::kDoubleClick);
}

void CMarkPointEdit::mouseReleaseEvent(QMouseEvent* event) {
    const int button = buttonNumber(event->button());
    if (button == 0) return;
    Editor::ReleaseOutcome outcome;
    const Editor::PixelPoint at = pixel(event);
    run([&] { outcome = doc.buttonUp(at, button); });
    if (outcome.openContextMenu) openContextMenu({outcome.at.x, outcome.at.y});
}

void CMarkPointEdit::mouseMoveEvent(QMouseEvent* event) {
    mouse = event->position().toPoint();
    mouseInside = true;
    const bool held = event->buttons() & (Qt::LeftButton | Qt::RightButton);
    run([&] { doc.mouseMove(pixel(event), held); });
}

void CMarkPointEdit::leaveEvent(QEvent* event) {
    mouseInside = false;
    update();
    QWidget::leaveEvent(event);
}

// --- keys --------------------------------------------------------------------------------

void CMarkPointEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Shift) {
        if (!event->isAutoRepeat()) run([this] { doc.shiftDown(); });
        return;
    }
    if (key == Qt::Key_Escape) {
        run([this] { doc.cancel(); });
        return;
    }
    const bool shiftOnly = (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    if (shiftOnly &&
        (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)) {
        const int dx = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
        const int dy = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
        run([&] { doc.nudge(dx, dy); });
        return;
    }
    QWidget::keyPressEvent(event);
}

void CMarkPointEdit::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Shift) {
        if (!event->isAutoRepeat()) run([this] { doc.shiftUp(); });
        return;
    }
    QWidget::keyReleaseEvent(event);
}

// --- context menu --------------------------------------------------------------------------

QAction* CMarkPointEdit::chooseFromMenu(QMenu& menu, QPoint globalPosition) {
    return menu.exec(globalPosition);
}

void CMarkPointEdit::openContextMenu(QPoint at) {
    QMenu menu(this);
    const bool selected = doc.anySelected();
    QAction* cut = menu.addAction(kCut);
    QAction* copy = menu.addAction(kCopy);
    QAction* paste = menu.addAction(kPaste);
    QAction* remove = menu.addAction(kDelete);
    QMenu* styles = menu.addMenu(kLineStyle);
    QAction* linear = styles->addAction(kLinear);
    QAction* square = styles->addAction(kSquare);
    cut->setEnabled(selected);
    copy->setEnabled(selected);
    remove->setEnabled(selected);
    paste->setEnabled(doc.hasClipboard());

    QAction* chosen = chooseFromMenu(menu, mapToGlobal(at));
    if (!chosen || !chosen->isEnabled()) return;
    if (chosen == cut)
        run([this] { doc.cut(); });
    else if (chosen == copy)
        run([this] { doc.copy(); });
    else if (chosen == paste)
        run([this] { doc.paste(); });
    else if (chosen == remove)
        run([this] { doc.deleteSelected(); });
    else if (chosen == linear)
        run([this] { doc.setLineStyle(MarkPoints::LINEAR); });
    else if (chosen == square)
        run([this] { doc.setLineStyle(MarkPoints::SQUARE); });
}

} // namespace Ui
