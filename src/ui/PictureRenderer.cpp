#include "ui/PictureRenderer.h"

#include <QPainter>

#include <cmath>

namespace korvex {

namespace {
constexpr int kSmallestLevel = 256; // pixels on the larger side
}

void PictureRenderer::setImage(const QImage& image) {
    levels_.clear();
    if (image.isNull())
        return;
    levels_.push_back(image.convertToFormat(
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32));
    while (std::max(levels_.back().width(), levels_.back().height()) > kSmallestLevel * 2) {
        const QImage& last = levels_.back();
        levels_.push_back(last.scaled(std::max(1, last.width() / 2), std::max(1, last.height() / 2),
                                      Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
}

const QImage& PictureRenderer::levelFor(double displayWidth) const {
    // The smallest copy that still has at least as many pixels as are shown.
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it)
        if (it->width() >= displayWidth)
            return *it;
    return levels_.front();
}

void PictureRenderer::draw(QPainter& painter, const QRectF& target, const QRect& clip) const {
    if (levels_.empty() || target.width() <= 0.0 || target.height() <= 0.0)
        return;
    const QRectF visible = target.intersected(QRectF(clip));
    if (visible.isEmpty())
        return;
    const QImage& level = levelFor(target.width());
    const double sx = level.width() / target.width();
    const double sy = level.height() / target.height();
    const QRectF source((visible.left() - target.left()) * sx, (visible.top() - target.top()) * sy,
                        visible.width() * sx, visible.height() * sy);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(visible, level, source);
    painter.restore();
}

void PictureRenderer::drawMapped(QPainter& painter, const QTransform& imageToWidget,
                                 const QRect& clip) const {
    if (levels_.empty() || !imageToWidget.isInvertible() || clip.isEmpty())
        return;
    const QImage& full = levels_.front();
    const double shownScale = std::sqrt(std::abs(imageToWidget.determinant()));
    const QImage& level = levelFor(full.width() * shownScale);
    const double down = double(level.width()) / full.width();
    const QTransform levelToWidget = QTransform::fromScale(1.0 / down, 1.0 / down) * imageToWidget;
    // Only the level's pixels that can reach the clip are handed to the painter.
    const QRect needed = levelToWidget.inverted()
                             .mapRect(QRectF(clip))
                             .toAlignedRect()
                             .adjusted(-1, -1, 1, 1)
                             .intersected(level.rect());
    if (needed.isEmpty())
        return;
    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    painter.setTransform(levelToWidget, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(needed.topLeft(), level, needed);
    painter.restore();
}

} // namespace korvex
