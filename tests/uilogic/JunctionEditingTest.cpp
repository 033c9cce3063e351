#include "uilogic/DigitisingModel.h"

#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

namespace korvex {
namespace {

using G = SeamGroupId;
constexpr int kLeftMarginalBox = 1;
constexpr int kLeftCentralBox = 5;
constexpr int kZoom = DigitisingModel::kZoomBox;
constexpr int kLeft = DigitisingModel::kLeftButton;

// A 6000 x 4000 photo fitted into a 9000-twip viewport: 2/3 photo pixel per
// twip, so a click at (x, y) twips is photo pixel (2x/3, 2y/3).
class JunctionEditingTest : public ::testing::Test {
protected:
    void SetUp() override {
        m.setViewportSize(9000.0F, 9000.0F);
        m.showAtNaturalSize(0.0F, 0.0F, 8000.0F, 6000.0F);
        ASSERT_TRUE(m.OpenPicture("p.jpg", 6000 * 15.0F, 4000 * 15.0F));
    }
    void startGroup(int box, G group) {
        m.setChecked(box, true); // a first tick may only untick "Drag and Drop"
        m.setChecked(box, true);
        ASSERT_TRUE(m.state().groupActive[static_cast<std::size_t>(group)] == 1);
    }
    void clicks(std::initializer_list<PointF> points) {
        for (PointF p : points)
            m.PointerDown(kLeft, p.x, p.y);
    }
    void zoomIn() {
        m.setChecked(kZoom, true);
        m.PointerDown(kLeft, 0, 0); // picture twips x 1.1
        m.setChecked(kZoom, false);
    }
    // The first junctions of a staircase, clicked unzoomed: seven for a
    // central group, nine for a marginal one.
    void clickStairs(std::size_t junctions) {
        static constexpr PointF kStairs[] = {{0, 0},       {1500, 0},    {1500, 600},
                                             {3000, 600},  {3000, 1500}, {4500, 1500},
                                             {4500, 3000}, {6000, 3000}, {6000, 4500}};
        for (std::size_t i = 0; i < junctions; ++i)
            m.PointerDown(kLeft, kStairs[i].x, kStairs[i].y);
    }
    void clickCentralGroup() {
        startGroup(kLeftCentralBox, G::LeftCentral);
        clickStairs(7);
    }
    const std::string& cell(G group, std::size_t i) const { return m.sheet().cell(group, i); }
    const std::optional<PhotoSegment>& segment(G group, std::size_t i) const {
        return m.segments().at(seamGroup(group).firstSheetIndex + i);
    }
    double value(G group, std::size_t i) const { return readNumber(cell(group, i)); }
    // The sum of a standardised group's values, each checked to be a
    // "0.0000" text.
    double shareTotal(G group) const {
        double total = 0.0;
        for (std::size_t i = 0; i < seamGroup(group).count; ++i) {
            EXPECT_EQ(cell(group, i).size(), 6U) << cell(group, i);
            total += value(group, i);
        }
        return total;
    }
    static double distance(const std::optional<PhotoSegment>& s) {
        return std::hypot(s->to.x - s->from.x, s->to.y - s->from.y);
    }

