#include "analysis/ComparisonRun.h"

#include "CatalogueFixtures.h"

#include "model/DataSet.h"
#include "model/MeasurementSheet.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"
#include "model/SheetFill.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

using namespace korvex;
using namespace korvex::ComparisonRun;

namespace {

class FakeHost : public ComparisonHost {
public:
    void message(std::string_view text) override { messages.emplace_back(text); }
    void setListCaption(const std::string& caption) override { captions.push_back(caption); }
    void redrawList() override { ++redraws; }

    std::vector<std::string> messages;
    std::vector<std::string> captions;
    int redraws = 0;
};

constexpr std::string_view kCrLf = "\r\n";
constexpr Measure MarginalD1 = Measure::D1;
constexpr Measure CentralD2 = Measure::D2;
constexpr Measure Combined = Measure::D;
constexpr Measure kAllCommands[] = {MarginalD1, CentralD2, Combined};

// The sheet of every run here: M1..M16 an even share each, and the worked
// central example whose first left junction lies 0.1 before the right one.
MeasurementSheet baseSheet() {
    MeasurementSheet sheet;
    for (std::size_t k = 0; k < 16; ++k)
        sheet.setValue(k, "0.0625");
    const char* central[] = {"0.1", "0.2", "0.3", "0.2", "0.1", "0.1",
                             "0.2", "0.1", "0.3", "0.2", "0.1", "0.1"};
    for (std::size_t k = 0; k < 12; ++k)
        sheet.setValue(16 + k, central[k]);
    return sheet;
}

// A record of the base sheet with `zeros` marginal values set to 0 (D1 = zeros)
// and, when `symmetric`, left and right central seams made equal (D2 = 5).
std::string record(std::string_view code, std::size_t zeros = 0, bool symmetric = false) {
    MeasurementSheet sheet = baseSheet();
    for (std::size_t k = 0; k < zeros; ++k)
        sheet.setValue(k, "0");
    if (symmetric) {
        sheet.setValue(22, "0.1");
        sheet.setValue(23, "0.2");
    }
    std::string line = SpecimenRecord::BuildRecordLine(code, sheet);
    line += kCrLf;
    return line;
}

std::vector<std::string> linesOf(const ResultList& list) {
    std::vector<std::string> lines;
    for (std::size_t p = 0; p < list.count(); ++p)
        lines.push_back(list.line(p));
    return lines;
}

std::vector<std::string> summaryLines(const std::string& summary) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t end = summary.find(kCrLf);
    while (end != std::string::npos) {
        lines.push_back(summary.substr(start, end - start));
        start = end + kCrLf.size();
        end = summary.find(kCrLf, start);
    }
    EXPECT_EQ(start, summary.size()) << "every summary line ends with CR LF";
    return lines;
}

struct Comparison {
    std::optional<std::string> summary;
    ResultList list{ResultList::Order::Distance};
    ComparisonState state;
    FakeHost host;

    Comparison& operator()(Measure index, const std::string& dataSet,
                           const MeasurementSheet& sheet = baseSheet()) {
        host = FakeHost{};
        summary = comp_Click(index, sheet, dataSet, state, list, host);
        return *this;
    }
};

// Three records, out of order: A3 (D1 2, D2 5), k2 (D1 1, D2 5), T1 (the sheet).
const std::string kThree = record("A3", 2, true) + record("k2", 1, true) + record("T1");

TEST(ComparisonRun, RanksEveryRecordUnderTheCaptionOfItsDistance) {
    const struct {
        Measure index;
        std::vector<std::string> lines;
        const char* caption;
    } cases[] = {
        {MarginalD1,
         {"0.000        T1", "1.000        k2", "2.000        A3"},
         "List of Similar Voduzor - Marginal Seams (D1)"},
        {CentralD2,
         {"0.000        T1", "5.000        A3", "5.000        k2"},
         "List of Similar Voduzor - Central Seams (D2)"},
        // D = sqrt(D1 x D2): sqrt(5) and sqrt(10), to four decimals.
        {Combined,
         {"0.0000       T1", "2.2361       k2", "3.1623       A3"},
         "List of Similar Voduzor - Marginal and Central Seams (D)"},
    };
    for (const auto& c : cases) {
        Comparison run;
        run(c.index, kThree);
        ASSERT_TRUE(run.summary) << c.index;
        EXPECT_EQ(linesOf(run.list), c.lines) << c.index;
        ASSERT_FALSE(run.host.captions.empty());
        EXPECT_EQ(run.host.captions.back(), c.caption);
        EXPECT_TRUE(run.host.messages.empty()) << c.index;
        // The central pass redraws after its last record, and D redraws after both passes.
        EXPECT_EQ(run.host.redraws, c.index == MarginalD1 ? 0 : c.index == CentralD2 ? 1 : 2);
        for (std::size_t p = 0; p < run.list.count(); ++p)
            EXPECT_EQ(run.list.itemData(p), 0);
        // A second run, with the tables of the first, gives the same result.
        const auto summary = run.summary;
        run(c.index, kThree);
        EXPECT_EQ(linesOf(run.list), c.lines) << c.index;
        EXPECT_EQ(run.summary, summary) << c.index;
    }
}

