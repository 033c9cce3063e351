// How far snapped clicks land from the true junctions of drawn plastrons, how
// much steadier that makes a shell's standardised values, and how long one
// snap takes on a 12-megapixel photo. Prints a table; takes no arguments.
#include "imaging/JunctionSnapper.h"
#include "testing/SeamNetworkPicture.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <vector>

namespace {

using korvex::JunctionSnapper;
using korvex::PhotoPixel;
using korvex::testing::SeamPicture;
using korvex::testing::SeamPictureOptions;

constexpr double kMaxOffset = 8.0;

PhotoPixel offsetClick(PhotoPixel truth, std::mt19937& random) {
    return korvex::testing::offsetClick(truth, kMaxOffset, random);
}

double distance(PhotoPixel a, PhotoPixel b) { return korvex::testing::pixelDistance(a, b); }

double percentile95(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(0.95 * static_cast<double>(values.size() - 1))];
}

struct Case {
    const char* name;
    SeamPictureOptions options;
};

void accuracy(const Case& c, double radius) {
    const SeamPicture picture = korvex::testing::drawPlastron(c.options);
    const JunctionSnapper snapper;
    std::mt19937 random(c.options.seed * 31U + 5U);
    std::vector<double> errors;
    std::vector<double> clickErrors;
    int missed = 0;
    const std::size_t n = picture.junctions.size();
    std::vector<std::vector<double>> raw;
    std::vector<std::vector<double>> snappedValues;
    for (int repeat = 0; repeat < 50; ++repeat) {
        std::vector<PhotoPixel> clicks;
        std::vector<PhotoPixel> landed;
        for (const PhotoPixel& truth : picture.junctions) {
            const PhotoPixel click = offsetClick(truth, random);
            const auto snapped = snapper.snap(picture.patch(), click, radius);
            if (!snapped)
                ++missed;
            clicks.push_back(click);
            landed.push_back(snapped.value_or(click));
            errors.push_back(distance(landed.back(), truth));
            clickErrors.push_back(distance(click, truth));
        }
        korvex::testing::appendStandardised(clicks, raw);
        korvex::testing::appendStandardised(landed, snappedValues);
    }
    double mean = 0.0;
    double clickMean = 0.0;
    for (std::size_t i = 0; i < errors.size(); ++i) {
        mean += errors[i] / static_cast<double>(errors.size());
        clickMean += clickErrors[i] / static_cast<double>(errors.size());
    }
    const double spreadRaw = korvex::testing::meanSpread(raw);
    const double spreadSnapped = korvex::testing::meanSpread(snappedValues);
    std::printf("%-11s %5d x %-5d %3zu x 50  %5.2f %5.2f | %5.2f %5.2f  %4d   %.5f %.5f  %5.1f\n",
                c.name, c.options.width, c.options.height, n, clickMean, percentile95(clickErrors),
                mean, percentile95(errors), missed, spreadRaw, spreadSnapped,
                spreadRaw / spreadSnapped);
}

void speed(double radius) {
    SeamPictureOptions o;
    o.width = 4000;
    o.height = 3000;
    o.minSeamWidth = 8.0;
    o.maxSeamWidth = 16.0;
    o.blur = 2.0;
    o.seed = 99;
    const SeamPicture picture = korvex::testing::drawPlastron(o);
    const JunctionSnapper snapper;
    std::mt19937 random(3);
    std::vector<double> times;
    int found = 0;
    for (int round = 0; round < 10; ++round)
        for (const PhotoPixel& truth : picture.junctions) {
            const PhotoPixel click = offsetClick(truth, random);
            const auto start = std::chrono::steady_clock::now();
            found += snapper.snap(picture.patch(), click, radius) ? 1 : 0;
            const auto stop = std::chrono::steady_clock::now();
            times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
        }
    std::sort(times.begin(), times.end());
    std::printf("12 MP, radius %4.0f px: median %.2f ms, 95th %.2f ms, longest %.2f ms (%d of %zu snapped)\n",
                radius, times[times.size() / 2], percentile95(times), times.back(), found,
                times.size());
}

constexpr auto options = korvex::testing::pictureOptions;

} // namespace

int main() {
    const Case cases[] = {
        {"clean", options(800, 1000, 3.0, 3.0, 0.0, 0.0, 0, 1)},
        {"thin-sharp", options(800, 1000, 1.5, 2.5, 0.5, 3.0, 90, 2)},
        {"blurred", options(800, 1000, 3.0, 6.0, 2.0, 4.0, 75, 3)},
        {"noisy-jpeg", options(800, 1000, 2.0, 5.0, 1.0, 8.0, 40, 4)},
        {"medium", options(1600, 2000, 3.0, 8.0, 1.5, 5.0, 80, 5)},
        {"wide-seams", options(1600, 2000, 6.0, 10.0, 1.5, 5.0, 75, 6)},
        {"12 MP", options(3000, 4000, 4.0, 10.0, 1.5, 5.0, 80, 7)},
    };
    std::printf("Clicks up to %.0f px from the true junction, snap radius 12 px; errors in pixels.\n",
                kMaxOffset);
    std::printf("%-11s %-13s %-9s  clicked     | snapped     missed spread of standardised values\n",
                "picture", "size", "clicks");
    std::printf("%-11s %-13s %-9s  mean  p95   | mean  p95          without  with    ratio\n", "", "", "");
    for (const Case& c : cases)
        accuracy(c, 12.0);
    speed(12.0);
    speed(60.0);
    return 0;
}
