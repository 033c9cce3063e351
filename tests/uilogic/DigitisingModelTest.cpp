#include "uilogic/DigitisingModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace korvex {
namespace {

using G = SeamGroupId;
using Box = DigitisingModel::BoxRef;
constexpr int kLeftMarginalBox = 1;
constexpr int kRightMarginalBox = 2;
constexpr int kZoom = DigitisingModel::kZoomBox;
constexpr int kDrag = DigitisingModel::kDragBox;
constexpr int kLeftCentralBox = 5;
constexpr int kRightCentralBox = 6;
constexpr int kLeft = DigitisingModel::kLeftButton;
constexpr int kRight = DigitisingModel::kRightButton;

// Records what the window would be asked to do, in order.
struct Recorder : DigitisingListener {
    std::vector<int> checks;
    std::vector<Box> focus;
    int writes = 0;
    void boxTextChanged(SeamGroupId, std::size_t) override { ++writes; }
    void focusMoved(G g, std::size_t i) override { focus.push_back({g, i}); }
    void checkChanged(int box) override { checks.push_back(box); }
};

class DigitisingModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m.setListener(&rec);
        m.setViewportSize(9000.0F, 9000.0F);
        m.showAtNaturalSize(0.0F, 0.0F, 8000.0F, 6000.0F);
    }
    void click(float x, float y) { m.PointerDown(kLeft, x, y); }
    void clicks(std::initializer_list<PointF> points) {
        for (PointF p : points)
            click(p.x, p.y);
    }
    const std::string& cell(G group, std::size_t i) const { return m.sheet().cell(group, i); }
    bool active(G g) const { return m.state().groupActive[static_cast<std::size_t>(g)] == 1; }
    bool anyChecked() const {
        for (int box = 1; box <= DigitisingModel::kCheckBoxCount; ++box)
            if (m.checked(box))
                return true;
        return false;
    }
    void expectView(float left, float top, float width, float height) const {
        EXPECT_FLOAT_EQ(m.pictureView().left, left);
        EXPECT_FLOAT_EQ(m.pictureView().top, top);
        EXPECT_FLOAT_EQ(m.pictureView().width, width);
        EXPECT_FLOAT_EQ(m.pictureView().height, height);
    }
    void fill(G group, const std::vector<std::string>& texts) {
        for (std::size_t i = 0; i < texts.size(); ++i)
            m.setBoxText(group, i, texts[i]);
    }

    DigitisingModel m;
    Recorder rec;
};

// --- check boxes: handlers nest and run only on a real change ---------------------

TEST_F(DigitisingModelTest, MarginalGroupsAndToolsCancelEachOtherThroughNestedHandling) {
    for (int tool : {kZoom, kDrag}) {
        // The tool's handling unticks the group, whose handling unticks the tool again.
        m.setChecked(kLeftMarginalBox, true);
        m.setChecked(tool, true);
        EXPECT_FALSE(anyChecked()) << "tool " << tool;
        EXPECT_FALSE(active(G::LeftMarginal));
        EXPECT_EQ(m.dragMode(), DragMode::Manual);
        // The other way round the group's first tick is spent unticking the tool.
        m.setChecked(tool, true);
        m.setChecked(kRightMarginalBox, true);
        EXPECT_FALSE(anyChecked()) << "tool " << tool;
        EXPECT_FALSE(active(G::RightMarginal));
        m.setChecked(kRightMarginalBox, true);
        EXPECT_TRUE(active(G::RightMarginal));
        // The tools exclude each other the same way: both end unticked.
        m.setChecked(kRightMarginalBox, false);
        m.setChecked(tool, true);
        m.setChecked(tool == kZoom ? kDrag : kZoom, true);
        EXPECT_FALSE(anyChecked()) << "tool " << tool;
        EXPECT_EQ(m.dragMode(), DragMode::Manual);
    }
    // Nested, not deferred: the group's handling runs inside the tool's.
    m.setChecked(kRightMarginalBox, true);
    rec.checks.clear();
    m.setChecked(kZoom, true);
    EXPECT_EQ(rec.checks, (std::vector<int>{kZoom, kRightMarginalBox, kZoom}));
}

TEST_F(DigitisingModelTest, TickingACentralGroupUnticksToolsAndOtherGroups) {
    m.setChecked(7, true); // a hidden Central 2 box: no handling of its own
    m.setChecked(kDrag, true);
    ASSERT_EQ(m.dragMode(), DragMode::Automatic);
    m.setLabelsLower(G::RightCentral, true);
    m.setCommandEnabled(G::RightCentral, false);
    m.setChecked(kRightCentralBox, true); // the first tick is enough
    EXPECT_TRUE(active(G::RightCentral));
    EXPECT_FALSE(m.checked(kDrag));
    EXPECT_FALSE(m.checked(7));
    EXPECT_EQ(m.dragMode(), DragMode::Manual);
    EXPECT_FALSE(m.sheet().labelsLower(G::RightCentral));
    EXPECT_TRUE(m.commandEnabled(G::RightCentral));
    EXPECT_EQ(m.focusedBox(), (Box{G::RightCentral, 0}));
    m.setChecked(kLeftCentralBox, true);
    EXPECT_FALSE(m.checked(kRightCentralBox));
    EXPECT_FALSE(active(G::RightCentral));
}

