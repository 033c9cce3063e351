#include "uilogic/PictureFit.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvex {
namespace {

using P = PictureFit::Placement;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(PictureFitTest, TheWholePictureIsAsLargeAsTheAreaAllowsAndCentred) {
    const struct {
        double aspectW, aspectH, areaW, areaH;
        P expected;
    } rows[] = {
        // A phone photo standing upright in a landscape area: the height decides.
        {3024, 4032, 9000, 6000, {(9000 - 4500) / 2.0, 0, 4500, 6000}},
        // A landscape photo in a portrait area: the width decides.
        {4000, 2000, 6000, 9000, {0, (9000 - 3000) / 2.0, 6000, 3000}},
        // The same proportions: it fills the area exactly.
        {2, 1, 8000, 4000, {0, 0, 8000, 4000}},
        // A one-pixel-wide strip keeps its proportions.
        {1, 3000, 9000, 6000, {4499, 0, 2, 6000}},
    };
    for (const auto& r : rows) {
        const auto fit = PictureFit::whole(r.aspectW, r.aspectH, r.areaW, r.areaH);
        ASSERT_TRUE(fit) << r.aspectW << "x" << r.aspectH;
        EXPECT_DOUBLE_EQ(fit->left, r.expected.left) << r.aspectW << "x" << r.aspectH;
        EXPECT_DOUBLE_EQ(fit->top, r.expected.top) << r.aspectW << "x" << r.aspectH;
        EXPECT_DOUBLE_EQ(fit->width, r.expected.width) << r.aspectW << "x" << r.aspectH;
        EXPECT_DOUBLE_EQ(fit->height, r.expected.height) << r.aspectW << "x" << r.aspectH;
    }
    for (const auto& bad : {P{0, 0, 0, 100}, P{0, 0, 100, -1}, P{0, 0, kNaN, 100}})
        EXPECT_FALSE(PictureFit::whole(bad.width, bad.height, 100, 100));
    EXPECT_FALSE(PictureFit::whole(100, 100, 0, 100));
}

TEST(PictureFitTest, ZoomingKeepsThePointUnderThePointerWhereNoEdgeIsReached) {
    // A picture much larger than the area, the pointer well inside both.
    const P from{-3000, -2000, 20000, 16000};
    const double x = 4000, y = 3000; // viewport twips
    for (double factor : {1.2, 1.0 / 1.2, 1.44}) {
        const auto to = PictureFit::zoomedAbout(from, factor, x, y, 9000, 6000, 1000, 1e8);
        ASSERT_TRUE(to) << factor;
        // The picture point under the pointer, as a share of the picture.
        EXPECT_NEAR((x - to->left) / to->width, (x - from.left) / from.width, 1e-12) << factor;
        EXPECT_NEAR((y - to->top) / to->height, (y - from.top) / from.height, 1e-12) << factor;
        EXPECT_DOUBLE_EQ(to->width, from.width * factor);
        EXPECT_DOUBLE_EQ(to->height, from.height * factor);
    }
}

TEST(PictureFitTest, ZoomingIntoTheWholePhotoKeepsThePointUnderThePointer) {
    // Fitted whole into a wider area: white bands beside it. Zooming in near
    // its left edge keeps that point; the band there narrows, no other opens.
    const P fitted{2250, 0, 4500, 6000};
    const double x = 2600, y = 1000;
    const auto in = PictureFit::zoomedAbout(fitted, 1.728, x, y, 9000, 6000, 4500, 1e8);
    ASSERT_TRUE(in);
    EXPECT_NEAR((x - in->left) / in->width, (x - fitted.left) / fitted.width, 1e-12);
    EXPECT_NEAR((y - in->top) / in->height, (y - fitted.top) / fitted.height, 1e-12);
    EXPECT_GT(in->left, 0);
    EXPECT_LT(in->left, fitted.left);
    EXPECT_LE(in->top, 0);
    EXPECT_GE(in->top + in->height, 6000);
    // Zooming out again: still narrower than the area, it stays inside it
    // across, and still covers it down.
    const auto out = PictureFit::zoomedAbout(*in, 1 / 1.2, 8000, 5000, 9000, 6000, 4500, 1e8);
    ASSERT_TRUE(out);
    EXPECT_GE(out->left, 0);
    EXPECT_LE(out->left + out->width, 9000);
    EXPECT_LE(out->top, 0);
    EXPECT_GE(out->top + out->height, 6000);
}

TEST(PictureFitTest, ZoomingOutLeavesNoWhiteBandAndStopsAtTheLimits) {
    const double areaW = 9000, areaH = 6000;
    // Zooming out about the top-left corner of a picture showing its right
    // part would pull its right edge into the area: it is moved back.
    const P shifted{-11000, -1000, 20000, 8000};
    const auto out = PictureFit::zoomedAbout(shifted, 0.8, 0, 0, areaW, areaH, 4500, 1e8);
    ASSERT_TRUE(out);
    EXPECT_DOUBLE_EQ(out->width, 16000);
    EXPECT_DOUBLE_EQ(out->left, areaW - 16000); // right edge on the area's edge
    EXPECT_DOUBLE_EQ(out->top, areaH - 6400);   // and its bottom edge

    // Down to the minimum width, not past it; at it, a further step does nothing.
    const auto floor = PictureFit::zoomedAbout({0, 0, 5000, 4000}, 0.5, 0, 0, areaW, areaH, 4500,
                                               1e8);
    ASSERT_TRUE(floor);
    EXPECT_DOUBLE_EQ(floor->width, 4500);
    EXPECT_DOUBLE_EQ(floor->height, 3600);
    EXPECT_FALSE(PictureFit::zoomedAbout(*floor, 0.5, 0, 0, areaW, areaH, 4500, 1e8));
    // A picture already smaller than the minimum may grow but not shrink.
    EXPECT_FALSE(PictureFit::zoomedAbout({0, 0, 100, 100}, 0.9, 0, 0, areaW, areaH, 4500, 1e8));
    EXPECT_TRUE(PictureFit::zoomedAbout({0, 0, 100, 100}, 1.2, 0, 0, areaW, areaH, 4500, 1e8));
    // The same at the maximum.
    const auto ceiling = PictureFit::zoomedAbout({0, 0, 9000, 6000}, 10, 0, 0, areaW, areaH, 100,
                                                 20000);
    ASSERT_TRUE(ceiling);
    EXPECT_DOUBLE_EQ(ceiling->width, 20000);
    EXPECT_FALSE(PictureFit::zoomedAbout(*ceiling, 1.2, 0, 0, areaW, areaH, 100, 20000));
    // A factor that is no zoom.
    for (double bad : {0.0, -1.0, kNaN, 1.0})
        EXPECT_FALSE(PictureFit::zoomedAbout({0, 0, 9000, 6000}, bad, 0, 0, areaW, areaH, 100,
                                             20000))
            << bad;
}

TEST(PictureFitTest, APictureIsKeptCoveringALargerAreaOrInsideASmallerOne) {
    const struct {
        double position, size, area, kept;
    } rows[] = {
        {-500, 2000, 1000, -500},  // covering: stays
        {100, 2000, 1000, 0},      // band at the near edge
        {-1500, 2000, 1000, -1000}, // band at the far edge
        {200, 500, 1000, 200},     // inside: stays
        {-50, 500, 1000, 0},       // cut at the near edge
        {700, 500, 1000, 500},     // cut at the far edge
    };
    for (const auto& r : rows)
        EXPECT_DOUBLE_EQ(PictureFit::keptInArea(r.position, r.size, r.area), r.kept)
            << r.position << " " << r.size;
}

} // namespace
} // namespace korvex
