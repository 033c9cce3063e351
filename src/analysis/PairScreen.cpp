#include "analysis/PairScreen.h"

#include <algorithm>
#include <cmath>

namespace korvex {

namespace {

// Values beyond this size are left to the exact computation: the margins
// below are reckoned for shares and lengths of ordinary size.
constexpr double kLargest = 10.0;

// The smallest float at least `value`: a bound may only grow in the copy.
float roundedUp(double value) {
    if (std::isnan(value))
        return HUGE_VALF;
    const float f = static_cast<float>(value);
    return static_cast<double>(f) < value ? std::nextafter(f, HUGE_VALF) : f;
}

} // namespace

PairScreen::PairScreen(const Catalogue& catalogue)
    : n_(catalogue.records.size()), values_(kRows * n_), usable_(n_) {
    const auto at = [&](std::size_t row, std::size_t r) -> float& {
        return values_[row * n_ + r];
    };
    for (std::size_t r = 0; r < n_; ++r) {
        const auto& v = catalogue.records[r].values;
        bool usable = catalogue.records[r].nonNegative;
        for (std::size_t k = 0; k < kMarginal; ++k) {
            usable = usable && std::isfinite(v.marginal[k]) && v.marginal[k] <= kLargest;
            at(k, r) = static_cast<float>(v.marginal[k]);
        }
        for (const double c : v.central)
            usable = usable && std::isfinite(c) && std::fabs(c) <= kLargest;
        // The offsets as DistancePasses sums them: running sums of each side.
        double left = 0.0, right = 0.0, scale = 0.0;
        for (std::size_t j = 0; j < kOffsets; ++j) {
            left += v.central[j];
            right += v.central[RecordLayout::kCentralGroupSize + j];
            at(kFirstOffset + j, r) = static_cast<float>(left - right);
            scale += std::fabs(left - right);
        }
        at(kScale, r) = static_cast<float>(50.0 * scale);
        usable_[r] = usable;
    }
}

PairScreen::Bounds PairScreen::boundsOf(const std::vector<PairDistances::Shown>& perRecord) const {
    Bounds b;
    b.d1.resize(n_);
    b.d2.resize(n_);
    b.dSquared.resize(n_);
    for (std::size_t r = 0; r < n_; ++r) {
        const auto& s = perRecord[r];
        b.d1[r] = roundedUp(s.d1);
        b.d2[r] = roundedUp(s.d2);
        const double reach = s.d + 2e-4;
        b.dSquared[r] = reach < 0.0 ? -1.0f : roundedUp(reach * reach * (1.0 + 1e-6));
    }
    return b;
}

PairScreen::Bounds PairScreen::uniformBounds(const PairDistances::Shown& bounds) const {
    return boundsOf(std::vector<PairDistances::Shown>(n_, bounds));
}

namespace {

// What the row loops read: the value rows (`rows` of `n` floats) and the
// records' usability.
struct Layout {
    const float* values;
    const std::uint8_t* usable;
    std::size_t n;
    std::size_t marginal;
    std::size_t offsets;
};

// Seam by seam over a chunk of records, each loop free of branches and of
// stores that could alias the values, so that the compiler takes several
// records at once; built twice, the wider copy chosen where the processor has
// it. A function of this file alone, as some compilers want every declaration
// of such a function to carry the attribute.
__attribute__((target_clones("avx2", "default"))) void
screenRow(const Layout& layout, std::size_t i, std::size_t first, std::size_t end,
          const PairScreen::Bounds& bounds, std::uint8_t* maybe) {
    std::uint8_t* __restrict out = maybe - first;
    const std::size_t n = layout.n;
    const auto values = [&](std::size_t row) {
        return layout.values + row * n;
    };
    const float* __restrict scale = values(layout.marginal + layout.offsets);
    const float* __restrict bound1 = bounds.d1.data();
    const float* __restrict bound2 = bounds.d2.data();
    const float* __restrict boundD = bounds.dSquared.data();
    const std::uint8_t* __restrict usable = layout.usable;
    const float scaleI = scale[i];
    const float b1I = bound1[i], b2I = bound2[i], bdI = boundD[i];
    constexpr std::size_t kChunk = 256;
    alignas(64) float sum1[kChunk], sum2[kChunk];
    for (std::size_t c = first; c < end; c += kChunk) {
        const std::size_t count = std::min(kChunk, end - c);
        for (std::size_t t = 0; t < count; ++t)
            sum1[t] = sum2[t] = 0.0f;
        for (std::size_t k = 0; k < layout.marginal; ++k) {
            const float a = values(k)[i];
            const float* __restrict m = values(k) + c;
            for (std::size_t t = 0; t < count; ++t) {
                const float sum = a + m[t];
                sum1[t] += std::fabs(a - m[t]) / (sum > 1e-30f ? sum : 1e-30f);
            }
        }
        for (std::size_t k = 0; k < layout.offsets; ++k) {
            const float o = values(layout.marginal + k)[i];
            const float* __restrict m = values(layout.marginal + k) + c;
            for (std::size_t t = 0; t < count; ++t)
                sum2[t] += std::fabs(o - m[t]);
        }
        for (std::size_t t = 0; t < count; ++t) {
            const std::size_t j = c + t;
            const float d1 = sum1[t];
            const float d2 = 50.0f * sum2[t];
            // Lower bounds of the shown values: the float sums' error with
            // room to spare, and a unit of the 3-decimal rounding of D1 and D2.
            const float low1 = d1 - (1e-4f + 1e-5f * d1) - 1e-3f;
            const float low2 = d2 - (2e-6f * (scaleI + scale[j] + d2) + 1e-6f) - 1e-3f;
            const float b1 = b1I > bound1[j] ? b1I : bound1[j];
            const float b2 = b2I > bound2[j] ? b2I : bound2[j];
            const float bd = bdI > boundD[j] ? bdI : boundD[j];
            const float p1 = low1 > 0.0f ? low1 : 0.0f;
            const float p2 = low2 > 0.0f ? low2 : 0.0f;
            const bool beyond = (low1 > b1) & (low2 > b2) & (p1 * p2 > bd);
            out[j] = static_cast<std::uint8_t>(!beyond | !usable[j]);
        }
    }
}

} // namespace

void PairScreen::row(std::size_t i, std::size_t first, std::size_t end, const Bounds& bounds,
                     std::uint8_t* maybe) const {
    if (!usable_[i]) {
        for (std::size_t j = first; j < end; ++j)
            maybe[j - first] = 1;
        return;
    }
    screenRow({values_.data(), usable_.data(), n_, kMarginal, kOffsets}, i, first, end, bounds,
              maybe);
}

} // namespace korvex
