#include "ui/JunctionPainter.h"

#include <QFont>
#include <QPainter>
#include <QPen>
#include <QString>

#include <algorithm>
#include <optional>
#include <vector>

namespace korvex::JunctionPainter {

namespace {

constexpr double kMarkerRadius = 4.0;
constexpr double kChainStartRadius = 9.0;
// Room around a marker for its number, in widget pixels.
constexpr double kLabelReach = 24.0;

struct Marker {
    QPointF at;
    int number;
};

} // namespace

QColor groupColour(SeamGroupId group) {
    switch (group) {
    case SeamGroupId::LeftMarginal:
        return {0, 150, 255};
    case SeamGroupId::RightMarginal:
        return {255, 140, 0};
    case SeamGroupId::LeftCentral:
        return {0, 200, 90};
    case SeamGroupId::RightCentral:
        return {230, 0, 230};
    default:
        return {255, 255, 0};
    }
}

void draw(QPainter& painter, const DigitisingModel& model,
          const std::function<QPointF(PointF)>& toWidget, const QRectF& visible) {
    draw(
        painter, model.segments(),
        [&](const PhotoPixel& p) -> std::optional<QPointF> {
            const auto twips = model.pictureTwipsOf(p);
            return twips ? std::optional(toWidget(*twips)) : std::nullopt;
        },
        visible);
}

void draw(QPainter& painter, const DigitisingModel::Segments& segments,
          const PhotoToWidget& widgetPoint, const QRectF& visible,
          const std::vector<std::size_t>& highlighted) {
    const QRectF reach = visible.adjusted(-kLabelReach, -kLabelReach, kLabelReach, kLabelReach);
    QPen wideDark(Qt::black, 8);
    wideDark.setCosmetic(true);
    QPen wideBright(QColor(255, 255, 0), 5);
    wideBright.setCosmetic(true);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    font.setBold(true);
    painter.setFont(font);
    for (SeamGroupId group : kLabelledGroups) {
        const SeamGroup& g = seamGroup(group);
        const QColor colour = groupColour(group);
        QPen line(colour, 2);
        line.setCosmetic(true);
        std::vector<Marker> markers;
        for (std::size_t i = 0; i < g.count; ++i) {
            const auto& s = segments[g.firstSheetIndex + i];
            if (!s)
                continue;
            const auto from = widgetPoint(s->from);
            const auto to = widgetPoint(s->to);
            if (!from || !to)
                continue;
            if (QRectF(*from, *to).normalized().adjusted(-1, -1, 1, 1).intersects(reach)) {
                if (std::find(highlighted.begin(), highlighted.end(), g.firstSheetIndex + i) !=
                    highlighted.end()) {
                    painter.setPen(wideDark);
                    painter.drawLine(*from, *to);
                    painter.setPen(wideBright);
                    painter.drawLine(*from, *to);
                }
                painter.setPen(line);
                painter.drawLine(*from, *to);
            }
            // A chain shares each junction between two segments: mark it once.
            const auto& before = i > 0 ? segments[g.firstSheetIndex + i - 1] : std::nullopt;
            if (!before || before->to != s->from)
                markers.push_back({*from, int(i) + 1});
            markers.push_back({*to, int(i) + 2});
        }
        QPen outline(Qt::white, 1);
        outline.setCosmetic(true);
        for (const Marker& m : markers) {
            if (!reach.contains(m.at))
                continue;
            painter.setPen(outline);
            painter.setBrush(colour);
            painter.drawEllipse(m.at, kMarkerRadius, kMarkerRadius);
            // A dark copy under the number keeps it legible on light and dark shells.
            const QString number = QString::number(m.number);
            const QPointF label = m.at + QPointF(kMarkerRadius + 2, -kMarkerRadius - 1);
            painter.setPen(Qt::black);
            painter.drawText(label + QPointF(1, 1), number);
            painter.setPen(colour);
            painter.drawText(label, number);
        }
    }
    painter.restore();
}

void drawChainStart(QPainter& painter, const QPointF& at) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    QPen dark(Qt::black, 5);
    dark.setCosmetic(true);
    painter.setPen(dark);
    painter.drawEllipse(at, kChainStartRadius, kChainStartRadius);
    QPen bright(QColor(255, 255, 0), 2);
    bright.setCosmetic(true);
    painter.setPen(bright);
    painter.drawEllipse(at, kChainStartRadius, kChainStartRadius);
    painter.restore();
}

} // namespace korvex::JunctionPainter
