#include "uilogic/PictureFit.h"

#include <algorithm>
#include <cmath>

namespace korvex {

namespace {

bool positive(double v) {
    return v > 0.0 && std::isfinite(v);
}

} // namespace

std::optional<PictureFit::Placement> PictureFit::whole(double aspectWidth, double aspectHeight,
                                                       double areaWidth, double areaHeight) {
    if (!positive(aspectWidth) || !positive(aspectHeight) || !positive(areaWidth) ||
        !positive(areaHeight))
        return std::nullopt;
    const double scale = std::min(areaWidth / aspectWidth, areaHeight / aspectHeight);
    Placement p;
    p.width = aspectWidth * scale;
    p.height = aspectHeight * scale;
    p.left = (areaWidth - p.width) / 2.0;
    p.top = (areaHeight - p.height) / 2.0;
    return p;
}

double PictureFit::keptInArea(double position, double size, double area) {
    // Larger than the area: its far edge may not come inside (no band at the
    // right or bottom) nor its near edge (no band at the left or top).
    // Smaller: both edges stay inside.
    const double low = std::min(0.0, area - size);
    const double high = std::max(0.0, area - size);
    return std::clamp(position, low, high);
}

double PictureFit::keptFromStep(double position, double size, double before, double sizeBefore,
                                double area) {
    // The far edge no further in than it was (or than the area's edge), the
    // near edge no further in than it was (or than the area's start).
    const double low = std::min(area, before + sizeBefore) - size;
    const double high = std::max(0.0, before);
    if (low <= high)
        return std::clamp(position, low, high);
    return keptInArea(position, size, area);
}

std::optional<PictureFit::Placement> PictureFit::zoomedAbout(const Placement& from, double factor,
                                                             double x, double y, double areaWidth,
                                                             double areaHeight, double minWidth,
                                                             double maxWidth) {
    if (!positive(factor) || !positive(from.width) || !positive(from.height) ||
        !positive(areaWidth) || !positive(areaHeight) || !(minWidth <= maxWidth))
        return std::nullopt;
    double width = from.width * factor;
    if (factor < 1.0)
        width = std::max(width, std::min(minWidth, from.width));
    else
        width = std::min(width, std::max(maxWidth, from.width));
    if (width == from.width)
        return std::nullopt;
    const double applied = width / from.width;
    Placement p;
    p.width = width;
    p.height = from.height * applied;
    // The viewport point (x, y) shows the same picture point before and after.
    p.left = keptFromStep(x - (x - from.left) * applied, p.width, from.left, from.width, areaWidth);
    p.top = keptFromStep(y - (y - from.top) * applied, p.height, from.top, from.height, areaHeight);
    return p;
}

} // namespace korvex
