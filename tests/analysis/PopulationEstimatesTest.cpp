#include "analysis/PopulationEstimates.h"

#include <gtest/gtest.h>

#include <string>

using namespace korvex;

namespace {

// Capture histories as written ("101": caught on occasions 1 and 3), made
// into a catalogue of one record per capture, dated in its occasion
// (occasion t is the year 2010 + t).
CaptureHistories historiesOf(const std::vector<std::string>& histories) {
    std::string text;
    std::map<std::size_t, Encounter> encounters;
    std::vector<Occasion> occasions;
    for (std::size_t t = 0; t < (histories.empty() ? 0 : histories[0].size()); ++t) {
        const int year = 2011 + static_cast<int>(t);
        occasions.push_back({CalendarDate{year, 1, 1}, CalendarDate{year, 12, 31}});
    }
    std::size_t record = 0;
    for (std::size_t i = 0; i < histories.size(); ++i) {
        for (std::size_t t = 0; t < histories[i].size(); ++t) {
            if (histories[i][t] != '1')
                continue;
            text += "ind" + std::to_string(i);
            for (int k = 0; k < 28; ++k)
                text += "\t0.1";
            text += "\r\n";
            Encounter e;
            e.date = CalendarDate{2011 + static_cast<int>(t), 6, 1};
            encounters[++record] = e;
        }
    }
    return CaptureHistories::build(Catalogue::read(text, Individuals()), Individuals(), encounters,
                                   occasions);
}

TEST(PopulationEstimates, HandWorkedCases) {
    const struct {
        const char* name;
        std::vector<std::string> histories;
        std::optional<double> recognition;
        const char* report;
    } cases[] = {
        {"seen on every occasion",
         {"111", "111", "111", "111"},
         std::nullopt,
         // C 4 4 4, M 0 4 4, R 0 4 4. Chapman 5*5/5 - 1 = 4 with variance 0;
         // Schnabel (4*4 + 4*4) / (8 + 1) = 3.56.
         "occasion\t1\tcaught\t4\trecaptured\t0\tmarked-before\t0\r\n"
         "occasion\t2\tcaught\t4\trecaptured\t4\tmarked-before\t4\r\n"
         "occasion\t3\tcaught\t4\trecaptured\t4\tmarked-before\t4\r\n"
         "chapman\t4.00\t4.00\t4.00\r\n"
         "schnabel\t3.56\r\n"},
        {"one never recaptured",
         {"11", "11", "11", "10", "01"},
         0.75,
         // M 4, C 4, R 3: 5*5/4 - 1 = 5.25; variance 5*5*1*1 / (16*5) = 0.3125,
         // 1.96 * 0.5590 = 1.0957. Schnabel 4*4 / 4 = 4. Corrected: R / 0.75 =
         // 4, 25/5 - 1 = 4.
         "occasion\t1\tcaught\t4\trecaptured\t0\tmarked-before\t0\r\n"
         "occasion\t2\tcaught\t4\trecaptured\t3\tmarked-before\t4\r\n"
         "chapman\t5.25\t4.15\t6.35\r\n"
         "schnabel\t4.00\r\n"
         "recognition\t0.75\r\n"
         "chapman-corrected\t4.00\r\n"},
        {"no recapture at all",
         {"10", "10", "10", "01", "01"},
         1.0,
         // M 3, C 2, R 0: 4*3/1 - 1 = 11; variance 4*3*3*2 / (1*2) = 36, so
         // 11 -/+ 1.96*6. Schnabel 2*3 / 1 = 6. With p = 1 nothing changes.
         "occasion\t1\tcaught\t3\trecaptured\t0\tmarked-before\t0\r\n"
         "occasion\t2\tcaught\t2\trecaptured\t0\tmarked-before\t3\r\n"
         "chapman\t11.00\t-0.76\t22.76\r\n"
         "schnabel\t6.00\r\n"
         "recognition\t1.00\r\n"
         "chapman-corrected\t11.00\r\n"},
        {"later occasions count for Schnabel only",
         {"100", "110", "011", "001"},
         std::nullopt,
         // C 2 2 2, M 0 2 3, R 0 1 1. Chapman 3*3/2 - 1 = 3.5, variance
         // 3*3*1*1 / (4*3) = 0.75. Schnabel (2*2 + 2*3) / (2 + 1) = 3.33.
         "occasion\t1\tcaught\t2\trecaptured\t0\tmarked-before\t0\r\n"
         "occasion\t2\tcaught\t2\trecaptured\t1\tmarked-before\t2\r\n"
         "occasion\t3\tcaught\t2\trecaptured\t1\tmarked-before\t3\r\n"
         "chapman\t3.50\t1.80\t5.20\r\n"
         "schnabel\t3.33\r\n"},
    };
    for (const auto& c : cases) {
        const auto estimates = PopulationEstimates::of(historiesOf(c.histories));
        const auto report = estimates.report(c.recognition);
        ASSERT_TRUE(report) << c.name;
        EXPECT_EQ(*report, c.report) << c.name;
    }
}

TEST(PopulationEstimates, TheCorrectionNeedsTwoOccasionsAndARateAboveZero) {
    const auto two = PopulationEstimates::of(historiesOf({"11", "10", "01"}));
    EXPECT_FALSE(two.chapmanCorrected(0.0));
    EXPECT_FALSE(two.chapmanCorrected(1.5));
    // Fewer recognitions than captures raise the estimate's recaptures: lower N.
    EXPECT_LT(*two.chapmanCorrected(0.5), two.chapman()->estimate);
    EXPECT_EQ(*two.chapmanCorrected(1.0), two.chapman()->estimate);
    EXPECT_EQ(*two.report(0.0),
              *two.report(std::nullopt) + "recognition\t0.00\r\nchapman-corrected\t\r\n");

    const auto one = PopulationEstimates::of(historiesOf({"1", "1"}));
    EXPECT_FALSE(one.chapman());
    EXPECT_FALSE(one.schnabel());
    EXPECT_FALSE(one.report(0.9));
}

} // namespace
