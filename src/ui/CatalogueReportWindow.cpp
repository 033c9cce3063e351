#include "ui/CatalogueReportWindow.h"

#include "ui/ReportParts.h"
#include "ui/WindowSize.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace korvex {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QChartView* chartView(const QString& title, const QString& accessibleName, QWidget* parent) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    // Small enough that the window, both charts side by side, fits an 800 x 600 screen.
    view->setMinimumSize(300, 220);
    view->setAccessibleName(accessibleName);
    return view;
}

QValueAxis* axis(QChart* chart, Qt::Alignment alignment, const QString& title) {
    auto* a = new QValueAxis;
    a->setTitleText(title);
    chart->addAxis(a, alignment);
    return a;
}

// Empties a chart for a new run: the chart hands a removed axis back to be deleted.
void clearChart(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* a : chart->axes()) {
        chart->removeAxis(a);
        delete a;
    }
}

void attach(QChart* chart, QLineSeries* series) {
    chart->addSeries(series);
    for (QAbstractAxis* a : chart->axes())
        series->attachAxis(a);
}

// How each distance's curve is told apart without its colour: curves that
// run together (D1 under D) still show by their dashes and their markers.
struct CurveLook {
    Qt::PenStyle line;
    QLegend::MarkerShape marker;
};
CurveLook curveLook(Measure kind) {
    switch (kind) {
    case Measure::D1:
        return {Qt::DashLine, QLegend::MarkerShapeCircle};
    case Measure::D2:
        return {Qt::DotLine, QLegend::MarkerShapeTriangle};
    default:
        return {Qt::SolidLine, QLegend::MarkerShapeRectangle};
    }
}

// A marker of `shape` in `colour`, as the chart draws it at a point.
QImage markerImage(QLegend::MarkerShape shape, const QColor& colour) {
    constexpr int kSize = 11;
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(colour);
    const QRectF box(1, 1, kSize - 2, kSize - 2);
    if (shape == QLegend::MarkerShapeCircle) {
        painter.drawEllipse(box);
    } else if (shape == QLegend::MarkerShapeTriangle) {
        const QPointF corners[] = {
            {box.center().x(), box.top()}, box.bottomRight(), box.bottomLeft()};
        painter.drawPolygon(corners, 3);
    } else {
        painter.drawRect(box.adjusted(1, 1, -1, -1));
    }
    return image;
}

} // namespace

