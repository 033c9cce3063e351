// One repaint of a large photograph after zooming in: the cost a user feels on
// every zoom step and every drag of the picture.
#include "ui/Coordinates.h"
#include "ui/DigitisingModel.h"
#include "ui/PictureRenderer.h"

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

void BM_RepaintAfterTenZoomSteps(benchmark::State& state) {
    korvex::PictureRenderer renderer;
    renderer.setImage(camera6000x4000());

    DigitisingModel model;
    model.setViewportSize(pixelsToTwips(720.0F), pixelsToTwips(900.0F));
    model.OpenPicture("camera.jpg", pixelsToTwips(6000.0F), pixelsToTwips(4000.0F));
    // Opening ticks "Drag and Drop"; the first tick on "Zoom" only unticks it.
    model.setChecked(DigitisingModel::kZoomBox, true);
    model.setChecked(DigitisingModel::kZoomBox, true);
    if (!model.checked(DigitisingModel::kZoomBox)) {
        state.SkipWithError("zoom could not be ticked");
        return;
    }
    for (int i = 0; i < 10; ++i)
        model.PointerDown(DigitisingModel::kLeftButton, pixelsToTwips(360.0F),
                          pixelsToTwips(240.0F));

    const auto& v = model.pictureView();
    const QRectF target(twipsToPixels(v.left), twipsToPixels(v.top), twipsToPixels(v.width),
                        twipsToPixels(v.height));
    const QSize viewport(int(twipsToPixels(model.viewportWidth())),
                         int(twipsToPixels(model.viewportHeight())));
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
