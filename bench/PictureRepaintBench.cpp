// One repaint of a large photograph after zooming in: the cost a user feels on
// every zoom step and every drag of the picture.
#include "uilogic/Coordinates.h"
#include "uilogic/DigitisingModel.h"
#include "ui/JunctionPainter.h"
#include "ui/PictureRenderer.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

using korvex::DigitisingModel;
using korvex::Coordinates::pixelsToTwips;
using korvex::Coordinates::twipsToPixels;

QImage camera6000x4000() {
    QImage image(6000, 4000, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x * 7 + y) & 0xFF, (y * 3) & 0xFF, (x ^ y) & 0xFF);
    }
    return image;
}

// Zoom steps about a point near the viewport's middle ("Zoom" must be ticked).
void zoomIn(DigitisingModel& model, int steps) {
    for (int i = 0; i < steps; ++i)
        model.PointerDown(DigitisingModel::kLeftButton, pixelsToTwips(360.0F),
                          pixelsToTwips(240.0F));
}

// The picture's rectangle and the viewport, in widget pixels.
struct Frame {
    QRectF target;
    QSize viewport;
};
Frame frameOf(const DigitisingModel& model) {
    const auto& v = model.pictureView();
    return {QRectF(twipsToPixels(v.left), twipsToPixels(v.top), twipsToPixels(v.width),
                   twipsToPixels(v.height)),
            QSize(int(twipsToPixels(model.viewportWidth())),
                  int(twipsToPixels(model.viewportHeight())))};
}

// The 6000 x 4000 photo opened in a 720 x 900 pixel viewport.
void openCamera(korvex::PictureRenderer& renderer, DigitisingModel& model) {
    renderer.setImage(camera6000x4000());
    model.setViewportSize(pixelsToTwips(720.0F), pixelsToTwips(900.0F));
    model.OpenPicture("camera.jpg", pixelsToTwips(6000.0F), pixelsToTwips(4000.0F));
}

void BM_RepaintAfterTenZoomSteps(benchmark::State& state) {
    korvex::PictureRenderer renderer;
    DigitisingModel model;
    openCamera(renderer, model);
    // Opening ticks "Drag and Drop"; the first tick on "Zoom" only unticks it.
    model.setChecked(DigitisingModel::kZoomBox, true);
    model.setChecked(DigitisingModel::kZoomBox, true);
    if (!model.checked(DigitisingModel::kZoomBox)) {
        state.SkipWithError("zoom could not be ticked");
        return;
    }
    zoomIn(model, 10);
    const auto [target, viewport] = frameOf(model);
    QImage canvas(viewport, QImage::Format_RGB32);
    for (auto _ : state) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        renderer.draw(painter, target, QRect(QPoint(0, 0), viewport));
        painter.end();
        benchmark::DoNotOptimize(canvas.constBits());
    }
    state.counters["picture_px"] = target.width();
}
BENCHMARK(BM_RepaintAfterTenZoomSteps)->Unit(benchmark::kMillisecond);

// Every junction of the four groups clicked, then the picture zoomed in
// `steps` times about its middle: one repaint draws the picture, then the
// markers, numbers and segments over it.
void BM_RepaintWithAllJunctions(benchmark::State& state) {
    korvex::PictureRenderer renderer;
    DigitisingModel model;
    openCamera(renderer, model);
    for (int box : {1, 2, 5, 6}) {
        model.setChecked(box, true);
        model.setChecked(box, true); // a marginal group's first tick may only untick a tool
        const int clicks = box <= 2 ? 9 : 7;
        for (int i = 0; i < clicks; ++i)
            model.PointerDown(DigitisingModel::kLeftButton,
                              pixelsToTwips(100.0F + 60.0F * float(box)),
                              pixelsToTwips(40.0F + 50.0F * float(i)));
    }
    std::size_t segments = 0;
    for (const auto& s : model.segments())
        segments += s ? 1 : 0;
    if (segments != korvex::MeasurementSheet::kRecordValueCount) {
        state.SkipWithError("not every box got its segment");
        return;
    }
    model.setChecked(DigitisingModel::kZoomBox, true);
    model.setChecked(DigitisingModel::kZoomBox, true);
    zoomIn(model, int(state.range(0)));
    const auto [target, viewport] = frameOf(model);
    const auto& v = model.pictureView();
    auto toWidget = [&v](korvex::PointF p) {
        return QPointF(twipsToPixels(v.left + p.x), twipsToPixels(v.top + p.y));
    };
    QImage canvas(viewport, QImage::Format_RGB32);
    for (auto _ : state) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        renderer.draw(painter, target, QRect(QPoint(0, 0), viewport));
        korvex::JunctionPainter::draw(painter, model, toWidget, QRectF(QPoint(0, 0), viewport));
        painter.end();
        benchmark::DoNotOptimize(canvas.constBits());
    }
}
BENCHMARK(BM_RepaintWithAllJunctions)->Arg(0)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond);

void BM_OpenLargePicture(benchmark::State& state) {
    const QImage image = camera6000x4000();
    for (auto _ : state) {
        korvex::PictureRenderer renderer;
        renderer.setImage(image);
        benchmark::DoNotOptimize(renderer.imageSize());
    }
}
BENCHMARK(BM_OpenLargePicture)->Unit(benchmark::kMillisecond);

} // namespace

// Drawing text needs the application's fonts; the offscreen platform needs no display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
