#include "ui/editor/ValueRuler.h"

#include <QPainter>
#include <cmath>
#include <stdexcept>

#include "editor/ValueRulerText.h"
#include "markpoints/MarkPoint.h"

namespace Ui {

using namespace MarkPoints;

namespace {
constexpr int kMajorTick = 7;
constexpr int kMinorTick = 3;

QString nameOf(std::uint32_t scaleId) {
    switch (scaleId) {
    case SCALE_TIME:
        return QObject::tr("Time value ruler");
    case SCALE_PITCH:
        return QObject::tr("Pitch value ruler");
    default:
        return QObject::tr("Formant value ruler");
    }
}
} // namespace

CValueRuler::CValueRuler(std::uint32_t scaleId, QWidget* parent) : MenuRuler(parent), id(scaleId) {
    if (!isValidScaleId(scaleId))
        throw std::invalid_argument("CValueRuler: scale id not identified!");
    setObjectName(QStringLiteral("CValueRuler%1").arg(scaleId));
    setAccessibleName(nameOf(scaleId));
    setFont(QFont(QStringLiteral("Arial"), 8));
    setAutoFillBackground(true);
}

void CValueRuler::setAxis(const CValueScale& axisScale, int axisTop) {
    scale = axisScale;
    top = axisTop;
    update();
}

int CValueRuler::headerHeight() const {
    return 2 * fontMetrics().height() + 4;
}

void CValueRuler::setTimeDisplay(std::uint32_t timeDisplay) {
    if (timeDisplay != TIMEDISPLAY_PERCENT && timeDisplay != TIMEDISPLAY_BPM)
        throw std::invalid_argument("a not existing time scale convert function was selected!");
    display = timeDisplay;
    update();
}

void CValueRuler::setMouseValue(std::optional<double> value) {
    mouseValue = value;
    update();
}

QString CValueRuler::headerText() const {
    const QString text = QString::fromStdString(
        Editor::valueRulerHeader(scale, id, display, mouseValue.value_or(1.0)));
    return mouseValue ? text : text.mid(text.indexOf(QLatin1Char('\r')));
}

QSize CValueRuler::sizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("-000.00")) + kMajorTick + 6, 200};
}

void CValueRuler::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const int right = width() - 1;
    const int header = headerHeight();
    const QStringList lines = headerText().split(QLatin1Char('\r'));
    const QRect headerRect(0, 0, width(), header);
    painter.fillRect(headerRect, palette().color(QPalette::Base));
    painter.drawText(headerRect.adjusted(2, 2, -2, -2), Qt::AlignHCenter | Qt::AlignTop,
                     lines.join(QLatin1Char('\n')));
    painter.drawLine(0, header, right, header);

    painter.setClipRect(0, header + 1, width(), height() - header - 1);
    painter.drawLine(right, header, right, height());
    const int textHeight = fontMetrics().ascent();
    for (const Editor::ValueTick& t : Editor::valueRulerTicks(scale, id, display)) {
        const int y = top + static_cast<int>(std::lround(t.y));
        if (y <= header || y >= height()) continue;
        painter.drawLine(right - (t.labelled ? kMajorTick : kMinorTick), y, right, y);
        if (!t.labelled) continue;
        const QString text = QString::fromStdString(Editor::valueTickText(t.shown));
        const QRect box(0, y - textHeight / 2 - 1, right - kMajorTick - 2, textHeight + 2);
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, text);
    }
}

} // namespace Ui
