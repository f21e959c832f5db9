#pragma once
// The waveform a row of the batch list draws in the free width beside its controls, and under
// it, when the result is longer or shorter than the source, the result's length as a scale.
#include <QWidget>
#include <vector>

#include "app/FileRow.h"

namespace Ui {

class RowWaveformView : public QWidget {
    Q_OBJECT
  public:
    RowWaveformView(const App::CFileRow& row, QWidget* parent);

    void setOutline(std::vector<float> columns);
    bool hasOutline() const { return !outline.empty(); }
    // The row's fill, which the scale's label is set on.
    void setBackground(const QColor& fill) { background = fill; }
    // The settings changed: the scale follows at the next paint; its text for the tip.
    void refresh();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintScale(class QPainter& painter, const QRect& band, double resultWidth,
                    const QString& label) const;

    const App::CFileRow& row;
    std::vector<float> outline;
    QColor background;
};

} // namespace Ui
