// The recovery copy of a large catalogue: what the window thread pays after a
// burst of changes (taking the state and turning it into the copy's bytes),
// what the writer thread pays to put it on disk, and reading it at start-up.
#include "ui/RecoverySnapshot.h"

#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kRecords = 10'000;

korvex::RecoverySnapshot catalogue() {
    korvex::RecoverySnapshot s;
    for (int r = 0; r < kRecords; ++r) {
        s.dataSet += "TH-" + std::to_string(r);
        for (int k = 0; k < 28; ++k)
            s.dataSet += k % 2 ? "\t0.0625" : "\t0.1042";
        s.dataSet += "\r\n";
    }
    s.values.fill("0.0714");
    s.display.countText = std::to_string(kRecords);
    return s;
}

void BM_RecoveryCopyBytes(benchmark::State& state) {
    const korvex::RecoverySnapshot s = catalogue();
    for (auto _ : state) {
        const korvex::RecoverySnapshot taken = s; // the window's state is copied out
        std::string bytes = taken.write();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s.dataSet.size()));
}
BENCHMARK(BM_RecoveryCopyBytes)->Unit(benchmark::kMillisecond);

void BM_RecoveryCopyToDisk(benchmark::State& state) {
    const std::string bytes = catalogue().write();
    QTemporaryDir folder;
    for (auto _ : state) {
        QSaveFile file(folder.filePath(QStringLiteral("copy.recovery")));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) ||
            !file.commit()) {
            state.SkipWithError("the copy could not be written");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_RecoveryCopyToDisk)->Unit(benchmark::kMillisecond);

void BM_RecoveryCopyRead(benchmark::State& state) {
    const std::string bytes = catalogue().write();
    for (auto _ : state) {
        auto read = korvex::RecoverySnapshot::read(bytes);
        if (!std::holds_alternative<korvex::RecoverySnapshot>(read)) {
            state.SkipWithError("the copy did not read back");
            return;
        }
        benchmark::DoNotOptimize(read);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_RecoveryCopyRead)->Unit(benchmark::kMillisecond);

} // namespace
