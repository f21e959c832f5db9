#include "editor/CurveLayout.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "markpoints/MarkPoint.h"

namespace Editor {

namespace {
constexpr int kMarkerMargin = 3;
constexpr int kHitMargin = 5;

struct Spot {
    double frame;
    double value;
};

class LineSink {
  public:
    LineSink(const CViewGeometry& geometry_, std::vector<CurveLine>& out_)
        : geometry(geometry_), out(out_), left(geometry_.getViewRect().left - 1.0),
          right(geometry_.getViewRect().right + 1.0) {}

    // A straight line between two curve spots, clipped to the view's columns.
    void line(Spot a, Spot b) {
        double x0 = geometry.exactPixelOfFrame(a.frame);
        double x1 = geometry.exactPixelOfFrame(b.frame);
        double y0 = geometry.exactPixelOfValue(a.value);
        double y1 = geometry.exactPixelOfValue(b.value);
        if (std::max(x0, x1) < left || std::min(x0, x1) > right) return;
        if (x1 != x0) {
            const double slope = (y1 - y0) / (x1 - x0);
            const double cx0 = std::clamp(x0, left, right);
            const double cx1 = std::clamp(x1, left, right);
            y0 += (cx0 - x0) * slope;
            y1 += (cx1 - x1) * slope;
            x0 = cx0;
            x1 = cx1;
        }
        out.push_back({pixel(x0), pixel(y0), pixel(x1), pixel(y1)});
    }

    // A level line from a spot to the view's right edge.
    void toRightEdge(Spot from) { line(from, {frameAt(right), from.value}); }
    void acrossView(double value) { line({frameAt(left), value}, {frameAt(right), value}); }

  private:
    static int pixel(double v) { return static_cast<int>(std::lround(v)); }
    double frameAt(double x) const {
        return (x - geometry.getViewRect().left) * geometry.getFramesPerPixel() +
               static_cast<double>(geometry.getFirstFrame());
    }

    const CViewGeometry& geometry;
    std::vector<CurveLine>& out;
    double left;
    double right;
};

void segment(LineSink& sink, Spot previous, const MarkPoints::CMarkPoint& next) {
    const Spot to{static_cast<double>(next.framePosition), static_cast<double>(next.value)};
    if (next.lineStyle & MarkPoints::LINEAR) {
        sink.line(previous, to);
    } else if (next.lineStyle & MarkPoints::SQUARE) {
        sink.line(previous, {to.frame, previous.value});
        sink.line({to.frame, previous.value}, to);
    } else if (!(next.lineStyle & MarkPoints::KEEP)) {
        throw std::runtime_error("cannot draw markpoint line. unknown Line Style");
    }
}

std::int32_t clampFrame(std::int64_t f) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(f, INT32_MIN, INT32_MAX));
}

Spot spotOf(const MarkPoints::CMarkPoint& p) {
    return {static_cast<double>(p.framePosition), static_cast<double>(p.value)};
}
} // namespace

std::vector<CurveLine> layoutCurveLines(const MarkPoints::CMarkPointArray& curve,
                                        const CViewGeometry& geometry) {
    std::vector<CurveLine> lines;
    LineSink sink(geometry, lines);
    if (curve.empty()) {
        sink.acrossView(1.0);
        return lines;
    }
    // Only the segments that reach into the view: from the last point left of it to the
    // first point right of it.
    const auto& rect = geometry.getViewRect();
    const std::int64_t firstShown = geometry.frameOfPixel(rect.left - 1);
    const std::int64_t lastShown = geometry.frameOfPixel(rect.right + 1);
    std::size_t begin = curve.lowerBound(clampFrame(firstShown));
    begin = begin > 0 ? begin - 1 : 0;
    const std::size_t end = std::min(curve.size(), curve.lowerBound(clampFrame(lastShown)) + 1);
    for (std::size_t i = begin; i < end; ++i) {
        const Spot previous = i == 0 ? Spot{0.0, 1.0} : spotOf(curve[i - 1]);
        segment(sink, previous, curve[i]);
    }
    if (end == curve.size()) sink.toRightEdge(spotOf(curve[curve.size() - 1]));
    return lines;
}

std::vector<Marker> layoutMarkers(const MarkPoints::CMarkPointArray& curve,
                                  const CViewGeometry& geometry) {
    std::vector<Marker> markers;
    const auto& rect = geometry.getViewRect();
    const std::int64_t firstFrame = geometry.frameOfPixel(rect.left - kMarkerMargin - 1);
    for (std::size_t i = curve.lowerBound(clampFrame(firstFrame)); i < curve.size(); ++i) {
        const MarkPoints::CMarkPoint& p = curve[i];
        const int x = geometry.pixelOfFrame(p.framePosition);
        if (x >= rect.right + kMarkerMargin) break;
        if (x < rect.left - kMarkerMargin) continue;
        const int y = geometry.pixelOfValue(p.value);
        markers.push_back({p, {x - 2, y - 2, x + 3, y + 3}});
    }
    return markers;
}

std::optional<MarkPoints::CMarkPoint> hitMarker(const std::vector<Marker>& markers, PixelPoint at) {
    for (const Marker& m : markers) {
        const auto& r = m.rect;
        if (at.x >= r.left - kHitMargin && at.x < r.right + kHitMargin &&
            at.y >= r.top - kHitMargin && at.y < r.bottom + kHitMargin)
            return m.point;
    }
    return std::nullopt;
}

} // namespace Editor
