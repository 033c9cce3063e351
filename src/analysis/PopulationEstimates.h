#pragma once

#include "analysis/CaptureHistories.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// Closed-population estimates from capture histories. For occasion t:
// C_t individuals caught, M_t individuals caught on an earlier occasion
// (marked before t) and R_t of those caught at t.
class PopulationEstimates {
public:
    struct Counts {
        std::size_t caught = 0;
        std::size_t recaptured = 0;
        std::size_t markedBefore = 0;
    };
    struct Interval {
        double estimate = 0.0;
        double lower = 0.0;
        double upper = 0.0;
    };

    static PopulationEstimates of(const CaptureHistories& histories);

    const std::vector<Counts>& counts() const { return counts_; }

    // Chapman's estimate from the first two occasions (M = C_1, C = C_2,
    // R = R_2): N = (M+1)(C+1)/(R+1) - 1, variance
    // (M+1)(C+1)(M-R)(C-R) / ((R+1)^2 (R+2)), bounds N -/+ 1.96 sqrt(variance).
    // Nothing with fewer than two occasions.
    std::optional<Interval> chapman() const;
    // Schnabel's estimate over all occasions: sum C_t M_t / (sum R_t + 1).
    // Nothing with fewer than two occasions.
    std::optional<double> schnabel() const;
    // Chapman's N with R / p in place of R: recaptures the matching missed
    // (it finds a recapture with probability p) counted back in. Nothing with
    // fewer than two occasions or p outside (0, 1].
    std::optional<double> chapmanCorrected(double p) const;

    static double chapmanEstimate(double m, double c, double r);

    // The lines `korvex-batch estimate` prints, TAB-separated, CR LF each:
    // "occasion t caught C recaptured R marked-before M" per occasion, then
    // "chapman N lower upper", "schnabel N" and, with a recognition rate,
    // "recognition p" and "chapman-corrected N". Numbers other than counts
    // with 2 decimals. Nothing with fewer than two occasions.
    std::optional<std::string> report(std::optional<double> recognition) const;

private:
    std::vector<Counts> counts_;
};

} // namespace korvex
