#pragma once

#include "model/SeamGroup.h"
#include "uilogic/DigitisingModel.h"

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <functional>
#include <optional>
#include <vector>

class QPainter;

namespace korvex {

// Draws the junctions the digitising model remembers over the picture: for
// each clicked length the segment between its two junctions and a small
// marker on each, numbered by junction within its group (M1 runs from 1 to
// 2), one colour per group. Pens are cosmetic, so lines and markers keep
// their size at any zoom; only what lies inside `visible` is drawn.
namespace JunctionPainter {

QColor groupColour(SeamGroupId group);

// `toWidget` maps picture twips to widget pixels at the current view.
void draw(QPainter& painter, const DigitisingModel& model,
          const std::function<QPointF(PointF)>& toWidget, const QRectF& visible);

// Any segments, `toWidget` mapping photo pixels to widget pixels (nothing for
// a point that cannot be placed). The segments of the record values in
// `highlighted` are drawn wide and bright, so one seam stands out.
using PhotoToWidget = std::function<std::optional<QPointF>(const PhotoPixel&)>;
void draw(QPainter& painter, const DigitisingModel::Segments& segments,
          const PhotoToWidget& toWidget, const QRectF& visible,
          const std::vector<std::size_t>& highlighted = {});

// The start of the chain under way, at `at` (widget pixels): a ring that
// shows on light and dark shells alike, larger than a junction's marker.
void drawChainStart(QPainter& painter, const QPointF& at);

} // namespace JunctionPainter

} // namespace korvex
