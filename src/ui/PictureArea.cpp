#include "ui/PictureArea.h"

#include "uilogic/Coordinates.h"
#include "ui/JunctionPainter.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace korvex {

namespace {

int buttonNumber(Qt::MouseButton button) {
    return button == Qt::LeftButton ? DigitisingModel::kLeftButton : DigitisingModel::kRightButton;
}

} // namespace

PictureArea::PictureArea(DigitisingModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("Picture1"));
    setAccessibleName(QStringLiteral("Picture"));
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus); // clicking the picture must leave the focus in its sheet box
    setAutoFillBackground(false);
}

void PictureArea::setJunctionsShown(bool shown) {
    if (shown == junctionsShown_)
        return;
    junctionsShown_ = shown;
    update();
}

void PictureArea::setPicture(const QImage& image) {
    renderer_.setImage(image);
    ++pictureSerial_;
    update();
}

QPointF PictureArea::mapToView(PointF pictureTwips) const {
    const PictureView& v = model_.pictureView();
    return {Coordinates::twipsToPixels(v.left + pictureTwips.x),
            Coordinates::twipsToPixels(v.top + pictureTwips.y)};
}

PointF PictureArea::mapToImage(const QPointF& pixel) const {
    const PictureView& v = model_.pictureView();
    return {static_cast<float>(Coordinates::pixelsToTwips(pixel.x()) - static_cast<double>(v.left)),
            static_cast<float>(Coordinates::pixelsToTwips(pixel.y()) - static_cast<double>(v.top))};
}

QRectF PictureArea::pictureRect() const {
    const PictureView& v = model_.pictureView();
    return {mapToView({0.0F, 0.0F}),
            QSizeF(Coordinates::twipsToPixels(v.width), Coordinates::twipsToPixels(v.height))};
}

void PictureArea::syncFromModel() {
    const QSize pixels(
        std::max(0,
                 static_cast<int>(std::lround(Coordinates::twipsToPixels(model_.viewportWidth())))),
        std::max(
            0, static_cast<int>(std::lround(Coordinates::twipsToPixels(model_.viewportHeight())))));
    if (pixels != this->size())
        resize(pixels);
    setCursor(dragging_                                          ? Qt::ClosedHandCursor
              : model_.pointerShape() == PointerShape::Crosshair ? Qt::CrossCursor
                                                                 : Qt::ArrowCursor);
    update();
}

QRect PictureArea::shownRect() const {
    // The model may make the viewport far larger than the screen (a tall,
    // thin photo is fitted to the width); only the part the frame shows is
    // ever drawn or kept.
    if (!parentWidget())
        return rect();
    return rect().intersected(QRect(mapFromParent(QPoint(0, 0)), parentWidget()->size()));
}

void PictureArea::paintEvent(QPaintEvent*) {
    const QRectF target = pictureRect();
    const QRect shown = shownRect();
    const qreal ratio = devicePixelRatioF();
    if (cacheShown_ != shown || cacheTarget_ != target || cacheSerial_ != pictureSerial_ ||
        cache_.devicePixelRatio() != ratio) {
        cache_ = QImage((QSizeF(shown.size()) * ratio).toSize(), QImage::Format_RGB32);
        cache_.setDevicePixelRatio(ratio);
        cache_.fill(Qt::white);
        if (model_.pictureVisible() && !cache_.isNull()) {
            QPainter p(&cache_);
            p.translate(-shown.topLeft());
            renderer_.draw(p, target, shown);
        }
        cacheShown_ = shown;
        cacheTarget_ = target;
        cacheSerial_ = pictureSerial_;
    }
    QPainter painter(this);
    painter.drawImage(shown.topLeft(), cache_);
    drawOverlays(painter);
    // The remembered junctions come after the rubber band and the guide line,
    // so those keep their look exactly.
    if (junctionsShown_)
        JunctionPainter::draw(
            painter, model_, [this](PointF p) { return mapToView(p); }, QRectF(shown));
    // Always shown, with or without the junctions: it is where the next
    // lengths are measured from, forgotten or not.
    if (const auto start = model_.chainStart())
        JunctionPainter::drawChainStart(
            painter, mapToView({static_cast<float>(start->x), static_cast<float>(start->y)}));
}

void PictureArea::drawOverlays(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Inverted pixels keep the guide visible on any picture.
    if (auto guide = model_.guideLine())
        drawOverlayLine(painter, *guide, QColor(196, 196, 196), QPainter::RasterOp_NotDestination);
    if (auto band = model_.rubberBand())
        drawOverlayLine(painter, *band, QColor(255, 0, 0),
                        QPainter::RasterOp_NotSourceXorDestination);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void PictureArea::drawOverlayLine(QPainter& painter, const OverlayLine& line, const QColor& colour,
                                  QPainter::CompositionMode mode) const {
    QPen pen(colour, 2);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setCompositionMode(mode);
    painter.drawLine(mapToView(line.from), mapToView(line.to));
}

void PictureArea::mousePressEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    if (!pictureRect().contains(pos))
        return;
    if (event->button() == Qt::LeftButton && model_.dragMode() == DragMode::Automatic) {
        // In automatic drag mode a left press drags the picture instead of clicking.
        dragging_ = true;
        syncFromModel();
        return;
    }
    const PointF p = mapToImage(pos);
    model_.PointerDown(buttonNumber(event->button()), p.x, p.y);
}

void PictureArea::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    if (!pictureRect().contains(pos))
        return;
    const PointF p = mapToImage(pos);
    if (dragging_)
        model_.DragPicture(p.x, p.y);
    else
        model_.PointerMove(p.x, p.y);
}

void PictureArea::wheelEvent(QWheelEvent* event) {
    // Only with Ctrl: the plain wheel keeps doing nothing here.
    if (!(event->modifiers() & Qt::ControlModifier) || dragging_) {
        QWidget::wheelEvent(event);
        return;
    }
    event->accept();
    // One notch of a wheel is 120; touchpads send finer steps.
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0.0)
        return;
    const PointF p = mapToImage(event->position());
    model_.zoomAbout(steps, p.x, p.y);
}

void PictureArea::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        syncFromModel();
    }
}

} // namespace korvex
