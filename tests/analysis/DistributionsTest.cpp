#include "analysis/Distributions.h"

#include "model/NumberText.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <cmath>

namespace korvex {
namespace {

using namespace Distributions;

struct RecordingHost : ComparisonHost {
    std::vector<std::string> messages;
    std::vector<std::string> captions;
    void message(std::string_view text) override { messages.emplace_back(text); }
    void setListCaption(const std::string& caption) override { captions.push_back(caption); }
    void redrawList() override {}
};

// A standardised record: the marginal groups and the central groups each add up to 1.
std::string record(const std::string& code, double tilt) {
    std::string line = code;
    for (int side = 0; side < 2; ++side)
        for (int k = 0; k < 8; ++k)
            line += "\t" + fixedText((1.0 + tilt * (k - 3.5)) / 8.0, 4);
    for (int side = 0; side < 2; ++side)
        for (int k = 0; k < 6; ++k)
            line += "\t" + fixedText((1.0 + (side ? -tilt : tilt) * (k - 2.5)) / 6.0, 4);
    return line;
}

std::vector<std::string> rowsOf(const std::string& output) {
    std::vector<std::string> rows;
    for (std::size_t start = 0; start < output.size();) {
        const std::size_t end = output.find("\r\n", start);
        rows.push_back(output.substr(start, end - start));
        start = end + 2;
    }
    return rows;
}

struct AllPairs {
    MeasurementSheet sheet;
    ComparisonState state;
    ResultList list;
    RecordingHost host;
    std::string run(const std::string& text) {
        return allPairsDistances(sheet, text, state, list, host);
    }
};

TEST(AllPairs, TwoRecordsGiveFourRowsInRecordOrderSymmetricWithZeroSelfRows) {
    AllPairs a;
    const std::string out = a.run(record("A", 0.1) + "\r\n" + record("B", -0.05) + "\r\n");
    const auto rows = rowsOf(out);
    ASSERT_EQ(rows.size(), 4U);
    EXPECT_EQ(rows[0], " 0\t 0\t 0"); // (A, A)
    EXPECT_EQ(rows[3], " 0\t 0\t 0"); // (B, B)
    EXPECT_EQ(rows[1], rows[2]);      // (A, B) equals (B, A)
    EXPECT_NE(rows[1], rows[0]);
    // The row is D, D1, D2, with D1 and D2 as their distance lines carry them.
    const auto fields = SpecimenRecord::splitFields(rows[1]);
    ASSERT_EQ(fields.size(), 3U);
    const double d1 = readNumber(fields[1]), d2 = readNumber(fields[2]);
    EXPECT_EQ(d1, roundDecimals(d1, 4));
    EXPECT_EQ(d2, roundDecimals(d2, 5));
    EXPECT_EQ(std::string(fields[0]), plainNumberText(std::sqrt(d1 * d2)));
    // The sheet holds the last record; the list the last step's central lines.
    EXPECT_EQ(a.sheet.value(0), fixedText((1.0 + 0.05 * 3.5) / 8.0, 4));
    EXPECT_EQ(a.list.count(), 2U);
    EXPECT_EQ(a.list.line(0).substr(0, 7), "0.00000");
    EXPECT_TRUE(a.host.messages.empty());
}

TEST(AllPairs, ALargeTableIsHandedOverInPiecesOfWholeRowsThatMakeTheSameText) {
    std::string text;
    for (int r = 0; r < 120; ++r)
        text += record("K" + std::to_string(r), 0.001 * (r % 37) - 0.015) + "\r\n";
    AllPairs whole;
    const std::string expected = whole.run(text);
    ASSERT_EQ(rowsOf(expected).size(), 120U * 120U);

    AllPairs streamed;
    std::vector<std::string> pieces;
    allPairsDistances(streamed.sheet, text, streamed.state, streamed.list, streamed.host,
                      [&pieces](std::string_view piece) { pieces.emplace_back(piece); });
    ASSERT_GT(pieces.size(), 2U);
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_TRUE(pieces[i].ends_with("\r\n")) << i;
        EXPECT_LT(pieces[i].size(), kSinkPieceBytes + 128) << i;
        if (i + 1 < pieces.size()) {
            EXPECT_GE(pieces[i].size(), kSinkPieceBytes) << i;
        }
        joined += pieces[i];
    }
    EXPECT_EQ(joined, expected);
    // What the command leaves behind does not depend on how its text is taken.
    EXPECT_EQ(streamed.sheet.value(0), whole.sheet.value(0));
    EXPECT_EQ(streamed.list.count(), whole.list.count());
    EXPECT_EQ(streamed.state.distanceTable1, whole.state.distanceTable1);
    EXPECT_EQ(streamed.state.distanceTable2, whole.state.distanceTable2);
}

TEST(AllPairs, PlainNumberTexts) {
    EXPECT_EQ(plainNumberText(0.0), " 0");
    EXPECT_EQ(plainNumberText(1.0), " 1");
    EXPECT_EQ(plainNumberText(0.5), " 0.5");
    EXPECT_EQ(plainNumberText(-0.25), "-0.25");
    EXPECT_EQ(plainNumberText(std::sqrt(2.0 * 0.5)), " 1"); // D from D1 = 0.5, D2 = 2
    EXPECT_EQ(plainNumberText(1.0 / 3.0), " 0.333333333333333");
    EXPECT_EQ(plainNumberText(1e-7), " 0.0000001");
}

TEST(AllPairs, AShortLineStopsEveryStepAndIsReportedOnce) {
    // Three records with an empty line after the first: four steps, each of
    // which reaches only record 1. The step of the empty line keeps the sheet.
    AllPairs a;
    const std::string out = a.run(record("A", 0.1) + "\r\n\r\n" + record("B", -0.05) + "\r\n" +
                                  record("C", 0.02) + "\r\n");
    const auto rows = rowsOf(out);
    ASSERT_EQ(rows.size(), 4U);
    EXPECT_EQ(rows[0], " 0\t 0\t 0"); // A against A
    EXPECT_EQ(rows[1], " 0\t 0\t 0"); // the sheet still holds A
    EXPECT_NE(rows[2], rows[0]);      // B against A
    EXPECT_EQ(a.host.messages, std::vector<std::string>{"No data were selected."});
}

TEST(AllPairs, RecordsOfTwelveToTwentyEightFieldsFillWhatTheyHave) {
    AllPairs a;
    std::string partial = "P";
    for (int k = 0; k < 16; ++k)
        partial += "\t0.0625";
    const std::string out = a.run(record("A", 0.1) + "\r\n" + partial + "\r\n");
    // The partial record keeps A's central values on the sheet: its D2 to A is
    // that of zeros against A's offsets, and the sheet ends with A's centrals.
    EXPECT_EQ(a.sheet.value(16), fixedText((1.0 - 0.1 * 2.5) / 6.0, 4));
    EXPECT_EQ(a.sheet.value(0), "0.0625");
    EXPECT_EQ(rowsOf(out).size(), 4U);
}

TEST(AllPairs, NoRecordGivesNoOutput) {
    for (const char* text : {"", "no line end", "\r\n"}) {
        AllPairs a;
        const std::string out = a.run(text);
        if (std::string(text) == "\r\n") {
            // One empty record line: the pass stops at once.
            EXPECT_EQ(out, "");
            EXPECT_EQ(a.host.messages.size(), 1U);
        } else {
            EXPECT_EQ(out, "") << text;
            EXPECT_TRUE(a.host.messages.empty());
            EXPECT_EQ(a.list.count(), 0U);
        }
    }
}

TEST(Distribution, HistogramOfTwoHundredOneSharesAddingUpToOne) {
    UniformGenerator generator(12345);
    const Histogram h = generateDistribution(std::ref(generator), 2000);
    const auto rows = rowsOf(h.text);
    ASSERT_EQ(rows.size(), 201U);
    EXPECT_EQ(h.text.substr(h.text.size() - 2), "\r\n");
    double total = 0.0;
    for (const auto& row : rows) {
        EXPECT_EQ(row[0], ' ') << row;
        total += readNumber(row);
    }
    EXPECT_NEAR(total, 1.0, 1e-9);
    std::uint64_t counted = 0;
    for (auto c : h.counts)
        counted += c;
    EXPECT_EQ(counted, 200'000U);
    // Values below 0.1 before scaling, the negative ones included, land in bin 0.
    EXPECT_EQ(rows[0], plainNumberText(static_cast<double>(h.counts[0]) / 200'000.0));
    EXPECT_EQ(rows[200], " 0");
    EXPECT_EQ(h.percentageText,
              plainNumberText(100.0 - static_cast<double>(h.aboveThreshold) / 2000.0) + " %");
}

TEST(Distribution, DeviatesUseTheCosineFormAndSkipAZeroUniform) {
    // u1 = 0 is drawn again; then u1 = e^-2 and u2 = 0 give sqrt(4) * cos(0) = 2
    // for the threshold, and every value y = (2 * spread + location) * 10.
    std::vector<double> script = {0.0, std::exp(-2.0), 0.0};
    std::size_t next = 0;
    const UniformSource uniform = [&] {
        const double u = next < script.size()
                             ? script[next]
                             : ((next - script.size()) % 2 == 0 ? std::exp(-2.0) : 0.0);
        ++next;
        return u;
    };
    const Histogram h = generateDistribution(uniform, 1);
    const auto bin = static_cast<std::size_t>(std::floor((2.0 * kSpread + kLocation) * kScale));
    EXPECT_EQ(bin, 34U);
    EXPECT_EQ(h.counts[bin], 100U);
    EXPECT_EQ(h.aboveThreshold, 100U); // t = 2 lies below every y of 34.5
    EXPECT_EQ(h.percentageText, " 0 %");
    EXPECT_EQ(next, 3U + 200U);
}

TEST(Distribution, SeedComesFromTheTimeOfDayInSinglePrecision) {
    EXPECT_EQ(seedFromTimeOfDay(0.0), 0U);
    EXPECT_EQ(seedFromTimeOfDay(43200.0), seedFromTimeOfDay(43200.0 + 1e-4));
    EXPECT_NE(seedFromTimeOfDay(43200.0), seedFromTimeOfDay(43205.0));
}

} // namespace
} // namespace korvex
