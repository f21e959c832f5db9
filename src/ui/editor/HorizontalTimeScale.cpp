#include "ui/editor/HorizontalTimeScale.h"

#include <QPainter>
#include <cmath>
#include <stdexcept>

#include "editor/TimeScaleLabels.h"

namespace Ui {

using namespace Editor;

namespace {
constexpr int kMajorTick = 9;
constexpr int kMinorTick = 4;
constexpr int kMinorParts = 4;
} // namespace

CHorizontalTimeScale::CHorizontalTimeScale(QWidget* parent) : MenuRuler(parent) {
    setObjectName(QStringLiteral("CHorizontalTimeScale"));
    setAccessibleName(tr("Time ruler"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    setAutoFillBackground(true);
}

void CHorizontalTimeScale::setSampleRate(double sampleRate) {
    rate = sampleRate;
    update();
}

void CHorizontalTimeScale::setTempo(double tempo) {
    bpm = tempo;
    update();
}

void CHorizontalTimeScale::setView(std::int64_t firstFrame, double framesPerPixel) {
    first = firstFrame;
    fpp = framesPerPixel;
    update();
}

void CHorizontalTimeScale::setDisplayType(std::uint32_t displayType) {
    if (displayType != TIMESCALE_CLOCK && displayType != TIMESCALE_MUSICAL)
        throw std::invalid_argument(kDrawTypeUnsupported);
    type = displayType;
    update();
}

QSize CHorizontalTimeScale::sizeHint() const {
    return {400, fontMetrics().height() + kMajorTick + 6};
}

void CHorizontalTimeScale::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int bottom = height() - 1;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(0, bottom, width(), bottom);
    if (type == TIMESCALE_MUSICAL && bpm <= 0.0) return; // no tempo yet: nothing to label
    TickSpacing spacing;
    try {
        spacing = tickSpacing(type, rate, bpm, fpp);
    } catch (const std::exception&) {
        return;
    }
    const double minor = spacing.pixels / kMinorParts;
    const double firstX = -static_cast<double>(first) / fpp;
    if (minor >= 6.0) {
        const auto from = static_cast<long long>(std::floor(-firstX / minor));
        for (long long k = from; firstX + k * minor <= width(); ++k) {
            const int x = static_cast<int>(std::lround(firstX + k * minor));
            painter.drawLine(x, bottom - kMinorTick, x, bottom);
        }
    }
    const int baseline = bottom - kMajorTick - 1;
    for (const Tick& t : visibleTicks(spacing, first, fpp, width())) {
        const int x = static_cast<int>(std::lround(t.x));
        painter.drawLine(x, bottom - kMajorTick, x, bottom);
        const QString label =
            QString::fromStdString(createTimeInfoString(t.frame, rate, bpm, type));
        painter.drawText(x + 1, baseline, label);
    }
}

} // namespace Ui
