#pragma once
// A curve laid out in view pixels: the lines between its points and a marker per point.
#include <cstdint>
#include <optional>
#include <vector>

#include "editor/EditorTypes.h"
#include "editor/ViewGeometry.h"
#include "markpoints/MarkPointArray.h"

namespace Editor {

// The lines of a curve across the view: from the virtual start point (frame 0, value 1.0)
// through every point, each segment shaped by the style of the point it ends at, then level
// to the right edge. An empty curve is a level line at 1.0. Lines are clipped to the view's
// columns. Throws "cannot draw markpoint line. unknown Line Style".
std::vector<CurveLine> layoutCurveLines(const MarkPoints::CMarkPointArray& curve,
                                        const CViewGeometry& geometry);

// A 5 × 5 marker for every point whose pixel lies in the view's columns (a few pixels of
// margin, so that points on the edges can be hit).
std::vector<Marker> layoutMarkers(const MarkPoints::CMarkPointArray& curve,
                                  const CViewGeometry& geometry);

// The first marker that the pixel hits: within 7 pixels left/above and right/below of the
// point's pixel.
std::optional<MarkPoints::CMarkPoint> hitMarker(const std::vector<Marker>& markers, PixelPoint at);

} // namespace Editor
