#pragma once

#include <QString>

#include <string>
#include <vector>

class QLineSeries;
class QTableWidget;
class QValueAxis;

namespace korvex::ReportParts {

// What the report windows share, so that their tables and charts look alike.

// The axis from `low` to `high`, its ticks at round values.
void setRoundRange(QValueAxis* axis, double low, double high);

// A distribution drawn as the outline of its bars: `shares[b]` over bar b
// from b * barWidth to (b + 1) * barWidth, closed down to 0 at both ends.
// The caller adds it to a chart, which then owns it.
QLineSeries* outlineOfBars(const std::vector<double>& shares, double barWidth, const QString& name);

// Fills `table` with `rows` (the header row first) as read-only cells, every
// column but the first right-aligned, in the fixed font, sized to their
// contents.
void fillTable(QTableWidget* table, const std::vector<std::vector<std::string>>& rows);

} // namespace korvex::ReportParts
