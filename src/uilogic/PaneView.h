#pragma once

#include "model/PhotoGeometry.h"

#include <array>
#include <optional>

namespace korvex {

// A point in a check pane, in the pane widget's logical pixels.
struct PanePoint {
    double x = 0.0;
    double y = 0.0;
};

// How a check pane shows its photo: photo pixels are turned by `angle`
// (radians, clockwise on screen), scaled by `scale` and then moved by
// (dx, dy). Unlike the main window's view it may turn the photo, so that two
// shells can be put on one axis; everything else is the same zoom and drag.
struct PaneView {
    static constexpr double kMaxScale = 32.0;     // pane pixels per photo pixel
    static constexpr double kMinFitShare = 0.125; // of the fitted scale

    double scale = 1.0;
    double angle = 0.0;
    double dx = 0.0;
    double dy = 0.0;

    PanePoint toPane(PhotoPixel p) const;
    PhotoPixel toPhoto(PanePoint p) const;

    // toPane as the coefficients of one affine map, for a painter that draws
    // the photo through it: a photo pixel (x, y) lands on the pane at
    // (m11 x + m21 y + dx, m12 x + m22 y + dy). toPane itself uses them, so a
    // drawn photo and the points over it cannot part.
    struct Affine {
        double m11 = 1.0, m12 = 0.0, m21 = 0.0, m22 = 1.0, dx = 0.0, dy = 0.0;
    };
    Affine affine() const;

    // The whole photo, upright and centred, as large as the pane allows.
    static PaneView fitted(double photoWidth, double photoHeight, double paneWidth,
                           double paneHeight);
    // Zooms by `factor` about `at`, which keeps showing the same photo point;
    // the scale stays between an eighth of `fittedScale` and kMaxScale.
    void zoomAt(PanePoint at, double factor, double fittedScale);
    void dragBy(double x, double y);

    // The midline from `front` to `back` drawn vertically, front up,
    // `length` pane pixels long, its middle at the pane's centre. Nothing for
    // a midline of no length.
    static std::optional<PaneView> alongMidline(PhotoPixel front, PhotoPixel back, double paneWidth,
                                                double paneHeight, double length);
};

// The ends of a shell's midline among a record's segments (sheet order): the
// first junction of C1 and the last of C6, or of C7 and C12; the mean of both
// sides where both were clicked whole. Nothing when neither side was.
struct Midline {
    PhotoPixel front;
    PhotoPixel back;
};
using RecordSegments = std::array<std::optional<PhotoSegment>, MeasurementSheet::kRecordValueCount>;
std::optional<Midline> midlineOf(const RecordSegments& segments);

} // namespace korvex
