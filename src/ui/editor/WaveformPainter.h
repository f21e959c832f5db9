#pragma once
// Paints the waveform under the editor's curves: one band per channel, each column a vertical
// span joined to its neighbour, from the columns of the last scan.
#include <QColor>
#include <functional>
#include <optional>

#include "editor/WaveformScan.h"

class QPainter;
class QRect;

namespace Ui {

class WaveformPainter {
  public:
    // The columns of a scan of the view's horizontal range; column k is drawn at x = left + k.
    // (scanned elsewhere, e.g. on a worker thread; the next rescan scans again).
    void setColumns(Editor::WaveformColumns fromScan) {
        columns = std::move(fromScan);
        scanned.reset();
    }
    // Scans the view again when it differs from the one scanned last (zoom, scroll, width);
    // true when it did. A failed scan leaves no columns and throws.
    bool rescan(Audio::CAudioFileCache& source, const Editor::WaveformOverview& overview,
                const Editor::WaveformView& view);
    const Editor::WaveformColumns& getColumns() const { return columns; }
    void setColors(QColor wave, QColor centreLine);

    // Splits the rectangle into one band per channel, top to bottom, and draws each band's
    // centre line and spans. The spans follow the band height at every paint.
    void paint(QPainter& painter, const QRect& rect) const;

    // For the editor view's waveform hook; the painter must outlive it.
    std::function<void(QPainter&, const QRect&)> hook() const {
        return [this](QPainter& p, const QRect& r) { paint(p, r); };
    }

  private:
    Editor::WaveformColumns columns;
    std::optional<Editor::WaveformView> scanned;
    QColor wave{0x4a, 0x6f, 0x96};
    QColor centre{0xb8, 0xc4, 0xd0};
};

} // namespace Ui
