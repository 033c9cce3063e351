#include "analysis/CatalogueAudit.h"

#include "CatalogueFixtures.h"
#include "analysis/Catalogue.h"
#include "analysis/DistanceHistogram.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

using namespace korvex;

namespace {

// A standardised record: every marginal value 0.125 but M1 and M2, every
// central value 0.1667 (they add up to 1.0002, which is 1 at three decimals).
std::string standardised(const std::string& code, const char* m1 = "0.125",
                         const char* m2 = "0.125") {
    std::string line = code + "\t" + m1 + "\t" + m2;
    for (int k = 2; k < 16; ++k)
        line += "\t0.125";
    for (int k = 0; k < 12; ++k)
        line += "\t0.1667";
    return line;
}

CatalogueAudit audit(const std::string& text, CatalogueAudit::Options options,
                     const std::string& pattern = "") {
    std::string error;
    const auto individuals = Individuals::withPattern(pattern, error);
    EXPECT_TRUE(individuals) << error;
    const Catalogue catalogue = Catalogue::read(text, *individuals);
    auto result = CatalogueAudit::run(catalogue, options);
    EXPECT_TRUE(result);
    return *result;
}

TEST(CatalogueAudit, ReportsEveryKindOfFindingInItsOrder) {
    // From the plain record S, V lies 0.202 by D1, W 0.659; V and W 0.476.
    const std::string s = standardised("T1");
    std::string raw = "raw";
    for (int k = 0; k < 16; ++k)
        raw += "\t500";
    for (int k = 0; k < 12; ++k)
        raw += "\t0.1667";
    const std::string text = s + "\r\n" + standardised("t1 ", "0.05", "0.2") + "\r\n" +
                             standardised("T2", "0.100", "0.150") + "\r\n" + standardised("") +
                             "\r\n" + s + "\r\n" + raw + "\r\n" + "\r\n" + "cut\t0.1\r\n";
    CatalogueAudit::Options options;
    options.kind = Measure::D1;
    options.threshold = 0.5;
    EXPECT_EQ(audit(text, options).report(), "threshold\t0.5\tgiven\r\n"
                                             "duplicate-line\t1\tT1\t5\tT1\r\n"
                                             "close\t1\tT1\t4\t\t0.000\r\n"
                                             "close\t4\t\t5\tT1\t0.000\r\n"
                                             "close\t1\tT1\t3\tT2\t0.202\r\n"
                                             "close\t3\tT2\t4\t\t0.202\r\n"
                                             "close\t3\tT2\t5\tT1\t0.202\r\n"
                                             "close\t2\tt1 \t3\tT2\t0.476\r\n"
                                             "far\t2\tt1 \t1\tT1\t0.659\r\n"
                                             "not-standardised\t6\traw\tM1-M8\t4000\r\n"
                                             "not-standardised\t6\traw\tM9-M16\t4000\r\n"
                                             "short\t7\t\t1\r\n"
                                             "short\t8\tcut\t2\r\n"
                                             "empty-code\t4\r\n");
    options.threshold.reset();
    const auto learnt = audit(text, options);
    EXPECT_EQ(learnt.source, CatalogueAudit::ThresholdSource::EqualError);
    EXPECT_TRUE(learnt.report().starts_with("threshold\t0.659\tequal-error point of the D1 "))
        << learnt.report();
}

TEST(CatalogueAudit, WithoutAnAnimalOfTwoRecordsOnlyEqualValuesAreClose) {
    const std::string text = standardised("A") + "\r\n" + standardised("B") + "\r\n" +
                             standardised("C", "0.100", "0.150") + "\r\n";
    CatalogueAudit::Options options;
    options.kind = Measure::D1;
    const auto result = audit(text, options);
    EXPECT_EQ(result.report(), "threshold\t0.000\tfixed default: no individual has two records\r\n"
                               "close\t1\tA\t2\tB\t0.000\r\n");
}

TEST(CatalogueAudit, ManyClosePairsAreAllFoundInOrder) {
    // Fifty animals of two records each, all with the same values: every pair
    // of two animals is close, more than the learning pass keeps at hand.
    std::string text;
    for (int a = 0; a < 50; ++a)
        for (int copy = 0; copy < 2; ++copy)
            text += standardised("A" + std::to_string(a)) + "\r\n";
    const auto result = audit(text, {});
    EXPECT_EQ(result.threshold, 0.0);
    std::vector<std::pair<std::size_t, std::size_t>> close;
    for (const auto& f : result.findings)
        if (f.type == CatalogueAudit::Type::Close)
            close.emplace_back(f.record, f.record2);
    ASSERT_EQ(close.size(), 100u * 99 / 2 - 50);
    EXPECT_TRUE(std::is_sorted(close.begin(), close.end()));
    EXPECT_EQ(close.front(), (std::pair<std::size_t, std::size_t>{1, 3}));
}

// A value such as "0,0612" reads as the digits before the comma, so every
// distance to its record is wrong; only such a value is a finding, once per
// record, naming its first one. Field 0 may hold any comma.
TEST(CatalogueAudit, AValueWithADecimalCommaIsAFindingOfItsRecord) {
    const struct {
        const char* text;
        std::size_t field;   // in the record line: 0 the code, 1..28 the values
        const char* finding; // the seam and the value named; nothing: no finding
    } cases[] = {
        {"0,0612", 3, "M3\t0,0612"},
        {"-1,5", 1, "M1\t-1,5"},
        {" 12,5", 16, "M16\t 12,5"},
        {"1.234,5", 17, "C1\t1.234,5"},
        {"1e-3,5", 28, "C12\t1e-3,5"},
        {"1 2,5", 9, "M9\t1 2,5"}, // blanks are skipped in the number
        {"0.125", 3, nullptr},
        {",5", 3, "M3\t,5"}, // no digit before the comma, read as 0 all the same
        {"-,5", 3, "M3\t-,5"},
        {"a,5", 3, nullptr},
        {"1,", 3, nullptr}, // no digit after it
        {"1, 5", 3, nullptr},
        {"1,x", 3, nullptr},
        {"1.2.3,4", 3, nullptr}, // the number ends at the second point
        {"1x,5", 3, nullptr},
        {"1e,5", 3, nullptr}, // the number ends before the e
        {"T,1", 0, nullptr},  // a code
        {"0,5", 29, nullptr}, // a field after the values
    };
    for (const auto& c : cases) {
        const std::string plain = standardised("ok") + "\t";
        const auto fields = SpecimenRecord::splitFields(plain);
        std::vector<std::string> line(fields.begin(), fields.end());
        line[c.field] = c.text;
        std::string text = standardised("A") + "\r\n";
        for (std::size_t f = 0; f < line.size(); ++f)
            text += (f == 0 ? "" : "\t") + line[f];
        text += "\r\n";
        std::vector<std::string> found;
        const auto result = audit(text, {});
        for (const auto& f : result.findings)
            if (f.type == CatalogueAudit::Type::DecimalComma)
                found.push_back(result.line(f));
        if (c.finding)
            EXPECT_EQ(found,
                      std::vector<std::string>{"decimal-comma\t2\tok\t" + std::string(c.finding)})
                << c.text;
        else
            EXPECT_TRUE(found.empty()) << c.text << ": " << found.front();
    }

    // One line per record, its first such value; before the sums it upsets.
    std::string line = standardised("T2", "0.125", "0,25");
    line.replace(line.rfind("0.1667"), 6, "0,1667");
    const std::string text =
        standardised("T1") + "\r\n" + line + "\r\n" + standardised("T,3", "0,5") + "\r\n";
    CatalogueAudit::Options options;
    options.kind = Measure::D1; // the marginal values differ: no pair is close
    options.threshold = 0.0;
    EXPECT_EQ(audit(text, options).report(), "threshold\t0\tgiven\r\n"
                                             "decimal-comma\t2\tT2\tM2\t0,25\r\n"
                                             "decimal-comma\t3\tT,3\tM1\t0,5\r\n"
                                             "not-standardised\t2\tT2\tM1-M8\t0.875\r\n"
                                             "not-standardised\t2\tT2\tC7-C12\t0.8335\r\n"
                                             "not-standardised\t3\tT,3\tM1-M8\t0.875\r\n");
}

// Shown distances of every ordered pair, from comparison runs.
struct BruteForce {
    std::vector<std::string> lines, animals;
    std::vector<std::size_t> numbers;
    std::vector<std::vector<double>> d;
};

BruteForce bruteForce(const test::GeneratedCatalogue& catalogue, const Individuals& individuals,
                      Measure kind) {
    BruteForce b;
    for (std::size_t p = 0; p < catalogue.pieces.size(); ++p) {
        const auto& piece = catalogue.pieces[p];
        if (SpecimenRecord::splitFields(piece).size() < 29)
            continue;
        b.lines.push_back(piece);
        b.numbers.push_back(p + 1);
        b.animals.push_back(individuals.individualOf(SpecimenRecord::codeOf(piece)));
    }
    const std::size_t n = b.lines.size();
    b.d.assign(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j)
            if (i != j)
                b.d[i][j] = test::comparedDistance(b.lines[i], b.lines[j], kind);
    return b;
}

// The threshold among all distances that makes the larger error share least.
double equalErrorThreshold(const BruteForce& b) {
    std::vector<double> same, different;
    std::set<double> candidates = {0.0};
    for (std::size_t i = 0; i < b.lines.size(); ++i) {
        for (std::size_t j = i + 1; j < b.lines.size(); ++j) {
            (b.animals[i] == b.animals[j] ? same : different).push_back(b.d[i][j]);
            candidates.insert(b.d[i][j]);
        }
    }
    double best = 0.0, bestRate = 2.0;
    for (const double t : candidates) {
        const auto within = [t](const std::vector<double>& v) {
            return static_cast<double>(
                std::count_if(v.begin(), v.end(), [t](double x) { return x <= t; }));
        };
        const double falseMatch =
            different.empty() ? 0.0 : within(different) / static_cast<double>(different.size());
        const double falseNonMatch = 1.0 - within(same) / static_cast<double>(same.size());
        const double rate = std::max(falseMatch, falseNonMatch);
        if (rate < bestRate) {
            bestRate = rate;
            best = t;
        }
    }
    return best;
}

TEST(CatalogueAudit, AgreesWithABruteForceOverComparisonRuns) {
    using Type = CatalogueAudit::Type;
    const struct {
        unsigned seed;
        std::size_t animals;
        const char* pattern;
        Measure kind;
        double threshold; // negative: learnt
    } cases[] = {
        {5, 12, "", Measure::D, -1},
        {16, 12, "^[A-Za-z]+[0-9]+", Measure::D1, -1},
        {7, 10, "([0-9]+)", Measure::D2, -1},
        {8, 10, "", Measure::D, 0.05},
    };
    for (const auto& c : cases) {
        const auto catalogue = test::generateCatalogue(c.seed, c.animals);
        std::string error;
        const auto individuals = *Individuals::withPattern(c.pattern, error);
        const auto b = bruteForce(catalogue, individuals, c.kind);
        const double threshold = c.threshold >= 0 ? c.threshold : equalErrorThreshold(b);

        using Pair = std::tuple<double, std::size_t, std::size_t>;
        std::vector<Pair> close, far;
        for (std::size_t i = 0; i < b.lines.size(); ++i) {
            Pair nearest{HUGE_VAL, 0, 0};
            for (std::size_t j = 0; j < b.lines.size(); ++j) {
                if (i == j)
                    continue;
                if (b.animals[i] != b.animals[j]) {
                    if (i < j && b.d[i][j] <= threshold)
                        close.emplace_back(b.d[i][j], b.numbers[i], b.numbers[j]);
                } else if (std::get<2>(nearest) == 0 || b.d[i][j] < std::get<0>(nearest)) {
                    nearest = {b.d[i][j], b.numbers[i], b.numbers[j]};
                }
            }
            if (std::get<2>(nearest) != 0 && std::get<0>(nearest) > threshold)
                far.push_back(nearest);
        }
        std::sort(close.begin(), close.end());

        CatalogueAudit::Options options;
        options.kind = c.kind;
        if (c.threshold >= 0)
            options.threshold = c.threshold;
        const auto result = audit(catalogue.text, options, c.pattern);
        EXPECT_EQ(result.threshold, threshold) << "seed " << c.seed;
        std::vector<Pair> foundClose, foundFar;
        for (const auto& f : result.findings) {
            if (f.type == Type::Close)
                foundClose.emplace_back(f.distance, f.record, f.record2);
            if (f.type == Type::Far)
                foundFar.emplace_back(f.distance, f.record, f.record2);
        }
        EXPECT_EQ(foundClose, close) << "seed " << c.seed;
        EXPECT_EQ(foundFar, far) << "seed " << c.seed;
        EXPECT_FALSE(close.empty() && far.empty())
            << "a case that checks nothing, seed " << c.seed << " threshold " << threshold;
    }
}

} // namespace

