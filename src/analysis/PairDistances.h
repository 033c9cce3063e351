#pragma once

#include "analysis/DistancePasses.h"
#include "analysis/Measure.h"

#include <array>
#include <string>
#include <string_view>

namespace korvex {

// The distances between two records as a comparison run shows them with one
// record on the sheet (its fields 1..28 as the box texts) and the other as the
// only record of the data set: D1 and D2 as their ranked lines show them, to 3
// decimals of the read-back value, and D, the geometric mean of the two
// read-back values, to 4. A shown value is the number its text reads back as,
// so a distance that could not be computed ("NaN") is +infinity and ranks last.
//
// Both distances are symmetric to the last bit (each term of D1 and each
// offset difference of D2 is the same operation with its operands swapped), so
// a pair needs computing once.
namespace PairDistances {

// The decimals its ranked line shows: 3 for D1 and D2, 4 for D.
int decimalsOf(Measure kind);
// The shown value as its ranked line writes it ("0.123", "0.1234").
std::string textOf(Measure kind, double shown);

struct Shown {
    double d1 = 0.0;
    double d2 = 0.0;
    double d = 0.0;
    double of(Measure kind) const { return kind == Measure::D1 ? d1 : kind == Measure::D2 ? d2 : d; }
};

// The record of a sheet filled from `sheetRecord`, compared with `record`.
Shown between(const DistancePasses::ParsedRecord& sheetRecord,
              const DistancePasses::ParsedRecord& record);

// The shown distances of a pair as far as they can be at most `bounds`: each
// distance that may lie within its bound is computed exactly as `between`
// gives it, every other one is +infinity. A bound of -infinity asks for
// nothing. A cheap look at the raw distances, with room for every rounding,
// proves most pairs of a large catalogue beyond their bounds early.
// `nonNegative`: neither record has a negative marginal value.
Shown screened(const DistancePasses::ParsedRecord& sheetRecord,
               const DistancePasses::ParsedRecord& record, const Shown& bounds, bool nonNegative);

// Only the one distance `kind`, for sweeps that need no other.
double between(const DistancePasses::ParsedRecord& sheetRecord,
               const DistancePasses::ParsedRecord& record, Measure kind);

} // namespace PairDistances

} // namespace korvex
