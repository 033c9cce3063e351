// korvex-batch evaluate, audit, histories and estimate over a catalogue of 10,000 standardised
// records of 3,000 animals, most of them caught more than once: the wait for
// the report on a large field study.
#include "GeneratedCatalogue.h"
#include "analysis/CaptureHistories.h"
#include "analysis/Catalogue.h"
#include "analysis/CatalogueAudit.h"
#include "analysis/MatchEvaluation.h"
#include "analysis/PopulationEstimates.h"
#include "model/DataSet.h"
#include "model/NumberText.h"

#include <benchmark/benchmark.h>

#include <array>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace korvex;
using namespace korvex::bench;

void BM_Evaluate(benchmark::State& state) {
    const std::string& text = catalogueText();
    const Individuals individuals = byAnimal();
    for (auto _ : state) {
        const Catalogue catalogue = Catalogue::read(text, individuals);
        const auto evaluation = MatchEvaluation::run(catalogue, false);
        benchmark::DoNotOptimize(evaluation->report());
    }
}
BENCHMARK(BM_Evaluate)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_Audit(benchmark::State& state) {
    const std::string& text = catalogueText();
    const Individuals individuals = byAnimal();
    std::size_t findings = 0;
    for (auto _ : state) {
        const Catalogue catalogue = Catalogue::read(text, individuals);
        const auto audit = CatalogueAudit::run(catalogue, {});
        findings = audit->findings.size();
        benchmark::DoNotOptimize(audit->report());
    }
    state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_Audit)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The records spread over four field seasons, as an encounters text gives them.
std::map<std::size_t, Encounter> seasons() {
    std::map<std::size_t, Encounter> encounters;
    for (std::size_t r = 1; r <= kRecords; ++r) {
        Encounter e;
        e.date = CalendarDate{2019 + static_cast<int>(r * 4 / (kRecords + 1)),
                              5 + static_cast<int>(r % 3), 1 + static_cast<int>(r % 28)};
        e.site = "S" + std::to_string(r % 20);
        encounters.emplace(r, std::move(e));
    }
    return encounters;
}

// korvex-batch histories and estimate (with a recognition rate given): the
// catalogue read, the histories built and written.
void BM_HistoriesAndEstimate(benchmark::State& state) {
    const std::string& text = catalogueText();
    const Individuals individuals = byAnimal();
    const auto encounters = seasons();
    std::string error;
    const auto occasions = *CaptureHistories::parseOccasions(
        "2019-01-01..2019-12-31,2020-01-01..2020-12-31,2021-01-01..2021-12-31,"
        "2022-01-01..2022-12-31",
        error);
    for (auto _ : state) {
        const Catalogue catalogue = Catalogue::read(text, individuals);
        const auto histories =
            CaptureHistories::build(catalogue, individuals, encounters, occasions);
        benchmark::DoNotOptimize(histories.mark());
        benchmark::DoNotOptimize(PopulationEstimates::of(histories).report(0.9));
    }
}
BENCHMARK(BM_HistoriesAndEstimate)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
