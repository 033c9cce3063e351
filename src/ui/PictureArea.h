#pragma once

#include "imaging/JunctionSnapper.h"
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

    // While on, a press on a junction's marker drags it (the pointer shows an
    // open hand over a marker); releasing moves the junction in the model,
    // Escape during the drag puts it back. Clicks do nothing else meanwhile.
    void setMovingJunctions(bool on);
    bool movingJunctions() const { return moving_; }
    // While on, a digitising click and a dropped marker land on the seam
    // junction nearest the pointer within kSnapRadius widget pixels, found on
    // the photo at full resolution; with Shift held they stay where pressed.
    void setSnapping(bool on);
    bool snapping() const { return snapping_; }
    static constexpr double kSnapRadius = 12.0;
    static constexpr double kMarkerReach = 8.0;
    // The photo pixel at widget pixel `pos`, moved onto the nearest seam
    // junction when snapping finds one; as pressed otherwise.
    std::optional<PhotoPixel> landingPoint(const QPointF& pos, bool exact) const;

    // Follows the model: size, pointer shape, repaint.
    void syncFromModel();

    // The picture as kept drawn: never larger than the part on screen.
    QSize drawnSize() const { return cache_.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

signals:
    // A press or release went to the model, or a junction was moved.
    void pointerHandled();

private:
    // The junction tool's share of the pointer events: true when it took them.
    bool pressJunction(const QPointF& pos);
    bool dragJunction(const QPointF& pos);
    bool dropJunction(const QPointF& pos, bool exact);
    void endJunctionDrag();
    void drawDraggedJunction(QPainter& painter) const;
    void updateCursor();
    void greyPhoto() const;
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
    bool moving_ = false;
    bool snapping_ = false;
    // The junction being dragged and where the pointer holds it, in widget pixels.
    std::optional<PhotoPixel> dragged_;
    QPointF dragAt_;
    JunctionSnapper snapper_;
    // The photo in grey at full size, made at the first snap after it was set.
    QImage photo_;
    mutable QImage grey_;

    // The picture as last drawn for the current geometry: pointer moves that
    // only change the overlays are redrawn from it.
    QImage cache_;
    QRect cacheShown_;
    QRectF cacheTarget_;
    qint64 cacheSerial_ = -1;
    qint64 pictureSerial_ = 0;
};

} // namespace korvex
