// korvex-batch repeatability over the generated catalogue of 10,000 records
// with 1,000 repeats of 800 of them: the wait for the report a reviewer asks
// for, from reading the texts to the written report.
#include "GeneratedCatalogue.h"
#include "analysis/Catalogue.h"
#include "analysis/Repeatability.h"

#include <benchmark/benchmark.h>

namespace {

using namespace korvex;
using namespace korvex::bench;

constexpr std::size_t kMeasured = 800;
constexpr std::size_t kRepeats = 1'000;

// Each measured record digitised again: its values with a percent of noise,
// each group standardised anew.
std::string repeatsText(const std::string& catalogue) {
    const auto pieces = DataSet::splitPieces(catalogue);
    std::mt19937 random(21);
    std::normal_distribution<double> noise(1.0, 0.01);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 2);
    std::vector<std::size_t> numbers;
    for (std::size_t i = 0; i < kMeasured; ++i)
        numbers.push_back(pick(random) + 1);
    for (std::size_t i = kMeasured; i < kRepeats; ++i)
        numbers.push_back(numbers[i - kMeasured]);
    std::string out;
    for (const std::size_t number : numbers) {
        std::string_view rest = pieces[number - 1];
        std::array<double, 28> values{};
        for (double& v : values) {
            rest.remove_prefix(rest.find('\t') + 1);
            v = readNumber(rest.substr(0, rest.find('\t'))) * noise(random);
        }
        std::string line = std::to_string(number) + "\tagain";
        std::size_t first = 0;
        for (const std::size_t count : {8, 8, 6, 6}) {
            double total = 0.0;
            for (std::size_t k = 0; k < count; ++k)
                total += values[first + k];
            for (std::size_t k = 0; k < count; ++k)
                line += '\t' + fixedText(values[first + k] / total, 4);
            first += count;
        }
        out += line + "\r\n";
    }
    return out;
}

void BM_Repeatability(benchmark::State& state) {
    const std::string& text = catalogueText();
    const std::string repeats = repeatsText(text);
    const Individuals individuals = byAnimal();
    double ratio = 0.0;
    for (auto _ : state) {
        const Catalogue catalogue = Catalogue::read(text, individuals);
        std::vector<std::string> problems;
        const auto report =
            Repeatability::run(catalogue, Repeatability::readRepeats(repeats, problems));
        ratio = report.ratio.value_or(-1.0);
        benchmark::DoNotOptimize(report.report());
    }
    state.counters["ratio"] = ratio;
}
// The CPU column counts every worker: the time the sweep needs of the cores.
BENCHMARK(BM_Repeatability)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
