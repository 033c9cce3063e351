#pragma once

#include "uilogic/DigitisingModel.h"
#include "uilogic/PaneView.h"
#include "ui/PictureRenderer.h"

#include <QWidget>

#include <vector>

namespace korvex {

// One side of the check window: a photo (or the seam scheme) with a record's
// junctions, zoomed with the wheel and dragged with the left button, or a
// plain text saying why there is no photo. It draws only what it shows.
class CheckPane : public QWidget {
    Q_OBJECT
public:
    explicit CheckPane(const QString& name, QWidget* parent = nullptr);

    // `photoWidth` x `photoHeight` is the size in photo pixels the segments
    // refer to; the picture itself may be kept at another size.
    void setPicture(const PictureRenderer& picture, double photoWidth, double photoHeight,
                    const DigitisingModel::Segments& segments);
    // The same photo at another resolution (the full photo after a reduced
    // copy): the view, the framing and the junctions stay as they are.
    void sharpen(const PictureRenderer& picture);
    // No picture: the text is shown instead.
    void setPlaceholder(const QString& text);
    bool hasPicture() const { return !picture_.isNull(); }
    const QString& placeholder() const { return placeholder_; }
    const DigitisingModel::Segments& segments() const { return segments_; }

    void setHighlighted(const std::vector<std::size_t>& seams);
    const std::vector<std::size_t>& highlighted() const { return highlighted_; }

    // The whole photo in the pane, upright.
    void fit();
    // The midline vertical and `length` pixels long in the middle of the
    // pane; false, changing nothing, without a whole midline.
    bool alignMidline(double length);
    const PaneView& view() const { return view_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Framing { Fitted, Midline, Free };
    void updateDescription();
    double fittedScale() const;

    QString name_;
    PictureRenderer picture_;
    double photoWidth_ = 0.0;
    double photoHeight_ = 0.0;
    DigitisingModel::Segments segments_{};
    std::vector<std::size_t> highlighted_;
    QString placeholder_;
    PaneView view_;
    Framing framing_ = Framing::Fitted;
    double midlineLength_ = 0.0;
    bool dragging_ = false;
    QPointF lastDrag_;
};

} // namespace korvex
