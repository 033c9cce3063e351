#pragma once

#include "analysis/Catalogue.h"
#include "analysis/DistanceHistogram.h"
#include "analysis/PairDistances.h"
#include "analysis/PairScreen.h"
#include "analysis/PairSweep.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvex {

// The two sweeps over the pairs of a catalogue that the evaluation and the
// audit share. Each unordered pair is computed once: pairs of one animal in
// the first sweep, pairs of two animals in the second. Memory grows with the
// records and the workers, never with the pairs.
namespace CatalogueSweeps {

inline constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A record's nearest record of its own individual by one distance: the
// smallest shown distance, the lower record on a tie. `other` is kNone (and
// the distance +infinity) for a record whose animal has no other record.
struct Nearest {
    double distance = HUGE_VAL;
    std::size_t other = kNone; // index into Catalogue::records
    bool operator<(const Nearest& b) const {
        return distance != b.distance ? distance < b.distance : other < b.other;
    }
};

struct OwnPairs {
    std::array<std::vector<Nearest>, 3> nearest;                // by kind, by record index
    std::array<std::optional<DistanceHistogram>, 3> histograms; // when asked for
    std::uint64_t pairs = 0;
};

// Pairs of records of one individual, within each animal's records.
std::uint64_t ownPairCount(const Catalogue& catalogue);
// Pairs of records of different individuals.
std::uint64_t otherPairCount(const Catalogue& catalogue);

// The first sweep; `histograms` asks for the histograms of the distances of
// these pairs. Nothing when cancelled.
std::optional<OwnPairs> ownPairs(const Catalogue& catalogue, bool histograms,
                                 SweepControl* control);

// The second sweep: calls `visit(worker, i, j)` for every pair i < j of records
// of different individuals, on `workers` threads (see PairSweep::run); `visit`
// computes what it needs. Returns false when cancelled.
template <typename Visit>
bool otherPairs(const Catalogue& catalogue, std::size_t workers, SweepControl* control,
                Visit visit) {
    const auto& records = catalogue.records;
    const std::size_t n = records.size();
    return PairSweep::run(n, workers, control, [&](std::size_t worker, std::size_t i) {
        std::uint64_t pairs = 0;
        const std::size_t individual = records[i].individual;
        for (std::size_t j = i + 1; j < n; ++j) {
            if (records[j].individual == individual)
                continue;
            visit(worker, i, j);
            ++pairs;
        }
        return pairs;
    });
}

// The second sweep for callers that only need the pairs within bounds: as
// otherPairs, but `visit(worker, i, j)` only for the pairs `screen` cannot rule
// out; `beyond(worker, count)` receives the number of pairs ruled out (each
// certainly beyond all three of its bounds) row by row.
template <typename Visit, typename Beyond>
bool otherPairsWithin(const Catalogue& catalogue, const PairScreen& screen,
                      const PairScreen::Bounds& bounds, std::size_t workers, SweepControl* control,
                      Visit visit, Beyond beyond) {
    const auto& records = catalogue.records;
    const std::size_t n = records.size();
    std::vector<std::vector<std::uint8_t>> maybe(workers, std::vector<std::uint8_t>(n));
    return PairSweep::run(n, workers, control, [&](std::size_t worker, std::size_t i) {
        std::uint8_t* const row = maybe[worker].data();
        screen.row(i, i + 1, n, bounds, row);
        std::uint64_t pairs = 0, ruledOut = 0;
        const std::size_t individual = records[i].individual;
        for (std::size_t j = i + 1; j < n; ++j) {
            if (records[j].individual == individual)
                continue;
            ++pairs;
            if (row[j - i - 1])
                visit(worker, i, j);
            else
                ++ruledOut;
        }
        if (ruledOut > 0)
            beyond(worker, ruledOut);
        return pairs;
    });
}

} // namespace CatalogueSweeps

} // namespace korvex
