#pragma once

#include "analysis/Catalogue.h"
#include "analysis/DistanceHistogram.h"
#include "analysis/PairSweep.h"
#include "model/Encounter.h"

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// Leave-one-out evaluation of the ranked list on a catalogue. Every record
// whose individual has another record is a query; its candidates are all
// other records. Its rank by a distance is 1 plus the number of candidates of
// other individuals whose shown distance is at most the smallest shown
// distance of its own individual's candidates: ties count against the method.
struct MatchEvaluation {
    static constexpr std::size_t kCurveRanks = 50;

    struct ByDistance {
        std::vector<std::size_t> ranks; // by record index; 0 for a record that is no query
        std::size_t queries = 0;
        std::array<std::size_t, kCurveRanks> withinRank{}; // [r - 1]: queries of rank <= r
        double reciprocalRankSum = 0.0;

        // The share of queries ranked at most `k`th (k from 1 to kCurveRanks).
        double topRate(std::size_t k) const;
        // The mean of 1 / rank.
        double meanReciprocalRank() const;
    };

    std::array<ByDistance, 3> byDistance; // by Measure
    std::size_t skipped = 0;              // pieces that are no record
    // In time order only: the records passed over for want of a date.
    std::optional<std::size_t> undated;
    // With `histograms` asked for: the distances of pairs of one animal and of
    // two animals, and the equal-error threshold of each distance (nothing
    // where no animal has two records).
    std::array<std::optional<DistanceHistogram>, 3> sameHistograms;
    std::array<std::optional<DistanceHistogram>, 3> differentHistograms;

    const ByDistance& of(Measure kind) const { return byDistance[static_cast<std::size_t>(kind)]; }
    std::size_t queries() const { return byDistance[0].queries; }

    // Nothing when `control` was cancelled.
    static std::optional<MatchEvaluation> run(const Catalogue& catalogue, bool histograms,
                                              SweepControl* control = nullptr);

    // The evaluation the way a field season meets the catalogue: a dated
    // record is a query when its individual has a record dated on an earlier
    // day, and it is ranked only against the records dated on earlier days
    // (its rank as above among them). `dates` is by record index; records
    // without a date are neither queries nor candidates and are counted in
    // `undated`. No histograms.
    static std::optional<MatchEvaluation>
    runInTimeOrder(const Catalogue& catalogue,
                   const std::vector<std::optional<CalendarDate>>& dates,
                   SweepControl* control = nullptr);
    // The dates runInTimeOrder takes: by record index, from the encounters
    // by record number (a record without one has no date).
    static std::vector<std::optional<CalendarDate>>
    recordDates(const Catalogue& catalogue, const std::map<std::size_t, Encounter>& encounters);

    // The report as the batch tool prints it and "Copy to the Clipboard" puts
    // it: the rates table, the cumulative match curve of ranks 1..50 and the
    // count of skipped pieces (and, in time order, of undated records),
    // TAB-separated, CR LF after every line. Without
    // a query, only the table with empty rates and the skipped count.
    std::string report() const;
};

} // namespace korvex
