#include "ui/SvgPicture.h"

#include <QPainter>
#include <QSvgRenderer>

namespace korvex {

QImage SvgPicture::render(const QString& resource, QSize size) {
    QSvgRenderer svg(resource);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    svg.render(&painter);
    return image;
}

} // namespace korvex
