#include "analysis/Repeatability.h"

#include "CatalogueFixtures.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace korvex {
namespace {

// A record line whose seams are all 0.1 but M1, M3 and C1.
std::string line(const std::string& code, const std::string& m1, const std::string& m3 = "0.1",
                 const std::string& c1 = "0.1") {
    std::string out = code;
    for (std::size_t k = 0; k < 28; ++k)
        out += '\t' + (k == 0 ? m1 : k == 2 ? m3 : k == 16 ? c1 : std::string("0.1"));
    return out;
}

struct RepeatRun {
    std::string dataSet;
    std::string repeatsText;
    std::vector<std::string> operators;
    std::vector<std::string> problems;
    std::optional<Catalogue> catalogue;

    Repeatability run(const Individuals& individuals = {}) {
        catalogue = Catalogue::read(dataSet, individuals);
        const auto repeats = Repeatability::readRepeats(repeatsText, problems,
                                                        operators.empty() ? nullptr : &operators);
        return Repeatability::run(*catalogue, repeats);
    }
};

std::vector<std::string> reportLines(const std::string& report) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(report.substr(start, end - start));
    EXPECT_EQ(start, report.size()) << "every line ends with CR LF";
    return lines;
}

// Worked by hand: record 1 measured 0.1, 0.2, 0.3 and record 2 0.5, 0.7 on M1
// (k = 3 and 2, n = 2, N = 5). Means 0.2 and 0.6, grand mean 0.36;
// SSW = 0.02 + 0.02, MSW = 0.04 / 3 = 1/75; SSB = 3 (0.16)^2 + 2 (0.24)^2 =
// 0.192 = MSB; k0 = 5 - 13/5 = 2.4; repeatability = (0.192 - 1/75) /
// (0.192 + 1.4/75) = 13.4 / 15.8 = 0.84810; sd-within = sqrt(1/75) = 0.11547.
// M2 has no spread at all: its repeatability has a zero denominator. M3 has
// spread within records only (0.1 and 0.3 for both): MSB = 0 gives -1/(k0-1).
TEST(Repeatability, TwoRecordsWithUnequalRepeatCountsAsWorkedByHand) {
    RepeatRun r;
    r.dataSet = line("A", "0.1", "0.1") + "\r\n" + line("B", "0.5", "0.1") + "\r\n" +
                line("C", "0.9") + "\r\n";
    r.repeatsText = "1\t" + line("x", "0.2", "0.3") + "\r\n" + "2\t" + line("", "0.7", "0.3") +
                    "\n\n1\t" + line("A", "0.3", "0.2") + "\r\n";
    const auto result = r.run();
    EXPECT_TRUE(r.problems.empty());
    const auto lines = reportLines(result.report());
    ASSERT_EQ(lines.size(), 1u + 28u + 3u);
    EXPECT_EQ(lines[0], "measured\t2\t5");
    EXPECT_EQ(lines[1], "M1\t0.3600\t0.1155\t0.8481");
    EXPECT_EQ(lines[2], "M2\t0.1000\t0.0000\t");
    // M3: record 1 has 0.1, 0.3, 0.2 (mean 0.2), record 2 has 0.1, 0.3 (mean 0.2).
    // SSW = 0.02 + 0.02, MSW = 1/75, MSB = 0: (0 - 1/75) / (0 + 1.4/75) = -0.714286.
    EXPECT_EQ(lines[3], "M3\t0.2000\t0.1155\t-0.7143");
    EXPECT_EQ(lines[17], "C1\t0.1000\t0.0000\t");
    EXPECT_EQ(lines[28], "C12\t0.1000\t0.0000\t");
    EXPECT_EQ(lines[29].substr(0, 9), "repeat-D\t");
    EXPECT_TRUE(lines[29].ends_with("\t3"));
    EXPECT_TRUE(lines[30].starts_with("nearest-other-D\t"));
    EXPECT_TRUE(lines[30].ends_with("\t2"));
    EXPECT_TRUE(lines[31].starts_with("ratio"));
    EXPECT_EQ(result.unmatched, 0u);
}

