#pragma once

#include "analysis/ResultList.h"
#include "model/MeasurementSheet.h"
#include "model/SeamGroup.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The two distance passes. Each compares the sheet with every record of
// `recordLines` (the pieces of the data-set text before its final CR LF, record
// number = position + 1) and adds one distance line per record to the result
// list. A record line of fewer than 10 TAB-separated fields ends the pass: the
// lines already added stay, and the caller shows "No data were selected.".
namespace DistancePasses {

inline constexpr std::string_view kNoData = "No data were selected.";
// A distance line writes D1 with 4 decimals padded to 10 characters, D2 with
// 5 decimals padded to 11; a record's marginal and central values are rounded
// to the same decimals before they are compared.
inline constexpr int kD1Decimals = 4;
inline constexpr std::size_t kD1Width = 10; // "0.0000" padded to this many characters
inline constexpr int kD2Decimals = 5;
inline constexpr std::size_t kD2Width = 11; // "0.00000"

struct PassResult {
    std::size_t visited = 0;   // records that received a distance line
    bool stoppedEarly = false; // a short record line ended the pass
};

// The values a pass needs of one record, read once per run. `fieldCount` is
// the number of TAB-separated fields; fields a short line lacks read as 0.
struct ParsedRecord {
    std::size_t fieldCount = 0;
    double marginal[RecordLayout::kMarginalCount] = {}; // M1..M16, to kD1Decimals
    double central[RecordLayout::kCentralCount] = {};   // C1..C12, to kD2Decimals
};
ParsedRecord parseRecord(std::string_view line);
// The sheet's M1..M16 and C1..C12, read and rounded the same way.
ParsedRecord parseSheet(const MeasurementSheet& sheet);

// D1: the sum over k of |r - c| / |r + c| where r or c is above 0 (for
// non-negative values |r + c| is r + c); a term whose denominator is 0 while
// the values differ (negative values) adds 1. No term is below 0.
// With `stopAbove`, the sum stops as soon as it exceeds that value and the
// partial sum is returned: for sweeps that only need to know whether D1 stays
// within a bound.
double marginalDistance(const ParsedRecord& sheet, const ParsedRecord& record,
                        double stopAbove = HUGE_VAL);
// D2: 50 x the sum over j = 1..5 of the change in offset between the j-th
// left and right junction on the midline.
double centralDistance(const ParsedRecord& sheet, const ParsedRecord& record);

// The terms the two distances of a pair are sums of, one per seam: D1 is the
// sum of the sixteen marginal terms |r - c| / (r + c), in seam order, and D2
// that of the five junction terms 50 x |(Lr_j - Rr_j) - (L_j - R_j)| (the
// pass scales the sum once; the terms agree with it to far below its 5
// decimals). `d1` and `d2` are the passes' own distances of the pair.
inline constexpr std::size_t kJunctionCount = RecordLayout::kCentralGroupSize - 1;
struct SeamTerms {
    std::array<double, RecordLayout::kMarginalCount> marginal{};
    std::array<double, kJunctionCount> central{};
    double d1 = 0.0;
    double d2 = 0.0;
};
SeamTerms seamTerms(const ParsedRecord& sheet, const ParsedRecord& record);

// "0.5000" padded to 10, four spaces, the record number; a distance text wider
// than its column is written in full.
std::string d1Line(double d1, std::size_t recordNumber);
std::string d2Line(double d2, std::size_t recordNumber);

// The value a distance has once written with `decimals` decimals and read
// back, without writing it: what the read-back of its line gives.
double carried(double distance, int decimals);

// A distance line read back: the distance and the record number.
struct DistanceEntry {
    double distance = 0.0;
    std::size_t recordNumber = 0;
};
DistanceEntry readBack(std::string_view line);

// The marginal pass (`marginalia3`) and the central pass (`rozdil_SS`) over
// records parsed once for the whole run.
PassResult marginalia3(const ParsedRecord& sheet, const std::vector<ParsedRecord>& records,
                       ResultList& list);
PassResult rozdil_SS(const ParsedRecord& sheet, const std::vector<ParsedRecord>& records,
                     ResultList& list);

} // namespace DistancePasses

} // namespace korvex
