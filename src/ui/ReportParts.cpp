#include "ui/ReportParts.h"

#include "ui/QtPlatformServices.h"
#include "uilogic/AxisTicks.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QLineSeries>
#include <QTableWidget>
#include <QValueAxis>

namespace korvex::ReportParts {

void setRoundRange(QValueAxis* axis, double low, double high) {
    axis->setRange(low, high);
    const auto ticks = AxisTicks::round(low, high);
    if (!ticks)
        return;
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(ticks->first);
    axis->setTickInterval(ticks->step);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(ticks->decimals));
}

QLineSeries* outlineOfBars(const std::vector<double>& shares, double barWidth,
                           const QString& name) {
    auto* series = new QLineSeries;
    series->setName(name);
    series->append(0.0, 0.0);
    for (std::size_t b = 0; b < shares.size(); ++b) {
        series->append(double(b) * barWidth, shares[b]);
        series->append(double(b + 1) * barWidth, shares[b]);
    }
    series->append(double(shares.size()) * barWidth, 0.0);
    return series;
}

void fillTable(QTableWidget* table, const std::vector<std::vector<std::string>>& rows) {
    if (rows.empty())
        return;
    table->setColumnCount(static_cast<int>(rows.front().size()));
    table->setRowCount(static_cast<int>(rows.size()) - 1);
    QStringList header;
    for (const auto& field : rows.front())
        header << QtPlatformServices::displayText(field);
    table->setHorizontalHeaderLabels(header);
    table->verticalHeader()->hide();
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(QtPlatformServices::displayText(rows[r][c]));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(static_cast<int>(r) - 1, static_cast<int>(c), item);
        }
    }
    table->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
}

} // namespace korvex::ReportParts
