#include "uilogic/AxisTicks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace korvex {
namespace {

TEST(AxisTicksTest, TicksStandAtRoundValues) {
    const struct {
        double low, high;
        int maxSteps;
        double first, step;
        int decimals;
    } rows[] = {
        {0, 0.72, 8, 0, 0.1, 1},       // a histogram of D: not 0.072, 0.144, ...
        {0, 0.0525, 8, 0, 0.01, 2},    // shares of pairs, the top bar 5 % above 0.05
        {0, 1, 5, 0, 0.2, 1},
        {0, 0.3, 3, 0, 0.1, 1},        // 0.3 / 3 is a hair under 0.1 in doubles
        {0, 12, 8, 0, 2, 0},
        {0, 730, 8, 0, 100, 0},
        {1, 50, 8, 10, 10, 0},         // the first tick inside the axis
        {0.013, 0.087, 8, 0.02, 0.01, 2},
        {-0.35, 0.35, 8, -0.3, 0.1, 1},
        {0, 4.4e-5, 8, 0, 1e-5, 5},
    };
    for (const auto& r : rows) {
        const auto ticks = AxisTicks::round(r.low, r.high, r.maxSteps);
        ASSERT_TRUE(ticks) << r.low << " " << r.high;
        EXPECT_NEAR(ticks->step, r.step, r.step * 1e-9) << r.low << " " << r.high;
        EXPECT_NEAR(ticks->first, r.first, r.step * 1e-9) << r.low << " " << r.high;
        EXPECT_EQ(ticks->decimals, r.decimals) << r.low << " " << r.high;
        // Never more steps than asked for.
        EXPECT_LE(std::floor((r.high - ticks->first) / ticks->step + 1e-9), r.maxSteps);
        EXPECT_FALSE(std::signbit(ticks->first) && ticks->first == 0.0);
    }
}

TEST(AxisTicksTest, AnAxisOfNoLengthHasNoTicks) {
    const double inf = std::numeric_limits<double>::infinity();
    for (auto [low, high] : {std::pair{0.0, 0.0}, {1.0, 0.0}, {0.0, inf},
                             {std::numeric_limits<double>::quiet_NaN(), 1.0}})
        EXPECT_FALSE(AxisTicks::round(low, high)) << low << " " << high;
}

} // namespace
} // namespace korvex
