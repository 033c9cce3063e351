#include "uilogic/PaneView.h"

#include "model/SeamGroup.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvex {

PaneView::Affine PaneView::affine() const {
    const double c = std::cos(angle), s = std::sin(angle);
    return {scale * c, scale * s, -scale * s, scale * c, dx, dy};
}

PanePoint PaneView::toPane(PhotoPixel p) const {
    const Affine a = affine();
    return {a.m11 * p.x + a.m21 * p.y + a.dx, a.m12 * p.x + a.m22 * p.y + a.dy};
}

PhotoPixel PaneView::toPhoto(PanePoint p) const {
    const double c = std::cos(angle), s = std::sin(angle);
    const double x = (p.x - dx) / scale, y = (p.y - dy) / scale;
    return {c * x + s * y, -s * x + c * y};
}

PaneView PaneView::fitted(double photoWidth, double photoHeight, double paneWidth,
                          double paneHeight) {
    PaneView v;
    if (photoWidth <= 0.0 || photoHeight <= 0.0 || paneWidth <= 0.0 || paneHeight <= 0.0)
        return v;
    v.scale = std::min(paneWidth / photoWidth, paneHeight / photoHeight);
    v.dx = (paneWidth - v.scale * photoWidth) / 2.0;
    v.dy = (paneHeight - v.scale * photoHeight) / 2.0;
    return v;
}

void PaneView::zoomAt(PanePoint at, double factor, double fittedScale) {
    const PhotoPixel held = toPhoto(at);
    const double lowest = fittedScale > 0.0 ? fittedScale * kMinFitShare : scale;
    scale = std::clamp(scale * factor, std::min(lowest, scale), std::max(kMaxScale, scale));
    const PanePoint moved = toPane(held);
    dx += at.x - moved.x;
    dy += at.y - moved.y;
}

void PaneView::dragBy(double x, double y) {
    dx += x;
    dy += y;
}

std::optional<PaneView> PaneView::alongMidline(PhotoPixel front, PhotoPixel back, double paneWidth,
                                               double paneHeight, double length) {
    const double ax = back.x - front.x, ay = back.y - front.y;
    const double photoLength = std::hypot(ax, ay);
    if (!(photoLength > 0.0) || !(length > 0.0))
        return std::nullopt;
    PaneView v;
    v.scale = length / photoLength;
    // Turn the midline's direction onto the pane's downward axis.
    v.angle = std::numbers::pi / 2.0 - std::atan2(ay, ax);
    const PanePoint middle = v.toPane({(front.x + back.x) / 2.0, (front.y + back.y) / 2.0});
    v.dx = paneWidth / 2.0 - middle.x;
    v.dy = paneHeight / 2.0 - middle.y;
    return v;
}

std::optional<Midline> midlineOf(const RecordSegments& segments) {
    int sides = 0;
    Midline sum{};
    for (SeamGroupId side : {SeamGroupId::LeftCentral, SeamGroupId::RightCentral}) {
        const SeamGroup& g = seamGroup(side);
        const auto& first = segments[g.firstSheetIndex];
        const auto& last = segments[g.firstSheetIndex + g.lastIndex()];
        if (!first || !last)
            continue;
        ++sides;
        sum.front.x += first->from.x;
        sum.front.y += first->from.y;
        sum.back.x += last->to.x;
        sum.back.y += last->to.y;
    }
    if (sides == 0)
        return std::nullopt;
    return Midline{{sum.front.x / sides, sum.front.y / sides},
                   {sum.back.x / sides, sum.back.y / sides}};
}

} // namespace korvex