CatalogueReportWindow::CatalogueReportWindow(CatalogueCommands& commands,
                                             std::shared_ptr<const CatalogueCommands::Run> run,
                                             QWidget* parent)
    : CatalogueRunWindow(commands, std::move(run), CatalogueCommands::kEvaluateTitle, parent) {
    table_ = new QTableWidget(this);
    table_->setAccessibleName(QStringLiteral("Match rates"));
    column_->addWidget(table_);
    auto* counts = new QHBoxLayout;
    // Both read by their text, which says what each counts.
    skipped_ = new QLabel(this);
    undated_ = new QLabel(this);
    counts->addWidget(skipped_);
    counts->addSpacing(24);
    counts->addWidget(undated_);
    counts->addStretch(1);
    timeOrder_ = new QCheckBox(QStringLiteral("In &time order"), this);
    timeOrder_->setObjectName(QStringLiteral("catalogueTimeOrder"));
    timeOrder_->setAccessibleName(QStringLiteral("In time order"));
    timeOrder_->setAccessibleDescription(
        QStringLiteral("Ranks each query only against the records dated before it; records "
                       "without a date are left out and counted"));
    counts->addWidget(timeOrder_);
    column_->addLayout(counts);

    charts_ = new QWidget(this);
    auto* chartRow = new QHBoxLayout(charts_);
    chartRow->setContentsMargins(0, 0, 0, 0);
    curveView_ = chartView(QStringLiteral("Cumulative match characteristic"),
                           QStringLiteral("Cumulative match curves"), charts_);
    histogramView_ = chartView(QStringLiteral("Distances of pairs"),
                               QStringLiteral("Distance histogram"), charts_);
    chartRow->addWidget(curveView_);
    chartRow->addWidget(histogramView_);
    column_->addWidget(charts_, 1);

    auto* distanceLabel = new QLabel(QStringLiteral("&Distance:"), this);
    distance_ = new QComboBox(this);
    distance_->setAccessibleName(QStringLiteral("Distance for the histogram"));
    distanceLabel->setBuddy(distance_);
    for (const auto kind : kMeasures)
        distance_->addItem(text(nameOf(kind)), static_cast<int>(kind));
    QPushButton* copy = newCopyButton();
    copy->setObjectName(QStringLiteral("catalogueCopy"));
    auto* save = new QPushButton(QStringLiteral("&Save Chart…"), this);
    save->setObjectName(QStringLiteral("catalogueSaveChart"));
    save->setAccessibleName(QStringLiteral("Save Chart…"));
    addFoot({distanceLabel, distance_}, {copy, save});

    connect(distance_, &QComboBox::currentIndexChanged, this, [this](int index) {
        showHistogram(static_cast<Measure>(distance_->itemData(index).toInt()));
    });
    connect(save, &QPushButton::clicked, this,
            [this] { commands_.saveChart([this](bool svg) { return chartBytes(svg); }); });
    connect(timeOrder_, &QCheckBox::toggled, this, [this](bool on) {
        timeOrder_->setEnabled(false);
        emit timeOrderChanged(on);
    });
    // D first: the distance the check goes by.
    distance_->setCurrentIndex(static_cast<int>(Measure::D));
    showEvaluation();
    resize(WindowSize::onScreen(this, QSize(960, 640)));
}

void CatalogueReportWindow::showRun(std::shared_ptr<const CatalogueCommands::Run> run) {
    run_ = std::move(run);
    showEvaluation();
}

void CatalogueReportWindow::keepRun() {
    const QSignalBlocker quiet(timeOrder_);
    timeOrder_->setChecked(run_->inTimeOrder());
    timeOrder_->setEnabled(true);
}

void CatalogueReportWindow::showEvaluation() {
    const MatchEvaluation& evaluation = *run_->evaluation();
    buildTable(evaluation);
    skipped_->setText(QStringLiteral("Pieces that are no record: %1").arg(evaluation.skipped));
    undated_->setText(
        QStringLiteral("Records without a date, left out: %1").arg(evaluation.undated.value_or(0)));
    undated_->setVisible(evaluation.undated.has_value());
    buildCurves(evaluation);
    // In time order there are no distance histograms to choose from.
    distance_->setEnabled(!run_->inTimeOrder());
    showHistogram(static_cast<Measure>(distance_->currentData().toInt()));
    keepRun();
}

void CatalogueReportWindow::buildTable(const MatchEvaluation& evaluation) {
    const auto rows = CatalogueCommands::ratesTable(evaluation);
    if (rows.empty())
        return;
    ReportParts::fillTable(table_, rows);
    // Three rows: the table takes their height, the charts the rest.
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setFixedHeight(table_->horizontalHeader()->height() +
                           table_->verticalHeader()->length() + 2 * table_->frameWidth());
}

