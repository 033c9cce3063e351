#pragma once

#include "ui/CatalogueRunWindow.h"

#include <string>

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace korvex {

// The report of "Evaluate Matching": the rates table, the cumulative match
// curves of D1, D2 and D over ranks 1..50, and the same- and different-animal
// distances of a chosen distance with the equal-error threshold marked.
class CatalogueReportWindow : public CatalogueRunWindow {
    Q_OBJECT
public:
    static constexpr int kHistogramBars = 60;

    CatalogueReportWindow(CatalogueCommands& commands,
                          std::shared_ptr<const CatalogueCommands::Run> run, QWidget* parent);

    QTableWidget* table() const { return table_; }
    QLabel* skippedLabel() const { return skipped_; }
    QChartView* curveView() const { return curveView_; }
    QChartView* histogramView() const { return histogramView_; }
    QComboBox* distanceBox() const { return distance_; }

private:
    void buildTable(const MatchEvaluation& evaluation);
    void buildCurves(const MatchEvaluation& evaluation);
    void showHistogram(Measure kind);
    // Both charts as one picture, SVG or PNG bytes.
    std::string chartBytes(bool svg);

    QTableWidget* table_ = nullptr;
    QLabel* skipped_ = nullptr;
    QWidget* charts_ = nullptr;
    QChartView* curveView_ = nullptr;
    QChartView* histogramView_ = nullptr;
    QComboBox* distance_ = nullptr;
};

} // namespace korvex