TEST_F(DigitisingModelTest, ToolOverCentralGroupPausesTheChainWithoutLosingIt) {
    m.setChecked(kLeftCentralBox, true);
    clicks({{0, 0}, {30, 40}});
    ASSERT_EQ(cell(G::LeftCentral, 0), "50");
    for (int tool : {kDrag, kZoom}) {
        m.setChecked(tool, true);
        EXPECT_TRUE(m.checked(tool));
        EXPECT_TRUE(m.checked(kLeftCentralBox) && active(G::LeftCentral));
        if (tool == kDrag)
            m.setChecked(kDrag, false);
    }
    const float width = m.pictureView().width;
    click(500, 500);
    EXPECT_FLOAT_EQ(m.pictureView().width, width * 1.1F);
    EXPECT_EQ(rec.writes, 1);
    m.setChecked(kZoom, false);
    EXPECT_TRUE(active(G::LeftCentral));
    EXPECT_EQ(m.state().targetIndex, 1);
    click(60, 80); // measured from (30, 40), the last digitised point
    EXPECT_EQ(cell(G::LeftCentral, 1), "50");
}

// Opening ticks Drag and Drop through its handling, so the nesting above applies.
TEST_F(DigitisingModelTest, OpeningAPictureTicksDragAndDropWithItsConsequences) {
    m.setChecked(kLeftMarginalBox, true);
    ASSERT_TRUE(m.OpenPicture("a.jpg", 1200, 800));
    EXPECT_FALSE(anyChecked());
    EXPECT_FALSE(active(G::LeftMarginal));
    EXPECT_EQ(m.dragMode(), DragMode::Manual);
}

TEST_F(DigitisingModelTest, SettingABoxToItsStateRunsNothing) {
    m.setChecked(kZoom, false);
    EXPECT_TRUE(rec.checks.empty());
    m.setChecked(kLeftMarginalBox, true);
    m.BoxFocused(G::LeftMarginal, 3);
    rec.checks.clear();
    rec.focus.clear();
    m.setChecked(kLeftMarginalBox, true); // running the handling would refocus M1
    EXPECT_TRUE(rec.checks.empty());
    EXPECT_TRUE(rec.focus.empty());
    EXPECT_EQ(m.state().targetIndex, 3);
}

TEST_F(DigitisingModelTest, UntickedGroupLabelCaseFollowsSumRoundedHalfToEven) {
    const std::vector<std::pair<std::vector<std::string>, bool>> cases{
        {std::vector<std::string>(8, "0.1250"), true},
        {std::vector<std::string>(8, "0"), false},
        {{"1.4"}, true},
        {{"0.5"}, false},
        {{"1.5"}, false},
        {{"0.6", "abc"}, true},
        {{"40000"}, false}}; // the last is beyond 16 bits: not 1, and no crash
    for (const auto& [texts, lower] : cases) {
        fill(G::LeftMarginal, std::vector<std::string>(8, "0"));
        fill(G::LeftMarginal, texts);
        m.setChecked(kLeftMarginalBox, true);
        EXPECT_FALSE(m.sheet().labelsLower(G::LeftMarginal));
        m.setChecked(kLeftMarginalBox, false);
        EXPECT_EQ(m.sheet().labelCaption(G::LeftMarginal, 7), lower ? "m8" : "M8") << texts[0];
    }
}

// --- chains of clicks -------------------------------------------------------------

TEST_F(DigitisingModelTest, NineClicksFillTheMarginalGroupWithTheFocusFollowing) {
    m.setChecked(kLeftMarginalBox, true);
    rec.focus.clear();
    float x = 0;
    click(x, 0);
    EXPECT_EQ(rec.writes, 0);
    for (std::size_t i = 0; i < 8; ++i) {
        x += 100.0F * static_cast<float>(i + 1);
        click(x, 0);
        EXPECT_EQ(cell(G::LeftMarginal, i), std::to_string(100 * (i + 1)));
        const std::size_t next = i < 7 ? i + 1 : 0;
        ASSERT_EQ(rec.focus.size(), i + 1);
        EXPECT_EQ(rec.focus.back(), (Box{G::LeftMarginal, next}));
        EXPECT_EQ(m.state().targetIndex, static_cast<std::int16_t>(next));
    }
    EXPECT_EQ(m.state().chainStarted, 0);
    click(x + 5000, 0);
    EXPECT_EQ(rec.writes, 8);
    EXPECT_EQ(m.state().chainStarted, 1);
}

TEST_F(DigitisingModelTest, LengthRunsFromTheRoundedPreviousToTheUnroundedCurrentPoint) {
    m.setChecked(kRightMarginalBox, true);
    clicks({{0, 0}, {300, 400}, {600, 700}});
    EXPECT_EQ(cell(G::RightMarginal, 0), "500");
    EXPECT_EQ(cell(G::RightMarginal, 1), "424.264068711929");
    clicks({{0.5F, 0.5F}, {2.5F, 6.0F}}); // the first is stored as (0, 0): halves go to even
    EXPECT_EQ(cell(G::RightMarginal, 3), "6.5");
    EXPECT_EQ(m.state().previousPoint, (PointI{2, 6}));
    click(5.0F, 10.0F);
    EXPECT_EQ(cell(G::RightMarginal, 4), "5");
}

