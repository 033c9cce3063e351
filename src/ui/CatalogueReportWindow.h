#pragma once

#include "ui/CatalogueRunWindow.h"

#include <string>

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace korvex {

// The report of "Evaluate Matching": the rates table, the cumulative match
// curves of D1, D2 and D over ranks 1..50, and the same- and different-animal
// distances of a chosen distance with the equal-error threshold marked. It
// displays a finished run; its buttons go to the commands, which must outlive
// the window. "In time order" asks for the evaluation again (each query only
// against the records dated before it); the window shows the new run when it
// comes, and until then the one it has.
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
    QCheckBox* timeOrderBox() const { return timeOrder_; }
    QLabel* undatedLabel() const { return undated_; }
    const CatalogueCommands::Run* run() const { return run_.get(); }

    // Shows `run`, a finished evaluation, in place of the one shown.
    void showRun(std::shared_ptr<const CatalogueCommands::Run> run);
    // Keeps the run shown: "In time order" says again how it was run.
    void keepRun();

signals:
    // "In time order" was checked or unchecked: the box waits for showRun or keepRun.
    void timeOrderChanged(bool inTimeOrder);

private:
    void showEvaluation();
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
    QCheckBox* timeOrder_ = nullptr;
    QLabel* undated_ = nullptr;
};

} // namespace korvex