TEST(ComparisonRun, SummaryOfThreeRecords) {
    Comparison run;
    run(Combined, kThree);
    ASSERT_TRUE(run.summary);
    EXPECT_EQ(*run.summary, "\tTime-series\tMinimum\tMedian\tMaximum\r\n"
                            "k2\t2.2361\t3.1623\t2.2361\t3.1623\r\n"
                            "\r\n"
                            "0.0000\tT1\t 0\r\n"
                            "2.2361\tk2\t 1\r\n"
                            "3.1623\tA3\t 0\r\n");
}

TEST(ComparisonRun, WithoutALineEndOrACompareIndexNothingHappens) {
    for (const std::string dataSet : {"", "T1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0", "T1\r"}) {
        for (const Measure index : kAllCommands) {
            Comparison run;
            run.list.add("7.0   earlier", 3);
            run(index, dataSet);
            EXPECT_FALSE(run.summary) << index;
            EXPECT_EQ(linesOf(run.list), (std::vector<std::string>{"7.0   earlier"}));
            EXPECT_EQ(run.list.itemData(0), 3);
            EXPECT_TRUE(run.host.messages.empty());
            EXPECT_TRUE(run.host.captions.empty());
            EXPECT_EQ(run.host.redraws, 0);
        }
    }
}

TEST(ComparisonRun, TheTextAfterTheLastLineEndIsNoRecord) {
    std::string dataSet = record("R1", 1);
    dataSet += record("R2", 0);
    dataSet.resize(dataSet.size() - 2); // R2 loses its CR LF
    for (const Measure index : kAllCommands) {
        Comparison run;
        run(index, dataSet);
        ASSERT_EQ(run.list.count(), 1u) << index;
        EXPECT_TRUE(run.list.line(0).ends_with("   R1")) << run.list.line(0);
    }
}

TEST(ComparisonRun, SummaryTakesTheLowerMiddleAsMedian) {
    // Record rk has D1 = k, so each displayed distance names its position.
    // The summary does not depend on the command, so D1 stands for all three.
    const struct {
        std::size_t records;
        const char* secondLine;
    } cases[] = {
        {1, "\t\t\t0.000\t0.000"},
        {2, "r1\t1.000\t\t0.000\t1.000"},
        {3, "r1\t1.000\t2.000\t1.000\t2.000"},
        {4, "r1\t1.000\t2.000\t1.000\t3.000"},
        {5, "r1\t1.000\t2.000\t2.000\t4.000"},
    };
    for (const auto& c : cases) {
        std::string dataSet;
        for (std::size_t k = c.records; k-- > 0;)
            dataSet += record(std::string(1, 'r') + std::to_string(k), k);
        Comparison run;
        run(MarginalD1, dataSet);
        ASSERT_TRUE(run.summary);
        const auto lines = summaryLines(*run.summary);
        ASSERT_EQ(lines.size(), 3 + c.records) << c.records;
        EXPECT_EQ(lines[1], c.secondLine) << c.records;
        for (std::size_t k = 0; k < c.records; ++k) {
            std::string expected = std::to_string(k) + ".000\tr" + std::to_string(k);
            expected += k == 1 ? "\t 1" : "\t 0";
            EXPECT_EQ(lines[3 + k], expected);
        }
    }
}

TEST(ComparisonRun, EqualDisplayedDistancesAreRankedByCodeWithoutCase) {
    // M1 alone in use: 0.4989 gives D1 0.0011, 0.4992 gives 0.0008; both show 0.001.
    MeasurementSheet sheet;
    sheet.setValue(0, "0.5");
    MeasurementSheet near = sheet;
    near.setValue(0, "0.4992");
    MeasurementSheet far = sheet;
    far.setValue(0, "0.4989");
    std::string dataSet = SpecimenRecord::BuildRecordLine("B2", near);
    dataSet += kCrLf;
    dataSet += SpecimenRecord::BuildRecordLine("a1", far);
    dataSet += kCrLf;
    Comparison run;
    run(MarginalD1, dataSet, sheet);
    EXPECT_EQ(linesOf(run.list), (std::vector<std::string>{"0.001        a1", "0.001        B2"}));
}

