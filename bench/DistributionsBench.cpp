// "auto" over a catalogue of 1,000 specimens (a million pair rows), all-pairs
// written as korvex-batch writes it for a catalogue of 10,000 (10^8 rows, over
// 3 GB of text, to /dev/null), and the simulated histogram (20.2 million
// uniform numbers).
#include "analysis/Distributions.h"
#include "model/NumberText.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
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

// What one "auto" works on, fresh for every run.
struct AllPairsRun {
    MeasurementSheet sheet;
    ComparisonState comparison;
    ResultList list;
    SilentHost host;
};

void BM_AllPairs(benchmark::State& state) {
    const std::string text = catalogue(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        AllPairsRun run;
        const std::string out =
            Distributions::allPairsDistances(run.sheet, text, run.comparison, run.list, run.host);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["output_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_AllPairs)->Arg(1000)->Unit(benchmark::kMillisecond);

// The table streamed to /dev/null: bytes_per_second is the output rate, and
// peak_RSS_MB the most memory the process has held (catalogue included), which
// must not grow with the output.
void BM_AllPairsToDevNull(benchmark::State& state) {
    const std::string text = catalogue(static_cast<int>(state.range(0)));
    std::FILE* devNull = std::fopen("/dev/null", "wb");
    if (devNull == nullptr) {
        state.SkipWithError("cannot open /dev/null");
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        AllPairsRun run;
        Distributions::allPairsDistances(
            run.sheet, text, run.comparison, run.list, run.host, [&](std::string_view piece) {
                bytes += std::fwrite(piece.data(), 1, piece.size(), devNull);
            });
    }
    std::fclose(devNull);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_RSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["output_MB"] =
        static_cast<double>(bytes) / 1e6 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_AllPairsToDevNull)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_GenerateDistribution(benchmark::State& state) {
    for (auto _ : state) {
        Distributions::UniformGenerator uniform(42);
        const auto h = Distributions::generateDistribution(std::ref(uniform));
        benchmark::DoNotOptimize(h.text.data());
    }
}
BENCHMARK(BM_GenerateDistribution)->Unit(benchmark::kMillisecond);

} // namespace
