#pragma once
// A value ruler beside the editor view, one per scale: ticks along the value axis and a
// header with the value under the mouse. The time scale's ruler switches between percent and
// BPM with a right-click menu of the window's commands.
#include <cstdint>
#include <optional>

#include "markpoints/ValueScale.h"
#include "ui/editor/MenuRuler.h"

namespace Ui {

class CValueRuler : public MenuRuler {
    Q_OBJECT

  public:
    // `scaleId`: MarkPoints::SCALE_TIME, SCALE_PITCH or SCALE_FORMANT.
    explicit CValueRuler(std::uint32_t scaleId, QWidget* parent = nullptr);

    std::uint32_t scaleId() const { return id; }
    // The value axis as the view draws it: ruler y = `top` + scale.pixelOfValue(value). The
    // scale's base BPM is the tempo of the BPM display.
    void setAxis(const MarkPoints::CValueScale& scale, int top);
    const MarkPoints::CValueScale& axis() const { return scale; }
    int axisTop() const { return top; }
    // The height of the header above the axis.
    int headerHeight() const;

    // MarkPoints::TIMEDISPLAY_PERCENT or TIMEDISPLAY_BPM.
    void setTimeDisplay(std::uint32_t display);
    std::uint32_t timeDisplay() const { return display; }
    // The value under the mouse, shown in the header; nothing: the unit alone.
    void setMouseValue(std::optional<double> value);
    // The header: "150.00\r%" and the like; the unit alone without a mouse value.
    QString headerText() const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::uint32_t id;
    MarkPoints::CValueScale scale{4.0, 200, -1.0};
    int top = 0;
    std::uint32_t display = MarkPoints::TIMEDISPLAY_PERCENT;
    std::optional<double> mouseValue;
};

} // namespace Ui
