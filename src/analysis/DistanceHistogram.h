#pragma once

#include "analysis/PairDistances.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvex {

// Counts of shown distances of one kind, one bin per step the ranked list
// shows (0.001 for D1 and D2, 0.0001 for D), from 0 up to the largest distance
// standardised values can give (16 for D1, 500 for D2, the root of their
// product for D). Distances below 0 (which the passes never give) and
// above that range, "NaN" included, are counted apart. Its size is fixed by
// the kind, whatever the number of pairs counted.
class DistanceHistogram {
public:
    explicit DistanceHistogram(Measure kind);

    Measure kind() const { return kind_; }
    void add(double shown);
    // Counts `pairs` distances known only to lie above the bins of interest.
    void addAbove(std::uint64_t pairs) {
        above_ += pairs;
        total_ += pairs;
    }
    void merge(const DistanceHistogram& other);

    // Bins 0..binCount()-1; bin k holds the distance k x step().
    std::size_t binCount() const { return bins_.size(); }
    double step() const { return step_; }
    std::uint64_t bin(std::size_t k) const { return bins_[k]; }
    std::uint64_t below() const { return below_; }
    std::uint64_t above() const { return above_; }
    std::uint64_t total() const { return total_; }
    // The distance of bin k, the same double as a shown distance of k steps.
    double valueOf(std::size_t k) const;
    // The bin of a shown distance; binCount() for one above the bins, 0 for
    // one below 0.
    std::size_t binOf(double shown) const;
    // The distances at most bin k's, those below 0 included.
    std::uint64_t within(std::size_t k) const;

private:
    Measure kind_;
    double scale_;
    double step_;
    std::vector<std::uint64_t> bins_;
    std::uint64_t below_ = 0;
    std::uint64_t above_ = 0;
    std::uint64_t total_ = 0;
};

// The equal-error point of the distances of pairs of one animal (`same`) and
// of two animals (`different`), both of the same kind: the bin k whose
// distance as a threshold makes the larger of the two error shares smallest,
// the smaller k on a tie. The false-match share is the share of different
// pairs at most that distance, the false-non-match share that of same pairs
// above it. Only bins up to `lastBin` are looked at. Nothing when there is no
// same pair.
std::optional<std::size_t> equalErrorBin(const DistanceHistogram& same,
                                         const DistanceHistogram& different,
                                         std::size_t lastBin = static_cast<std::size_t>(-1));

} // namespace korvex
