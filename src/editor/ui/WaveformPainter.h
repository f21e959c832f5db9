#pragma once
// Paints the waveform under the editor's curves: one band per channel, each column a vertical
// span joined to its neighbour, from the columns of the last scan.
#include <QColor>
#include <functional>

#include "editor/WaveformScan.h"

class QPainter;
class QRect;

namespace Ui {

class WaveformPainter {
  public:
    // The columns of a scan of the view's horizontal range; column k is drawn at x = left + k.
    void setColumns(Editor::WaveformColumns scanned) { columns = std::move(scanned); }
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
    QColor wave{0x4a, 0x6f, 0x96};
    QColor centre{0xb8, 0xc4, 0xd0};
};

} // namespace Ui
