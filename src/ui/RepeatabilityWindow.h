#pragma once

#include "uilogic/RepeatabilityReport.h"

#include <QWidget>

#include <memory>

class QChartView;
class QLabel;
class QTabWidget;
class QTableWidget;

namespace korvex {

class MainWindowModel;

// Catalogue › "Repeatability": the report on the catalogue's repeats as it
// stands when the window opens (opening it again shows it anew): the
// sentence to quote, the table per seam, the spreads of D and their ratio,
// the same per operator and between operators, and the two distributions of
// D on one chart. It displays a RepeatabilityReport and copies its text.
class RepeatabilityWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHistogramBars = 40;

    // Shows the window for `mainWindow`'s catalogue, made afresh, in the place
    // of one open already.
    static RepeatabilityWindow* open(QWidget* mainWindow, PlatformServices& services,
                                     MainWindowModel& model);

    RepeatabilityWindow(const RepeatabilityReport& report, PlatformServices& services,
                        QWidget* parent);

    const RepeatabilityReport& report() const { return report_; }
    QLabel* sentenceLabel() const { return sentence_; }
    QTabWidget* tabs() const { return tabs_; }
    QChartView* chartView() const { return chart_; }

private:
    // One tab: the counts, the seam table and the spreads of `table`.
    QWidget* tableTab(const Repeatability::Table& table, const QString& name);
    void buildChart();

    RepeatabilityReport report_;
    PlatformServices& services_;
    QLabel* sentence_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QChartView* chart_ = nullptr;
};

} // namespace korvex
