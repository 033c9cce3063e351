#include "analysis/MatchEvaluation.h"

#include "CatalogueFixtures.h"
#include "analysis/Catalogue.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace korvex;

namespace {

// A record whose marginal values are an even share except 0 at the positions
// given, and whose central values are all equal: from another such record its
// D1 is the number of positions where just one of them is 0, its D2 is 0.
std::string zeroed(const std::string& code, std::initializer_list<int> zeros) {
    std::string line = code;
    for (int k = 0; k < 28; ++k) {
        bool zero = false;
        for (const int z : zeros)
            zero = zero || z == k;
        line += zero ? "\t0" : k < 16 ? "\t0.0625" : "\t0.1667";
    }
    return line + "\r\n";
}

// Evaluates with and without the histograms: the ranks must not depend on
// whether every distance is computed or most pairs are screened out.
MatchEvaluation evaluate(const std::string& text, const std::string& pattern = "") {
    std::string error;
    const auto individuals = Individuals::withPattern(pattern, error);
    EXPECT_TRUE(individuals) << error;
    const Catalogue catalogue = Catalogue::read(text, *individuals);
    auto result = MatchEvaluation::run(catalogue, true);
    const auto screened = MatchEvaluation::run(catalogue, false);
    EXPECT_TRUE(result && screened);
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ(result->byDistance[k].ranks, screened->byDistance[k].ranks);
    EXPECT_EQ(result->report(), screened->report());
    return *result;
}

TEST(MatchEvaluation, TiesCountAgainstTheMethod) {
    // A and a (one animal, D1 2 apart); from A, B is as far as a and C nearer.
    const std::string text = zeroed("A", {}) + zeroed("a", {0, 1}) + zeroed("B", {2, 3}) +
                             zeroed("C", {4}) + zeroed("E", {5, 6, 7});
    const auto result = evaluate(text);
    const auto& d1 = result.of(Measure::D1);
    EXPECT_EQ(d1.ranks, (std::vector<std::size_t>{3, 1, 0, 0, 0}));
    EXPECT_EQ(d1.queries, 2u);
    EXPECT_EQ(d1.topRate(1), 0.5);
    EXPECT_EQ(d1.topRate(3), 1.0);
    EXPECT_DOUBLE_EQ(d1.meanReciprocalRank(), (1.0 / 3 + 1.0) / 2);
    // Every D2 is 0, so every other animal ties with the own record, and D
    // (the root of D1 x 0) ties too.
    for (const Measure kind : {Measure::D2, Measure::D})
        EXPECT_EQ(result.of(kind).ranks, (std::vector<std::size_t>{4, 4, 0, 0, 0}));

    EXPECT_TRUE(result.report().starts_with("distance\tqueries\ttop1\ttop5\ttop10\ttop20\tmrr\r\n"
                                            "D1\t2\t0.5000\t1.0000\t1.0000\t1.0000\t0.6667\r\n"
                                            "D2\t2\t0.0000\t1.0000\t1.0000\t1.0000\t0.2500\r\n"
                                            "D\t2\t0.0000\t1.0000\t1.0000\t1.0000\t0.2500\r\n"
                                            "\r\n"
                                            "rank\tD1\tD2\tD\r\n"
                                            "1\t0.5000\t0.0000\t0.0000\r\n"
                                            "2\t0.5000\t0.0000\t0.0000\r\n"
                                            "3\t1.0000\t0.0000\t0.0000\r\n"
                                            "4\t1.0000\t1.0000\t1.0000\r\n"))
        << result.report();
    EXPECT_TRUE(result.report().ends_with("50\t1.0000\t1.0000\t1.0000\r\n\r\nskipped\t0\r\n"));
}

TEST(MatchEvaluation, TheNearestOwnRecordSetsTheRank) {
    // Three records of A: the nearer own record counts. For the second, C
    // ties with it (D1 1); for the third, C (2) is nearer than its own (3).
    const std::string text =
        zeroed("A", {}) + zeroed("A", {0}) + zeroed("A", {0, 1, 2, 3}) + zeroed("C", {0, 1});
    const auto result = evaluate(text);
    EXPECT_EQ(result.of(Measure::D1).ranks, (std::vector<std::size_t>{1, 2, 2, 0}));
}

// A distance that cannot be computed shows as "NaN", which the list ranks
// after every number: a query whose own record is that far meets every other
// animal first, and a candidate that far never comes before its own record.
TEST(MatchEvaluation, ADistanceThatCannotBeComputedRanksLast) {
    std::string unreadable = zeroed("X", {});
    unreadable.replace(unreadable.find("\t0.0625"), 7, "\t1e999"); // M1 beyond any double
    const std::string text = zeroed("A", {}) + zeroed("A", {0, 1}) + unreadable +
                             zeroed("X", {}) + zeroed("B", {2});
    const auto result = evaluate(text);
    EXPECT_EQ(result.of(Measure::D1).ranks, (std::vector<std::size_t>{3, 2, 4, 4, 0}));
    EXPECT_EQ(result.of(Measure::D2).ranks, (std::vector<std::size_t>{4, 4, 4, 4, 0}));
    // D is the root of D1 x D2: "NaN" wherever D1 is.
    EXPECT_EQ(result.of(Measure::D).ranks, (std::vector<std::size_t>{3, 3, 4, 4, 0}));
}

TEST(MatchEvaluation, WithoutAQueryTheReportHasEmptyRates) {
    const std::string text = zeroed("A", {}) + zeroed("B", {1}) + "\r\nshort\t1\r\n";
    const auto result = evaluate(text);
    EXPECT_EQ(result.queries(), 0u);
    EXPECT_EQ(result.report(), "distance\tqueries\ttop1\ttop5\ttop10\ttop20\tmrr\r\n"
                               "D1\t0\t\t\t\t\t\r\n"
                               "D2\t0\t\t\t\t\t\r\n"
                               "D\t0\t\t\t\t\t\r\n"
                               "\r\n"
                               "skipped\t2\r\n");
    EXPECT_FALSE(result.sameHistograms[0] && result.sameHistograms[0]->total() > 0);
}

TEST(MatchEvaluation, AgreesWithABruteForceOverComparisonRuns) {
    const struct {
        unsigned seed;
        std::size_t animals;
        const char* pattern;
    } cases[] = {
        {1, 14, ""},
        {2, 12, "^[A-Za-z]+[0-9]+"},
        {3, 16, "([0-9]+)"},
        {4, 10, "^t"},
    };
    for (const auto& c : cases) {
        const auto catalogueText = test::generateCatalogue(c.seed, c.animals);
        const auto result = evaluate(catalogueText.text, c.pattern);
        std::string error;
        const auto individuals = *Individuals::withPattern(c.pattern, error);

        // The records, by the plain definition: pieces of 29 fields or more.
        std::vector<std::string> lines, animals;
        std::size_t skipped = 0;
        for (const auto& piece : catalogueText.pieces) {
            if (SpecimenRecord::splitFields(piece).size() < 29) {
                ++skipped;
                continue;
            }
            lines.push_back(piece);
            animals.push_back(individuals.individualOf(SpecimenRecord::codeOf(piece)));
        }
        EXPECT_EQ(result.skipped, skipped);
        const std::size_t n = lines.size();
        for (const Measure kind : kMeasures) {
            // Each query on the sheet in turn, every candidate its data set.
            std::vector<std::size_t> ranks(n, 0);
            std::size_t top5 = 0;
            for (std::size_t i = 0; i < n; ++i) {
                std::vector<double> d(n);
                double nearestOwn = HUGE_VAL;
                bool query = false;
                for (std::size_t j = 0; j < n; ++j) {
                    if (j == i)
                        continue;
                    d[j] = test::comparedDistance(lines[i], lines[j], kind);
                    if (animals[j] == animals[i]) {
                        query = true;
                        nearestOwn = std::min(nearestOwn, d[j]);
                    }
                }
                if (!query)
                    continue;
                ranks[i] = 1;
                for (std::size_t j = 0; j < n; ++j)
                    ranks[i] += j != i && animals[j] != animals[i] && d[j] <= nearestOwn;
                top5 += ranks[i] <= 5;
            }
            const auto& by = result.of(kind);
            EXPECT_EQ(by.ranks, ranks) << "seed " << c.seed << " " << nameOf(kind);
            ASSERT_GT(by.queries, 0u);
            EXPECT_EQ(by.topRate(5), static_cast<double>(top5) / static_cast<double>(by.queries));
        }
    }
}

} // namespace