TEST(Repeatability, FiguresThatCannotBeComputedAreEmpty) {
    struct Case {
        const char* name;
        std::string repeats;
        std::string measured;
        std::string m1; // the M1 line
    };
    const std::string a = line("A", "0.1");
    const std::string b = line("B", "0.5");
    const Case cases[] = {
        // One record measured again: no spread between records to speak of,
        // but the spread within it is there: 0.1, 0.3 gives MSW = 0.02.
        {"one record", "2\t" + line("", "0.7"), "measured\t1\t2", "M1\t0.6000\t0.1414\t"},
        // No repeat at all: only the counts.
        {"no repeat", "", "measured\t0\t0", "M1\t\t\t"},
    };
    for (const Case& c : cases) {
        RepeatRun r;
        r.dataSet = a + "\r\n" + b + "\r\n";
        r.repeatsText = c.repeats;
        const auto lines = reportLines(r.run().report());
        ASSERT_GE(lines.size(), 32u) << c.name;
        EXPECT_EQ(lines[0], c.measured) << c.name;
        EXPECT_EQ(lines[1], c.m1) << c.name;
        if (c.repeats.empty()) {
            EXPECT_EQ(lines[29], "repeat-D\t\t\t0");
            EXPECT_EQ(lines[30], "nearest-other-D\t\t\t0");
            EXPECT_EQ(lines[31], "ratio\t");
        }
    }
}

// A distance that cannot be computed (a value read as infinite) ranks as
// +infinity; a quotient with it is no ratio a user could quote.
TEST(Repeatability, NoRatioFromADistanceThatCannotBeComputed) {
    struct Case {
        const char* what;
        std::string original; // M1 of record 1, measured again at 0.2
        std::string other;    // M1 of record 2, another animal
        const char* m1;       // the report's M1 line
    };
    const Case cases[] = {
        {"the other animal", "0.1", "1e400", "M1\t0.1500\t0.0707\t"},
        // Figures of an infinite value cannot be computed: empty, not NaN.
        {"the record itself", "1e400", "0.5", "M1\t\t\t"},
    };
    for (const Case& c : cases) {
        RepeatRun r;
        r.dataSet = line("A", c.original) + "\r\n" + line("B", c.other) + "\r\n";
        r.repeatsText = "1\t" + line("", "0.2") + "\r\n";
        const auto result = r.run();
        ASSERT_EQ(result.overall.measured, 1u) << c.what;
        EXPECT_FALSE(result.ratio) << c.what << ": " << *result.ratio;
        const auto lines = reportLines(result.report());
        ASSERT_EQ(lines.size(), 32u) << c.what;
        EXPECT_EQ(lines[31], "ratio\t") << c.what;
        EXPECT_EQ(lines[1], c.m1) << c.what;
        EXPECT_EQ(lines[2], "M2\t0.1000\t0.0000\t") << c.what;
        EXPECT_EQ(result.sentence().find("times farther"), std::string::npos) << c.what;
    }
}

TEST(Repeatability, ValuesAreReadAsTheComparisonReadsThem) {
    // The leading number of the field, marginal seams to 4 decimals and
    // central ones to 5: these repeats are the original as compared.
    RepeatRun r;
    r.dataSet = line("A", "0.1235", "0.1", "0.12346") + "\r\n" + line("B", "0.5") + "\r\n";
    r.repeatsText = "1\t" + line("", "0.12345mm", "0.1 ", "0.123456") + "\r\n1\t" +
                    line("", "0.12349", "0.10001", "0.1234551") + "\r\n";
    const auto result = r.run();
    for (std::size_t s = 0; s < Repeatability::kSeamCount; ++s)
        EXPECT_EQ(result.overall.seams[s].sdWithin, 0.0) << SpecimenRecord::seamName(s);
    EXPECT_EQ(result.overall.repeatD.sorted, (std::vector<double>{0.0, 0.0}));
}

TEST(Repeatability, MedianAndP95) {
    struct Case {
        std::vector<double> sorted;
        std::optional<double> median;
        std::optional<double> p95;
    };
    std::vector<double> twenty(20);
    for (std::size_t i = 0; i < 20; ++i)
        twenty[i] = static_cast<double>(i + 1);
    const Case cases[] = {
        {{}, std::nullopt, std::nullopt},
        {{0.3}, 0.3, 0.3},
        {{1, 2, 3, 4}, 2.5, 4},
        {{1, 2, 7}, 2, 7},
        // ceil(0.95 * 20) = 19 exactly, although 0.95 * 20 as doubles is not 19.
        {twenty, 10.5, 19},
        {std::vector<double>(twenty.begin(), twenty.begin() + 19), 10, 19},
    };
    for (const Case& c : cases) {
        Repeatability::Spread spread{c.sorted};
        EXPECT_EQ(spread.median(), c.median) << c.sorted.size();
        EXPECT_EQ(spread.p95(), c.p95) << c.sorted.size();
    }
}

