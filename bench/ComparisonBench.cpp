// Compare › "Marginal and Central Seams (D)" over a large collection: the wait a
// user sees between choosing the command and the ranked list appearing.
#include "analysis/ComparisonRun.h"
#include "model/DataSet.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

class SilentHost : public korvex::ComparisonHost {
public:
    void message(std::string_view) override { ++messages; }
    void setListCaption(const std::string&) override {}
    void redrawList() override {}
    int messages = 0;
};

// Writes one standardised group of `count` shares that add up to 1.
void standardisedGroup(korvex::MeasurementSheet& sheet, std::size_t first, std::size_t count,
                       std::mt19937& random) {
    std::uniform_real_distribution<double> length(0.5, 1.5);
    double lengths[8] = {};
    double total = 0.0;
    for (std::size_t k = 0; k < count; ++k)
        total += lengths[k] = length(random);
    for (std::size_t k = 0; k < count; ++k)
        sheet.setValue(first + k, korvex::fixedText(lengths[k] / total, 4));
}

korvex::MeasurementSheet standardisedSheet(std::mt19937& random) {
    korvex::MeasurementSheet sheet;
    standardisedGroup(sheet, 0, 8, random);
    standardisedGroup(sheet, 8, 8, random);
    standardisedGroup(sheet, 16, 6, random);
    standardisedGroup(sheet, 22, 6, random);
    return sheet;
}

std::string dataSetText(std::size_t records) {
    std::mt19937 random(20240611);
    std::string text;
    for (std::size_t r = 0; r < records; ++r) {
        text += korvex::SpecimenRecord::BuildRecordLine("KX-" + std::to_string(r),
                                                        standardisedSheet(random));
        text += korvex::DataSet::kLineEnd;
    }
    return text;
}

void BM_CompareCombined(benchmark::State& state) {
    const auto records = static_cast<std::size_t>(state.range(0));
    const std::string text = dataSetText(records);
    std::mt19937 random(7);
    const korvex::MeasurementSheet sheet = standardisedSheet(random);
    korvex::ComparisonState comparison;
    korvex::ResultList list;
    SilentHost host;
    for (auto _ : state) {
        auto summary = korvex::ComparisonRun::comp_Click(korvex::Measure::D, sheet,
                                                         text, comparison, list, host);
        benchmark::DoNotOptimize(summary);
    }
    if (list.count() != records || host.messages != 0)
        state.SkipWithError("not every record was ranked");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CompareCombined)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace
