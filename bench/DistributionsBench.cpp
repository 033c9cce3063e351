// "auto" over a catalogue of 1,000 specimens (a million pair rows) and the
// simulated histogram (20.2 million uniform numbers).
#include "analysis/Distributions.h"
#include "model/NumberText.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace korvex;

struct SilentHost : ComparisonHost {
    void message(std::string_view) override {}
    void setListCaption(const std::string&) override {}
    void redrawList() override {}
};

// Standardised records: each group's values divided by the group's total.
std::string catalogue(int records) {
    std::mt19937 random(511);
    std::uniform_real_distribution<double> length(0.8, 1.2);
    std::string text;
    for (int r = 0; r < records; ++r) {
        text += "K" + std::to_string(r);
        for (int count : {8, 8, 6, 6}) {
            double values[8];
            double total = 0.0;
            for (int k = 0; k < count; ++k)
                total += values[k] = length(random);
            for (int k = 0; k < count; ++k)
                text += "\t" + fixedText(values[k] / total, 4);
        }
        text += "\r\n";
    }
    return text;
}

void BM_AllPairs(benchmark::State& state) {
    const std::string text = catalogue(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        MeasurementSheet sheet;
        ComparisonState comparison;
        ResultList list;
        SilentHost host;
        const std::string out =
            Distributions::allPairsDistances(sheet, text, comparison, list, host);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["output_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_AllPairs)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_GenerateDistribution(benchmark::State& state) {
    for (auto _ : state) {
        Distributions::UniformGenerator uniform(42);
        const auto h = Distributions::generateDistribution(std::ref(uniform));
        benchmark::DoNotOptimize(h.text.data());
    }
}
BENCHMARK(BM_GenerateDistribution)->Unit(benchmark::kMillisecond);

} // namespace
