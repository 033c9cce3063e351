#pragma once

#include "analysis/Catalogue.h"
#include "analysis/DistancePasses.h"
#include "model/RepeatMeasurement.h"
#include "model/SeamGroup.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvex {

// How repeatable digitising is: records measured again, blind, compared with
// their originals and with the differences between animals.
//
// A record's measurements are its original (its line in the data set) and its
// repeats. Values are read as the comparison reads them: the leading number of
// each field, marginal seams rounded to 4 decimals, central seams to 5.
class Repeatability {
public:
    static constexpr std::size_t kSeamCount = RecordLayout::kLastRecordField; // M1..M16, C1..C12

    // One measurement made again of a record.
    struct Repeat {
        std::size_t recordNumber = 0; // the record's number in the data set, from 1
        DistancePasses::ParsedRecord values;
        std::string operatorName; // who made it; empty when not known
    };

    // The repeats of a repeats text: one a line (CR LF or LF), the record
    // number, TAB, then the repeat as a record line (code and 28 values; the
    // code is ignored). Empty lines are passed over. A line that is not of
    // this form is left out with a message naming its line number in
    // `problems`. `operators`, when given, names the operator of each line:
    // its line k belongs to line k of `text` (an empty line: not known).
    static std::vector<Repeat> readRepeats(std::string_view text,
                                           std::vector<std::string>& problems,
                                           const std::vector<std::string>* operators = nullptr);
    // The lines of an operators text, without their line ends; a final line
    // end does not start another line.
    static std::vector<std::string> operatorLines(std::string_view text);

    // Kept repeats, each with its record's number, as a repeats text and an
    // operators text take them: per repeat, in the given order, its record's
    // number, TAB and its values after an empty code; and who made it (an
    // empty line: not known). A name or value that would break its line (TAB
    // in a name, CR or LF anywhere) is written as not known or blank.
    struct Texts {
        std::string repeats;
        std::string operators;
    };
    static Texts
    textsOf(const std::vector<std::pair<std::size_t, const RepeatMeasurement*>>& numbered);

    // The figures of one seam; a figure that cannot be computed (fewer than
    // two measured records, no record measured twice, a zero denominator, a
    // value read as infinite) is empty. With k_i measurements of record i,
    // n records and N measurements:
    // MSW = sum (x_ij - mean_i)^2 / (N - n), MSB = sum k_i (mean_i - mean)^2 /
    // (n - 1), k0 = (N - sum k_i^2 / N) / (n - 1), repeatability = (MSB - MSW)
    // / (MSB + (k0 - 1) MSW), sd-within = sqrt(MSW), mean over all N.
    struct SeamFigures {
        std::optional<double> mean;
        std::optional<double> sdWithin;
        std::optional<double> repeatability;
    };

    // Sorted distances with their median (the middle value, or the mean of
    // the two middle ones) and 95th percentile (the value at position
    // ceil(0.95 count), from 1); both empty without a distance.
    struct Spread {
        std::vector<double> sorted;
        std::optional<double> median() const;
        std::optional<double> p95() const;
    };

    struct Table {
        std::size_t measured = 0;     // records with at least one repeat
        std::size_t measurements = 0; // their originals and repeats together
        std::array<SeamFigures, kSeamCount> seams{};
        Spread repeatD; // D from each original (on the sheet) to each of its repeats
    };

    // One operator's table: the records they measured again, each with its
    // original and that operator's repeats of it.
    struct OperatorTable {
        std::string name;
        Table table;
    };

    // What merging two operators' data brings in: per seam, the mean over the
    // records both measured again of (first's value - second's value), an
    // operator's value of a record being the mean of their repeats of it.
    struct Bias {
        std::string first; // in byte order before `second`
        std::string second;
        std::size_t records = 0;
        std::array<double, kSeamCount> meanDifference{};
    };

    Table overall;
    Spread nearestOtherD; // per measured record, D from its original to the nearest other animal
    // repeat-D median / nearest-other-D median; empty without both, when the
    // second is 0, or when either is +infinity (distances not computed)
    std::optional<double> ratio;
    std::vector<OperatorTable> operators; // by name, byte order; only repeats that name one
    std::vector<Bias> biases;             // every pair of operators with a record in common
    std::size_t unmatched = 0;            // repeats whose record number names no record

    // The report over `catalogue` (its individuals decide which records are
    // other animals). A repeat whose record number names no record of the
    // catalogue is counted in `unmatched` and left out.
    static Repeatability run(const Catalogue& catalogue, const std::vector<Repeat>& repeats);

    // TAB-separated, CR LF after each line, numbers with 4 decimals, empty
    // figures empty: `measured n N`, a line per seam (`name mean sd-within
    // repeatability`), `repeat-D median p95 count`, `nearest-other-D median p95
    // count`, `ratio value`. When repeats name operators, then per operator an
    // empty line, `operator NAME n N`, its seam lines and its repeat-D line,
    // and per pair of operators an empty line, `bias FIRST SECOND records` and
    // a line per seam: `name mean-difference`.
    std::string report() const;

    // One sentence a user can quote: "Re-digitising moved a record by a
    // median D of 0.21; the nearest other animal lies at a median D of 1.87:
    // 9 times farther." (medians to 2 decimals, the quotient of the two
    // medians as a whole number, to 1 decimal below 1). Without the
    // quotient (a median of 0 moved, or of +infinity: distances that could
    // not be computed) the sentence ends after the second
    // median; empty without both medians.
    std::string sentence() const;

    static double seamValue(const DistancePasses::ParsedRecord& values, std::size_t seam);
};

} // namespace korvex