    DigitisingModel m;
};

TEST_F(JunctionEditingTest, MovingAJunctionOfAnUnfinishedGroupRescalesBothSeams) {
    startGroup(kLeftMarginalBox, G::LeftMarginal);
    clicks({{0, 0}, {3000, 0}, {3000, 1500}});
    ASSERT_EQ(cell(G::LeftMarginal, 0), "3000");
    ASSERT_EQ(cell(G::LeftMarginal, 1), "1500");

    ASSERT_TRUE(m.moveJunction({2000, 0}, {2000, 500}));
    // Each seam keeps its twips: new length = old x new distance / old distance.
    EXPECT_NEAR(value(G::LeftMarginal, 0), 3000.0 * std::hypot(2000, 500) / 2000.0, 1e-9);
    EXPECT_NEAR(value(G::LeftMarginal, 1), 750.0, 1e-9);
    EXPECT_EQ(segment(G::LeftMarginal, 0), (PhotoSegment{{0, 0}, {2000, 500}}));
    EXPECT_EQ(segment(G::LeftMarginal, 1), (PhotoSegment{{2000, 500}, {2000, 1000}}));
    EXPECT_FALSE(m.measuredInPhotoPixels(G::LeftMarginal));

    // The chain goes on from its last point; a move of that point moves its start.
    ASSERT_TRUE(m.moveJunction({2000, 1000}, {2100, 1000}));
    clicks({{3150, 3000}});
    EXPECT_EQ(segment(G::LeftMarginal, 2), (PhotoSegment{{2100, 1000}, {2100, 2000}}));
    EXPECT_EQ(cell(G::LeftMarginal, 2), "1500");

    // Undo takes back the click, then each move, like clicks.
    ASSERT_TRUE(m.undoLastClick());
    ASSERT_TRUE(m.undoLastClick());
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_EQ(cell(G::LeftMarginal, 0), "3000");
    EXPECT_EQ(cell(G::LeftMarginal, 1), "1500");
    EXPECT_EQ(segment(G::LeftMarginal, 0), (PhotoSegment{{0, 0}, {2000, 0}}));
    EXPECT_EQ(segment(G::LeftMarginal, 1), (PhotoSegment{{2000, 0}, {2000, 1000}}));
    EXPECT_FALSE(segment(G::LeftMarginal, 2));
    clicks({{3000, 3000}});
    EXPECT_EQ(segment(G::LeftMarginal, 2), (PhotoSegment{{2000, 1000}, {2000, 2000}}));
}

TEST_F(JunctionEditingTest, MovingAJunctionOfAFinishedGroupMeasuresItInPhotoPixels) {
    clickCentralGroup();
    ASSERT_TRUE(m.canMeasureFromJunctions(G::LeftCentral));
    ASSERT_EQ(cell(G::LeftCentral, 0), "1500");
    // A junction dropped where it was moves nothing, and measures nothing.
    EXPECT_FALSE(m.moveJunction({1000, 0}, {1000, 0}));
    EXPECT_FALSE(m.measuredInPhotoPixels(G::LeftCentral));
    EXPECT_EQ(cell(G::LeftCentral, 0), "1500");

    ASSERT_TRUE(m.moveJunction({1000, 0}, {1000, 100}));
    EXPECT_TRUE(m.measuredInPhotoPixels(G::LeftCentral));
    EXPECT_EQ(cell(G::LeftCentral, 0), lengthText(std::hypot(1000, 100)));
    EXPECT_EQ(cell(G::LeftCentral, 1), "300");  // 400 - 100 photo pixels
    EXPECT_EQ(cell(G::LeftCentral, 2), "1000"); // unmoved seams in photo pixels too
    EXPECT_EQ(cell(G::LeftCentral, 5), "1000");

    ASSERT_TRUE(m.undoLastClick());
    EXPECT_FALSE(m.measuredInPhotoPixels(G::LeftCentral));
    EXPECT_EQ(cell(G::LeftCentral, 0), "1500");
    EXPECT_EQ(cell(G::LeftCentral, 1), "600");
    EXPECT_EQ(cell(G::LeftCentral, 5), "1500");
}

TEST_F(JunctionEditingTest, AStandardisedGroupIsStandardisedAgain) {
    clickCentralGroup();
    m.standardise(G::LeftCentral);
    ASSERT_TRUE(m.sheet().labelsLower(G::LeftCentral));
    const std::string before = cell(G::LeftCentral, 0);

    ASSERT_TRUE(m.moveJunction({1000, 0}, {1000, 100}));
    EXPECT_NEAR(shareTotal(G::LeftCentral), 1.0, 6e-4);
    EXPECT_NE(cell(G::LeftCentral, 0), before);
    EXPECT_TRUE(m.sheet().labelsLower(G::LeftCentral));

    ASSERT_TRUE(m.undoLastClick());
    EXPECT_EQ(cell(G::LeftCentral, 0), before);
}

// A standardised group with a value that has no junctions (typed before
// standardising) cannot be measured from them; a move still leaves its
// proportions adding up to 1, and undo gives every one of them back.
TEST_F(JunctionEditingTest, AStandardisedGroupWithATypedValueStillAddsUpToOne) {
    startGroup(kLeftMarginalBox, G::LeftMarginal);
    clickStairs(9);
    m.setBoxText(G::LeftMarginal, 2, "700");
    m.standardise(G::LeftMarginal);
    ASSERT_TRUE(m.sheet().labelsLower(G::LeftMarginal));
    std::vector<std::string> before;
    for (std::size_t i = 0; i < 8; ++i)
        before.push_back(cell(G::LeftMarginal, i));

    ASSERT_TRUE(m.moveJunction({1000, 0}, {1000, 200}));
    EXPECT_NEAR(shareTotal(G::LeftMarginal), 1.0, 8e-4);
    EXPECT_TRUE(m.sheet().labelsLower(G::LeftMarginal));
    // M1 grew and M2 shrank against the other seams, M3 kept its share of them.
    EXPECT_GT(value(G::LeftMarginal, 0) / value(G::LeftMarginal, 3),
              readNumber(before[0]) / readNumber(before[3]));
    EXPECT_LT(value(G::LeftMarginal, 1) / value(G::LeftMarginal, 3),
              readNumber(before[1]) / readNumber(before[3]));
    EXPECT_NEAR(value(G::LeftMarginal, 2) / value(G::LeftMarginal, 3),
                readNumber(before[2]) / readNumber(before[3]), 2e-3);

    ASSERT_TRUE(m.undoLastClick());
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(cell(G::LeftMarginal, i), before[i]) << i;
}

TEST_F(JunctionEditingTest, AGroupClickedAcrossAZoomStepIsFlaggedUntilMeasured) {
    startGroup(kLeftCentralBox, G::LeftCentral);
    clicks({{0, 0}, {1500, 0}, {1500, 600}});
    EXPECT_FALSE(m.mixesScales(G::LeftCentral));
    zoomIn();
    ASSERT_TRUE(m.state().groupActive[static_cast<std::size_t>(G::LeftCentral)] == 1);
    // Photo pixel (1000, 400) now lies at twips (1650, 660).
    clicks({{3300, 660}, {3300, 1650}, {4950, 1650}, {4950, 3300}});
    ASSERT_TRUE(m.canMeasureFromJunctions(G::LeftCentral));
    EXPECT_TRUE(m.mixesScales(G::LeftCentral));
    m.standardise(G::LeftCentral); // proportions of mixed scales are still flagged
    EXPECT_TRUE(m.mixesScales(G::LeftCentral));

    ASSERT_TRUE(m.measureFromJunctions(G::LeftCentral));
    EXPECT_FALSE(m.mixesScales(G::LeftCentral));
    EXPECT_TRUE(m.measuredInPhotoPixels(G::LeftCentral));
    // 1000, 400, 1000, 600, 1000, 1000 photo pixels over their total of 5000.
    EXPECT_EQ(cell(G::LeftCentral, 0), "0.2000");
    EXPECT_EQ(cell(G::LeftCentral, 1), "0.0800");
    EXPECT_EQ(cell(G::LeftCentral, 5), "0.2000");

    ASSERT_TRUE(m.undoLastClick());
    EXPECT_TRUE(m.mixesScales(G::LeftCentral));
    // Typing a value forgets its junctions and that it was measured.
    ASSERT_TRUE(m.measureFromJunctions(G::LeftCentral));
    m.setBoxText(G::LeftCentral, 0, "0.3");
    EXPECT_FALSE(m.measuredInPhotoPixels(G::LeftCentral));
    EXPECT_FALSE(m.canMeasureFromJunctions(G::LeftCentral));
}

// Two clicks a fraction of a twip apart (a click snapped twice onto one
// junction) make a seam whose value is mostly the rounding of the first
// click: moved apart, it keeps the unit of its zoom step, 1.5 twips per
// photo pixel here, like every other seam of the group.
TEST_F(JunctionEditingTest, ASeamOfTwoCloseClicksKeepsItsUnitWhenMoved) {
    startGroup(kLeftMarginalBox, G::LeftMarginal);
    clicks({{0, 0}, {3000.4F, 0}, {3000.41F, 0}, {3000.41F, 1500}});
    const PhotoPixel end = segment(G::LeftMarginal, 1)->to;
    const PhotoPixel to{end.x + 100.0, end.y};
    ASSERT_TRUE(m.moveJunction(end, to));
    EXPECT_NEAR(value(G::LeftMarginal, 0), 3000.4, 0.01);
    EXPECT_NEAR(value(G::LeftMarginal, 1), 1.5 * distance(segment(G::LeftMarginal, 1)), 0.01);
    EXPECT_NEAR(value(G::LeftMarginal, 2), 1.5 * distance(segment(G::LeftMarginal, 2)), 0.01);
}

// A group measured in photo pixels, then one of its seams clicked again in
// twips, mixes two units: it is said so until it is measured again, and
// taking the click back gives the group measured as it was.
TEST_F(JunctionEditingTest, ASeamClickedAgainAfterMeasuringIsFlaggedUntilMeasuredAgain) {
    clickCentralGroup();
    ASSERT_TRUE(m.measureFromJunctions(G::LeftCentral));
    ASSERT_EQ(cell(G::LeftCentral, 0), "1000");
    clicks({{0, 0}, {1500, 0}});
    ASSERT_EQ(cell(G::LeftCentral, 0), "1500");
    EXPECT_FALSE(m.measuredInPhotoPixels(G::LeftCentral));
    EXPECT_TRUE(m.mixesScales(G::LeftCentral));

    ASSERT_TRUE(m.undoLastClick());
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_EQ(cell(G::LeftCentral, 0), "1000");
    EXPECT_TRUE(m.measuredInPhotoPixels(G::LeftCentral));
    EXPECT_FALSE(m.mixesScales(G::LeftCentral));

    clicks({{0, 0}, {1500, 0}});
    ASSERT_TRUE(m.measureFromJunctions(G::LeftCentral));
    EXPECT_FALSE(m.mixesScales(G::LeftCentral));
    EXPECT_EQ(cell(G::LeftCentral, 0), "1000");
    // Taking the measuring back leaves the mixed group said so again.
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_TRUE(m.mixesScales(G::LeftCentral));

    // A measured group put back beside its values (a record shown with its
    // photo) is in photo pixels as well.
    ASSERT_TRUE(m.measureFromJunctions(G::LeftCentral));
    const DigitisingModel::Segments kept = m.segments();
    for (std::size_t i = 0; i < 6; ++i)
        m.setBoxText(G::LeftCentral, i, std::string(cell(G::LeftCentral, i)));
    m.restoreSegments(kept, {false, false, true, false});
    ASSERT_TRUE(m.measuredInPhotoPixels(G::LeftCentral));
    m.endChain();
    clicks({{0, 0}, {1500, 0}});
    EXPECT_TRUE(m.mixesScales(G::LeftCentral));
}

TEST_F(JunctionEditingTest, WhatCannotBeMovedOrMeasuredChangesNothing) {
    startGroup(kLeftMarginalBox, G::LeftMarginal);
    clicks({{0, 0}, {3000, 0}, {3000, 1500}});
    const auto serial = m.segmentsSerial();
    struct Move {
        PhotoPixel from;
        PhotoPixel to;
    };
    for (const Move& move : {Move{{10, 10}, {20, 20}},      // no junction there
                             Move{{2000, 0}, {2000, 0}},    // a drop where it was
                             Move{{2000, 0}, {-1, 0}},      // off the photo
                             Move{{2000, 0}, {2000, 4001}}, // off the photo
                             Move{{2000, 0}, {NAN, 10}}}) {
        EXPECT_FALSE(m.moveJunction(move.from, move.to));
    }
    EXPECT_EQ(m.segmentsSerial(), serial);
    EXPECT_EQ(cell(G::LeftMarginal, 0), "3000");
    EXPECT_FALSE(m.measureFromJunctions(G::LeftMarginal)); // 2 of its 8 seams
    EXPECT_FALSE(m.measureFromJunctions(G::LeftCentral2)); // values without junctions
    EXPECT_EQ(cell(G::LeftMarginal, 1), "1500");

    // Three distinct junctions; the nearest within the radius is found.
    EXPECT_EQ(m.junctions().size(), 3U);
    EXPECT_EQ(m.junctionNear({1995, 8}, 10.0), (PhotoPixel{2000, 0}));
    EXPECT_FALSE(m.junctionNear({1980, 8}, 10.0));
}

// Standardised, then ticked again to click on: the labels turn upper case
// while the boxes still hold shares, and a moved seam's share changes by the
// ratio of its distances instead of turning into a length in twips.
TEST_F(JunctionEditingTest, AShareTickedAgainChangesByTheRatioWhenMoved) {
    startGroup(kLeftMarginalBox, G::LeftMarginal);
    clicks({{0, 0}, {3000, 0}, {3000, 1500}});
    m.standardise(G::LeftMarginal); // 3000 and 1500 of 4500
    startGroup(kLeftMarginalBox, G::LeftMarginal);
    ASSERT_FALSE(m.sheet().labelsLower(G::LeftMarginal));
    ASSERT_EQ(cell(G::LeftMarginal, 0), "0.6667");

    ASSERT_TRUE(m.moveJunction({2000, 1000}, {2000, 500}));
    EXPECT_NEAR(value(G::LeftMarginal, 1), 0.3333 / 2, 1e-9);
    EXPECT_EQ(cell(G::LeftMarginal, 0), "0.6667");
}

// The chain goes on from a junction moved after a zoom step, converted at
// the new step: the next length is of one scale, and is not said to mix two
// (the group does, as C1 was clicked at the step before).
TEST_F(JunctionEditingTest, TheChainGoesOnFromAMovedJunctionAtTheStepItWasMovedAt) {
    startGroup(kLeftCentralBox, G::LeftCentral);
    clicks({{0, 0}, {1500, 0}});
    zoomIn();
    ASSERT_TRUE(m.moveJunction({1000, 0}, {1000, 100}));
    EXPECT_EQ(m.nextClickText(), "Next click: C2, from junction 2");
    // Photo pixel (1000, 100) lies at twips (1650, 165), (1000, 500) at (1650, 825).
    clicks({{1650, 825}});
    EXPECT_EQ(cell(G::LeftCentral, 1), "660");
    ASSERT_TRUE(m.undoLastClick());
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_EQ(m.nextClickText(), "Next click: C2, from junction 2 (clicked before a zoom step, so "
                                 "this length would mix two scales)");
}

// The start marker shows where on the photo the chain began: a zoom step or
// a move of that junction takes it along, and undo of the move puts it back.
TEST_F(JunctionEditingTest, TheChainStartStaysOnItsJunction) {
    startGroup(kLeftCentralBox, G::LeftCentral);
    clicks({{3000, 1500}, {4500, 1500}});
    ASSERT_EQ(m.chainStart(), (PointI{3000, 1500}));
    zoomIn();
    EXPECT_EQ(m.chainStart(), (PointI{3300, 1650}));
    ASSERT_TRUE(m.moveJunction({2000, 1000}, {2200, 1000}));
    EXPECT_EQ(m.chainStart(), (PointI{3630, 1650}));
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_EQ(m.chainStart(), (PointI{3300, 1650}));
}

} // namespace
} // namespace korvex
