#pragma once

#include <optional>

namespace korvex {

// Where the main window's picture stands when it is fitted whole or zoomed
// about the pointer: plain geometry in viewport twips (see Coordinates.h),
// free of the digitising state. The picture never turns, so a placement is
// its left, top, width and height.
//
// The area is the part of the viewport the window shows, from the
// viewport's origin; both its sides must be positive, and so must the
// picture's, or nothing is placed.
class PictureFit {
public:
    struct Placement {
        double left = 0.0;
        double top = 0.0;
        double width = 0.0;
        double height = 0.0;
        bool operator==(const Placement&) const = default;
    };

    // The picture of `aspectWidth` : `aspectHeight` as large as the area
    // allows, centred in it.
    static std::optional<Placement> whole(double aspectWidth, double aspectHeight, double areaWidth,
                                          double areaHeight);

    // `from` zoomed by `factor` about the viewport point (`x`, `y`), which
    // keeps showing the same point of the picture, then moved as little as
    // needed so that the picture covers the area where it is larger than
    // the area and lies inside it where it is smaller: zooming leaves no
    // white band beside a picture that could fill it.
    //
    // The width is held between `minWidth` and `maxWidth` (a step that would
    // pass a limit stops at it). Nothing when the step changes no size: at a
    // limit already, or a factor that is not positive and finite.
    static std::optional<Placement> zoomedAbout(const Placement& from, double factor, double x,
                                                double y, double areaWidth, double areaHeight,
                                                double minWidth, double maxWidth);

    // The position along one axis that keeps a picture `size` long covering
    // (or inside) an area `area` long, nearest to `position`.
    static double keptInArea(double position, double size, double area);
};

} // namespace korvex
