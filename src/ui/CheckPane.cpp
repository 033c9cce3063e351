#include "ui/CheckPane.h"

#include "ui/JunctionPainter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace korvex {

namespace {

// One notch of a mouse wheel zooms by this factor.
constexpr double kWheelStep = 1.25;

QTransform transformOf(const PaneView::Affine& a) {
    return {a.m11, a.m12, a.m21, a.m22, a.dx, a.dy};
}

} // namespace

CheckPane::CheckPane(const QString& name, QWidget* parent) : QWidget(parent), name_(name) {
    setAccessibleName(name);
    setMinimumSize(160, 160);
    // Tab reaches the pane, so that the keys zoom and move it without a mouse.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CheckPane::setPicture(const PictureRenderer& picture, double photoWidth, double photoHeight,
                           const DigitisingModel::Segments& segments) {
    picture_ = picture;
    photoWidth_ = photoWidth;
    photoHeight_ = photoHeight;
    segments_ = segments;
    placeholder_.clear();
    fit();
    updateDescription();
}

void CheckPane::sharpen(const PictureRenderer& picture) {
    picture_ = picture;
    update();
}

void CheckPane::setPlaceholder(const QString& text) {
    picture_ = PictureRenderer();
    segments_ = {};
    placeholder_ = text;
    updateDescription();
    update();
}

void CheckPane::setHighlighted(const std::vector<std::size_t>& seams) {
    if (seams == highlighted_)
        return;
    highlighted_ = seams;
    update();
}

double CheckPane::fittedScale() const {
    return PaneView::fitted(photoWidth_, photoHeight_, width(), height()).scale;
}

void CheckPane::fit() {
    view_ = PaneView::fitted(photoWidth_, photoHeight_, width(), height());
    framing_ = Framing::Fitted;
    update();
}

bool CheckPane::alignMidline(double length) {
    const auto midline = midlineOf(segments_);
    if (picture_.isNull() || !midline)
        return false;
    const auto view =
        PaneView::alongMidline(midline->front, midline->back, width(), height(), length);
    if (!view)
        return false;
    view_ = *view;
    framing_ = Framing::Midline;
    midlineLength_ = length;
    update();
    return true;
}

void CheckPane::updateDescription() {
    if (picture_.isNull()) {
        setAccessibleDescription(placeholder_);
        return;
    }
    const auto clicked = std::count_if(segments_.begin(), segments_.end(),
                                       [](const auto& s) { return s.has_value(); });
    setAccessibleDescription(QStringLiteral("%1 × %2 pixels, %3 lengths clicked on it; + and − "
                                            "zoom, the arrow keys move the photo, 0 fits it")
                                 .arg(std::lround(photoWidth_))
                                 .arg(std::lround(photoHeight_))
                                 .arg(clicked));
}

void CheckPane::resizeEvent(QResizeEvent*) {
    // A pane that was framed keeps its framing; one the user moved stays put.
    if (framing_ == Framing::Fitted)
        fit();
    else if (framing_ == Framing::Midline)
        alignMidline(midlineLength_);
}

void CheckPane::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    if (picture_.isNull()) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
                         placeholder_);
        return;
    }
    const double imageScale = picture_.imageSize().width() / photoWidth_;
    picture_.drawMapped(painter,
                        QTransform::fromScale(1.0 / imageScale, 1.0 / imageScale) *
                            transformOf(view_.affine()),
                        event->rect());
    JunctionPainter::draw(
        painter, segments_,
        [this](const PhotoPixel& p) -> std::optional<QPointF> {
            const PanePoint at = view_.toPane(p);
            return QPointF(at.x, at.y);
        },
        QRectF(rect()), highlighted_);
}

void CheckPane::keyPressEvent(QKeyEvent* event) {
    constexpr double kStep = 40.0; // pixels an arrow key moves the photo
    const PanePoint middle{width() / 2.0, height() / 2.0};
    if (picture_.isNull()) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        view_.zoomAt(middle, kWheelStep, fittedScale());
        break;
    case Qt::Key_Minus:
        view_.zoomAt(middle, 1.0 / kWheelStep, fittedScale());
        break;
    case Qt::Key_0:
        fit();
        return;
    case Qt::Key_Left:
        view_.dragBy(kStep, 0);
        break;
    case Qt::Key_Right:
        view_.dragBy(-kStep, 0);
        break;
    case Qt::Key_Up:
        view_.dragBy(0, kStep);
        break;
    case Qt::Key_Down:
        view_.dragBy(0, -kStep);
        break;
    default:
        QWidget::keyPressEvent(event); // Page Up and Page Down step the window
        return;
    }
    framing_ = Framing::Free;
    update();
}

void CheckPane::wheelEvent(QWheelEvent* event) {
    if (picture_.isNull())
        return;
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0)
        return;
    const QPointF at = event->position();
    view_.zoomAt({at.x(), at.y()}, std::pow(kWheelStep, notches), fittedScale());
    framing_ = Framing::Free;
    update();
    event->accept();
}

void CheckPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || picture_.isNull())
        return;
    dragging_ = true;
    lastDrag_ = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void CheckPane::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_)
        return;
    const QPointF moved = event->position() - lastDrag_;
    lastDrag_ = event->position();
    view_.dragBy(moved.x(), moved.y());
    framing_ = Framing::Free;
    update();
}

void CheckPane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        unsetCursor();
    }
}

} // namespace korvex
