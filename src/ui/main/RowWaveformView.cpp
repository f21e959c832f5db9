#include "ui/main/RowWaveformView.h"

#include <QPainter>
#include <cmath>

#include "app/RowWaveform.h"
#include "ui/common/ThemeColours.h"

namespace Ui {

namespace {

constexpr int kScaleBand = 13; // the scale's line and label under the waveform

} // namespace

RowWaveformView::RowWaveformView(const App::CFileRow& shown, QWidget* parent)
    : QWidget(parent), row(shown) {
    setObjectName(QStringLiteral("RowWaveform"));
    setAccessibleName(tr("Waveform"));
    setMinimumWidth(0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // Clicks go to the row beneath: the waveform is something to look at only.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RowWaveformView::setOutline(std::vector<float> columns) {
    outline = std::move(columns);
    update();
}

void RowWaveformView::refresh() {
    const std::optional<App::LengthScale> scale = App::lengthScaleOf(row);
    const QString tip =
        scale ? tr("Result: %1").arg(QString::fromStdString(scale->resultLength)) : QString();
    if (tip == toolTip()) return update();
    setToolTip(tip);
    setAccessibleDescription(tip);
    update();
}

void RowWaveformView::paintEvent(QPaintEvent*) {
    if (outline.empty() || width() < 8) return;
    QPainter painter(this);
    const std::optional<App::LengthScale> scale = App::lengthScaleOf(row);
    QRect wave = rect();
    if (scale) wave.setBottom(wave.bottom() - kScaleBand);
    const int waveWidth =
        scale ? static_cast<int>(std::lround(wave.width() * scale->sourceWidth)) : wave.width();
    const std::vector<float> levels =
        App::fitOutline(outline, static_cast<std::size_t>(std::max(waveWidth, 1)));
    painter.setPen(Theme::waveform(palette(), background));
    const double middle = wave.top() + wave.height() / 2.0;
    const double half = wave.height() / 2.0 - 1.0;
    for (std::size_t x = 0; x < levels.size(); ++x) {
        const double h = std::max(0.5, std::min(1.0f, levels[x]) * half);
        const int px = wave.left() + static_cast<int>(x);
        painter.drawLine(px, static_cast<int>(std::lround(middle - h)), px,
                         static_cast<int>(std::lround(middle + h)));
    }
    if (scale)
        paintScale(painter, QRect(0, wave.bottom() + 1, width(), kScaleBand), scale->resultWidth,
                   tr("→ %1").arg(QString::fromStdString(scale->resultLength)));
}

// A dimension line as long as the result, its length written on it.
void RowWaveformView::paintScale(QPainter& painter, const QRect& band, double resultWidth,
                                 const QString& label) const {
    const int right = band.left() + static_cast<int>(std::lround((band.width() - 1) * resultWidth));
    const int y = band.top() + band.height() / 2;
    painter.setPen(palette().color(QPalette::Text));
    painter.drawLine(band.left(), y, right, y);
    painter.drawLine(band.left(), y - 3, band.left(), y + 3);
    painter.drawLine(right, y - 3, right, y + 3);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    painter.setFont(small);
    const QFontMetrics metrics(small);
    QRect text = metrics.boundingRect(label).adjusted(-3, 0, 3, 0);
    text.moveCenter(QPoint((band.left() + right) / 2, y));
    // A short result writes its length beside the line, where it has room.
    if (text.width() > right - band.left() - 8) text.moveLeft(right + 4);
    painter.fillRect(text, background);
    painter.drawText(text, Qt::AlignCenter, label);
}

} // namespace Ui
