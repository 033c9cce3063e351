#pragma once

#include "analysis/Catalogue.h"
#include "analysis/PairDistances.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvex {

// A quick, conservative look at many pairs at once: for one record and a run
// of others, whether each pair can possibly show a distance within its
// bounds. It works on single-precision copies of the values laid out by seam,
// so that the compiler computes several pairs per instruction, and allows for
// every rounding between its sums and the shown values with a wide margin: a
// pair it rules out is certainly beyond all three bounds, a pair it lets
// through is then computed exactly (PairDistances::screened). Records it
// cannot judge safely (a negative, huge or non-finite value) always pass.
class PairScreen {
public:
    // The bounds of each record, single precision, rounded up: a pair (i, j)
    // is asked about the larger of the two records' bounds, per distance.
    // -infinity asks for nothing, +infinity lets every pair through.
    struct Bounds {
        std::vector<float> d1, d2;
        std::vector<float> dSquared; // (D bound + margin)^2; -1 asks for nothing
    };

    explicit PairScreen(const Catalogue& catalogue);

    Bounds boundsOf(const std::vector<PairDistances::Shown>& perRecord) const;
    // The same bounds for every record.
    Bounds uniformBounds(const PairDistances::Shown& bounds) const;

    // maybe[j - first] = 1 when the pair (i, j) may lie within its bounds,
    // for every j in [first, end).
    void row(std::size_t i, std::size_t first, std::size_t end, const Bounds& bounds,
             std::uint8_t* maybe) const;

private:
    static constexpr std::size_t kMarginal = RecordLayout::kMarginalCount;
    static constexpr std::size_t kOffsets = DistancePasses::kJunctionCount;

    // The rows of values_: by seam, then by record.
    static constexpr std::size_t kFirstOffset = kMarginal;
    static constexpr std::size_t kScale = kMarginal + kOffsets;
    static constexpr std::size_t kRows = kScale + 1;

    const float* values(std::size_t row) const { return values_.data() + row * n_; }

    std::size_t n_ = 0;
    // M1..M16, the left minus right junction offsets, and 50 x the sum of
    // |offset| (for the margin of D2), each row one value per record.
    std::vector<float> values_;
    std::vector<std::uint8_t> usable_;
};

} // namespace korvex
