#include "analysis/MatchEvaluation.h"

#include "analysis/CatalogueSweeps.h"
#include "analysis/PairScreen.h"
#include "model/DataSet.h"
#include "model/NumberText.h"

#include <algorithm>
#include <cmath>

namespace korvex {

namespace {


constexpr std::size_t kTopRanks[] = {1, 5, 10, 20};
constexpr std::string_view kLineEnd = DataSet::kLineEnd;

std::string rate(double share) {
    return fixedText(share, 4);
}

// The queries and their tallies from the ranks (0 for a record that is no query).
void tally(MatchEvaluation::ByDistance& by) {
    for (const std::size_t rank : by.ranks) {
        if (rank == 0)
            continue;
        ++by.queries;
        by.reciprocalRankSum += 1.0 / static_cast<double>(rank);
        for (std::size_t r = rank; r <= MatchEvaluation::kCurveRanks; ++r)
            ++by.withinRank[r - 1];
    }
}

} // namespace

double MatchEvaluation::ByDistance::topRate(std::size_t k) const {
    if (queries == 0 || k == 0)
        return 0.0;
    const std::size_t within = withinRank[std::min(k, kCurveRanks) - 1];
    return static_cast<double>(within) / static_cast<double>(queries);
}

double MatchEvaluation::ByDistance::meanReciprocalRank() const {
    return queries == 0 ? 0.0 : reciprocalRankSum / static_cast<double>(queries);
}

std::optional<MatchEvaluation> MatchEvaluation::run(const Catalogue& catalogue, bool histograms,
                                                    SweepControl* control) {
    const auto& records = catalogue.records;
    const std::size_t n = records.size();
    const std::uint64_t otherPairs = CatalogueSweeps::otherPairCount(catalogue);
    if (control)
        control->total = CatalogueSweeps::ownPairCount(catalogue) + otherPairs;

    auto own = CatalogueSweeps::ownPairs(catalogue, histograms, control);
    if (!own)
        return std::nullopt;

    // Per worker, per distance: the candidates of other animals at most as
    // far as each query's nearest own record.
    struct Worker {
        std::array<std::vector<std::uint32_t>, 3> closer;
        std::array<std::optional<DistanceHistogram>, 3> histograms;
    };
    const std::size_t workerCount = PairSweep::workersFor(otherPairs);
    std::vector<Worker> workers(workerCount);
    for (Worker& w : workers) {
        for (const Measure kind : kMeasures) {
            const auto k = static_cast<std::size_t>(kind);
            w.closer[k].assign(n, 0);
            if (histograms)
                w.histograms[k].emplace(kind);
        }
    }
    const auto& nearest = own->nearest;
    const auto visit = [&](std::size_t worker, std::size_t i, std::size_t j) {
        Worker& w = workers[worker];
        // A record that is no query has no nearest own record to beat.
        const bool queryI = nearest[0][i].other != CatalogueSweeps::kNone;
        const bool queryJ = nearest[0][j].other != CatalogueSweeps::kNone;
        PairDistances::Shown shown;
        if (histograms) {
            shown = PairDistances::between(records[i].values, records[j].values);
        } else {
            if (!queryI && !queryJ)
                return;
            // Only whether the pair beats either nearest own record counts.
            auto bound = [&](std::size_t k) {
                return std::max(queryI ? nearest[k][i].distance : -HUGE_VAL,
                                queryJ ? nearest[k][j].distance : -HUGE_VAL);
            };
            shown = catalogue.screened(i, j, {bound(0), bound(1), bound(2)});
        }
        for (std::size_t k = 0; k < 3; ++k) {
            const double d = shown.of(static_cast<Measure>(k));
            if (queryI && d <= nearest[k][i].distance)
                ++w.closer[k][i];
            if (queryJ && d <= nearest[k][j].distance)
                ++w.closer[k][j];
            if (w.histograms[k])
                w.histograms[k]->add(d);
        }
    };
    bool finished = false;
    if (histograms) {
        finished = CatalogueSweeps::otherPairs(catalogue, workerCount, control, visit);
    } else {
        // Most pairs of a large catalogue are far beyond both records' nearest
        // own record; the screen rules them out several at a time.
        std::vector<PairDistances::Shown> bounds(n);
        for (std::size_t i = 0; i < n; ++i) {
            const bool query = nearest[0][i].other != CatalogueSweeps::kNone;
            bounds[i] = query ? PairDistances::Shown{nearest[0][i].distance, nearest[1][i].distance,
                                                     nearest[2][i].distance}
                              : PairDistances::Shown{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
        }
        const PairScreen screen(catalogue);
        finished = CatalogueSweeps::otherPairsWithin(catalogue, screen, screen.boundsOf(bounds),
                                                     workerCount, control, visit,
                                                     [](std::size_t, std::uint64_t) {});
    }
    if (!finished)
        return std::nullopt;

    MatchEvaluation result;
    result.skipped = catalogue.skipped.size();
    for (std::size_t k = 0; k < 3; ++k) {
        ByDistance& by = result.byDistance[k];
        by.ranks.assign(n, 0);
        for (std::size_t i = 0; i < n; ++i) {
            if (nearest[k][i].other == CatalogueSweeps::kNone)
                continue;
            std::size_t rank = 1;
            for (const Worker& w : workers)
                rank += w.closer[k][i];
            by.ranks[i] = rank;
        }
        tally(by);
        if (histograms) {
            result.sameHistograms[k] = std::move(own->histograms[k]);
            result.differentHistograms[k] = std::move(workers[0].histograms[k]);
            for (std::size_t w = 1; w < workers.size(); ++w)
                result.differentHistograms[k]->merge(*workers[w].histograms[k]);
        }
    }
    return result;
}

std::vector<std::optional<CalendarDate>>
MatchEvaluation::recordDates(const Catalogue& catalogue,
                             const std::map<std::size_t, Encounter>& encounters) {
    std::vector<std::optional<CalendarDate>> dates(catalogue.records.size());
    for (std::size_t i = 0; i < dates.size(); ++i)
        if (const auto it = encounters.find(catalogue.records[i].recordNumber);
            it != encounters.end())
            dates[i] = it->second.date;
    return dates;
}

std::optional<MatchEvaluation>
MatchEvaluation::runInTimeOrder(const Catalogue& catalogue,
                                const std::vector<std::optional<CalendarDate>>& dates,
                                SweepControl* control) {
    const auto& records = catalogue.records;
    const std::size_t n = records.size();
    MatchEvaluation result;
    result.skipped = catalogue.skipped.size();
    result.undated = 0;
    // Dated records in time order; `dayStart[p]` is the first position of
    // p's day, so positions before it are exactly the earlier days.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < n; ++i) {
        if (i < dates.size() && dates[i])
            order.push_back(i);
        else
            ++*result.undated;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return *dates[a] < *dates[b]; });
    std::vector<std::size_t> dayStart(order.size());
    for (std::size_t p = 0; p < order.size(); ++p)
        dayStart[p] = p > 0 && *dates[order[p]] == *dates[order[p - 1]] ? dayStart[p - 1] : p;
    // Each individual's dated records, by position in time order.
    std::vector<std::vector<std::size_t>> own(catalogue.individualCount);
    for (std::size_t p = 0; p < order.size(); ++p)
        own[records[order[p]].individual].push_back(p);

