// korvex-batch evaluate, audit, histories and estimate over a catalogue of 10,000 standardised
// records of 3,000 animals, most of them caught more than once: the wait for
// the report on a large field study.
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

constexpr std::size_t kRecords = 10'000;
constexpr std::size_t kAnimals = 3'000;

// One group of shares adding up to 1, from lengths with a few percent of
// measuring noise on the animal's own.
void appendGroup(std::string& line, const double* lengths, std::size_t count,
                 std::mt19937& random) {
    std::normal_distribution<double> noise(1.0, 0.03);
    double measured[8] = {};
    double total = 0.0;
    for (std::size_t k = 0; k < count; ++k)
        total += measured[k] = lengths[k] * noise(random);
    for (std::size_t k = 0; k < count; ++k) {
        line += '\t';
        line += fixedText(measured[k] / total, 4);
    }
}

const std::string& catalogueText() {
    static const std::string text = [] {
        std::mt19937 random(20261209);
        std::uniform_real_distribution<double> length(0.5, 1.5);
        std::vector<std::array<double, 28>> animals(kAnimals);
        for (auto& a : animals)
            for (double& l : a)
                l = length(random);
        // Every animal once, the rest recaptures of animals drawn at random.
        std::uniform_int_distribution<std::size_t> pick(0, kAnimals - 1);
        std::string out;
        for (std::size_t r = 0; r < kRecords; ++r) {
            const std::size_t a = r < kAnimals ? r : pick(random);
            std::string line = "T" + std::to_string(a) + "-" + std::to_string(r);
            const double* l = animals[a].data();
            appendGroup(line, l, 8, random);
            appendGroup(line, l + 8, 8, random);
            appendGroup(line, l + 16, 6, random);
            appendGroup(line, l + 22, 6, random);
            out += line;
            out += DataSet::kLineEnd;
        }
        return out;
    }();
    return text;
}

Individuals byAnimal() {
    std::string error;
    return *Individuals::withPattern("^T[0-9]+", error);
}

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