void CatalogueReportWindow::buildCurves(const MatchEvaluation& evaluation) {
    QChart* chart = curveView_->chart();
    clearChart(chart);
    QValueAxis* x = axis(chart, Qt::AlignBottom, QStringLiteral("Rank"));
    x->setRange(1, MatchEvaluation::kCurveRanks);
    x->setLabelFormat(QStringLiteral("%d"));
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(0.0);
    x->setTickInterval(10.0);
    x->setMinorTickCount(1);
    QValueAxis* y = axis(chart, Qt::AlignLeft, QStringLiteral("Share of queries"));
    y->setRange(0.0, 1.0);
    QStringList summary;
    int curve = 0;
    for (const auto kind : kMeasures) {
        const auto& by = evaluation.of(kind);
        auto* series = new QLineSeries;
        series->setName(text(nameOf(kind)));
        for (std::size_t r = 1; r <= MatchEvaluation::kCurveRanks; ++r)
            series->append(double(r), by.topRate(r));
        attach(chart, series); // the theme gives it its colour
        const CurveLook look = curveLook(kind);
        QPen pen = series->pen();
        pen.setStyle(look.line);
        pen.setWidthF(2.0);
        series->setPen(pen);
        series->setLightMarker(markerImage(look.marker, pen.color()));
        series->setMarkerSize(9.0);
        // A marker every fifth rank, each curve's at other ranks, so that
        // curves lying on each other still show all their markers.
        for (int p = 0; p < series->count(); ++p)
            if ((p + 2 * curve) % 5 != 0)
                series->setPointConfiguration(p, QXYSeries::PointConfiguration::Visibility, false);
        ++curve;
        summary << QStringLiteral("%1: top 1 %2, top 10 %3")
                       .arg(series->name())
                       .arg(by.topRate(1), 0, 'f', 4)
                       .arg(by.topRate(10), 0, 'f', 4);
    }
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    curveView_->setAccessibleDescription(summary.join(QStringLiteral("; ")));
}

void CatalogueReportWindow::showHistogram(Measure kind) {
    const auto h =
        CatalogueCommands::histogram(*run_->evaluation(), kind, std::size_t(kHistogramBars));
    QChart* chart = histogramView_->chart();
    clearChart(chart);
    const QString name = text(nameOf(kind));
    QValueAxis* x = axis(chart, Qt::AlignBottom, QStringLiteral("Distance ") + name);
    ReportParts::setRoundRange(x, 0.0, h.barWidth * kHistogramBars);
    QValueAxis* y = axis(chart, Qt::AlignLeft, QStringLiteral("Share of pairs"));
    double top = 0.0;
    // Each distribution as the outline of its bars.
    auto bars = [&](const std::vector<double>& shares, const QString& caption) {
        if (shares.empty())
            return;
        attach(chart, ReportParts::outlineOfBars(shares, h.barWidth, caption));
        top = std::max(top, *std::max_element(shares.begin(), shares.end()));
    };
    bars(h.same, QStringLiteral("Same animal"));
    bars(h.different, QStringLiteral("Different animals"));
    if (top <= 0.0)
        top = 1.0;
    ReportParts::setRoundRange(y, 0.0, top * 1.05);
    QString description =
        run_->inTimeOrder()
            ? QStringLiteral("No distances of pairs are drawn in time order")
            : QStringLiteral("Distances %1 of pairs of one animal and of two animals").arg(name);
    chart->setTitle(run_->inTimeOrder() ? QStringLiteral("Distances of pairs: not in time order")
                                        : QStringLiteral("Distances of pairs"));
    if (h.threshold) {
        const QString value = text(PairDistances::textOf(kind, *h.threshold));
        auto* marker = new QLineSeries;
        marker->setName(QStringLiteral("Threshold ") + value);
        QPen pen(Qt::black);
        pen.setStyle(Qt::DashLine);
        pen.setWidth(2);
        marker->setPen(pen);
        marker->append(*h.threshold, 0.0);
        marker->append(*h.threshold, top * 1.05);
        attach(chart, marker);
        description += QStringLiteral("; equal-error threshold ") + value;
    }
    chart->legend()->show();
    histogramView_->setAccessibleDescription(description);
}

std::string CatalogueReportWindow::chartBytes(bool svg) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(charts_->size());
        generator.setViewBox(charts_->rect());
        generator.setTitle(windowTitle());
        QPainter painter(&generator);
        charts_->render(&painter);
    } else {
        charts_->grab().save(&buffer, "PNG");
    }
    return buffer.data().toStdString();
}

} // namespace korvex