TEST_F(DigitisingModelTest, FocusAndGroupSwitchRedirectTheChainWithoutRestartingIt) {
    m.setChecked(kLeftMarginalBox, true);
    clicks({{0, 0}, {0, 100}});
    m.BoxFocused(G::LeftMarginal, 3);
    EXPECT_EQ(m.state().targetIndex, 3);
    click(0, 300);
    EXPECT_EQ(cell(G::LeftMarginal, 3), "200");
    EXPECT_EQ(cell(G::LeftMarginal, 1), "0");
    click(0, 600);
    EXPECT_EQ(cell(G::LeftMarginal, 4), "300");

    // Central boxes have no say over the target, and a repeated focus is no event.
    m.BoxFocused(G::LeftCentral, 1);
    EXPECT_EQ(m.state().targetIndex, 5);
    m.BoxFocused(G::LeftMarginal, 5);
    rec.focus.clear();
    m.moveFocus(G::LeftMarginal, 5);
    EXPECT_TRUE(rec.focus.empty());

    // The central group takes the chain over from the last marginal point.
    m.setChecked(kLeftCentralBox, true);
    EXPECT_FALSE(active(G::LeftMarginal));
    EXPECT_EQ(m.state().targetIndex, 5);
    click(800, 600);
    EXPECT_EQ(cell(G::LeftCentral, 5), "800");
    EXPECT_EQ(cell(G::LeftMarginal, 5), "0");
    EXPECT_EQ(m.state().chainStarted, 0);
    EXPECT_EQ(m.focusedBox(), (Box{G::LeftCentral, 0}));
}

TEST_F(DigitisingModelTest, TargetBeyondTheCentralGroupEndsTheChainWithoutWriting) {
    for (int target : {6, 7}) {
        m.setChecked(kRightMarginalBox, true);
        click(0, 0);
        for (int i = 1; i <= target; ++i)
            click(0, static_cast<float>(10 * i));
        m.setChecked(kRightCentralBox, true);
        ASSERT_EQ(m.state().targetIndex, target);
        const int writes = rec.writes;
        click(1000, 1000);
        EXPECT_EQ(rec.writes, writes) << "target " << target;
        EXPECT_EQ(m.state().targetIndex, 0);
        EXPECT_EQ(m.state().chainStarted, 0);
        EXPECT_EQ(m.focusedBox(), (Box{G::RightCentral, 0}));
        // The group then fills from its first box as after a complete chain.
        clicks({{0, 0}, {0, 70}});
        EXPECT_EQ(cell(G::RightCentral, 0), "70");
        m.setChecked(kRightCentralBox, false);
        m.PointerMove(0, 0); // no group on: the chain ends
        fill(G::RightCentral, std::vector<std::string>(6, "0"));
    }
}

TEST_F(DigitisingModelTest, PointerMoveResetsTheChainOnlyWithoutAGroup) {
    m.setChecked(kLeftCentralBox, true);
    m.PointerMove(1, 1);
    EXPECT_FALSE(m.rubberBand()) << "no band without a chain";
    click(0, 0);
    m.PointerMove(2.5F, 3.5F);
    EXPECT_EQ(m.pointerShape(), PointerShape::Crosshair);
    EXPECT_EQ(m.state().chainStarted, 1);
    EXPECT_EQ(m.state().lastPointer, (PointI{2, 4}));
    m.setChecked(kLeftCentralBox, false);
    m.PointerMove(10, 10);
    EXPECT_EQ(m.pointerShape(), PointerShape::Arrow);
    EXPECT_EQ(m.state().chainStarted, 0);
    m.setChecked(kLeftCentralBox, true);
    click(0, 50);
    EXPECT_EQ(cell(G::LeftCentral, 0), "0");
}

TEST_F(DigitisingModelTest, OtherButtonsOnlyStepTheGuideLine) {
    m.setChecked(kLeftMarginalBox, true);
    click(0, 0);
    EXPECT_FALSE(m.guideLine());
    for (int button : {kRight, 3}) {
        m.PointerDown(button, 10.4F, 20.6F);
        EXPECT_EQ(m.state().guideStarted, 1);
        EXPECT_EQ(m.state().guideAnchor, (PointI{10, 21}));
        m.PointerDown(button, 30.5F, 40.7F);
        EXPECT_EQ(m.state().guideStarted, 0);
        EXPECT_EQ(m.state().guideEnd, (PointI{30, 41}));
    }
    EXPECT_EQ(rec.writes, 0);
    EXPECT_EQ(m.state().chainStarted, 1);
    EXPECT_EQ(m.state().previousPoint, (PointI{0, 0}));

    // The guide stays on screen through moves and clicks until it is reset.
    m.PointerMove(5, 5);
    click(0, 100);
    m.PointerMove(6, 6);
    ASSERT_TRUE(m.guideLine());
    EXPECT_FLOAT_EQ(m.guideLine()->from.y, 21.0F);
    EXPECT_FLOAT_EQ(m.guideLine()->to.x, 30.0F);
    m.resetGuide();
    EXPECT_FALSE(m.guideLine());
    m.PointerDown(kRight, 1, 2);
    ASSERT_TRUE(m.OpenPicture("p.jpg", 100, 100));
    EXPECT_FALSE(m.guideLine());
    EXPECT_EQ(m.state().guideAnchor, (PointI{0, 0}));
}

// --- picture geometry and overlays ------------------------------------------------

TEST_F(DigitisingModelTest, ZoomScalesAboutTheClickAndTouchesNothingElse) {
    m.setChecked(kLeftCentralBox, true);
    click(7, 7);
    m.PointerDown(kRight, 1, 1);
    const DigitisingState before = m.state();
    m.setChecked(kZoom, true);
    click(1000, 500);
    expectView(-100, -50, 8000 * 1.1F, 6000 * 1.1F);
    EXPECT_EQ(rec.writes, 0);
    EXPECT_EQ(m.state().previousPoint, before.previousPoint);
    for (int button : {kRight, 3}) {
        m.showAtNaturalSize(0, 0, 8000, 6000);
        SCOPED_TRACE(button);
        m.PointerDown(button, 1000, 500);
        expectView(100, 50, 8000 * 0.9F, 6000 * 0.9F);
    }
    EXPECT_EQ(m.state().guideStarted, before.guideStarted);
    EXPECT_EQ(m.state().guideAnchor, before.guideAnchor);
}

