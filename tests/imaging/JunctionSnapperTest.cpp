#include "imaging/JunctionSnapper.h"
#include "testing/SeamNetworkPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace korvex {
namespace {

using testing::SeamPicture;
using testing::SeamPictureOptions;

constexpr double kRadius = 12.0;
constexpr double kMaxOffset = 8.0;

PhotoPixel offsetClick(PhotoPixel truth, std::mt19937& random) {
    return testing::offsetClick(truth, kMaxOffset, random);
}

double distance(PhotoPixel a, PhotoPixel b) { return testing::pixelDistance(a, b); }

struct PictureCase {
    std::string name;
    SeamPictureOptions options;
};

class SnapOnDrawnPlastron : public ::testing::TestWithParam<PictureCase> {};

// Clicks near every junction land on it: on average within a pixel, and none
// is taken to another seam crossing or left where it was.
TEST_P(SnapOnDrawnPlastron, ClicksNearAJunctionLandOnIt) {
    const SeamPicture picture = testing::drawPlastron(GetParam().options);
    const JunctionSnapper snapper;
    std::mt19937 random(7);
    double sum = 0.0;
    int count = 0;
    for (int round = 0; round < 4; ++round)
        for (const PhotoPixel& truth : picture.junctions) {
            const PhotoPixel click = offsetClick(truth, random);
            const std::optional<PhotoPixel> snapped = snapper.snap(picture.patch(), click, kRadius);
            ASSERT_TRUE(snapped) << "junction at " << truth.x << ", " << truth.y;
            const double error = distance(*snapped, truth);
            EXPECT_LT(error, 3.0) << "junction at " << truth.x << ", " << truth.y;
            sum += error;
            ++count;
        }
    EXPECT_LE(sum / count, 1.0);
}

constexpr auto options = testing::pictureOptions;

INSTANTIATE_TEST_SUITE_P(
    Pictures, SnapOnDrawnPlastron,
    ::testing::Values(PictureCase{"Clean", options(400, 500, 3.0, 3.0, 0.0, 0.0, 0, 1)},
                      PictureCase{"ThinSharp", options(500, 600, 1.5, 2.5, 0.5, 3.0, 90, 2)},
                      PictureCase{"Blurred", options(500, 600, 3.0, 6.0, 2.0, 4.0, 75, 3)},
                      PictureCase{"WideSeams", options(700, 900, 6.0, 10.0, 1.5, 5.0, 75, 4)},
                      PictureCase{"NoisyJpeg", options(500, 600, 2.0, 5.0, 1.0, 8.0, 40, 5)},
                      PictureCase{"Larger", options(1200, 1500, 3.0, 8.0, 1.5, 5.0, 80, 6)}),
    [](const ::testing::TestParamInfo<PictureCase>& param) { return param.param.name; });

// Where no junction stands out the click is left alone: on a lone seam, on
// blank textured shell, and on bad input.
TEST(JunctionSnapper, GivesNothingWhereNoJunctionStandsOut) {
    SeamPictureOptions o = options(500, 600, 3.0, 5.0, 1.0, 4.0, 75, 11);
    const SeamPicture picture = testing::drawPlastron(o);
    const JunctionSnapper snapper;
    // Halfway between two junctions on the midline, far from both.
    const PhotoPixel a = picture.junctions[0];
    const PhotoPixel b = picture.junctions[1];
    EXPECT_FALSE(snapper.snap(picture.patch(), {(a.x + b.x) / 2.0, (a.y + b.y) / 2.0}, kRadius));
    // Blank shell between the midline and the edge.
    EXPECT_FALSE(snapper.snap(picture.patch(), {0.25 * o.width + 3.0, (a.y + b.y) / 2.0}, kRadius));

    const PhotoPixel near = picture.junctions[0];
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::pair<GreyPatch, PhotoPixel>> bad = {
        {GreyPatch{}, near},
        {GreyPatch{o.width, o.height, nullptr, static_cast<std::size_t>(o.width)}, near},
        {GreyPatch{o.width, o.height, picture.pixels.data(), 10}, near},
        {picture.patch(), PhotoPixel{-1.0, near.y}},
        {picture.patch(), PhotoPixel{near.x, o.height + 1.0}},
        {picture.patch(), PhotoPixel{nan, near.y}},
    };
    for (const auto& [patch, click] : bad)
        EXPECT_FALSE(snapper.snap(patch, click, kRadius));
    EXPECT_FALSE(snapper.snap(picture.patch(), near, 0.0));
    EXPECT_FALSE(snapper.snap(picture.patch(), near, nan));
    EXPECT_FALSE(snapper.snap(picture.patch(), near, std::numeric_limits<double>::infinity()));
}

// A patch that is a window into a larger picture (a row stride wider than the
// patch) finds the same junction, moved by the window's corner.
TEST(JunctionSnapper, AWindowIntoThePictureFindsTheSameJunction) {
    const SeamPicture picture = testing::drawPlastron(options(500, 600, 3.0, 5.0, 1.0, 4.0, 75, 12));
    const JunctionSnapper snapper;
    const PhotoPixel truth = picture.junctions[2];
    const PhotoPixel click{truth.x + 5.0, truth.y - 3.0};
    const std::optional<PhotoPixel> whole = snapper.snap(picture.patch(), click, kRadius);
    ASSERT_TRUE(whole);
    const int left = static_cast<int>(truth.x) - 60;
    const int top = static_cast<int>(truth.y) - 50;
    const GreyPatch window{120, 100, picture.pixels.data() + top * picture.width + left,
                           static_cast<std::size_t>(picture.width)};
    const std::optional<PhotoPixel> part =
        snapper.snap(window, {click.x - left, click.y - top}, kRadius);
    ASSERT_TRUE(part);
    EXPECT_NEAR(part->x + left, whole->x, 1e-6);
    EXPECT_NEAR(part->y + top, whole->y, 1e-6);
}

// Two straight dark seams crossing at right angles at `centre`, which may lie
// off the picture, each `half` pixels either side of its centre line.
struct Crossing {
    int width;
    int height;
    std::vector<std::uint8_t> pixels;
    GreyPatch patch() const {
        return {width, height, pixels.data(), static_cast<std::size_t>(width)};
    }
};

Crossing drawCrossing(int width, int height, PhotoPixel centre, double half) {
    Crossing c{width, height,
               std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 200)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double u = x + 0.5 - centre.x;
            const double v = y + 0.5 - centre.y;
            if (std::min(std::abs(u - v), std::abs(u + v)) / std::numbers::sqrt2 < half)
                c.pixels[static_cast<std::size_t>(y) * width + x] = 60;
        }
    return c;
}

