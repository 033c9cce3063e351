#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace korvex {

// The program's SVG pictures (compiled-in resources such as ":/seam-scheme.svg")
// drawn once into an image of a chosen size, so that they are never re-rendered
// on paint.
class SvgPicture {
public:
    // `resource` drawn to fill `size` pixels, on a transparent ground; an
    // empty image of that size when the resource is not an SVG picture.
    static QImage render(const QString& resource, QSize size);
};

} // namespace korvex