TEST_F(DigitisingModelTest, ZoomStaysFiniteAndUsableAtBothLimits) {
    m.setChecked(kZoom, true);
    for (int button : {kLeft, kRight}) {
        for (int step = 0; step < 400; ++step) {
            m.PointerDown(button, 1000, 500);
            const PictureView& v = m.pictureView();
            ASSERT_TRUE(std::isfinite(v.left) && std::isfinite(v.top) && std::isfinite(v.width) &&
                        std::isfinite(v.height))
                << "button " << button << " step " << step;
        }
        const PictureView& v = m.pictureView();
        EXPECT_LE(std::fmax(v.width, v.height), DigitisingModel::kMaxPictureTwips);
        EXPECT_GE(std::fmin(v.width, v.height), DigitisingModel::kMinPictureTwips);
        const float width = v.width;
        m.PointerDown(button, 1000, 500);
        EXPECT_EQ(m.pictureView().width, width) << "a step past the limit is refused";
        m.PointerDown(button == kLeft ? kRight : kLeft, 10, 10);
        EXPECT_NE(m.pictureView().width, width) << "the opposite step still works";
    }
}

TEST_F(DigitisingModelTest, DragMovesThePictureOnlyInAutomaticMode) {
    m.showAtNaturalSize(660, 360, 8775, 9105);
    m.PointerMove(200, 300);
    m.DragPicture(250, 280);
    expectView(660, 360, 8775, 9105);
    m.setChecked(kDrag, true);
    m.DragPicture(250, 280); // the grabbed point (200, 300) follows the pointer
    expectView(710, 340, 8775, 9105);
}

TEST_F(DigitisingModelTest, RubberBandFollowsThePointerUntilTheNextRepaint) {
    auto startBand = [this] {
        m.setChecked(kRightCentralBox, false);
        m.PointerMove(1, 1); // ends any chain
        m.setChecked(kRightCentralBox, true);
        click(10, 20);
        m.PointerMove(40.6F, 60.4F);
        ASSERT_TRUE(m.rubberBand());
    };
    startBand();
    EXPECT_FLOAT_EQ(m.rubberBand()->from.x, 10.0F);
    EXPECT_FLOAT_EQ(m.rubberBand()->from.y, 20.0F);
    EXPECT_FLOAT_EQ(m.rubberBand()->to.x, 40.6F);
    EXPECT_FLOAT_EQ(m.rubberBand()->to.y, 60.4F);
    EXPECT_EQ(m.state().bandEnd, (PointI{41, 60}));

    m.setChecked(kZoom, true);
    click(0, 0);
    EXPECT_FALSE(m.rubberBand()) << "zoom";
    m.setChecked(kZoom, false);
    startBand();
    m.setChecked(kDrag, true);
    m.DragPicture(3, 3);
    EXPECT_FALSE(m.rubberBand()) << "drag";
    m.setChecked(kDrag, false);
    startBand();
    ASSERT_TRUE(m.OpenPicture("q.jpg", 10, 10));
    EXPECT_FALSE(m.rubberBand()) << "open";
}

TEST_F(DigitisingModelTest, OpenPictureFitsTheViewportWidthAndRefusesBadSizes) {
    m.PointerDown(kRight, 5, 5);
    ASSERT_TRUE(m.OpenPicture("C:/photos/t 1.jpg", 12000, 8000));
    expectView(0, 0, 9000, 6000);
    EXPECT_FLOAT_EQ(m.viewportHeight(), 6000);
    EXPECT_TRUE(m.stretch());
    EXPECT_EQ(m.caption(), "C:/photos/t 1.jpg");
    EXPECT_FALSE(m.guideLine());
    EXPECT_TRUE(m.checked(kDrag));
    EXPECT_EQ(m.dragMode(), DragMode::Automatic);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    m.setChecked(kDrag, false);
    rec.checks.clear();
    for (auto [w, h] : std::vector<std::pair<float, float>>{
             {0.0F, 8000.0F}, {12000.0F, -1.0F}, {nan, 8000.0F}, {12000.0F, nan}, {inf, 1.0F}}) {
        EXPECT_FALSE(m.OpenPicture("bad.jpg", w, h));
        EXPECT_EQ(m.caption(), "C:/photos/t 1.jpg");
        expectView(0, 0, 9000, 6000);
        EXPECT_FLOAT_EQ(m.viewportHeight(), 6000);
    }
    EXPECT_TRUE(rec.checks.empty());
}

// --- standardise and the group's switch ---------------------------------------------

TEST_F(DigitisingModelTest, StandardiseWithSwitchSetEndsDigitising) {
    fill(G::LeftCentral, {"1", "2", "3", "4", "5", "6"});
    m.setChecked(kLeftCentralBox, true);
    click(0, 0);
    m.PointerMove(5, 5);
    m.setChecked(kZoom, true);
    ASSERT_TRUE(m.rubberBand());
    m.standardise(G::LeftCentral);
    EXPECT_EQ(cell(G::LeftCentral, 0), "0.0476");
    EXPECT_EQ(cell(G::LeftCentral, 5), "0.2857");
    EXPECT_FALSE(anyChecked());
    EXPECT_FALSE(active(G::LeftCentral));
    EXPECT_FALSE(m.commandEnabled(G::LeftCentral));
    EXPECT_TRUE(m.sheet().labelsLower(G::LeftCentral));
    EXPECT_FALSE(m.rubberBand());
}

