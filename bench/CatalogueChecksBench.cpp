// korvex-batch evaluate and audit over a catalogue of 10,000 standardised
// records of 3,000 animals, most of them caught more than once: the wait for
// the report on a large field study.
#include "analysis/Catalogue.h"
#include "analysis/CatalogueAudit.h"
#include "analysis/MatchEvaluation.h"
#include "GeneratedCatalogue.h"

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK_MAIN();
