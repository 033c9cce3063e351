#pragma once

#include "uilogic/DigitisingModel.h"
#include "ui/PictureRenderer.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

namespace korvex {

// The viewport Picture1: shows the picture Image1 at the model's PictureView,
// draws the rubber band, the guide line and the start of the chain under way
// over it, and forwards pointer events over the picture to the model in
// picture twips; Ctrl + wheel zooms about the pointer. Its two mapping
// functions are the only conversions between picture twips and widget pixels
// (the spaces are named in ui/Coordinates.h).
class PictureArea : public QWidget {
    Q_OBJECT
public:
    PictureArea(DigitisingModel& model, QWidget* parent = nullptr);

    // Replaces the shown picture (already upright).
    void setPicture(const QImage& image);
    const PictureRenderer& renderer() const { return renderer_; }

    // Picture twips to widget pixels at the model's current PictureView, and
    // back: each is the other's inverse.
    QPointF mapToView(PointF pictureTwips) const;
    PointF mapToImage(const QPointF& pixel) const;
    QRectF pictureRect() const;

    // Whether the remembered junctions are drawn over the picture.
    void setJunctionsShown(bool shown);
    bool junctionsShown() const { return junctionsShown_; }

    // Follows the model: size, pointer shape, repaint.
    void syncFromModel();

    // The picture as kept drawn: never larger than the part on screen.
    QSize drawnSize() const { return cache_.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void drawOverlays(QPainter& painter) const;
    // One overlay line, two pixels wide at any zoom, combined with the
    // picture by `mode`.
    void drawOverlayLine(QPainter& painter, const OverlayLine& line, const QColor& colour,
                         QPainter::CompositionMode mode) const;
    // The part of the widget that its frame shows, in widget pixels.
    QRect shownRect() const;

    DigitisingModel& model_;
    PictureRenderer renderer_;
    bool dragging_ = false;
    bool junctionsShown_ = true;

    // The picture as last drawn for the current geometry: pointer moves that
    // only change the overlays are redrawn from it.
    QImage cache_;
    QRect cacheShown_;
    QRectF cacheTarget_;
    qint64 cacheSerial_ = -1;
    qint64 pictureSerial_ = 0;
};

} // namespace korvex