TEST_F(DigitisingModelTest, StandardiseOfZeroTotalOnlyLowersLabels) {
    m.setChecked(kLeftMarginalBox, true);
    for (const std::vector<std::string>& texts : {std::vector<std::string>{}, {"2", "-2"}}) {
        fill(G::LeftMarginal, texts);
        m.standardise(G::LeftMarginal);
        EXPECT_EQ(m.sheet().labelCaption(G::LeftMarginal, 0), "m1");
        EXPECT_EQ(cell(G::LeftMarginal, 0), texts.empty() ? "0" : "2");
        EXPECT_TRUE(m.commandEnabled(G::LeftMarginal));
        EXPECT_TRUE(m.checked(kLeftMarginalBox));
        EXPECT_TRUE(active(G::LeftMarginal));
    }
}

TEST_F(DigitisingModelTest, StandardiseWithSwitchClearLeavesModesAlone) {
    m.setChecked(kRightCentralBox, true);
    m.setChecked(kZoom, true);
    fill(G::LeftMarginal, std::vector<std::string>(8, "1"));
    m.standardise(G::LeftMarginal);
    EXPECT_EQ(cell(G::LeftMarginal, 7), "0.1250");
    EXPECT_FALSE(m.commandEnabled(G::LeftMarginal));
    EXPECT_TRUE(m.checked(kZoom));
    EXPECT_TRUE(m.checked(kRightCentralBox) && active(G::RightCentral));
    EXPECT_FALSE(m.checked(kLeftMarginalBox));
}

// --- junctions in photo pixels, and undo of a click ------------------------------------

// A 6000 x 4000 photo fitted into the 9000-twip viewport: 2/3 photo pixel per twip.
class JunctionTest : public DigitisingModelTest {
protected:
    void SetUp() override {
        DigitisingModelTest::SetUp();
        ASSERT_TRUE(m.OpenPicture("p.jpg", 6000 * 15.0F, 4000 * 15.0F));
        m.setChecked(kLeftMarginalBox, true); // the first tick only unticks "Drag and Drop"
        m.setChecked(kLeftMarginalBox, true);
        ASSERT_TRUE(active(G::LeftMarginal));
    }
    const std::optional<PhotoSegment>& segment(G group, std::size_t i) const {
        return m.segments().at(seamGroup(group).firstSheetIndex + i);
    }
    static void expectPixel(std::optional<PhotoPixel> got, double x, double y) {
        ASSERT_TRUE(got);
        EXPECT_NEAR(got->x, x, 1e-3);
        EXPECT_NEAR(got->y, y, 1e-3);
    }
};

TEST_F(JunctionTest, PictureTwipsMapToPhotoPixelsWhateverTheZoomAndDrag) {
    ASSERT_EQ(m.photoSize(), (DigitisingModel::PixelSize{6000, 4000}));
    expectPixel(m.photoPixelOf({4500, 3000}), 3000, 2000);
    expectPixel(m.photoPixelOf({9000, 6000}), 6000, 4000);

    // Zooming in about a point scales picture twips, so the same photo pixel
    // lies at 1.1 times its twips, and maps back to itself.
    m.setChecked(kZoom, true); // the first tick only unticks the marginal group
    m.setChecked(kZoom, true);
    m.PointerDown(kLeft, 1000, 500);
    ASSERT_FLOAT_EQ(m.pictureView().width, 9900);
    const auto zoomed = m.pictureTwipsOf({3000, 2000});
    ASSERT_TRUE(zoomed);
    EXPECT_NEAR(zoomed->x, 4950, 1e-2);
    EXPECT_NEAR(zoomed->y, 3300, 1e-2);
    expectPixel(m.photoPixelOf(*zoomed), 3000, 2000);

    // Dragging moves the picture, not its picture twips: the photo pixel
    // stays at the same picture twips and so follows the picture.
    m.setChecked(kDrag, true); // the first tick only unticks "Zoom"
    m.setChecked(kDrag, true);
    m.PointerMove(100, 100);
    m.DragPicture(400, 700);
    ASSERT_FLOAT_EQ(m.pictureView().left, -100 + 300);
    const auto dragged = m.pictureTwipsOf({3000, 2000});
    ASSERT_TRUE(dragged);
    EXPECT_FLOAT_EQ(dragged->x, zoomed->x);
    EXPECT_FLOAT_EQ(dragged->y, zoomed->y);
}

TEST_F(JunctionTest, EachClickedLengthKeepsItsJunctionsAcrossAZoom) {
    clicks({{0, 0}, {3000, 0}, {3000, 1500}});
    EXPECT_EQ(cell(G::LeftMarginal, 0), "3000");
    EXPECT_EQ(segment(G::LeftMarginal, 0), (PhotoSegment{{0, 0}, {2000, 0}}));
    EXPECT_EQ(segment(G::LeftMarginal, 1), (PhotoSegment{{2000, 0}, {2000, 1000}}));
    EXPECT_FALSE(segment(G::LeftMarginal, 2));

    // A central group stays on through a zoom step; its next junction is
    // taken through the zoomed view, so it lies where the user clicked.
    m.setChecked(kLeftCentralBox, true);
    m.setChecked(kZoom, true);
    m.PointerDown(kLeft, 0, 0); // zooms: picture twips x 1.1
    m.setChecked(kZoom, false);
    ASSERT_TRUE(active(G::LeftCentral));
    click(3300, 3300);
    // The box keeps the length of mixed scales: from (3000, 1500) unzoomed.
    EXPECT_EQ(cell(G::LeftCentral, 2), "1824.82875908947");
    ASSERT_TRUE(segment(G::LeftCentral, 2));
    expectPixel(segment(G::LeftCentral, 2)->from, 2000, 1000);
    expectPixel(segment(G::LeftCentral, 2)->to, 2000, 2000);
}