TEST(Repeatability, BadRepeatLinesAreLeftOutWithTheirLineNumber) {
    RepeatRun r;
    r.dataSet = line("A", "0.1") + "\r\n" + "short\t0.1\r\n" + line("B", "0.5") + "\r\n";
    r.repeatsText = std::string("x\t") + line("", "0.2") + "\r\n" + // no record number
                    "0\t" + line("", "0.2") + "\r\n" +              // numbers start at 1
                    "1 " + line("", "0.2") + "\r\n" +               // no TAB after it
                    "1\tA\t0.2\t0.1\r\n" +                          // too few fields
                    "2\t" + line("", "0.2") + "\r\n" +              // record 2 is no record
                    "9\t" + line("", "0.2") + "\r\n" +              // beyond the data set
                    "3\t" + line("", "0.6") + "\r\n";
    const auto result = r.run();
    ASSERT_EQ(r.problems.size(), 4u);
    EXPECT_TRUE(r.problems[0].starts_with("line 1: "));
    EXPECT_TRUE(r.problems[3].starts_with("line 4: "));
    EXPECT_NE(r.problems[3].find("3 fields"), std::string::npos) << r.problems[3];
    EXPECT_EQ(result.unmatched, 2u);
    EXPECT_EQ(result.overall.measured, 1u);
    EXPECT_EQ(result.overall.measurements, 2u);
}

// The distances are those of real comparison runs: each original on the
// sheet, compared with its repeat or with each record of another animal as
// the only record of the data set.
TEST(Repeatability, DistancesAgreeWithComparisonRuns) {
    const auto generated = test::generateCatalogue(11, 30);
    std::string error;
    const auto individuals = Individuals::withPattern("^[A-Za-z]+[0-9]+", error);
    ASSERT_TRUE(individuals);
    const Catalogue catalogue = Catalogue::read(generated.text, *individuals);
    std::mt19937 random(5);
    std::string repeatsText;
    std::vector<std::size_t> measured;
    std::vector<std::string> repeatLines;
    for (std::size_t i = 0; i < catalogue.records.size(); i += 3) {
        const auto& rec = catalogue.records[i];
        measured.push_back(i);
        // The record again, each value nudged a little.
        std::string repeat = "again";
        std::string_view rest = rec.line.substr(rec.line.find('\t') + 1);
        for (std::size_t k = 0; k < 28; ++k) {
            const std::size_t tab = rest.find('\t');
            const double v = readNumber(rest.substr(0, tab));
            const int step = std::uniform_int_distribution<int>(-2, 2)(random);
            repeat += '\t' + fixedText(v * (1.0 + 0.01 * step), 5);
            rest = tab == std::string_view::npos ? std::string_view() : rest.substr(tab + 1);
        }
        repeatsText += std::to_string(rec.recordNumber) + '\t' + repeat + "\r\n";
        repeatLines.push_back(repeat);
    }
    std::vector<std::string> problems;
    const auto repeats = Repeatability::readRepeats(repeatsText, problems);
    ASSERT_TRUE(problems.empty());
    const auto result = Repeatability::run(catalogue, repeats);

    std::vector<double> repeatD, nearest;
    for (std::size_t m = 0; m < measured.size(); ++m) {
        const auto& rec = catalogue.records[measured[m]];
        repeatD.push_back(test::comparedDistance(rec.line, repeatLines[m], Measure::D));
        double best = HUGE_VAL;
        for (const auto& other : catalogue.records)
            if (other.individual != rec.individual)
                best = std::min(best, test::comparedDistance(rec.line, other.line, Measure::D));
        nearest.push_back(best);
    }
    std::sort(repeatD.begin(), repeatD.end());
    std::sort(nearest.begin(), nearest.end());
    EXPECT_EQ(result.overall.repeatD.sorted, repeatD);
    EXPECT_EQ(result.nearestOtherD.sorted, nearest);
    ASSERT_TRUE(result.ratio);
    EXPECT_DOUBLE_EQ(*result.ratio,
                     *result.overall.repeatD.median() / *result.nearestOtherD.median());
}

