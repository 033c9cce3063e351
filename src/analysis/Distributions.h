#pragma once

#include "analysis/ComparisonState.h"
#include "analysis/ResultList.h"
#include "model/MeasurementSheet.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace korvex {

// The two distance distributions: every record against every record, and a
// simulated histogram of distances between different animals.
namespace Distributions {

// "auto": for each record in turn on the sheet, the distances to every record,
// one row per pair: D TAB D1 TAB D2 CR LF as plain number texts, with D1 and D2
// as the distance lines carry them (4 and 5 decimals) and D = sqrt(D1 x D2).
// The sheet ends up holding the values of the last record with 12 or more
// fields; `list` holds the central distance lines of the last step, and the
// state's tables its distances. A pass that meets a line of fewer than 10
// fields stops there, in every step, so only the records before it get rows;
// the host is then told "No data were selected." once for the whole command.
// Each record is parsed once. The table grows with the square of the record
// count, so it is handed to `sink` as it is made, in order, in pieces of whole
// rows of about kSinkPieceBytes each; the memory used grows only with the
// record count. The concatenated pieces are the table's text.
using TextSink = std::function<void(std::string_view piece)>;
inline constexpr std::size_t kSinkPieceBytes = 64 * 1024;
void allPairsDistances(MeasurementSheet& sheet, std::string_view dataSetText,
                       ComparisonState& state, ResultList& list, ComparisonHost& host,
                       const TextSink& sink);
// The same table as one text, as the clipboard takes it.
std::string allPairsDistances(MeasurementSheet& sheet, std::string_view dataSetText,
                              ComparisonState& state, ResultList& list, ComparisonHost& host);

// Uniform numbers in [0, 1).
using UniformSource = std::function<double()>;

// A fast generator of uniform numbers for the simulation (splitmix64).
class UniformGenerator {
public:
    explicit UniformGenerator(std::uint64_t seed) : state_(seed) {}
    double operator()();

private:
    std::uint64_t state_;
};

// The seed from the time of day: seconds since midnight divided by 5, in
// single precision, as an integer bit pattern.
std::uint64_t seedFromTimeOfDay(double secondsSinceMidnight);

inline constexpr int kOuterDraws = 100'000;
inline constexpr int kInnerDraws = 100;
inline constexpr double kLocation = 2.160037189;
inline constexpr double kSpread = 0.647179969;
inline constexpr double kScale = 10.0;
inline constexpr double kAngleFactor = 6.2831854; // not exactly 2 pi, on purpose
inline constexpr std::size_t kCounters = 1001;
inline constexpr std::size_t kWrittenCounters = 201;

struct Histogram {
    std::array<std::uint64_t, kCounters> counts{};
    std::uint64_t aboveThreshold = 0; // values y above their threshold t
    // The 201 shares, each a plain number text followed by CR LF.
    std::string text;
    // The percentage of values that do not exceed their threshold, with " %".
    std::string percentageText;
};

// "Generate distribution" with the given uniform source. A uniform of 0 is
// never passed to the logarithm: that draw is taken again.
Histogram generateDistribution(const UniformSource& uniform, int outerDraws = kOuterDraws);

} // namespace Distributions

} // namespace korvex