TEST(ComparisonRun, AShortLineStopsThePassesAndOnlyReachedRecordsAreListed) {
    const std::string stopped = record("R1", 1) + "\r\n" + record("R3", 0);
    for (const Measure index : kAllCommands) {
        const std::size_t passes = index == Combined ? 2 : 1;
        // Fresh tables, and tables that hold R3's distance from a complete run.
        for (const bool earlierRun : {false, true}) {
            Comparison run;
            if (earlierRun)
                run(index, record("R1", 1) + record("R2", 2) + record("R3", 0));
            run(index, stopped);
            ASSERT_TRUE(run.summary);
            EXPECT_EQ(run.host.messages,
                      std::vector<std::string>(passes, "No data were selected."));
            ASSERT_EQ(run.list.count(), 1u) << index << " " << earlierRun;
            EXPECT_TRUE(run.list.line(0).ends_with("   R1")) << run.list.line(0);
            EXPECT_EQ(summaryLines(*run.summary).size(), 4u);
            EXPECT_EQ(run.host.captions.back(), captionFor(index));
            // A stopped central pass does not redraw; D still redraws after its second pass.
            EXPECT_EQ(run.host.redraws, index == Combined ? 1 : 0);
        }
    }
}

TEST(ComparisonRun, AnEmptyRankedListGivesASummaryOfEmptyFields) {
    for (const Measure index : kAllCommands) {
        Comparison run;
        run(index, "\r\n");
        ASSERT_TRUE(run.summary);
        EXPECT_EQ(run.list.count(), 0u);
        EXPECT_EQ(*run.summary, "\tTime-series\tMinimum\tMedian\tMaximum\r\n\t\t\t\t\r\n\r\n");
        EXPECT_EQ(run.host.messages.size(), index == Combined ? 2u : 1u);
    }
}

TEST(ComparisonRun, SummaryCutsLongCodesAndKeepsWideDistancesWhole) {
    const std::string code(120, 'x');
    // C1 = 5000 against 0.1 shifts five junctions by 4999.9: D2 = 1249975.
    MeasurementSheet big = baseSheet();
    big.setValue(16, "5000");
    std::string dataSet = record(code);
    dataSet += SpecimenRecord::BuildRecordLine("BIG", big);
    dataSet += kCrLf;
    Comparison run;
    run(CentralD2, dataSet);
    ASSERT_TRUE(run.summary);
    ASSERT_EQ(run.list.count(), 2u);
    EXPECT_EQ(run.list.line(1), "1249975.000   BIG");
    const auto lines = summaryLines(*run.summary);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "BIG\t1249975.000\t\t0.000\t1249975.000");
    EXPECT_EQ(lines[3], std::string("0.000\t") + code.substr(0, 98) + "\t 0");
    EXPECT_EQ(lines[4], "1249975.000\tBIG\t 1");
}

TEST(ComparisonRun, ListsMoreThanTenThousandRecords) {
    constexpr std::size_t kRecords = 10'005;
    std::string dataSet;
    for (std::size_t n = 1; n < kRecords; ++n)
        dataSet += record(std::string(1, 'R') + std::to_string(n));
    dataSet += record("LAST", 1, true);
    for (const Measure index : {MarginalD1, Combined}) {
        Comparison run;
        run(index, dataSet);
        ASSERT_EQ(run.list.count(), kRecords) << index;
        EXPECT_TRUE(run.list.line(kRecords - 1).ends_with("   LAST")) << index;
        EXPECT_TRUE(run.list.line(kRecords - 2).starts_with("0.000")) << index;
    }
}

// A value beyond the range of double makes a distance that cannot be computed;
// it must rank last, not read back as 0 and stand first as a perfect match.
TEST(ComparisonRun, ADistanceThatCannotBeComputedRanksLast) {
    std::string broken = record("broken");
    const std::size_t m1 = broken.find('\t') + 1;
    broken.replace(m1, broken.find('\t', m1) - m1, "1e400");
    const std::string text = broken + record("T1", 1) + record("A3", 2);
    for (Measure index : {MarginalD1, Combined}) {
        Comparison run;
        run(index, text);
        const auto lines = linesOf(run.list);
        ASSERT_EQ(lines.size(), 3U) << index;
        // D1 reads back as infinity; D multiplies it by the record's D2 of 0.
        EXPECT_EQ(lines[2].substr(0, 8), index == MarginalD1 ? "Infinity" : "NaN     ") << index;
        EXPECT_EQ(lines[2].substr(lines[2].size() - 6), "broken") << index;
    }
}

} // namespace

