#pragma once
// The time ruler above the editor view: ticks and labels of the visible frames as clock time
// or as musical time, chosen with a right-click menu.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

class QMenu;

namespace Ui {

class CHorizontalTimeScale : public QWidget {
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
    // Emits nothing: the window sets what it already knows.
    void setDisplayType(std::uint32_t type);
    std::uint32_t displayType() const { return type; }

    // Asked for the tempo when musical time is chosen while the tempo is unset; nothing
    // means cancelled.
    void setTempoQuestion(std::function<std::optional<double>()> ask) { askTempo = std::move(ask); }
    // What the menu does: switches to the type (asking for the tempo first when musical time
    // has none) and reports it. False when nothing changed.
    bool chooseDisplayType(std::uint32_t type);

    QSize sizeHint() const override;

  signals:
    void displayTypeChanged(int type);
    // The tempo the question gave.
    void tempoChanged(double bpm);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Runs the menu and returns the action chosen (null: none). Tests answer it themselves.
    virtual QAction* execMenu(QMenu& menu, const QPoint& globalPosition);

  private:
    double rate = 44100.0;
    double bpm = -1.0;
    std::int64_t first = 0;
    double fpp = 1.0;
    std::uint32_t type = 1;
    std::function<std::optional<double>()> askTempo;
};

} // namespace Ui
