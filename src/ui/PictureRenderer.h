#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QTransform>

#include <vector>

class QPainter;

namespace korvex {

// Draws a (possibly very large) picture scaled into a target rectangle, only
// the part inside a clip rectangle, from a pyramid of pre-scaled copies: each
// level halves the one before, so no draw ever scales more than twice the
// pixels it shows, and nothing of the zoomed size is ever allocated.
class PictureRenderer {
public:
    // `image` is the upright picture at full resolution.
    void setImage(const QImage& image);
    bool isNull() const { return levels_.empty(); }
    QSize imageSize() const { return levels_.empty() ? QSize() : levels_.front().size(); }

    // Draws the picture scaled to `target` (widget pixels, may reach far
    // outside the widget) where it overlaps `clip`.
    void draw(QPainter& painter, const QRectF& target, const QRect& clip) const;
    // Draws the picture through `imageToWidget`, which maps its full-size
    // pixels to widget pixels and may turn them, where it meets `clip`.
    void drawMapped(QPainter& painter, const QTransform& imageToWidget, const QRect& clip) const;

private:
    const QImage& levelFor(double displayWidth) const;

    std::vector<QImage> levels_;
};

} // namespace korvex
