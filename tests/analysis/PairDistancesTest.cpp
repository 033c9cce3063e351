#include "analysis/PairDistances.h"

#include "CatalogueFixtures.h"
#include "analysis/DistanceHistogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace korvex;

namespace {

// Lines that reach every corner of the distances: standardised values, values
// that round on a half, raw lengths, zeros, negative values, texts that are no
// number, a magnitude beyond double and a code holding blanks.
std::vector<std::string> awkwardLines() {
    std::vector<std::string> lines;
    const char* fills[] = {"0.0625", "0.12345", "0.06255", "500",   "0",
                           "-0.1",   "abc",     "1e999",   " 0.07", "0.0001"};
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(fills) - 1);
    for (int n = 0; n < 24; ++n) {
        std::string line = "code " + std::to_string(n);
        for (int k = 0; k < 28; ++k) {
            // Mostly standardised values, so the pairs are not all extreme.
            const bool odd = std::uniform_int_distribution<int>(0, 5)(random) == 0;
            line += '\t';
            line += odd ? fills[pick(random)] : test::value(random, 0.06 + 0.001 * k);
        }
        lines.push_back(line);
    }
    return lines;
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(PairDistances, AreTheDistancesAComparisonRunShows) {
    const auto lines = awkwardLines();
    for (const auto& a : lines) {
        for (const auto& b : lines) {
            const auto shown = PairDistances::between(DistancePasses::parseRecord(a),
                                                      DistancePasses::parseRecord(b));
            for (const Measure kind : kMeasures) {
                const double compared = test::comparedDistance(a, b, kind);
                ASSERT_TRUE(sameBits(shown.of(kind), compared))
                    << nameOf(kind) << " " << shown.of(kind) << " vs " << compared
                    << "\n"
                    << a << "\n"
                    << b;
                ASSERT_TRUE(sameBits(PairDistances::between(DistancePasses::parseRecord(a),
                                                            DistancePasses::parseRecord(b), kind),
                                     compared));
            }
        }
    }
}

TEST(PairDistances, AreSymmetricToTheLastBit) {
    const auto lines = awkwardLines();
    for (const auto& a : lines) {
        for (const auto& b : lines) {
            const auto ra = DistancePasses::parseRecord(a);
            const auto rb = DistancePasses::parseRecord(b);
            const double raw[][2] = {
                {DistancePasses::marginalDistance(ra, rb),
                 DistancePasses::marginalDistance(rb, ra)},
                {DistancePasses::centralDistance(ra, rb), DistancePasses::centralDistance(rb, ra)}};
            for (const auto& pair : raw)
                ASSERT_TRUE(sameBits(pair[0], pair[1]) ||
                            (std::isnan(pair[0]) && std::isnan(pair[1])))
                    << a << "\n"
                    << b;
        }
    }
}

// A screened pair keeps every distance that lies within its bound exactly,
// and may drop (as +infinity) only those beyond it.
TEST(PairDistances, ScreeningKeepsEveryDistanceWithinItsBound) {
    const auto lines = awkwardLines();
    std::mt19937 random(3);
    std::size_t kept = 0, dropped = 0;
    for (const auto& a : lines) {
        for (const auto& b : lines) {
            const auto ra = DistancePasses::parseRecord(a);
            const auto rb = DistancePasses::parseRecord(b);
            bool nonNegative = true;
            for (int k = 0; k < 16; ++k)
                nonNegative = nonNegative && ra.marginal[k] >= 0 && rb.marginal[k] >= 0;
            const auto exact = PairDistances::between(ra, rb);
            // Bounds at, just below and around the exact distances, and none.
            for (int round = 0; round < 6; ++round) {
                PairDistances::Shown bounds;
                for (const Measure kind : kMeasures) {
                    const double d = exact.of(kind);
                    const double step = kind == Measure::D ? 1e-4 : 1e-3;
                    const double choices[] = {
                        d,         d - step, d + step, std::nextafter(d, -HUGE_VAL),
                        -HUGE_VAL, HUGE_VAL, 0.0};
                    const double pick = choices[std::uniform_int_distribution<int>(0, 6)(random)];
                    (kind == Measure::D1 ? bounds.d1 : kind == Measure::D2 ? bounds.d2 : bounds.d) = pick;
                }
                const auto screened = PairDistances::screened(ra, rb, bounds, nonNegative);
                for (const Measure kind : kMeasures) {
                    if (exact.of(kind) <= bounds.of(kind)) {
                        ASSERT_TRUE(sameBits(screened.of(kind), exact.of(kind)))
                            << nameOf(kind) << "\n"
                            << a << "\n"
                            << b;
                        ++kept;
                    } else {
                        ASSERT_TRUE(sameBits(screened.of(kind), exact.of(kind)) ||
                                    screened.of(kind) == HUGE_VAL);
                        dropped += screened.of(kind) == HUGE_VAL;
                    }
                }
            }
        }
    }
    EXPECT_GT(kept, 1000u);
    EXPECT_GT(dropped, 1000u);
}

TEST(DistanceHistogram, CountsEachShownStepInItsOwnBin) {
    DistanceHistogram d1(Measure::D1);
    EXPECT_EQ(d1.binCount(), 16001u);
    for (const double shown : {0.0, 0.001, 0.001, 0.124, 16.0, 16.001, HUGE_VAL, -0.5})
        d1.add(shown);
    EXPECT_EQ(d1.bin(0), 1u);
    EXPECT_EQ(d1.bin(1), 2u);
    EXPECT_EQ(d1.bin(124), 1u);
    EXPECT_EQ(d1.bin(16000), 1u);
    EXPECT_EQ(d1.above(), 2u);
    EXPECT_EQ(d1.below(), 1u);
    EXPECT_EQ(d1.total(), 8u);
    // A bin's distance is the very double of the shown distance.
    EXPECT_EQ(d1.valueOf(124), roundDecimals(0.1237, 3));
    DistanceHistogram d(Measure::D);
    EXPECT_EQ(d.valueOf(1235), roundDecimals(0.12351, 4));
}

TEST(DistanceHistogram, EqualErrorPointBalancesTheTwoErrorShares) {
    const struct {
        std::vector<double> same, different;
        double threshold; // as a D1 distance; negative: none
    } cases[] = {
        // Separated: any threshold between them has no error; the lowest is taken.
        {{0.1, 0.2}, {0.5, 0.6}, 0.2},
        // Overlapping: at 0.3 one of four same pairs is above and no different
        // pair within; 0.4 and 0.5 do no better, so the lowest stays.
        {{0.1, 0.2, 0.3, 0.5}, {0.4, 0.6, 0.7, 0.8}, 0.3},
        // No pair of two animals: every same pair within.
        {{0.1, 0.3}, {}, 0.3},
        // Negative distances count as within every threshold.
        {{-1.0, 0.05}, {-1.0, 0.9, 0.95, 0.99}, 0.05},
        {{}, {0.5}, -1.0},
    };
    for (const auto& c : cases) {
        DistanceHistogram same(Measure::D1), different(Measure::D1);
        for (const double d : c.same)
            same.add(d);
        for (const double d : c.different)
            different.add(d);
        const auto bin = equalErrorBin(same, different);
        if (c.threshold < 0) {
            EXPECT_FALSE(bin);
            continue;
        }
        ASSERT_TRUE(bin);
        EXPECT_EQ(same.valueOf(*bin), c.threshold);
    }
}

} // namespace