TEST_F(JunctionTest, ABoxChangedAnotherWayLosesItsSegment) {
    clicks({{0, 0}, {300, 0}, {600, 0}, {900, 0}});
    m.setBoxText(G::LeftMarginal, 1, "7"); // typing, a fill or a record shown
    EXPECT_TRUE(segment(G::LeftMarginal, 0));
    EXPECT_FALSE(segment(G::LeftMarginal, 1));
    EXPECT_TRUE(segment(G::LeftMarginal, 2));

    const auto serial = m.segmentsSerial();
    m.standardise(G::LeftMarginal);                // proportions of the same clicks
    EXPECT_EQ(cell(G::LeftMarginal, 0), "0.4942"); // 300 / (300 + 7 + 300)
    EXPECT_TRUE(segment(G::LeftMarginal, 0));
    EXPECT_TRUE(segment(G::LeftMarginal, 2));
    EXPECT_EQ(m.segmentsSerial(), serial);

    ASSERT_TRUE(m.OpenPicture("other.jpg", 3000, 3000));
    for (const auto& s : m.segments())
        EXPECT_FALSE(s);
    EXPECT_NE(m.segmentsSerial(), serial);
}

TEST_F(JunctionTest, UndoStepsBackThroughTheClicksOfTheChain) {
    clicks({{0, 0}, {300, 0}, {300, 600}});
    ASSERT_EQ(m.state().targetIndex, 2);
    rec.focus.clear();

    ASSERT_TRUE(m.undoLastClick());
    EXPECT_EQ(cell(G::LeftMarginal, 1), "0");
    EXPECT_FALSE(segment(G::LeftMarginal, 1));
    EXPECT_TRUE(segment(G::LeftMarginal, 0));
    EXPECT_EQ(m.state().targetIndex, 1);
    EXPECT_EQ(m.state().chainStarted, 1);
    EXPECT_EQ(m.state().previousPoint, (PointI{300, 0}));
    EXPECT_EQ(m.focusedBox(), (Box{G::LeftMarginal, 1}));
    EXPECT_EQ(rec.focus, (std::vector<Box>{{G::LeftMarginal, 1}}));

    // The chain goes on from the restored point, with the same junction.
    click(300, 400);
    EXPECT_EQ(cell(G::LeftMarginal, 1), "400");
    EXPECT_EQ(segment(G::LeftMarginal, 1), (PhotoSegment{{200, 0}, {200, 400.0 * 2 / 3}}));
    ASSERT_TRUE(m.undoLastClick());
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_EQ(cell(G::LeftMarginal, 0), "0");
    EXPECT_EQ(m.state().targetIndex, 0);
    EXPECT_EQ(m.state().previousPoint, (PointI{0, 0}));
    ASSERT_TRUE(m.undoLastClick()); // the chain's first point
    EXPECT_EQ(m.state().chainStarted, 0);
    EXPECT_FALSE(m.undoLastClick());
    for (const auto& s : m.segments())
        EXPECT_FALSE(s);
}

TEST_F(JunctionTest, UndoOfTheLastLengthReopensTheChainAndRestoresAReclickedBox) {
    float x = 0;
    click(x, 0);
    for (int i = 0; i < 8; ++i)
        click(x += 100, 0);
    ASSERT_EQ(m.state().chainStarted, 0);
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_EQ(m.state().chainStarted, 1);
    EXPECT_EQ(m.state().targetIndex, 7);
    EXPECT_EQ(m.focusedBox(), (Box{G::LeftMarginal, 7}));
    EXPECT_EQ(cell(G::LeftMarginal, 7), "0");

    // Clicking into M4 and re-measuring it: undo gives back the old length
    // and its old junctions.
    const auto before = segment(G::LeftMarginal, 3);
    m.BoxFocused(G::LeftMarginal, 3);
    click(700, 900);
    EXPECT_EQ(cell(G::LeftMarginal, 3), "900");
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_EQ(cell(G::LeftMarginal, 3), "100");
    EXPECT_EQ(segment(G::LeftMarginal, 3), before);
    EXPECT_EQ(m.state().targetIndex, 3);
}

TEST_F(JunctionTest, AnyOtherChangeOfTheBoxesEndsTheUndoHistory) {
    const std::vector<std::pair<const char*, std::function<void()>>> endings = {
        {"typing",
         [this] {
             m.setBoxText(G::RightCentral, 0, "1");
         }},
        {"standardising",
         [this] {
             m.standardise(G::LeftMarginal);
         }},
        {"another picture",
         [this] {
             m.OpenPicture("q.jpg", 900, 900);
         }},
        {"a record's segments",
         [this] {
             m.restoreSegments({});
         }},
    };
    for (const auto& [name, end] : endings) {
        m.setChecked(kLeftMarginalBox, true);
        m.setChecked(kLeftMarginalBox, true);
        clicks({{0, 0}, {30, 40}});
        ASSERT_TRUE(m.canUndoClick()) << name;
        end();
        EXPECT_FALSE(m.canUndoClick()) << name;
        EXPECT_FALSE(m.undoLastClick()) << name;
    }
}

