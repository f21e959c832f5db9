#include "ui/editor/MarkPointEdit.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <exception>

#include "ui/common/Dialogs.h"
#include "ui/common/ThemeColours.h"
#include "ui/editor/MarkPointPainting.h"

namespace Ui {

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
    setAccessibleName(tr("Mark point editor"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    updateDescription();
}

void CMarkPointEdit::setWavePainter(WavePainter painter) {
    wavePainter = std::move(painter);
    update();
}

void CMarkPointEdit::run(const std::function<void()>& command) {
    const std::uint64_t changes = doc.changeCount();
    const std::int64_t cursor = doc.getCursorFrame();
    QString failure;
    try {
        command();
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    refresh();
    if (doc.changeCount() != changes) emit edited();
    if (doc.getCursorFrame() != cursor) emit cursorMoved(doc.getCursorFrame());
    // Shown last, so that the view already shows what the failed call left behind.
    if (!failure.isEmpty()) Dialogs::current().message(this, failure, tr("error"));
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
    painter.fillRect(rect(), Theme::curveViewBackground(palette()));
    if (wavePainter) wavePainter(painter, rect());
    try {
        doc.layout();
        // The current curve last, so that it lies on top of the grey ones.
        for (std::uint32_t id = MarkPoints::SCALE_TIME; id <= MarkPoints::SCALE_FORMANT; ++id)
            if (doc.isShown(id) && id != doc.getCurrentScale())
                paintCurve(painter, doc, id, palette());
        if (doc.isShown(doc.getCurrentScale()))
            paintCurve(painter, doc, doc.getCurrentScale(), palette());
        paintRubberBand(painter, doc, palette());
        paintCursor(painter, doc, height());
        if (mouseInside) paintReadout(painter, doc, mouse, rect(), palette());
    } catch (const std::exception& e) {
        // A message box from inside a paint would paint again: the fault is shown in place.
        painter.setPen(Qt::red);
        painter.drawText(rect(), Qt::AlignCenter, QString::fromStdString(e.what()));
    }
}

void CMarkPointEdit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    doc.geometry().setViewRect({0, 0, width(), height()});
}

// --- mouse -------------------------------------------------------------------------------

void CMarkPointEdit::press(QMouseEvent* event, std::uint32_t extraModifiers) {
    const int button = buttonNumber(event->button());
    if (button == 0) return;
    setFocus(Qt::MouseFocusReason);
    const Editor::PixelPoint at = pixel(event);
    const std::uint32_t modifiers = modifierBits(event->modifiers()) | extraModifiers;
    run([&] { doc.interaction().buttonDown(at, button, modifiers); });
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
    run([&] { outcome = doc.interaction().buttonUp(at, button); });
    if (outcome.openContextMenu) openContextMenu({outcome.at.x, outcome.at.y});
}

void CMarkPointEdit::mouseMoveEvent(QMouseEvent* event) {
    mouse = event->position().toPoint();
    mouseInside = true;
    const bool held = event->buttons() & (Qt::LeftButton | Qt::RightButton);
    run([&] { doc.interaction().mouseMove(pixel(event), held); });
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
        if (!event->isAutoRepeat()) run([this] { doc.interaction().shiftDown(); });
        return;
    }
    if (key == Qt::Key_Escape) {
        run([this] { doc.interaction().cancel(); });
        return;
    }
    const bool shiftOnly = (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    if (shiftOnly &&
        (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)) {
        const int dx = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
        const int dy = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
        run([&] { doc.interaction().nudge(dx, dy); });
        return;
    }
    QWidget::keyPressEvent(event);
}

void CMarkPointEdit::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Shift) {
        if (!event->isAutoRepeat()) run([this] { doc.interaction().shiftUp(); });
        return;
    }
    QWidget::keyReleaseEvent(event);
}

// --- context menu --------------------------------------------------------------------------

void CMarkPointEdit::chooseFromMenu(QMenu& menu, QPoint globalPosition) {
    menu.exec(globalPosition);
}

void CMarkPointEdit::openContextMenu(QPoint at) {
    if (contextMenu) chooseFromMenu(*contextMenu, mapToGlobal(at));
}

} // namespace Ui
