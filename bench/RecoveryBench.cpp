// The recovery copy of a large catalogue: what the window thread pays after a
// burst of changes (taking the state), what the writer thread pays to turn it
// into the copy's bytes and put them on disk, and reading it at start-up.
#include "DigitisedPhoto.h"
#include "exchange/RecoverySnapshot.h"
#include "exchange/TorFile.h"
#include "testing/FakePlatformServices.h"
#include "uilogic/MainWindowModel.h"

#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

constexpr int kRecords = 10'000;

// With `photos`, every record digitised in full on its own 6000 x 4000 photo,
// and one decision a record.
korvex::RecoverySnapshot catalogue(bool photos) {
    std::mt19937 random(1);
    korvex::RecoverySnapshot s;
    korvex::CatalogueState kept;
    for (int r = 0; r < kRecords; ++r) {
        std::string line = "TH-" + std::to_string(r);
        for (int k = 0; k < 28; ++k)
            line += k % 2 ? "\t0.0625" : "\t0.1042";
        s.dataSet += line + "\r\n";
        if (!photos)
            continue;
        kept.entries.push_back(korvex::bench::digitisedPhoto(line, r, random));
        kept.decisions.recordDecision({{"", "NEW", 0},
                                  {"TH-" + std::to_string(r), line, 1},
                                  korvex::Verdict::DifferentAnimal,
                                  "D",
                                  "0.0417",
                                  "2026-05-24T09:31:00Z"});
    }
    if (photos)
        kept.dataFilePath = "/data/turtles/catalogue.tor";
    s.photos = std::make_shared<const korvex::CatalogueState>(std::move(kept));
    s.values.fill("0.0714");
    s.display.countText = std::to_string(kRecords);
    return s;
}

// The window's thread: the state is copied out, the photos shared.
void BM_RecoveryCopyTaken(benchmark::State& state) {
    const korvex::RecoverySnapshot s = catalogue(state.range(0) != 0);
    for (auto _ : state) {
        korvex::RecoverySnapshot taken = s;
        benchmark::DoNotOptimize(taken);
    }
}
// 0: a catalogue without photos; 1: with them.
BENCHMARK(BM_RecoveryCopyTaken)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The writer's thread after a change of the sheet: the photos' document is
// the one made for the copy before.
void BM_RecoveryCopyBytes(benchmark::State& state) {
    const korvex::RecoverySnapshot s = catalogue(state.range(0) != 0);
    korvex::RecoverySnapshot::PhotosCache cache;
    benchmark::DoNotOptimize(s.write(&cache));
    for (auto _ : state) {
        std::string bytes = s.write(&cache);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s.dataSet.size()));
}
BENCHMARK(BM_RecoveryCopyBytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The writer's thread after an append or a decision: the document is made again.
void BM_RecoveryCopyBytesNewPhotos(benchmark::State& state) {
    const korvex::RecoverySnapshot s = catalogue(true);
    for (auto _ : state) {
        std::string bytes = s.write();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_RecoveryCopyBytesNewPhotos)->Unit(benchmark::kMillisecond);

// The window's thread on an append or a decision: the records' state is
// copied once, so that the one a copy holds stays as it was.
void BM_RecoveryPhotosChange(benchmark::State& state) {
    const korvex::RecoverySnapshot s = catalogue(true);
    for (auto _ : state) {
        korvex::CatalogueState next = *s.photos;
        benchmark::DoNotOptimize(next);
    }
}
BENCHMARK(BM_RecoveryPhotosChange)->Unit(benchmark::kMillisecond);

void BM_RecoveryCopyToDisk(benchmark::State& state) {
    const std::string bytes = catalogue(state.range(0) != 0).write();
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
    state.counters["copy_bytes"] = double(bytes.size());
}
BENCHMARK(BM_RecoveryCopyToDisk)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RecoveryCopyRead(benchmark::State& state) {
    const std::string bytes = catalogue(state.range(0) != 0).write();
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
BENCHMARK(BM_RecoveryCopyRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A catalogue loaded from its file with every record's photo and a decision a
// record in the companion, then one record appended on a photo: what the
// copy costs when nearly everything is saved.
struct OneAppendAfterLoad {
    korvex::fakes::FakePlatformServices services;
    korvex::MainWindowModel window{services};

    OneAppendAfterLoad() {
        const korvex::RecoverySnapshot s = catalogue(true);
        korvex::DataSet dataSet;
        dataSet.setText(s.dataSet);
        services.files["/data/turtles/catalogue.tor"] =
            korvex::TorFile::write(korvex::MeasurementSheet{}, dataSet);
        services.files["/data/turtles/catalogue.tor.photos.json"] = korvex::PhotoCompanion::write(
            s.photos->entries.toVector(), "/data/turtles", s.photos->decisions.all().toVector());
        services.fileAnswers.push_back("/data/turtles/catalogue.tor");
        window.LoadDataFile();
        std::mt19937 random(2);
        const std::string line = "NEW" + std::string(28, '\t');
        window.document().appendRecord(line, korvex::bench::digitisedPhoto(line, 1, random));
    }
};

// The window's thread: the state taken after the append.
void BM_RecoveryAfterOneAppendTaken(benchmark::State& state) {
    OneAppendAfterLoad loaded;
    for (auto _ : state) {
        korvex::RecoverySnapshot taken = loaded.window.snapshot();
        benchmark::DoNotOptimize(taken);
    }
    state.counters["copy_bytes"] = double(loaded.window.snapshot().write().size());
    state.counters["entries"] = double(loaded.window.document().photoEntries().size());
}
BENCHMARK(BM_RecoveryAfterOneAppendTaken)->Unit(benchmark::kMillisecond);

// The writer's thread: the copy's bytes after the append.
void BM_RecoveryAfterOneAppendBytes(benchmark::State& state) {
    OneAppendAfterLoad loaded;
    const korvex::RecoverySnapshot taken = loaded.window.snapshot();
    for (auto _ : state) {
        std::string bytes = taken.write();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_RecoveryAfterOneAppendBytes)->Unit(benchmark::kMillisecond);

} // namespace