namespace {

// Large enough for the sweeps to spread over the cores and for the learning
// pass to bound its pairs: threshold and close pairs must be those of a plain
// count over every pair.
TEST(CatalogueAudit, ManyRecordsOnEveryCoreGiveThePlainFindings) {
    const auto generated = test::generateCatalogue(22, 110);
    const Catalogue catalogue = Catalogue::read(generated.text, Individuals());
    const auto& records = catalogue.records;
    ASSERT_GT(records.size() * (records.size() - 1) / 2, 20'000u);
    DistanceHistogram same(Measure::D), different(Measure::D);
    std::vector<std::tuple<double, std::size_t, std::size_t>> pairs;
    for (std::size_t i = 0; i < records.size(); ++i) {
        for (std::size_t j = i + 1; j < records.size(); ++j) {
            const double d =
                PairDistances::between(records[i].values, records[j].values, Measure::D);
            const bool own = records[i].individual == records[j].individual;
            (own ? same : different).add(d);
            if (!own)
                pairs.emplace_back(d, records[i].recordNumber, records[j].recordNumber);
        }
    }
    const double threshold = same.valueOf(*equalErrorBin(same, different));
    std::erase_if(pairs, [&](const auto& p) { return std::get<0>(p) > threshold; });
    std::sort(pairs.begin(), pairs.end());

    const auto result = CatalogueAudit::run(catalogue, {});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->threshold, threshold);
    decltype(pairs) found;
    for (const auto& f : result->findings)
        if (f.type == CatalogueAudit::Type::Close)
            found.emplace_back(f.distance, f.record, f.record2);
    EXPECT_EQ(found, pairs);
    EXPECT_FALSE(pairs.empty());
}

} // namespace
