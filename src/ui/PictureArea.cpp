#include "ui/PictureArea.h"

#include "uilogic/Coordinates.h"
#include "ui/JunctionPainter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
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
    photo_ = image;
    grey_ = QImage();
    if (snapping_)
        greyPhoto();
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
    drawDraggedJunction(painter);
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
    if (moving_) {
        if (event->button() == Qt::LeftButton)
            pressJunction(pos);
        return;
    }
    if (event->button() == Qt::LeftButton && model_.dragMode() == DragMode::Automatic) {
        // In automatic drag mode a left press drags the picture instead of clicking.
        dragging_ = true;
        syncFromModel();
        return;
    }
    PointF p = mapToImage(pos);
    // Only a digitising click snaps; the zoom and the guide line keep the point pressed.
    const bool digitising = std::any_of(model_.state().groupActive.begin(),
                                        model_.state().groupActive.end(),
                                        [](std::int16_t on) { return on == 1; });
    if (snapping_ && digitising && event->button() == Qt::LeftButton &&
        !model_.checked(DigitisingModel::kZoomBox))
        if (const auto landed = landingPoint(pos, event->modifiers() & Qt::ShiftModifier))
            if (const auto twips = model_.pictureTwipsOf(*landed))
                p = *twips;
    model_.PointerDown(buttonNumber(event->button()), p.x, p.y);
    emit pointerHandled();
}

void PictureArea::mouseMoveEvent(QMouseEvent* event) {
    const QPointF pos = event->position();
    if (moving_) {
        dragJunction(pos);
        return;
    }
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
    if (moving_ && event->button() == Qt::LeftButton &&
        dropJunction(event->position(), event->modifiers() & Qt::ShiftModifier))
        return;
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        syncFromModel();
    }
}

// --- the junction tool and snapping ----------------------------------------------

void PictureArea::setSnapping(bool on) {
    snapping_ = on;
    if (on)
        greyPhoto();
}

void PictureArea::greyPhoto() const {
    // Made once per photo, so that a snap only reads a small patch of it.
    if (grey_.isNull() && !photo_.isNull())
        grey_ = photo_.convertToFormat(QImage::Format_Grayscale8);
}

void PictureArea::setMovingJunctions(bool on) {
    if (!on)
        endJunctionDrag();
    moving_ = on;
    updateCursor();
    update();
}

std::optional<PhotoPixel> PictureArea::landingPoint(const QPointF& pos, bool exact) const {
    const auto pressed = model_.photoPixelOf(mapToImage(pos));
    const auto size = model_.photoSize();
    if (!pressed || !size || exact || !snapping_ || photo_.isNull())
        return pressed;
    // The picture may be kept at a multiple of its own size (the scheme is
    // drawn at twice it); the snap runs on the pixels kept.
    const double scale = double(photo_.width()) / size->width;
    if (std::abs(photo_.height() - scale * size->height) > scale)
        return pressed;
    greyPhoto();
    // The radius is on screen: so many widget pixels in photo pixels.
    const auto far = model_.photoPixelOf(mapToImage(pos + QPointF(kSnapRadius, 0.0)));
    if (!far)
        return pressed;
    const double radius = std::abs(far->x - pressed->x) * scale;
    const GreyPatch patch{grey_.width(), grey_.height(), grey_.constBits(),
                          static_cast<std::size_t>(grey_.bytesPerLine())};
    const auto snapped = snapper_.snap(patch, {pressed->x * scale, pressed->y * scale}, radius);
    if (!snapped)
        return pressed;
    return PhotoPixel{snapped->x / scale, snapped->y / scale};
}

bool PictureArea::pressJunction(const QPointF& pos) {
    const auto pressed = model_.photoPixelOf(mapToImage(pos));
    const auto far = model_.photoPixelOf(mapToImage(pos + QPointF(kMarkerReach, 0.0)));
    if (!pressed || !far)
        return false;
    dragged_ = model_.junctionNear(*pressed, std::abs(far->x - pressed->x));
    if (!dragged_)
        return false;
    dragAt_ = pos;
    // The focus stays in the sheet box: Escape is watched for wherever it goes.
    qApp->installEventFilter(this);
    updateCursor();
    update();
    return true;
}

bool PictureArea::dragJunction(const QPointF& pos) {
    if (!dragged_) {
        updateCursor();
        return false;
    }
    // Only the marker and its seams are redrawn over the kept picture.
    dragAt_ = pos;
    update();
    return true;
}

bool PictureArea::dropJunction(const QPointF& pos, bool exact) {
    if (!dragged_)
        return false;
    const PhotoPixel from = *dragged_;
    endJunctionDrag();
    if (const auto to = landingPoint(pos, exact))
        model_.moveJunction(from, *to);
    emit pointerHandled();
    return true;
}

void PictureArea::endJunctionDrag() {
    if (!dragged_)
        return;
    dragged_.reset();
    qApp->removeEventFilter(this);
    updateCursor();
    update();
}

bool PictureArea::eventFilter(QObject* watched, QEvent* event) {
    if (dragged_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        endJunctionDrag();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PictureArea::updateCursor() {
    if (!moving_) {
        syncFromModel();
        return;
    }
    if (dragged_) {
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    const QPointF pos = mapFromGlobal(QCursor::pos());
    const auto at = model_.photoPixelOf(mapToImage(pos));
    const auto far = model_.photoPixelOf(mapToImage(pos + QPointF(kMarkerReach, 0.0)));
    const bool over = at && far && model_.junctionNear(*at, std::abs(far->x - at->x));
    setCursor(over ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

void PictureArea::drawDraggedJunction(QPainter& painter) const {
    if (!dragged_)
        return;
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QColor(255, 200, 0), 2);
    pen.setCosmetic(true);
    painter.setPen(pen);
    // The seams that meet at the junction follow it.
    for (const auto& s : model_.segments()) {
        if (!s || (s->from != *dragged_ && s->to != *dragged_))
            continue;
        const PhotoPixel other = s->from == *dragged_ ? s->to : s->from;
        if (const auto twips = model_.pictureTwipsOf(other))
            painter.drawLine(mapToView(*twips), dragAt_);
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(dragAt_, 6.0, 6.0);
}

} // namespace korvex
