#include "analysis/DistanceHistogram.h"

#include <algorithm>
#include <cmath>

namespace korvex {

namespace {

// The largest distance of standardised values: D1 adds at most 1 per marginal
// seam; D2 at most 50 x 2 per offset, the offsets lying between -1 and 1.
constexpr double kMaxD1 = 16.0;
constexpr double kMaxD2 = 500.0;

// 10^decimals, exact: every step of the product is a whole number.
double powerOfTen(int decimals) {
    double p = 1.0;
    for (int d = 0; d < decimals; ++d)
        p *= 10.0;
    return p;
}

double rangeOf(Measure kind) {
    switch (kind) {
    case Measure::D1:
        return kMaxD1;
    case Measure::D2:
        return kMaxD2;
    default:
        return std::sqrt(kMaxD1 * kMaxD2);
    }
}

} // namespace

DistanceHistogram::DistanceHistogram(Measure kind)
    : kind_(kind), scale_(powerOfTen(PairDistances::decimalsOf(kind))), step_(1.0 / scale_),
      bins_(static_cast<std::size_t>(std::ceil(rangeOf(kind) * scale_)) + 1, 0) {}

void DistanceHistogram::add(double shown) {
    ++total_;
    const std::size_t k = binOf(shown);
    if (shown < 0.0)
        ++below_;
    else if (k == bins_.size())
        ++above_;
    else
        ++bins_[k];
}

std::size_t DistanceHistogram::binOf(double shown) const {
    if (shown < 0.0)
        return 0;
    // A shown value is k / 10^decimals, so scaling it back lands on k.
    const double k = std::nearbyint(shown * scale_);
    return k < static_cast<double>(bins_.size()) ? static_cast<std::size_t>(k) : bins_.size();
}

std::uint64_t DistanceHistogram::within(std::size_t k) const {
    std::uint64_t n = below_;
    for (std::size_t b = 0; b <= k && b < bins_.size(); ++b)
        n += bins_[b];
    return n;
}

void DistanceHistogram::merge(const DistanceHistogram& other) {
    for (std::size_t k = 0; k < bins_.size(); ++k)
        bins_[k] += other.bins_[k];
    below_ += other.below_;
    above_ += other.above_;
    total_ += other.total_;
}

double DistanceHistogram::valueOf(std::size_t k) const {
    return static_cast<double>(k) / scale_;
}

std::optional<std::size_t> equalErrorBin(const DistanceHistogram& same,
                                         const DistanceHistogram& different, std::size_t lastBin) {
    if (same.total() == 0)
        return std::nullopt;
    const auto sameTotal = static_cast<double>(same.total());
    const auto differentTotal = static_cast<double>(different.total());
    std::uint64_t sameWithin = same.below();
    std::uint64_t differentWithin = different.below();
    std::size_t best = 0;
    double bestRate = 2.0;
    for (std::size_t k = 0; k < same.binCount() && k <= lastBin; ++k) {
        sameWithin += same.bin(k);
        differentWithin += different.bin(k);
        const double falseMatch =
            differentTotal > 0 ? static_cast<double>(differentWithin) / differentTotal : 0.0;
        const double falseNonMatch = static_cast<double>(same.total() - sameWithin) / sameTotal;
        const double rate = std::max(falseMatch, falseNonMatch);
        if (rate < bestRate) {
            bestRate = rate;
            best = k;
        }
    }
    return best;
}

} // namespace korvex