namespace korvex {
namespace {

// A catalogue of random standardised-looking records, a third of them with a
// code another record has, and some exact copies of earlier records.
std::string generatedCatalogue(unsigned seed, std::size_t count) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(0, 2000);
    std::vector<std::string> lines;
    for (std::size_t r = 0; r < count; ++r) {
        if (r > 2 && r % 7 == 0) {
            lines.push_back(lines[r / 2]); // a repeated line: equal distance, equal code
            continue;
        }
        std::string line = "T" + std::to_string(r % 3 == 0 ? r / 3 : r);
        for (std::size_t k = 0; k < 28; ++k)
            line += "\t" + fixedText(value(random) / 16000.0, 4);
        lines.push_back(line);
    }
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// The distance a ranked line shows, as text.
std::string shownDistance(const std::string& rankedLine) {
    return rankedLine.substr(0, ResultList::leadingNumberEnd(rankedLine));
}

// For every ranked line: the record behind it is exactly the one whose seam
// terms give the distance it shows.
TEST(RankedLineRecords, EachLineNamesTheRecordWhoseSeamTermsMakeItsDistance) {
    const std::string text = generatedCatalogue(11, 120);
    MeasurementSheet sheet;
    fillRecordValues(DataSet::splitPieces(text)[5],
                     [&](std::size_t i, std::string_view v) { sheet.setValue(i, std::string(v)); });
    const auto current = DistancePasses::parseSheet(sheet);
    for (Measure command : kAllCommands) {
        ComparisonState state;
        ResultList list;
        FakeHost host;
        ASSERT_TRUE(comp_Click(command, sheet, text, state, list, host));
        ASSERT_EQ(list.count(), 120u);
        std::vector<bool> seen(121, false);
        for (std::size_t p = 0; p < list.count(); ++p) {
            const auto record = recordOfRankedLine(state, list, p);
            ASSERT_TRUE(record && *record >= 1 && *record <= 120) << p;
            EXPECT_FALSE(seen[*record]) << "record " << *record << " listed twice";
            seen[*record] = true;
            const std::string& line = state.recordLines[*record - 1];
            EXPECT_EQ(list.line(p).substr(13), SpecimenRecord::codeOf(line));

            const auto terms =
                DistancePasses::seamTerms(current, DistancePasses::parseRecord(line));
            double d1 = 0.0, d2 = 0.0;
            for (double t : terms.marginal)
                d1 += t;
            for (double t : terms.central)
                d2 += t;
            EXPECT_EQ(d1, terms.d1);
            EXPECT_EQ(fixedText(d2, DistancePasses::kD2Decimals),
                      fixedText(terms.d2, DistancePasses::kD2Decimals));
            const double carried1 = DistancePasses::carried(d1, DistancePasses::kD1Decimals);
            const double carried2 = DistancePasses::carried(d2, DistancePasses::kD2Decimals);
            const std::string expected =
                command == MarginalD1 ? fixedText(carried1, kRankedDecimals)
                : command == CentralD2
                    ? fixedText(carried2, kRankedDecimals)
                    : fixedText(std::sqrt(carried2 * carried1), kCombinedDecimals);
            EXPECT_EQ(shownDistance(list.line(p)), expected) << list.line(p);
        }
    }
}

TEST(RankedLineRecords, OnlyTheListTheRunLeftHasThem) {
    // The third line is too short for a pass: records after it are not listed.
    const std::string text = record("b") + record("a", 1) + "short\t1\r\n" + record("a", 1);
    MeasurementSheet sheet = baseSheet();
    ComparisonState state;
    ResultList list;
    FakeHost host;
    comp_Click(MarginalD1, sheet, text, state, list, host);
    ASSERT_EQ(list.count(), 2u);
    EXPECT_EQ(recordOfRankedLine(state, list, 0), std::optional<std::size_t>(1));
    EXPECT_EQ(recordOfRankedLine(state, list, 1), std::optional<std::size_t>(2));
    EXPECT_EQ(recordOfRankedLine(state, list, 2), std::nullopt);

    list.clear(ResultList::Order::Text); // as Select Record refills it
    list.add("a");
    list.add("b");
    EXPECT_EQ(recordOfRankedLine(state, list, 0), std::nullopt);
    state.takeRecords(text, ComparisonState::Tables::Reset); // as "auto" does
    EXPECT_EQ(state.rankedBy, std::nullopt);
}

} // namespace
} // namespace korvex