TEST(Repeatability, TheSentenceAUserCanQuote) {
    struct Case {
        std::vector<double> moved;
        std::vector<double> other;
        const char* sentence;
    };
    const Case cases[] = {
        {{0.2, 0.22},
         {1.87},
         "Re-digitising moved a record by a median D of 0.21; the nearest other animal lies at "
         "a median D of 1.87: 9 times farther."},
        {{0.5},
         {0.2},
         "Re-digitising moved a record by a median D of 0.50; the nearest other animal lies at "
         "a median D of 0.20: 0.4 times farther."},
        {{0.0},
         {1.0},
         "Re-digitising moved a record by a median D of 0.00; the nearest other animal lies at "
         "a median D of 1.00."},
        {{}, {1.0}, ""},
        {{0.1}, {}, ""},
        // +infinity: distances that could not be computed give no quotient.
        {{HUGE_VAL},
         {1.0},
         "Re-digitising moved a record by a median D of Infinity; the nearest other animal "
         "lies at a median D of 1.00."},
        {{0.5},
         {HUGE_VAL},
         "Re-digitising moved a record by a median D of 0.50; the nearest other animal lies at "
         "a median D of Infinity."},
    };
    for (const Case& c : cases) {
        Repeatability r;
        r.overall.repeatD.sorted = c.moved;
        r.nearestOtherD.sorted = c.other;
        EXPECT_EQ(r.sentence(), c.sentence);
    }
}

// Operators: A measured records 1 and 2 again, B record 1 twice; a repeat
// without a name counts overall only.
TEST(Repeatability, PerOperatorTablesAndTheBiasBetweenThem) {
    RepeatRun r;
    r.dataSet = line("A", "0.1") + "\r\n" + line("B", "0.5") + "\r\n";
    r.repeatsText = "1\t" + line("", "0.2") + "\r\n" + // ann
                    "2\t" + line("", "0.6") + "\r\n" + // ann
                    "1\t" + line("", "0.3") + "\r\n" + // bo
                    "1\t" + line("", "0.5") + "\r\n" + // bo
                    "2\t" + line("", "0.9") + "\r\n";  // not known
    r.operators = {"ann", "ann", "bo", "bo", ""};
    const auto result = r.run();
    EXPECT_EQ(result.overall.measurements, 7u);
    ASSERT_EQ(result.operators.size(), 2u);
    EXPECT_EQ(result.operators[0].name, "ann");
    EXPECT_EQ(result.operators[0].table.measured, 2u);
    EXPECT_EQ(result.operators[0].table.measurements, 4u);
    EXPECT_EQ(result.operators[1].name, "bo");
    EXPECT_EQ(result.operators[1].table.measured, 1u);
    EXPECT_EQ(result.operators[1].table.measurements, 3u);
    // bo's M1 of record 1: 0.1, 0.3, 0.5: mean 0.3, MSW = 0.08 / 2.
    EXPECT_EQ(result.operators[1].table.seams[0].sdWithin.has_value(), true);
    EXPECT_NEAR(*result.operators[1].table.seams[0].sdWithin, 0.2, 1e-12);
    ASSERT_EQ(result.biases.size(), 1u);
    // Record 1 only: ann 0.2, bo's mean 0.4.
    EXPECT_EQ(result.biases[0].records, 1u);
    EXPECT_NEAR(result.biases[0].meanDifference[0], -0.2, 1e-12);
    EXPECT_EQ(result.biases[0].meanDifference[1], 0.0);

    const auto lines = reportLines(result.report());
    ASSERT_EQ(lines.size(), 32u + 2 * (1 + 1 + 28 + 1) + (1 + 1 + 28));
    EXPECT_EQ(lines[32], "");
    EXPECT_EQ(lines[33], "operator\tann\t2\t4");
    EXPECT_TRUE(lines[62].starts_with("repeat-D\t"));
    EXPECT_EQ(lines[64], "operator\tbo\t1\t3");
    EXPECT_EQ(lines[94], "");
    EXPECT_EQ(lines[95], "bias\tann\tbo\t1");
    EXPECT_EQ(lines[96], "M1\t-0.2000");
    EXPECT_EQ(lines[97], "M2\t0.0000");
}

} // namespace
} // namespace korvex