namespace {

// Large enough for the sweep to spread over the cores: the ranks must be those
// of a plain single-threaded count over the pair distances.
TEST(MatchEvaluation, ManyRecordsOnEveryCoreGiveThePlainRanks) {
    const auto generated = test::generateCatalogue(21, 110);
    const Catalogue catalogue = Catalogue::read(generated.text, Individuals());
    const auto result = MatchEvaluation::run(catalogue, false);
    ASSERT_TRUE(result);
    const auto& records = catalogue.records;
    ASSERT_GT(records.size() * (records.size() - 1) / 2, 20'000u);
    for (const Measure kind : kMeasures) {
        std::vector<std::size_t> ranks(records.size(), 0);
        for (std::size_t i = 0; i < records.size(); ++i) {
            double nearest = HUGE_VAL;
            bool query = false;
            for (std::size_t j = 0; j < records.size(); ++j) {
                if (j != i && records[j].individual == records[i].individual) {
                    query = true;
                    nearest = std::min(nearest, PairDistances::between(records[i].values,
                                                                       records[j].values, kind));
                }
            }
            if (!query)
                continue;
            ranks[i] = 1;
            for (std::size_t j = 0; j < records.size(); ++j)
                ranks[i] +=
                    records[j].individual != records[i].individual &&
                    PairDistances::between(records[i].values, records[j].values, kind) <= nearest;
        }
        EXPECT_EQ(result->of(kind).ranks, ranks) << nameOf(kind);
    }
}

} // namespace

namespace {

// In time order a query meets only the records of earlier days: the ranks
// must be those of a plain count over exactly those candidates, whether the
// sweep runs on one core (few records) or on all of them.
TEST(MatchEvaluation, InTimeOrderRanksAgainstEarlierDaysOnly) {
    for (const std::size_t animals : {std::size_t{12}, std::size_t{110}}) {
        const auto generated = test::generateCatalogue(31, animals);
        const Catalogue catalogue = Catalogue::read(generated.text, Individuals());
        const auto& records = catalogue.records;
        std::mt19937 random(5);
        std::vector<std::optional<CalendarDate>> dates(records.size());
        std::size_t undated = 0;
        for (auto& d : dates) {
            // Few days, so that many records share one; now and then none.
            const int day = std::uniform_int_distribution<int>(0, 6)(random);
            if (day == 0)
                ++undated;
            else
                d = CalendarDate{2020, 5, day};
        }
        const auto result = MatchEvaluation::runInTimeOrder(catalogue, dates);
        ASSERT_TRUE(result);
        ASSERT_TRUE(result->undated);
        EXPECT_EQ(*result->undated, undated);
        for (const Measure kind : kMeasures) {
            std::vector<std::size_t> ranks(records.size(), 0);
            for (std::size_t i = 0; i < records.size(); ++i) {
                const auto earlier = [&](std::size_t j) {
                    return dates[i] && dates[j] && *dates[j] < *dates[i];
                };
                double nearest = HUGE_VAL;
                bool query = false;
                for (std::size_t j = 0; j < records.size(); ++j) {
                    if (earlier(j) && records[j].individual == records[i].individual) {
                        query = true;
                        nearest =
                            std::min(nearest, PairDistances::between(records[i].values,
                                                                     records[j].values, kind));
                    }
                }
                if (!query)
                    continue;
                ranks[i] = 1;
                for (std::size_t j = 0; j < records.size(); ++j)
                    ranks[i] += earlier(j) && records[j].individual != records[i].individual &&
                                PairDistances::between(records[i].values, records[j].values,
                                                       kind) <= nearest;
            }
            EXPECT_EQ(result->of(kind).ranks, ranks) << animals << " " << nameOf(kind);
            EXPECT_GT(result->of(kind).queries, 0u);
        }
        EXPECT_NE(result->report().find("\r\nundated\t" + std::to_string(undated) + "\r\n"),
                  std::string::npos);
    }
}

TEST(MatchEvaluation, InTimeOrderRecordsOfOneDayDoNotMeet) {
    const std::string text = zeroed("A", {}) + zeroed("a", {0}) + zeroed("B", {1});
    const Catalogue catalogue = Catalogue::read(text, Individuals());
    const CalendarDate day{2021, 6, 1};
    const auto sameDay = MatchEvaluation::runInTimeOrder(catalogue, {day, day, day});
    EXPECT_EQ(sameDay->queries(), 0u);
    // "a" a day later meets A only, B having no date: rank 1, and A, first
    // of all, is no query.
    const auto later =
        MatchEvaluation::runInTimeOrder(catalogue, {day, CalendarDate{2021, 6, 2}, std::nullopt});
    EXPECT_EQ(later->of(Measure::D1).ranks, (std::vector<std::size_t>{0, 1, 0}));
    EXPECT_EQ(*later->undated, 1u);
    // The random leave-one-out sees A's query too, and counts no undated line.
    const auto random = MatchEvaluation::run(catalogue, false);
    EXPECT_EQ(random->queries(), 2u);
    EXPECT_EQ(random->report().find("undated"), std::string::npos);
}

} // namespace
