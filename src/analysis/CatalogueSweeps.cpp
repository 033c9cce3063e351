#include "analysis/CatalogueSweeps.h"

namespace korvex::CatalogueSweeps {

namespace {

// For each record, the records of its individual that come after it.
std::vector<std::vector<std::size_t>> membersByIndividual(const Catalogue& catalogue) {
    std::vector<std::vector<std::size_t>> members(catalogue.individualCount);
    for (std::size_t i = 0; i < catalogue.records.size(); ++i)
        members[catalogue.records[i].individual].push_back(i);
    return members;
}

} // namespace

std::uint64_t ownPairCount(const Catalogue& catalogue) {
    std::vector<std::uint64_t> sizes(catalogue.individualCount, 0);
    for (const auto& r : catalogue.records)
        ++sizes[r.individual];
    std::uint64_t pairs = 0;
    for (const std::uint64_t s : sizes)
        pairs += s * (s - (s > 0 ? 1 : 0)) / 2;
    return pairs;
}

std::uint64_t otherPairCount(const Catalogue& catalogue) {
    const std::uint64_t n = catalogue.records.size();
    return n * (n - (n > 0 ? 1 : 0)) / 2 - ownPairCount(catalogue);
}

std::optional<OwnPairs> ownPairs(const Catalogue& catalogue, bool histograms,
                                 SweepControl* control) {
    const auto& records = catalogue.records;
    const std::size_t n = records.size();
    const auto members = membersByIndividual(catalogue);
    // Where each record stands among its individual's records.
    std::vector<std::size_t> place(n);
    for (const auto& group : members)
        for (std::size_t p = 0; p < group.size(); ++p)
            place[group[p]] = p;

    struct Worker {
        std::array<std::vector<Nearest>, 3> nearest;
        std::array<std::optional<DistanceHistogram>, 3> histograms;
    };
    const std::uint64_t pairCount = ownPairCount(catalogue);
    const std::size_t workerCount = PairSweep::workersFor(pairCount);
    std::vector<Worker> workers(workerCount);
    for (Worker& w : workers) {
        for (const auto kind : kMeasures) {
            const auto k = static_cast<std::size_t>(kind);
            w.nearest[k].assign(n, Nearest{});
            if (histograms)
                w.histograms[k].emplace(kind);
        }
    }
    const bool finished =
        PairSweep::run(n, workerCount, control, [&](std::size_t worker, std::size_t i) {
            Worker& w = workers[worker];
            const auto& group = members[records[i].individual];
            std::uint64_t pairs = 0;
            for (std::size_t p = place[i] + 1; p < group.size(); ++p) {
                const std::size_t j = group[p];
                const auto shown = PairDistances::between(records[i].values, records[j].values);
                for (const auto kind : kMeasures) {
                    const auto k = static_cast<std::size_t>(kind);
                    const double d = shown.of(kind);
                    w.nearest[k][i] = std::min(w.nearest[k][i], Nearest{d, j});
                    w.nearest[k][j] = std::min(w.nearest[k][j], Nearest{d, i});
                    if (w.histograms[k])
                        w.histograms[k]->add(d);
                }
                ++pairs;
            }
            return pairs;
        });
    if (!finished)
        return std::nullopt;

    OwnPairs result;
    result.pairs = pairCount;
    result.nearest = std::move(workers[0].nearest);
    result.histograms = std::move(workers[0].histograms);
    for (std::size_t w = 1; w < workers.size(); ++w) {
        for (std::size_t k = 0; k < 3; ++k) {
            for (std::size_t i = 0; i < n; ++i)
                result.nearest[k][i] = std::min(result.nearest[k][i], workers[w].nearest[k][i]);
            if (result.histograms[k])
                result.histograms[k]->merge(*workers[w].histograms[k]);
        }
    }
    return result;
}

} // namespace korvex::CatalogueSweeps
