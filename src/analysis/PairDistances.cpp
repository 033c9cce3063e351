#include "analysis/PairDistances.h"

#include "analysis/ComparisonRun.h"

#include "model/NumberText.h"

#include <algorithm>
#include <cmath>

namespace korvex::PairDistances {

namespace {

using ComparisonRun::kCombinedDecimals;
using ComparisonRun::kRankedDecimals;
using DistancePasses::carried;
using DistancePasses::kD1Decimals;
using DistancePasses::kD2Decimals;
using DistancePasses::ParsedRecord;

// What a ranked line's distance text reads back as: the list orders "NaN" as
// +infinity, and every finite value as its rounded decimal.
double shownValue(double value, int decimals) {
    if (std::isnan(value))
        return HUGE_VAL;
    return roundDecimals(value, decimals);
}

// D1 and D2 as the read-back of their distance lines gives them.
double carriedD1(const ParsedRecord& sheet, const ParsedRecord& record) {
    return carried(DistancePasses::marginalDistance(sheet, record), kD1Decimals);
}
double carriedD2(const ParsedRecord& sheet, const ParsedRecord& record) {
    return carried(DistancePasses::centralDistance(sheet, record), kD2Decimals);
}

// The shown distances from the raw D1 and D2 of a pair.
Shown shownFrom(double rawD1, double rawD2) {
    const double d1 = carried(rawD1, kD1Decimals);
    const double d2 = carried(rawD2, kD2Decimals);
    // The D command multiplies the D2 table entry by the D1 one.
    return {shownValue(d1, kRankedDecimals), shownValue(d2, kRankedDecimals),
            shownValue(std::sqrt(d2 * d1), kCombinedDecimals)};
}

// More than a raw distance can lose on its way to the shown value: half a
// unit of each rounding (at most 0.00055 for D1 and D2), and a relative part
// for the 15 digits that decide a rounding on large values.
double slack(double value, double units) {
    return units + std::fabs(value) * 1e-9;
}

// A bound with room for that loss; -infinity (nothing asked) stays.
double reach(double bound, double units) {
    return bound == -HUGE_VAL ? bound : bound + slack(bound, units);
}

} // namespace

int decimalsOf(Measure kind) {
    return kind == Measure::D ? kCombinedDecimals : kRankedDecimals;
}

std::string textOf(Measure kind, double shown) {
    return fixedText(shown, decimalsOf(kind));
}

Shown between(const ParsedRecord& sheetRecord, const ParsedRecord& record) {
    return shownFrom(DistancePasses::marginalDistance(sheetRecord, record),
                     DistancePasses::centralDistance(sheetRecord, record));
}

Shown screened(const ParsedRecord& sheetRecord, const ParsedRecord& record, const Shown& bounds,
               bool nonNegative) {
    const double rawD2 = DistancePasses::centralDistance(sheetRecord, record);
    // The D1 up to which D1 or D can still be within its bound. D is at most
    // its bound B only if the carried D1 is at most (B + 0.00005)^2 over the
    // carried D2, which is at least `lowD2`.
    double stop = reach(bounds.d1, 1e-3);
    if (bounds.d > -HUGE_VAL) {
        const double lowD2 = rawD2 - slack(rawD2, 1e-5);
        const double root = reach(bounds.d, 1e-4);
        const double forD = lowD2 > 0.0 ? root * root / lowD2 * (1.0 + 1e-9) + 1e-4 : HUGE_VAL;
        stop = std::max(stop, forD);
    }
    const double rawD1 =
        DistancePasses::marginalDistance(sheetRecord, record, nonNegative ? stop : HUGE_VAL);
    const bool mayD2 = !(rawD2 - slack(rawD2, 1e-3) > bounds.d2) && bounds.d2 > -HUGE_VAL;
    if (rawD1 > stop) {
        Shown beyond{HUGE_VAL, HUGE_VAL, HUGE_VAL};
        if (mayD2)
            beyond.d2 = shownValue(carried(rawD2, kD2Decimals), kRankedDecimals);
        return beyond;
    }
    Shown shown = shownFrom(rawD1, rawD2);
    if (!mayD2)
        shown.d2 = HUGE_VAL;
    return shown;
}

double between(const ParsedRecord& sheetRecord, const ParsedRecord& record, Measure kind) {
    switch (kind) {
    case Measure::D1:
        return shownValue(carriedD1(sheetRecord, record), kRankedDecimals);
    case Measure::D2:
        return shownValue(carriedD2(sheetRecord, record), kRankedDecimals);
    default:
        return shownValue(
            std::sqrt(carriedD2(sheetRecord, record) * carriedD1(sheetRecord, record)),
            kCombinedDecimals);
    }
}

} // namespace korvex::PairDistances
