// Every command a user clicks on a long-term study's catalogue: 10,000 and
// 50,000 records in one data file, most with a photo and junctions in the
// companion, with decisions, encounters and repeats. What grows faster than
// the records shows as a step between the two sizes far above five.
#include "DigitisedPhoto.h"
#include "GeneratedCatalogue.h"
#include "exchange/PhotoCompanion.h"
#include "exchange/TorFile.h"
#include "model/NumberText.h"
#include "testing/FakePlatformServices.h"
#include "uilogic/CatalogueCommands.h"
#include "uilogic/EncounterTable.h"
#include "uilogic/MainWindowModel.h"
#include "uilogic/PopulationWindowModel.h"
#include "uilogic/RepeatabilityReport.h"

#include <benchmark/benchmark.h>

#include <array>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace korvex;

constexpr const char* kPath = "/data/turtles/catalogue.tor";

// A catalogue of `records` records of a third as many animals: the data file
// and its companion, as a field study's years leave them.
struct StudyFiles {
    std::string data;
    std::string companion;
};

const StudyFiles& studyFiles(std::size_t records) {
    static std::map<std::size_t, StudyFiles> made;
    if (const auto it = made.find(records); it != made.end())
        return it->second;
    // As the catalogue reports' benchmarks make theirs: every animal once,
    // then recaptures of animals drawn at random, each measured anew.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> length(0.5, 1.5);
    std::vector<std::array<double, 28>> animals(records * 3 / 10);
    for (auto& a : animals)
        for (double& l : a)
            l = length(random);
    std::uniform_int_distribution<std::size_t> pick(0, animals.size() - 1);
    DataSet dataSet;
    std::vector<PhotoEntry> entries;
    std::vector<Decision> decisions;
    std::vector<RepeatMeasurement> repeats;
    std::vector<RecordEncounter> encounters;
    std::string previous;
    for (std::size_t r = 0; r < records; ++r) {
        const std::size_t a = r < animals.size() ? r : pick(random);
        std::string line = "T" + std::to_string(a) + "-" + std::to_string(r);
        const double* l = animals[a].data();
        bench::appendGroup(line, l, 8, random);
        bench::appendGroup(line, l + 8, 8, random);
        bench::appendGroup(line, l + 16, 6, random);
        bench::appendGroup(line, l + 22, 6, random);
        const std::string values = line.substr(line.find('\t'));
        dataSet.AppendRecord(line);
        const int n = static_cast<int>(r);
        if (r % 5 != 0)
            entries.push_back(bench::digitisedPhoto(line, n, random));
        if (r % 4 == 0 && r > 0)
            decisions.push_back({{"", line, 1},
                                 {"", previous, 1},
                                 Verdict::DifferentAnimal,
                                 "D",
                                 "0.0417",
                                 "2026-05-24T09:31:00Z"});
        if (r % 50 == 0) {
            RepeatMeasurement repeat;
            repeat.recordLine = line;
            repeat.values = values;
            repeat.measuredAt = "2026-05-24T09:32:00Z";
            repeats.push_back(std::move(repeat));
        }
        Encounter e;
        e.date = CalendarDate{2010 + static_cast<int>(r * 16 / records), 4 + n % 6, 1 + n % 28};
        e.site = "S" + std::to_string(r % 40);
        encounters.push_back({line, 1, std::move(e)});
        previous = line;
    }
    StudyFiles& files = made[records];
    files.data = TorFile::write(MeasurementSheet{}, dataSet);
    files.companion =
        PhotoCompanion::write(entries, "/data/turtles", decisions, repeats, encounters);
    return files;
}

// The main window's model with the study loaded from its files.
struct Loaded {
    fakes::FakePlatformServices services;
    MainWindowModel window{services};

    explicit Loaded(std::size_t records) : Loaded(studyFiles(records), records) {}
    Loaded(const StudyFiles& files, std::size_t records) {
        services.files[kPath] = files.data;
        services.files[PhotoCompanion::companionPathFor(kPath)] = files.companion;
        services.fileAnswers.push_back(kPath);
        window.LoadDataFile();
        if (window.dataSet().RecordCount() != records)
            throw std::runtime_error("the study did not load");
    }
    // Record `n` shown with "-"/"+" as the user reaches it.
    void show(long long n) {
        window.ShowRecord(n);
        const_cast<DataSetDisplay&>(window.display()).recordNumber = n;
    }
};

std::size_t records(const benchmark::State& state) {
    return static_cast<std::size_t>(state.range(0));
}

void BM_Load(benchmark::State& state) {
    const StudyFiles& files = studyFiles(records(state));
    for (auto _ : state) {
        Loaded loaded(files, records(state));
        benchmark::DoNotOptimize(loaded.window.document().photoEntries().size());
    }
}

void BM_Save(benchmark::State& state) {
    Loaded loaded(records(state));
    for (auto _ : state) {
        loaded.services.fileAnswers.push_back(kPath);
        if (!loaded.window.SaveDataFile())
            state.SkipWithError("the save failed");
    }
}

void BM_AppendWithPhoto(benchmark::State& state) {
    Loaded loaded(records(state));
    std::mt19937 random(3);
    int n = 0;
    for (auto _ : state) {
        const std::string line = "NEW" + std::to_string(++n) + std::string(28, '\t');
        loaded.window.document().appendRecord(line, bench::digitisedPhoto(line, n, random));
    }
}