    std::uint64_t pairs = 0;
    for (std::size_t p = 0; p < order.size(); ++p)
        pairs += dayStart[p];
    if (control)
        control->total = pairs;
    for (ByDistance& by : result.byDistance)
        by.ranks.assign(n, 0);

    // The dated records in time order, so that each query's candidates are
    // the run of records before its day, and the screen can take them at once.
    Catalogue timed;
    timed.individualCount = catalogue.individualCount;
    for (const std::size_t i : order)
        timed.records.push_back(records[i]);
    const auto& inOrder = timed.records;
    // Each query's nearest own record of an earlier day; -infinity bounds for
    // a record that is no query.
    std::vector<PairDistances::Shown> nearest(
        order.size(), PairDistances::Shown{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL});
    for (std::size_t p = 0; p < order.size(); ++p) {
        bool query = false;
        PairDistances::Shown best{HUGE_VAL, HUGE_VAL, HUGE_VAL};
        for (const std::size_t o : own[inOrder[p].individual]) {
            if (o >= dayStart[p])
                break;
            const auto d = PairDistances::between(inOrder[p].values, inOrder[o].values);
            best = {std::min(best.d1, d.d1), std::min(best.d2, d.d2), std::min(best.d, d.d)};
            query = true;
        }
        if (query)
            nearest[p] = best;
    }
    const PairScreen screen(timed);
    const auto bounds = screen.boundsOf(nearest);
    const std::size_t workers = PairSweep::workersFor(pairs);
    std::vector<std::vector<std::uint8_t>> maybe(workers, std::vector<std::uint8_t>(order.size()));
    const bool finished = PairSweep::run(
        order.size(), workers, control, [&](std::size_t worker, std::size_t p) -> std::uint64_t {
            const PairDistances::Shown& bound = nearest[p];
            if (bound.d1 == -HUGE_VAL)
                return dayStart[p]; // no query
            std::uint8_t* const row = maybe[worker].data();
            // The screen asks about the larger of the two bounds; the exact
            // look below keeps to the query's own.
            screen.row(p, 0, dayStart[p], bounds, row);
            const std::size_t individual = inOrder[p].individual;
            std::array<std::size_t, 3> rank{1, 1, 1};
            for (std::size_t o = 0; o < dayStart[p]; ++o) {
                if (!row[o] || inOrder[o].individual == individual)
                    continue;
                const auto shown = timed.screened(p, o, bound);
                for (std::size_t k = 0; k < 3; ++k)
                    if (shown.of(static_cast<Measure>(k)) <= bound.of(static_cast<Measure>(k)))
                        ++rank[k];
            }
            for (std::size_t k = 0; k < 3; ++k)
                result.byDistance[k].ranks[order[p]] = rank[k];
            return dayStart[p];
        });
    if (!finished)
        return std::nullopt;
    for (ByDistance& by : result.byDistance)
        tally(by);
    return result;
}

std::string MatchEvaluation::report() const {
    std::string out = "distance\tqueries\ttop1\ttop5\ttop10\ttop20\tmrr";
    out += kLineEnd;
    for (const Measure kind : kMeasures) {
        const ByDistance& by = of(kind);
        out += nameOf(kind);
        out += '\t';
        out += std::to_string(by.queries);
        for (const std::size_t k : kTopRanks) {
            out += '\t';
            if (by.queries > 0)
                out += rate(by.topRate(k));
        }
        out += '\t';
        if (by.queries > 0)
            out += rate(by.meanReciprocalRank());
        out += kLineEnd;
    }
    out += kLineEnd;
    if (queries() > 0) {
        out += "rank\tD1\tD2\tD";
        out += kLineEnd;
        for (std::size_t r = 1; r <= kCurveRanks; ++r) {
            out += std::to_string(r);
            for (const Measure kind : kMeasures) {
                out += '\t';
                out += rate(of(kind).topRate(r));
            }
            out += kLineEnd;
        }
        out += kLineEnd;
    }
    out += "skipped\t";
    out += std::to_string(skipped);
    out += kLineEnd;
    if (undated) {
        out += "undated\t";
        out += std::to_string(*undated);
        out += kLineEnd;
    }
    return out;
}

} // namespace korvex
