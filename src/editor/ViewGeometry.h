#pragma once
// Where frames and values sit in the editor view: frame <-> x, value <-> y, and the value
// axis built for the view's height and vertical zoom.
#include <cstdint>

#include "markpoints/MarkPointMovingArray.h"
#include "markpoints/ValueScale.h"

namespace Editor {

class CViewGeometry {
  public:
    explicit CViewGeometry(double baseBpm);

    // The axis object stays the same one for the geometry's whole life (the moving array
    // keeps a reference); a new height or zoom rebuilds its contents.
    const MarkPoints::CValueScale& scale() const { return valueScale; }

    void setViewRect(const MarkPoints::CPixelRect& rect);
    const MarkPoints::CPixelRect& getViewRect() const { return view; }
    void setFirstFrame(std::int64_t frame) { firstFrame = frame; }
    std::int64_t getFirstFrame() const { return firstFrame; }
    // Refuses values that are not above zero.
    void setFramesPerPixel(double framesPerPixel);
    double getFramesPerPixel() const { return fpp; }
    void setVerticalZoom(double zoom);
    double getVerticalZoom() const { return zoom; }
    void setVerticalScroll(int pixels);
    int getVerticalScroll() const { return scroll; }
    void setBaseBpm(double bpm) { valueScale.setBaseBpm(bpm); }

    // The axis height H in pixels: the view height divided by the vertical zoom.
    int axisHeight() const;

    std::int64_t frameOfPixel(int x) const;
    int pixelOfFrame(std::int64_t frame) const;
    // The same without rounding, for clipping lines that reach far outside the view.
    double exactPixelOfFrame(double frame) const;
    // The axis pixel (0 .. H − 1) under a widget y.
    double axisPixel(int y) const;
    // Widget y of a value: its axis pixel moved to the view top and by the scroll offset.
    double exactPixelOfValue(double value) const;
    int pixelOfValue(double value) const;
    double valueOfPixel(int y) const;

  private:
    void rebuildScale();

    MarkPoints::CPixelRect view{0, 0, 1, 2};
    std::int64_t firstFrame = 0;
    double fpp = 1.0;
    double zoom = 1.0;
    int scroll = 0;
    MarkPoints::CValueScale valueScale;
};

} // namespace Editor