// --- seeing and ending a chain ------------------------------------------------------

// What the status line says before each left click, as the chain goes.
TEST_F(DigitisingModelTest, TheNextClickIsSaidInWords) {
    const std::vector<std::pair<std::function<void()>, std::string>> steps = {
        {[] {}, "Next click measures nothing: tick Marginal or Central to measure"},
        {[this] { m.setChecked(kLeftMarginalBox, true); }, "Next click starts a chain at M1"},
        {[this] { click(0, 0); }, "Next click: M1, from junction 1"},
        {[this] { clicks({{0, 300}, {0, 600}}); }, "Next click: M3, from junction 3"},
        {[this] { m.BoxFocused(G::LeftMarginal, 6); }, "Next click: M7, from junction 7"},
        {[this] { clicks({{0, 900}, {0, 1200}}); }, "Next click starts a chain at M1"},
        {[this] { m.setChecked(kRightMarginalBox, true); }, "Next click starts a chain at M9"},
        {[this] {
             click(0, 0);
             m.BoxFocused(G::RightMarginal, 3);
         },
         "Next click: M12, from junction 4"},
        // A marginal chain left at M12's index goes on in a central group.
        {[this] { m.setChecked(kRightCentralBox, true); }, "Next click: C10, from junction 4"},
        {[this] { m.setChecked(kZoom, true); }, "Next click zooms in; a right click zooms out"},
        {[this] {
             m.setChecked(kDrag, true); // the first tick only unticks "Zoom"
             m.setChecked(kDrag, true);
         },
         "Next click drags the picture"},
        // Ticking a group unticks the tool; a marginal chain left at M8 has
        // no box in a central group.
        {[this] {
             m.setChecked(kLeftMarginalBox, true);
             m.setChecked(kLeftMarginalBox, true);
             m.BoxFocused(G::LeftMarginal, 7);
             m.endChain();
             m.setChecked(kLeftCentralBox, true);
         },
         "Next click starts a chain, and the click after it ends that chain without a value, as "
         "C1 to C6 have no box 8; the chain after it starts at C1"},
        {[this] { click(0, 0); },
         "Next click ends the chain without a value, as C1 to C6 have no box 8; the chain after "
         "it starts at C1"},
        {[this] { click(0, 100); }, "Next click starts a chain at C1"},
    };
    for (std::size_t n = 0; n < steps.size(); ++n) {
        steps[n].first();
        EXPECT_EQ(m.nextClickText(), steps[n].second) << "step " << n;
    }
}

// A stray click after a finished group starts a chain that "Clear the Sheet"
// and ticking the group again keep (as they always did); the start marker
// shows it and ending the chain makes the next click a start again.
TEST_F(DigitisingModelTest, AStrayChainIsShownAndEnded) {
    m.setChecked(kLeftMarginalBox, true);
    EXPECT_FALSE(m.chainStart());
    float y = 0;
    for (int i = 0; i < 9; ++i)
        click(0, y += 1000);
    EXPECT_FALSE(m.chainStart());
    click(7000, 7000); // the stray click
    EXPECT_EQ(m.chainStart(), (PointI{7000, 7000}));
    for (SeamGroupId group : kLabelledGroups)
        for (std::size_t i = 0; i < seamGroup(group).count; ++i)
            m.setBoxText(group, i, "0");
    m.setChecked(kLeftMarginalBox, false);
    m.setChecked(kLeftMarginalBox, true);
    EXPECT_EQ(m.chainStart(), (PointI{7000, 7000}));
    EXPECT_EQ(m.nextClickText(), "Next click: M1, from junction 1");
    m.PointerMove(100, 100);
    ASSERT_TRUE(m.rubberBand());

    m.endChain();
    EXPECT_EQ(m.state().chainStarted, 0);
    EXPECT_FALSE(m.chainStart());
    EXPECT_FALSE(m.rubberBand());
    EXPECT_EQ(m.nextClickText(), "Next click starts a chain at M1");
    EXPECT_TRUE(m.checked(kLeftMarginalBox));
    EXPECT_EQ(m.focusedBox(), (Box{G::LeftMarginal, 0}));
    clicks({{0, 0}, {300, 400}});
    EXPECT_EQ(cell(G::LeftMarginal, 0), "500"); // not 7,000-odd from the stray point
    EXPECT_EQ(m.chainStart(), (PointI{0, 0}));

    // Undo takes back the clicks of the new chain, and with its first click
    // the chain itself; the clearing ended the history before it.
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_EQ(m.chainStart(), (PointI{0, 0}));
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_FALSE(m.chainStart());
    EXPECT_FALSE(m.undoLastClick());
    m.endChain(); // nothing to end
    EXPECT_EQ(m.nextClickText(), "Next click starts a chain at M1");
}

// --- zoom steps, the wheel and the whole photo -------------------------------------

