#pragma once

#include "analysis/ComparisonState.h"
#include "analysis/DistancePasses.h"
#include "analysis/Measure.h"
#include "analysis/ResultList.h"
#include "model/MeasurementSheet.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The three Compare commands.
namespace ComparisonRun {

// A ranked line shows D1 or D2 with 3 decimals and D with 4.
inline constexpr int kRankedDecimals = 3;
inline constexpr int kCombinedDecimals = 4;

inline constexpr std::string_view kInitialCaption = "List of Similar Voduzor";
inline constexpr std::string_view kPassCaption =
    "List of Similar Voduzor - Central and Marginal Seams (D)";
std::string captionFor(Measure measure);

// `comp_Click`: ranks every record against the sheet by `measure` into
// `list`, and returns the comparison summary for the clipboard. Returns
// nothing, changing nothing, when the data-set text holds no CR LF.
std::optional<std::string> comp_Click(Measure measure, const MeasurementSheet& sheet,
                                      std::string_view dataSetText, ComparisonState& state,
                                      ResultList& list, ComparisonHost& host);

// The record number (from 1) behind the ranked line at `position` of the
// list the last Compare command left; nothing when the list no longer holds
// that command's ranked lines. Exact for equal distances and repeated codes.
std::optional<std::size_t> recordOfRankedLine(const ComparisonState& state, const ResultList& list,
                                              std::size_t position);

// The summary of a ranked list: header, the record at position 1 with the
// distances at positions 1, 2, the median position and the last, then every
// line as distance TAB code TAB marker.
std::string summary(const ResultList& list);

// A ranked line: the distance text padded to 10, three spaces, the code.
std::string rankedLine(const std::string& distanceText, std::string_view code);

} // namespace ComparisonRun

} // namespace korvex
