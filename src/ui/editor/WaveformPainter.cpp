#include "ui/editor/WaveformPainter.h"

#include <QPainter>
#include <QRect>
#include <algorithm>

namespace Ui {

void WaveformPainter::setColors(QColor waveColor, QColor centreLine) {
    wave = waveColor;
    centre = centreLine;
}

bool WaveformPainter::rescan(Audio::CAudioFileCache& source,
                             const Editor::WaveformOverview& overview,
                             const Editor::WaveformView& view) {
    if (scanned && *scanned == view) return false;
    scanned.reset();
    const std::atomic<bool> never{false};
    try {
        Editor::scanWaveform(source, overview, view, never, columns);
    } catch (...) {
        columns = {};
        throw;
    }
    scanned = view;
    return true;
}

void WaveformPainter::paint(QPainter& painter, const QRect& rect) const {
    const std::size_t channels = columns.minimum.size();
    if (channels == 0 || rect.isEmpty()) return;
    painter.save();
    painter.setClipRect(rect);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const double bandHeight = static_cast<double>(rect.height()) / static_cast<double>(channels);
    const int drawn = std::min<int>(static_cast<int>(columns.columns()), rect.width());
    for (std::size_t c = 0; c < channels; ++c) {
        const double bandTop = rect.top() + bandHeight * static_cast<double>(c);
        const int centreY = static_cast<int>(bandTop + bandHeight / 2.0);
        painter.setPen(centre);
        painter.drawLine(rect.left(), centreY, rect.right(), centreY);
        painter.setPen(wave);
        const std::vector<Editor::PixelSpan> spans =
            Editor::joinSpans(columns.minimum[c], columns.maximum[c], (bandHeight - 1.0) / 2.0);
        for (int k = 0; k < drawn; ++k) {
            const Editor::PixelSpan& s = spans[static_cast<std::size_t>(k)];
            painter.drawLine(rect.left() + k, centreY + s.top, rect.left() + k, centreY + s.bottom);
        }
    }
    painter.restore();
}

} // namespace Ui