// Near the photo's edges a junction on the photo is found, and seams that
// only meet beyond it give nothing: a junction the user cannot see is never
// where a click lands.
TEST(JunctionSnapper, AJunctionIsFoundOnThePhotoOnly) {
    struct Case {
        const char* name;
        PhotoPixel centre;
        PhotoPixel click;
        bool found;
    };
    const JunctionSnapper snapper;
    for (const Case& c : {Case{"just inside the left edge", {3.0, 100.0}, {1.0, 100.0}, true},
                          Case{"just inside the right edge", {197.0, 100.0}, {199.0, 101.0}, true},
                          Case{"beyond the left edge", {-4.0, 100.0}, {0.5, 100.0}, false},
                          Case{"beyond the right edge", {204.0, 100.0}, {199.0, 100.0}, false},
                          Case{"beyond the top edge", {100.0, -4.0}, {100.0, 0.5}, false},
                          Case{"beyond the bottom edge", {100.0, 204.0}, {100.0, 200.0}, false}}) {
        const Crossing picture = drawCrossing(200, 200, c.centre, 1.5);
        const std::optional<PhotoPixel> snapped = snapper.snap(picture.patch(), c.click, kRadius);
        ASSERT_EQ(snapped.has_value(), c.found) << c.name;
        if (snapped) {
            EXPECT_LT(distance(*snapped, c.centre), 0.5) << c.name;
        }
    }
}

// However large the radius, the snap runs over no more than the photo and
// finds what a radius of the photo's diagonal finds; tiny and flat photos give
// nothing.
TEST(JunctionSnapper, ARadiusBeyondThePhotoSearchesThePhoto) {
    const JunctionSnapper snapper;
    const Crossing picture = drawCrossing(64, 64, {32.0, 32.0}, 5.0);
    const PhotoPixel click{34.0, 31.0};
    const double diagonal = std::hypot(64.0, 64.0);
    const std::optional<PhotoPixel> whole = snapper.snap(picture.patch(), click, diagonal);
    ASSERT_TRUE(whole);
    EXPECT_LT(distance(*whole, {32.0, 32.0}), 0.5);
    for (const double radius :
         {4.0 * diagonal, 1e6, 1e9, 1e12, 1e300, std::numeric_limits<double>::max()}) {
        const std::optional<PhotoPixel> snapped = snapper.snap(picture.patch(), click, radius);
        ASSERT_TRUE(snapped) << radius;
        EXPECT_EQ(*snapped, *whole) << radius;
    }

    for (const int side : {1, 2, 3, 8, 300}) {
        const std::vector<std::uint8_t> grey(static_cast<std::size_t>(side) * side, 128);
        const GreyPatch flat{side, side, grey.data(), static_cast<std::size_t>(side)};
        for (const double radius : {kRadius, 1e12}) {
            EXPECT_FALSE(snapper.snap(flat, {side / 2.0, side / 2.0}, radius)) << side;
        }
    }
}

// A photo shown small asks for a wide radius: the junction is still found
// where it is, far closer than a pixel of the screen (a twelfth of the
// radius), though the region searched is then most of the photo and is
// halved as grey bytes before it is searched.
TEST(JunctionSnapper, AWideRadiusFindsTheJunctionToo) {
    const JunctionSnapper snapper;
    const Crossing picture = drawCrossing(1500, 1500, {700.0, 760.0}, 12.0);
    for (const double radius : {100.0, 300.0, 1000.0, 3000.0}) {
        const auto snapped = snapper.snap(picture.patch(), {730.0, 735.0}, radius);
        ASSERT_TRUE(snapped) << radius;
        EXPECT_LT(distance(*snapped, {700.0, 760.0}), 1.0 + radius / 1000.0) << radius;
    }
}

// Repeated noisy clicks of one shell: its standardised midline lengths vary
// far less when every click is snapped.
TEST(JunctionSnapper, SnappingSteadiesStandardisedValues) {
    const SeamPicture picture = testing::drawPlastron(options(600, 750, 2.0, 5.0, 1.0, 5.0, 75, 13));
    const JunctionSnapper snapper;
    std::mt19937 random(21);
    std::vector<std::vector<double>> raw;
    std::vector<std::vector<double>> snapped;
    for (int repeat = 0; repeat < 50; ++repeat) {
        std::vector<PhotoPixel> clicks;
        std::vector<PhotoPixel> landed;
        for (const PhotoPixel& truth : picture.junctions) {
            clicks.push_back(offsetClick(truth, random));
            landed.push_back(snapper.snap(picture.patch(), clicks.back(), kRadius).value_or(clicks.back()));
        }
        testing::appendStandardised(clicks, raw);
        testing::appendStandardised(landed, snapped);
    }
    EXPECT_GE(testing::meanSpread(raw), 3.0 * testing::meanSpread(snapped));
}

} // namespace
} // namespace korvex
