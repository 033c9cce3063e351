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
    // needed so that no edge of the picture comes further into the area than
    // it was (a step opens no new white band) and a picture smaller than the
    // area lies inside it. So the point stays under the pointer except where
    // an edge would pull away from the area's edge.
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
    // The position along one axis nearest to `position` at which a picture
    // that stood at `before` and was `sizeBefore` long, now `size` long,
    // brings neither edge further into the area; inside the area
    // (keptInArea) where it has become smaller than the area.
    static double keptFromStep(double position, double size, double before, double sizeBefore,
                               double area);
};

} // namespace korvex
