// Saving and loading a large data file: the wait a user sees on File › Save
// Data and File › Load Data with a big collection of specimens.
#include "exchange/TorFile.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

constexpr int kRecords = 100'000;

// Records as the program makes them: a code and 28 standardised values.
korvex::DataSet largeDataSet() {
    std::mt19937 random(1);
    std::uniform_real_distribution<double> share(0.02, 0.25);
    korvex::MeasurementSheet sheet;
    korvex::DataSet dataSet;
    std::string text;
    for (int r = 0; r < kRecords; ++r) {
        for (std::size_t i = 0; i < korvex::MeasurementSheet::kRecordValueCount; ++i)
            sheet.setValue(i, korvex::fixedText(share(random), 4));
        text += korvex::SpecimenRecord::BuildRecordLine("TH-" + std::to_string(r), sheet);
        text += korvex::DataSet::kLineEnd;
    }
    dataSet.setText(std::move(text));
    return dataSet;
}

void BM_WriteDataFile(benchmark::State& state) {
    const korvex::DataSet dataSet = largeDataSet();
    const korvex::MeasurementSheet sheet;
    for (auto _ : state) {
        std::string file = korvex::TorFile::write(sheet, dataSet);
        benchmark::DoNotOptimize(file);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(dataSet.text().size()));
}
BENCHMARK(BM_WriteDataFile)->Unit(benchmark::kMillisecond);

void BM_ReadDataFile(benchmark::State& state) {
    const std::string file = korvex::TorFile::write(korvex::MeasurementSheet{}, largeDataSet());
    for (auto _ : state) {
        korvex::TorFile::ReadResult result = korvex::TorFile::read(file);
        if (!result.complete) {
            state.SkipWithError("the data file did not read back completely");
            return;
        }
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}
BENCHMARK(BM_ReadDataFile)->Unit(benchmark::kMillisecond);

} // namespace
