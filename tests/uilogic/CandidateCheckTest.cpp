#include "uilogic/CandidateCheck.h"
#include "uilogic/PaneView.h"

#include "../analysis/CatalogueFixtures.h"
#include "analysis/ComparisonRun.h"
#include "analysis/ListColumns.h"
#include "model/DataSet.h"
#include "model/RecordLine.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace korvex {
namespace {

using namespace ComparisonRun;
constexpr Measure MarginalD1 = Measure::D1;
constexpr Measure CentralD2 = Measure::D2;
constexpr Measure Combined = Measure::D;
using DistancePasses::carried;
using DistancePasses::kD1Decimals;
using DistancePasses::kD2Decimals;

double sumOf(const std::vector<CandidateCheck::Bar>& bars) {
    double sum = 0.0;
    for (const auto& bar : bars)
        sum += bar.value;
    return sum;
}

// For every ranked line of a generated catalogue (ties, repeated lines and
// codes, and a short line that cuts the passes short): the check names the
// line's record, and its bars add up to the distance the line lists.
TEST(CandidateCheck, TheBarsOfEveryRankedLineAddUpToItsDistance) {
    const auto catalogue = test::generateCatalogue(5, 60);
    MeasurementSheet sheet;
    fillRecordValues(catalogue.pieces[3],
                     [&](std::size_t i, std::string_view v) { sheet.setValue(i, std::string(v)); });
    for (Measure command : {MarginalD1, CentralD2, Combined}) {
        ComparisonState state;
        ResultList list;
        test::SilentHost host;
        ASSERT_TRUE(comp_Click(command, sheet, catalogue.text, state, list, host));
        ASSERT_GT(list.count(), 3U);
        // The catalogue's first short line cuts the passes short.
        const std::size_t complete = std::size_t(std::count_if(
            catalogue.pieces.begin(), catalogue.pieces.end(),
            [](const std::string& p) { return SpecimenRecord::splitFields(p).size() >= 29; }));
        ASSERT_LT(list.count(), complete);
        std::vector<bool> seen(catalogue.pieces.size() + 1, false);
        // The sheet may change after the comparison: the check keeps to what
        // the distances were measured from.
        sheet.setValue(0, "0.9");
        for (std::size_t p = 0; p < list.count(); ++p) {
            SCOPED_TRACE(testing::Message() << "command " << command << " line " << p);
            const auto check = CandidateCheck::of(state, list, p);
            ASSERT_TRUE(check);
            ASSERT_GE(check->recordNumber, 1U);
            EXPECT_EQ(check->recordLine, catalogue.pieces[check->recordNumber - 1]);
            EXPECT_EQ(check->code, SpecimenRecord::codeOf(check->recordLine));
            // The line itself names the code; no record stands behind two lines.
            EXPECT_EQ(list.line(p).substr(ListColumns::kHeadWidth + 3), check->code);
            EXPECT_FALSE(seen[check->recordNumber]);
            seen[check->recordNumber] = true;
            std::size_t occurrence = 0;
            for (std::size_t i = 0; i < check->recordNumber; ++i)
                occurrence += catalogue.pieces[i] == check->recordLine;
            EXPECT_EQ(check->occurrence, occurrence);

            const double d1 = sumOf(check->marginalBars);
            const double d2 = sumOf(check->centralBars);
            if (command != CentralD2) {
                ASSERT_EQ(check->marginalBars.size(), 16U);
                EXPECT_EQ(fixedText(d1, kD1Decimals), fixedText(check->terms.d1, kD1Decimals));
            } else {
                EXPECT_TRUE(check->marginalBars.empty());
            }
            if (command != MarginalD1) {
                ASSERT_EQ(check->centralBars.size(), 5U);
                EXPECT_EQ(fixedText(d2, kD2Decimals), fixedText(check->terms.d2, kD2Decimals));
            } else {
                EXPECT_TRUE(check->centralBars.empty());
            }
            const std::string listed =
                command == MarginalD1 ? fixedText(carried(d1, kD1Decimals), kRankedDecimals)
                : command == CentralD2
                    ? fixedText(carried(d2, kD2Decimals), kRankedDecimals)
                    : fixedText(std::sqrt(carried(d1, kD1Decimals) * carried(d2, kD2Decimals)),
                                kCombinedDecimals);
            EXPECT_EQ(check->listedText, listed);
            if (command == Combined) {
                EXPECT_EQ(check->distanceText, check->listedText);
            }
            EXPECT_EQ(check->rows.size(), command == Combined     ? 28U
                                          : command == MarginalD1 ? 16U
                                                                  : 12U);
        }
        EXPECT_FALSE(CandidateCheck::of(state, list, list.count()));
        sheet = MeasurementSheet();
        fillRecordValues(catalogue.pieces[3], [&](std::size_t i, std::string_view v) {
            sheet.setValue(i, std::string(v));
        });
    }
}

TEST(CandidateCheck, ABarStandsForTheSeamsItsTermComesFrom) {
    MeasurementSheet sheet;
    for (std::size_t i = 0; i < 28; ++i)
        sheet.setValue(i, "0.1");
    std::string line = "A";
    for (std::size_t i = 0; i < 28; ++i)
        line += i == 4 ? "\t0.3" : i == 17 ? "\t0.2" : "\t0.1";
    ComparisonState state;
    ResultList list;
    test::SilentHost host;
    comp_Click(Combined, sheet, line + "\r\n", state, list, host);
    const auto check = CandidateCheck::of(state, list, 0);
    ASSERT_TRUE(check);
    // M5 differs: 0.2 / 0.4. C2 (index 17) is longer by 0.1: every junction
    // from the second on moves by 0.1 on the left, 50 x 0.1 each.
    EXPECT_EQ(check->marginalBars[4].label, "M5");
    EXPECT_EQ(check->marginalBars[4].valueText, "0.5000");
    EXPECT_EQ(check->marginalBars[4].seams, std::vector<std::size_t>{4});
    EXPECT_EQ(check->centralBars[0].valueText, "0.00000");
    EXPECT_EQ(check->centralBars[1].label, "J2 C2/C8");
    EXPECT_EQ(check->centralBars[1].valueText, "5.00000");
    EXPECT_EQ(check->centralBars[1].seams, (std::vector<std::size_t>{17, 23}));
    EXPECT_EQ(check->rows[17].seam, "C2");
    EXPECT_EQ(check->rows[17].recordValue, "0.20000");
    EXPECT_EQ(check->rows[17].term, "J2 5.00000");
    EXPECT_EQ(check->rows[21].term, ""); // C6 closes no junction
}

TEST(CandidateCheck, TheSheetsSpecimenIsTheRecordHoldingItsValues) {
    MeasurementSheet sheet;
    for (std::size_t i = 0; i < 28; ++i)
        sheet.setValue(i, "0.1");
    MeasurementSheet other = sheet;
    other.setValue(3, "0.2");
    const std::string mine = SpecimenRecord::BuildRecordLine("B", sheet);
    const std::string text = SpecimenRecord::BuildRecordLine("A", other) + "\r\n" + mine + "\r\n" +
                             mine + "\r\n" + SpecimenRecord::BuildRecordLine("A", other) + "\r\n";
    ComparisonState state;
    ResultList list;
    test::SilentHost host;
    comp_Click(MarginalD1, sheet, text, state, list, host);
    struct Case {
        long long shown;
        std::size_t record, occurrence;
    } cases[] = {{1, 3, 2}, {2, 2, 1}, {3, 3, 2}, {9, 3, 2}};
    for (const Case& c : cases) {
        const auto s = CandidateCheck::sheetSpecimen(state, c.shown);
        EXPECT_EQ(s.recordNumber, c.record) << c.shown;
        EXPECT_EQ(s.occurrence, c.occurrence) << c.shown;
        EXPECT_EQ(s.code, "B");
        EXPECT_EQ(s.recordLine, mine);
    }
    sheet.setValue(0, "0.3"); // a sheet never stored
    comp_Click(MarginalD1, sheet, text, state, list, host);
    EXPECT_EQ(CandidateCheck::sheetSpecimen(state, 2).recordNumber, 0U);
    EXPECT_EQ(CandidateCheck::sheetSpecimen(state, 2).occurrence, 0U);

    // Fields after the 28 values are no values: a line written by another
    // program with a note after them still holds the sheet's values.
    const std::string noted = SpecimenRecord::BuildRecordLine("N", sheet) + "\tseen twice";
    comp_Click(MarginalD1, sheet,
               SpecimenRecord::BuildRecordLine("A", other) + "\r\n" + noted + "\r\n", state, list,
               host);
    const auto n = CandidateCheck::sheetSpecimen(state, 1);
    EXPECT_EQ(n.recordNumber, 2U);
    EXPECT_EQ(n.recordLine, noted);
}

// --- the panes' geometry -----------------------------------------------------

TEST(PaneView, PhotoAndPanePointsMapBothWays) {
    const PaneView views[] = {
        {1.0, 0.0, 0.0, 0.0}, {0.25, 0.7, 10.0, -30.0}, {3.0, -2.5, 400.0, 5.0}};
    for (const PaneView& v : views)
        for (const PhotoPixel p :
             {PhotoPixel{0, 0}, PhotoPixel{3024, 4032}, PhotoPixel{-5, 17.5}}) {
            const PhotoPixel back = v.toPhoto(v.toPane(p));
            EXPECT_NEAR(back.x, p.x, 1e-9);
            EXPECT_NEAR(back.y, p.y, 1e-9);
        }
}

// The turn is clockwise on screen (y grows downwards), and the affine map the
// photo is painted through puts every pixel where toPane puts its junction.
TEST(PaneView, AQuarterTurnIsClockwiseOnScreenAndThePaintedMapAgrees) {
    const PaneView v{2.0, std::numbers::pi / 2.0, 10.0, 20.0};
    const struct {
        PhotoPixel photo;
        PanePoint pane;
    } cases[] = {{{0, 0}, {10, 20}}, {{1, 0}, {10, 22}}, {{0, 1}, {8, 20}}, {{3, 4}, {2, 26}}};
    const PaneView::Affine a = v.affine();
    for (const auto& c : cases) {
        EXPECT_NEAR(v.toPane(c.photo).x, c.pane.x, 1e-12);
        EXPECT_NEAR(v.toPane(c.photo).y, c.pane.y, 1e-12);
        EXPECT_NEAR(a.m11 * c.photo.x + a.m21 * c.photo.y + a.dx, c.pane.x, 1e-12);
        EXPECT_NEAR(a.m12 * c.photo.x + a.m22 * c.photo.y + a.dy, c.pane.y, 1e-12);
    }
}

TEST(PaneView, FittingCentresAndZoomingKeepsThePointUnderThePointer) {
    PaneView v = PaneView::fitted(3000, 4000, 600, 400);
    EXPECT_DOUBLE_EQ(v.scale, 0.1);
    EXPECT_DOUBLE_EQ(v.toPane({1500, 2000}).x, 300.0);
    EXPECT_DOUBLE_EQ(v.toPane({1500, 2000}).y, 200.0);
    const PanePoint at{120, 80};
    const PhotoPixel under = v.toPhoto(at);
    v.zoomAt(at, 4.0, 0.1);
    EXPECT_NEAR(v.toPane(under).x, at.x, 1e-9);
    EXPECT_NEAR(v.toPane(under).y, at.y, 1e-9);
    EXPECT_DOUBLE_EQ(v.scale, 0.4);
    for (int i = 0; i < 40; ++i)
        v.zoomAt(at, 2.0, 0.1);
    EXPECT_DOUBLE_EQ(v.scale, PaneView::kMaxScale);
    for (int i = 0; i < 80; ++i)
        v.zoomAt(at, 0.5, 0.1);
    EXPECT_DOUBLE_EQ(v.scale, 0.1 * PaneView::kMinFitShare);
}

TEST(PaneView, AlongTheMidlineTheShellStandsUprightAtTheGivenLength) {
    // Midlines pointing every way, as photos taken from any side give them.
    for (double degrees = -180.0; degrees < 180.0; degrees += 45.0) {
        const double a = degrees * std::numbers::pi / 180.0;
        const PhotoPixel front{1000, 800};
        const PhotoPixel back{front.x + 700 * std::cos(a), front.y + 700 * std::sin(a)};
        const auto v = PaneView::alongMidline(front, back, 500, 600, 420);
        ASSERT_TRUE(v) << degrees;
        const PanePoint f = v->toPane(front), b = v->toPane(back);
        EXPECT_NEAR(f.x, 250.0, 1e-9) << degrees;
        EXPECT_NEAR(b.x, 250.0, 1e-9) << degrees;
        EXPECT_NEAR(f.y, 300.0 - 210.0, 1e-9) << degrees; // front up
        EXPECT_NEAR(b.y, 300.0 + 210.0, 1e-9) << degrees;
    }
    EXPECT_FALSE(PaneView::alongMidline({5, 5}, {5, 5}, 500, 600, 420));
}

TEST(PaneView, TheMidlineNeedsAWholeSideAndAveragesBoth) {
    RecordSegments segments{};
    EXPECT_FALSE(midlineOf(segments));
    segments[16] = PhotoSegment{{10, 0}, {10, 50}};
    segments[21] = PhotoSegment{{10, 250}, {10, 300}};
    auto m = midlineOf(segments);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->front, (PhotoPixel{10, 0}));
    EXPECT_EQ(m->back, (PhotoPixel{10, 300}));
    segments[22] = PhotoSegment{{20, 10}, {20, 60}}; // C7 without C12: not a whole side
    EXPECT_EQ(midlineOf(segments)->front, (PhotoPixel{10, 0}));
    segments[27] = PhotoSegment{{20, 250}, {20, 310}};
    m = midlineOf(segments);
    EXPECT_EQ(m->front, (PhotoPixel{15, 5}));
    EXPECT_EQ(m->back, (PhotoPixel{15, 305}));
}

} // namespace
} // namespace korvex
