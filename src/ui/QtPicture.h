#pragma once

#include "uilogic/Picture.h"

#include <QImage>

#include <utility>

namespace korvex {

// A picture decoded by the Qt build, kept as the upright image.
class QtPicture : public Picture {
public:
    explicit QtPicture(QImage image) : image_(std::move(image)) {}
    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    const QImage& image() const { return image_; }

    // The image of a picture the Qt build decoded; null for any other picture.
    static const QImage* imageOf(const Picture& picture) {
        const auto* qt = dynamic_cast<const QtPicture*>(&picture);
        return qt ? &qt->image_ : nullptr;
    }

private:
    QImage image_;
};

} // namespace korvex
