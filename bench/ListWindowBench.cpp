// Showing a ranked list of 100,000 lines in the list window: the time from a
// finished comparison to a painted window.
#include "ui/Form1.h"
#include "ui/Form2.h"

#include <QApplication>
#include <QListView>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

void BM_ShowHundredThousandRankedLines(benchmark::State& state) {
    korvex::Form1 window;
    auto& listWindow = window.model().listWindow();
    for (auto _ : state) {
        state.PauseTiming();
        listWindow.close();
        QCoreApplication::processEvents();
        korvex::ResultList& list = listWindow.list();
        for (int i = 0; i < 100'000; ++i) {
            char distance[16];
            std::snprintf(distance, sizeof distance, "%.4f", (i * 7919 % 100'000) / 1e4);
            list.add(std::string(distance) + "      K" + std::to_string(i));
        }
        state.ResumeTiming();

        listWindow.redraw();
        listWindow.show();
        korvex::Form2* form = window.listWindow();
        const QPixmap shown = form->grab(); // paints the visible rows, sorting the list first
        benchmark::DoNotOptimize(shown.cacheKey());
        benchmark::DoNotOptimize(form->list()->model()->rowCount());
    }
}
BENCHMARK(BM_ShowHundredThousandRankedLines)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