TEST_F(DigitisingModelTest, AChainClickedAcrossAZoomStepIsFlagged) {
    m.setShownArea(9000.0F, 9000.0F);
    m.setChecked(kLeftCentralBox, true);
    clicks({{0, 0}, {0, 100}, {0, 200}});
    EXPECT_FALSE(m.mixesScales(G::LeftCentral));

    // A zoom step in the middle of the chain, by the wheel: the next length
    // spans it, and the group then mixes two scales.
    ASSERT_TRUE(m.zoomAbout(1, 100, 100));
    EXPECT_EQ(m.nextClickText(), "Next click: C3, from junction 3 (clicked before a zoom step, so "
                                 "this length would mix two scales)");
    click(0, 360);
    EXPECT_TRUE(m.mixesScales(G::LeftCentral));
    EXPECT_FALSE(m.mixesScales(G::LeftMarginal));
    EXPECT_EQ(m.nextClickText(), "Next click: C4, from junction 4. C1 to C6 were clicked across a "
                                 "zoom step and mix two scales: measure them again");
    // Undo takes the flag back with the length.
    ASSERT_TRUE(m.undoLastClick());
    EXPECT_FALSE(m.mixesScales(G::LeftCentral));
    click(0, 360);
    // Lengths typed over (or filled) are no clicked lengths any more.
    m.setBoxText(G::LeftCentral, 2, "7");
    EXPECT_FALSE(m.mixesScales(G::LeftCentral));

    // The group measured again at one scale, the Zoom tool between two chains.
    m.endChain();
    m.setChecked(kZoom, true);
    m.PointerDown(kLeft, 0, 0);
    m.setChecked(kZoom, false);
    float y = 0;
    for (int i = 0; i < 7; ++i)
        click(500, y += 100);
    EXPECT_FALSE(m.mixesScales(G::LeftCentral));
    // A zoom between two chains of one group mixes them too: C1 re-measured.
    ASSERT_TRUE(m.fitWhole());
    clicks({{0, 0}, {0, 50}});
    EXPECT_TRUE(m.mixesScales(G::LeftCentral));
}

TEST_F(DigitisingModelTest, TheWheelZoomsAboutThePointerWithinTheWholePhoto) {
    ASSERT_TRUE(m.OpenPicture("tall.jpg", 3000 * 15.0F, 4000 * 15.0F));
    m.setShownArea(9000.0F, 6000.0F);
    // Fitted to its width, the photo's lower third lies below the shown area.
    expectView(0, 0, 9000, 12000);
    const auto checksBefore = rec.checks.size();

    // The picture point under the pointer stays under it.
    const PointF under{3000, 2000};
    const auto photoPoint = m.photoPixelOf(under);
    ASSERT_TRUE(m.zoomAbout(2, under.x, under.y));
    const PictureView& v = m.pictureView();
    EXPECT_FLOAT_EQ(v.width, 9000 * 1.44F);
    const auto twips = m.pictureTwipsOf(*photoPoint);
    ASSERT_TRUE(twips);
    EXPECT_NEAR(v.left + twips->x, under.x, 0.01);
    EXPECT_NEAR(v.top + twips->y, under.y, 0.01);
    EXPECT_EQ(rec.checks.size(), checksBefore); // no tool was needed
    EXPECT_TRUE(m.checked(kDrag));

    // Zooming out ends at the whole photo in the shown area, inside it.
    for (int i = 0; i < 20; ++i)
        m.zoomAbout(-1, 100, 100);
    EXPECT_FLOAT_EQ(m.pictureView().width, 4500);
    EXPECT_FLOAT_EQ(m.pictureView().height, 6000);
    EXPECT_FLOAT_EQ(m.pictureView().top, 0);
    EXPECT_GE(m.pictureView().left, 0);
    EXPECT_LE(m.pictureView().left, 9000 - 4500);
    EXPECT_FALSE(m.zoomAbout(-1, 100, 100));
    // Zooming in ends at 32 screen pixels per photo pixel.
    for (int i = 0; i < 60; ++i)
        m.zoomAbout(3, 100, 100);
    EXPECT_FLOAT_EQ(m.pictureView().width, 3000 * 15.0F * 32);
    EXPECT_FALSE(m.zoomAbout(1, 100, 100));
    // However far it was zoomed in, no white band shows beside it.
    EXPECT_LE(m.pictureView().left, 0);
    EXPECT_GE(m.pictureView().left + m.pictureView().width, 9000);
}

TEST_F(DigitisingModelTest, FitTheWholePhotoShowsItAllInTheShownArea) {
    EXPECT_FALSE(m.fitWhole()); // the window has not said what it shows
    ASSERT_TRUE(m.OpenPicture("tall.jpg", 3000 * 15.0F, 4000 * 15.0F));
    m.setShownArea(12000.0F, 6000.0F);
    const auto steps = m.zoomSteps();
    ASSERT_TRUE(m.fitWhole());
    EXPECT_FLOAT_EQ(m.viewportWidth(), 12000);
    EXPECT_FLOAT_EQ(m.viewportHeight(), 6000);
    expectView((12000 - 4500) / 2.0F, 0, 4500, 6000);
    EXPECT_TRUE(m.stretch());
    EXPECT_GT(m.zoomSteps(), steps);
    // The same again changes no scale.
    const auto fitted = m.zoomSteps();
    ASSERT_TRUE(m.fitWhole());
    EXPECT_EQ(m.zoomSteps(), fitted);
    // A photo pixel still maps to the same place of the photo.
    expectView((12000 - 4500) / 2.0F, 0, 4500, 6000);
    const auto corner = m.photoPixelOf({4500, 6000});
    ASSERT_TRUE(corner);
    EXPECT_NEAR(corner->x, 3000, 1e-3);
    EXPECT_NEAR(corner->y, 4000, 1e-3);
}

} // namespace
} // namespace korvex
