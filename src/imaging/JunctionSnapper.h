#pragma once

#include "imaging/GreyPatch.h"
#include "model/PhotoGeometry.h"

#include <optional>

namespace korvex {

// Finds the seam junction a click most likely meant: the point where two or
// more dark seams meet, near the click, to a fraction of a pixel.
//
// Seams are found as dark ridges at the scale that suits their width (from two
// pixels, or a tenth of the radius, to about the radius); every ridge pixel near the click gives a
// short stretch of its seam's centre line, and the junction is the point
// closest to all of them. A point on a single seam, on blank shell or in noise
// has no such point and gives nothing.
class JunctionSnapper {
public:
    // Below this ridge contrast, in grey levels, a dark line is taken for
    // texture.
    static constexpr double kMinContrast = 12.0;

    // `click` and the result are in the patch's pixels (see GreyPatch), and
    // the result lies on the patch; `radius` in the same pixels bounds how
    // far the result may lie from the click (a radius beyond the patch's
    // diagonal searches as that diagonal does). Nothing for an invalid patch,
    // a click outside it, a radius not positive and finite, or where no
    // junction stands out on the patch.
    std::optional<PhotoPixel> snap(const GreyPatch& patch, PhotoPixel click, double radius) const;
};

} // namespace korvex
