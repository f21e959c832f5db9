#pragma once
// The time ruler above the editor view: ticks and labels of the visible frames as clock time
// or as musical time, chosen with a right-click menu of the window's commands.
#include <cstdint>

#include "ui/editor/MenuRuler.h"

namespace Ui {

class CHorizontalTimeScale : public MenuRuler {
    Q_OBJECT

  public:
    explicit CHorizontalTimeScale(QWidget* parent = nullptr);

    void setSampleRate(double rate);
    double sampleRate() const { return rate; }
    // −1: unset.
    void setTempo(double bpm);
    double tempo() const { return bpm; }
    // x 0 of the ruler shows `firstFrame`; the same geometry as the editor view's.
    void setView(std::int64_t firstFrame, double framesPerPixel);
    std::int64_t firstFrame() const { return first; }
    double framesPerPixel() const { return fpp; }

    // Editor::TIMESCALE_CLOCK or TIMESCALE_MUSICAL; throws std::invalid_argument for another.
    void setDisplayType(std::uint32_t type);
    std::uint32_t displayType() const { return type; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    double rate = 44100.0;
    double bpm = -1.0;
    std::int64_t first = 0;
    double fpp = 1.0;
    std::uint32_t type = 1;
};

} // namespace Ui