void BM_AppendToList(benchmark::State& state) {
    Loaded loaded(records(state));
    for (auto _ : state) {
        loaded.services.inputAnswers.push_back("NEW");
        loaded.window.AppendToList();
    }
}

void BM_NextRecord(benchmark::State& state) {
    Loaded loaded(records(state));
    loaded.show(static_cast<long long>(records(state)) / 2);
    for (auto _ : state) {
        loaded.window.NextRecord();
        loaded.window.PreviousRecord();
    }
}

void BM_SelectRecord(benchmark::State& state) {
    Loaded loaded(records(state));
    for (auto _ : state) {
        loaded.window.aha_Click(MainWindowModel::SelectRecord);
        loaded.window.List1_DblClick(records(state) / 2);
    }
}

void BM_ChangeCodeAndUndo(benchmark::State& state) {
    Loaded loaded(records(state));
    loaded.show(static_cast<long long>(records(state)) / 2);
    for (auto _ : state) {
        loaded.services.inputAnswers.push_back("RENAMED");
        loaded.window.ChangeCode();
        loaded.window.UndoRecordChange();
    }
}

void BM_DeleteAndUndo(benchmark::State& state) {
    Loaded loaded(records(state));
    loaded.show(static_cast<long long>(records(state)) / 2);
    for (auto _ : state) {
        loaded.services.messageAnswers.push_back(PlatformServices::Answer::Yes);
        loaded.window.DeleteRecord();
        loaded.window.UndoRecordChange();
    }
}

void BM_CompareAndCopy(benchmark::State& state) {
    Loaded loaded(records(state));
    loaded.show(3);
    for (auto _ : state) {
        loaded.window.comp_Click(MainWindowModel::Combined);
        loaded.window.CopyList();
    }
}

void BM_RecoveryCopy(benchmark::State& state) {
    Loaded loaded(records(state));
    RecoverySnapshot::PhotosCache cache;
    benchmark::DoNotOptimize(loaded.window.snapshot().write(&cache));
    for (auto _ : state) {
        const RecoverySnapshot s = loaded.window.snapshot();
        benchmark::DoNotOptimize(s.write(&cache));
    }
}

void BM_EncountersTable(benchmark::State& state) {
    Loaded loaded(records(state));
    for (auto _ : state) {
        EncounterTable table(loaded.services, loaded.window);
        table.sort(EncounterTable::SiteColumn, true);
        benchmark::DoNotOptimize(table.copyText());
    }
}

// One cell typed in the open table.
void BM_EncounterCellEdit(benchmark::State& state) {
    Loaded loaded(records(state));
    EncounterTable table(loaded.services, loaded.window);
    int n = 0;
    for (auto _ : state)
        if (!table.edit(records(state) / 3, EncounterTable::NoteColumn, "seen " + std::to_string(++n)))
            state.SkipWithError("the cell was not taken");
}

void BM_PopulationExport(benchmark::State& state) {
    Loaded loaded(records(state));
    for (auto _ : state) {
        PopulationWindowModel population(loaded.services, loaded.window);
        population.refresh();
        benchmark::DoNotOptimize(population.files());
        benchmark::DoNotOptimize(population.estimatesText());
    }
}

void BM_Repeatability(benchmark::State& state) {
    Loaded loaded(records(state));
    for (auto _ : state) {
        RepeatabilityReport report(loaded.window.document(), "^T[0-9]+");
        benchmark::DoNotOptimize(report.clipboardText());
    }
}

void BM_CheckTheCatalogue(benchmark::State& state) {
    Loaded loaded(records(state));
    std::string error;
    for (auto _ : state) {
        CatalogueCommands::Run run(CatalogueCommands::Command::Check,
                                   loaded.window.dataSet().text(),
                                   *Individuals::withPattern("^T[0-9]+", error));
        if (run.run() != CatalogueCommands::Outcome::Done)
            state.SkipWithError("the check did not finish");
    }
}

void BM_EvaluateMatching(benchmark::State& state) {
    Loaded loaded(records(state));
    std::string error;
    for (auto _ : state) {
        CatalogueCommands::Run run(CatalogueCommands::Command::Evaluate,
                                   loaded.window.dataSet().text(),
                                   *Individuals::withPattern("^T[0-9]+", error));
        if (run.run() != CatalogueCommands::Outcome::Done)
            state.SkipWithError("the evaluation did not finish");
    }
}

#define KORVEX_STUDY(name)                                                                         \
    BENCHMARK(name)->Arg(10'000)->Arg(50'000)->Unit(benchmark::kMillisecond)->UseRealTime()
KORVEX_STUDY(BM_Load)->Iterations(3);
KORVEX_STUDY(BM_Save)->Iterations(3);
KORVEX_STUDY(BM_AppendWithPhoto);
KORVEX_STUDY(BM_AppendToList);
KORVEX_STUDY(BM_NextRecord);
KORVEX_STUDY(BM_SelectRecord);
KORVEX_STUDY(BM_ChangeCodeAndUndo);
KORVEX_STUDY(BM_DeleteAndUndo);
KORVEX_STUDY(BM_CompareAndCopy);
KORVEX_STUDY(BM_RecoveryCopy);
KORVEX_STUDY(BM_EncountersTable)->Iterations(3);
KORVEX_STUDY(BM_EncounterCellEdit);
KORVEX_STUDY(BM_PopulationExport)->Iterations(3);
KORVEX_STUDY(BM_Repeatability)->Iterations(3);
KORVEX_STUDY(BM_CheckTheCatalogue)->Iterations(1);
KORVEX_STUDY(BM_EvaluateMatching)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
