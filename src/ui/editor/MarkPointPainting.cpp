#include "ui/editor/MarkPointPainting.h"

#include <QFont>
#include <QFontMetrics>
#include <QPen>

#include "ui/common/ThemeColours.h"

namespace Ui {

namespace {
const QColor kOtherCurve(0xC0, 0xC0, 0xC0);
const QColor kCursor(0xD0, 0x20, 0x20);
constexpr int kReadoutOffset = 10;
} // namespace

QColor curveColour(const Editor::CEditorDocument& doc, std::uint32_t scaleId,
                   const QPalette& palette) {
    if (scaleId == doc.getCurrentScale()) return Theme::curve(palette, true);
    return Theme::isDark(palette) ? Theme::curve(palette, false) : kOtherCurve;
}

void paintCurve(QPainter& painter, const Editor::CEditorDocument& doc, std::uint32_t scaleId,
                const QPalette& palette) {
    const QColor colour = curveColour(doc, scaleId, palette);
    painter.setPen(QPen(colour, 1));
    for (const Editor::CurveLine& l : doc.curveLines(scaleId))
        painter.drawLine(l.x0, l.y0, l.x1, l.y1);
    for (const Editor::Marker& m : doc.markers(scaleId)) {
        const QRect box(m.rect.left, m.rect.top, m.rect.right - m.rect.left,
                        m.rect.bottom - m.rect.top);
        if (m.point.selected) {
            painter.fillRect(box, colour);
        } else {
            painter.fillRect(box, Theme::curveViewBackground(palette));
            painter.drawRect(box.adjusted(0, 0, -1, -1));
        }
    }
}

void paintRubberBand(QPainter& painter, const Editor::CEditorDocument& doc,
                     const QPalette& palette) {
    const auto band = doc.interaction().rubberBand();
    if (!band) return;
    painter.setPen(QPen(palette.color(QPalette::Text), 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(band->left, band->top), QPoint(band->right, band->bottom)));
}

void paintCursor(QPainter& painter, const Editor::CEditorDocument& doc, int height) {
    const int x = doc.geometry().pixelOfFrame(doc.getCursorFrame());
    painter.setPen(QPen(kCursor, 1));
    painter.drawLine(x, 0, x, height);
}

void paintReadout(QPainter& painter, const Editor::CEditorDocument& doc, QPoint mouse,
                  const QRect& area, const QPalette& palette) {
    const std::uint32_t scale = doc.getCurrentScale();
    const double value = doc.interaction().fineTuneValue().value_or(doc.getValue(scale, mouse.y()));
    const QString text = QString::fromStdString(doc.readout(scale, value));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    QRect box = metrics.boundingRect(text).adjusted(-2, -1, 2, 1);
    box.moveTopLeft(mouse + QPoint(kReadoutOffset, -kReadoutOffset - box.height()));
    // Kept inside the view: flipped to the other side of the mouse at the edges.
    if (box.right() > area.right()) box.moveRight(mouse.x() - kReadoutOffset);
    if (box.top() < area.top()) box.moveTop(mouse.y() + kReadoutOffset);
    QColor behind = Theme::curveViewBackground(palette);
    behind.setAlpha(210);
    painter.fillRect(box, behind);
    painter.setPen(palette.color(QPalette::Text));
    painter.drawText(box, Qt::AlignCenter, text);
}

} // namespace Ui
