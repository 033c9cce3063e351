// Saving and loading the photo companion of a large catalogue: it is written
// and read with every File › Save Data › "to File" and Load Data › "from File".
#include "DigitisedPhoto.h"
#include "exchange/PhotoCompanion.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 10'000;

// Every record digitised in full on its own 6000 x 4000 photo.
std::vector<korvex::PhotoEntry> catalogue() {
    std::mt19937 random(1);
    std::vector<korvex::PhotoEntry> entries;
    entries.reserve(kRecords);
    for (int r = 0; r < kRecords; ++r) {
        std::string line = "TH-" + std::to_string(r);
        for (int i = 0; i < 28; ++i)
            line += "\t0.0" + std::to_string(1000 + r % 9000);
        entries.push_back(korvex::bench::digitisedPhoto(std::move(line), r, random));
    }
    return entries;
}

void BM_WriteCompanion(benchmark::State& state) {
    const auto entries = catalogue();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = korvex::PhotoCompanion::write(entries, "/data/turtles");
        bytes = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.counters["file_bytes"] = double(bytes);
}
BENCHMARK(BM_WriteCompanion)->Unit(benchmark::kMillisecond);

void BM_ReadCompanion(benchmark::State& state) {
    const std::string text = korvex::PhotoCompanion::write(catalogue(), "/data/turtles");
    for (auto _ : state) {
        auto result = korvex::PhotoCompanion::read(text, "/data/turtles");
        if (!result.ok) {
            state.SkipWithError("the companion did not read back");
            return;
        }
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_ReadCompanion)->Unit(benchmark::kMillisecond);

} // namespace
