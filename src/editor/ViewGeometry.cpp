#include "editor/ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace Editor {

namespace {
constexpr double kMaximumFactor = 4.0;

// Pixel positions are kept far inside int's range, whatever the zoom.
int toPixel(double x) {
    return static_cast<int>(std::clamp(std::trunc(x), -1e9, 1e9));
}
} // namespace

CViewGeometry::CViewGeometry(double baseBpm) : valueScale(kMaximumFactor, 1, baseBpm) {
    rebuildScale();
}

void CViewGeometry::rebuildScale() {
    valueScale = MarkPoints::CValueScale(kMaximumFactor, axisHeight(), valueScale.getBaseBpm());
    setVerticalScroll(scroll);
}

int CViewGeometry::axisHeight() const {
    return static_cast<int>(std::trunc(static_cast<double>(view.bottom - view.top) / zoom + 0.5));
}

void CViewGeometry::setViewRect(const MarkPoints::CPixelRect& rect) {
    view = rect;
    rebuildScale();
}

void CViewGeometry::setFramesPerPixel(double framesPerPixel) {
    if (framesPerPixel > 0.0 && std::isfinite(framesPerPixel)) fpp = framesPerPixel;
}

void CViewGeometry::setVerticalZoom(double verticalZoom) {
    if (!(verticalZoom > 0.0) || !std::isfinite(verticalZoom)) return;
    zoom = verticalZoom;
    rebuildScale();
}

void CViewGeometry::setVerticalScroll(int pixels) {
    const int most = std::max(0, axisHeight() - (view.bottom - view.top));
    scroll = std::clamp(pixels, 0, most);
}

std::int64_t CViewGeometry::frameOfPixel(int x) const {
    const double offset = std::trunc(static_cast<double>(x - view.left) * fpp + 0.5);
    return std::max<std::int64_t>(0, static_cast<std::int64_t>(offset) + firstFrame);
}

double CViewGeometry::exactPixelOfFrame(double frame) const {
    return (frame - static_cast<double>(firstFrame)) / fpp + view.left;
}

int CViewGeometry::pixelOfFrame(std::int64_t frame) const {
    const double offset = std::trunc(static_cast<double>(frame - firstFrame) / fpp + 0.5);
    return toPixel(offset + view.left);
}

double CViewGeometry::axisPixel(int y) const {
    const int y0 = y - view.top + scroll;
    return std::clamp(y0, 0, std::max(0, axisHeight() - 1));
}

double CViewGeometry::exactPixelOfValue(double value) const {
    return valueScale.pixelOfValue(value) + view.top - scroll;
}

int CViewGeometry::pixelOfValue(double value) const {
    return toPixel(exactPixelOfValue(value) + 0.5);
}

double CViewGeometry::valueOfPixel(int y) const {
    return valueScale.valueOfPixel(axisPixel(y));
}

} // namespace Editor
