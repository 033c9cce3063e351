#include "analysis/PairScreen.h"

#include "analysis/Catalogue.h"
#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

using namespace korvex;

namespace {

// Records near each other and far apart, with zeros, values that round to
// the shown decimals' edges, huge, negative and unreadable values: a pair
// the screen rules out must show every distance beyond its bounds.
TEST(PairScreen, NeverRulesOutAPairWithinItsBounds) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> pick(0, 19);
    std::string text;
    const std::size_t count = 160;
    for (std::size_t r = 0; r < count; ++r) {
        std::string line = "R" + std::to_string(r);
        const double base = 0.05 + 0.002 * static_cast<double>(r % 7);
        for (int k = 0; k < 28; ++k) {
            const int roll = pick(random);
            std::string v = fixedText(base * (1.0 + 0.01 * (roll % 5)), 4);
            if (roll == 19)
                v = "0";
            else if (roll == 18 && r % 11 == 0)
                v = "-0.05";
            else if (roll == 17 && r % 13 == 0)
                v = "1e30";
            else if (roll == 16 && r % 17 == 0)
                v = "x";
            line += "\t" + v;
        }
        text += line + "\r\n";
    }
    const Catalogue catalogue = Catalogue::read(text, Individuals());
    ASSERT_EQ(catalogue.records.size(), count);
    const PairScreen screen(catalogue);
    const auto& records = catalogue.records;
    std::vector<PairDistances::Shown> exact(count * count);
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t j = 0; j < count; ++j)
            exact[i * count + j] = PairDistances::between(records[i].values, records[j].values);

    std::size_t ruledOut = 0, tight = 0;
    for (int trial = 0; trial < 6; ++trial) {
        // Each record's bounds: some asked for nothing, most set just at the
        // distance of a random other record, so that many pairs lie on them.
        std::vector<PairDistances::Shown> bounds(count);
        for (std::size_t i = 0; i < count; ++i) {
            const auto& d = exact[i * count + (i * 7 + static_cast<std::size_t>(trial)) % count];
            const int mode = pick(random) % 4;
            bounds[i] = mode == 0   ? PairDistances::Shown{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}
                        : mode == 1 ? PairDistances::Shown{d.d1, -HUGE_VAL, -HUGE_VAL}
                        : mode == 2 ? PairDistances::Shown{-HUGE_VAL, d.d2, -HUGE_VAL}
                                    : PairDistances::Shown{-HUGE_VAL, -HUGE_VAL, d.d};
        }
        const auto screenBounds = screen.boundsOf(bounds);
        std::vector<std::uint8_t> maybe(count);
        for (std::size_t i = 0; i < count; ++i) {
            screen.row(i, i + 1, count, screenBounds, maybe.data());
            for (std::size_t j = i + 1; j < count; ++j) {
                const auto& d = exact[i * count + j];
                const bool within = d.d1 <= std::max(bounds[i].d1, bounds[j].d1) ||
                                    d.d2 <= std::max(bounds[i].d2, bounds[j].d2) ||
                                    d.d <= std::max(bounds[i].d, bounds[j].d);
                tight += within;
                if (!maybe[j - i - 1]) {
                    ++ruledOut;
                    EXPECT_FALSE(within) << "records " << i << " and " << j;
                }
            }
        }
    }
    // The screen must do its work too: most pairs here are beyond their bounds.
    EXPECT_GT(ruledOut, 10'000u);
    EXPECT_GT(tight, 1'000u);
}

} // namespace
