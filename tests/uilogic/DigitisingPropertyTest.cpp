#include "uilogic/DigitisingModel.h"

#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

// Random runs of digitising a 6000 x 4000 photo (clicks at random zooms and
// scroll positions, some snapped onto a junction; undo, ending the chain,
// junction moves, measuring, group switches, standardising), each step
// checked against the digitising contract. Kept beside the model: what each
// box holds (a length clicked in so many twips per photo pixel, or a share),
// where and at which zoom step the chain goes on from, and the state before
// each step undo may take back.

namespace korvex {
namespace {

using G = SeamGroupId;
constexpr std::array<int, 4> kGroupBoxes{1, 2, 5, 6}; // kLabelledGroups order
constexpr double kPhotoW = 6000.0, kPhotoH = 4000.0;
constexpr float kAreaW = 9000.0F, kAreaH = 6000.0F;

// A length clicked in x, y twips per photo pixel, or a share of the group's total.
struct Unit {
    double x = 0.0, y = 0.0;
    bool share = false;
    bool operator==(const Unit&) const = default;
};

struct Snapshot {
    std::vector<std::string> cells;
    DigitisingModel::Segments segments;
    std::array<bool, 4> measured{};
    std::array<bool, 4> mixes{};
    std::int16_t targetIndex = 0, chainStarted = 0;
    PointI previousPoint;
    std::optional<DigitisingModel::BoxRef> focus;
    bool chainShown = false; // the start marker; where it lies, checkBoxes checks
    // The expectation.
    std::array<std::optional<Unit>, MeasurementSheet::kRecordValueCount> units{};
    std::optional<PhotoPixel> lastPoint;
    std::optional<PhotoPixel> chainFrom; // the chain's first junction
    std::uint64_t lastStep = 0;
    bool operator==(const Snapshot&) const = default;
};

class DigitisingRun {
public:
    explicit DigitisingRun(unsigned seed) : rng_(seed) {
        m_.setViewportSize(kAreaW, kAreaH);
        m_.setShownArea(kAreaW, kAreaH);
        EXPECT_TRUE(m_.OpenPicture("p.jpg", static_cast<float>(kPhotoW * 15),
                                   static_cast<float>(kPhotoH * 15)));
        switchGroup();
    }

    void step(int n) {
        const Snapshot before = snapshot();
        const int op = pick(100);
        SCOPED_TRACE("step " + std::to_string(n) + ", op " + std::to_string(op));
        if (op < 40) {
            click(before);
        } else if (op < 52) {
            ASSERT_EQ(m_.undoLastClick(), !undo_.empty());
            if (!undo_.empty()) {
                x_ = undo_.back(); // the expectation goes back with the model
                undo_.pop_back();
                EXPECT_EQ(snapshot().cells, x_.cells);
                EXPECT_TRUE(snapshot() == x_) << "undo gives back the state before the step";
            }
        } else if (op < 64) {
            move(before);
        } else if (op < 70) {
            const G group = anyGroup();
            const bool can = m_.canMeasureFromJunctions(group);
            ASSERT_EQ(m_.measureFromJunctions(group), can);
            if (can) {
                undo_.push_back(before);
                markShares(group, m_.sheet().labelsLower(group));
                EXPECT_TRUE(m_.measuredInPhotoPixels(group) && !m_.mixesScales(group));
            }
        } else if (op < 98) {
            if (op < 74)
                m_.endChain();
            else if (op < 79)
                switchGroup();
            else if (op < 88)
                m_.zoomAbout(std::uniform_real_distribution<double>(-2.0, 2.0)(rng_),
                             coordinate(kAreaW) - m_.pictureView().left,
                             coordinate(kAreaH) - m_.pictureView().top);
            else if (op < 91)
                m_.fitWhole();
            else
                scroll();
            // None of these writes a value: the boxes and their junctions stay.
            EXPECT_EQ(m_.segments(), before.segments);
            EXPECT_EQ(snapshot().cells, before.cells);
        } else if (const G group = anyGroup(); m_.commandEnabled(group)) { // as in the window
            m_.standardise(group);
            if (!m_.commandEnabled(group)) { // divided: the history ends
                undo_.clear();
                markShares(group, true);
            }
        }
        EXPECT_EQ(m_.canUndoClick(), !undo_.empty());
        checkBoxes();
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    G anyGroup() { return kLabelledGroups[static_cast<std::size_t>(pick(4))]; }
    static std::size_t first(G group) { return seamGroup(group).firstSheetIndex; }
    static std::size_t end(G group) { return first(group) + seamGroup(group).count; }
    float coordinate(float to) { return std::uniform_real_distribution<float>(0.0F, to)(rng_); }
    PhotoPixel anyJunction(const std::vector<PhotoPixel>& junctions) {
        return junctions[static_cast<std::size_t>(pick(static_cast<int>(junctions.size())))];
    }
    Snapshot snapshot() const {
        Snapshot s = x_;
        s.cells.clear();
        for (std::size_t i = 0; i < MeasurementSheet::kRecordValueCount; ++i)
            s.cells.push_back(m_.sheet().value(i));
        s.segments = m_.segments();
        for (std::size_t g = 0; g < 4; ++g) {
            s.measured[g] = m_.measuredInPhotoPixels(kLabelledGroups[g]);
            s.mixes[g] = m_.mixesScales(kLabelledGroups[g]);
        }
        s.targetIndex = m_.state().targetIndex;
        s.chainStarted = m_.state().chainStarted;
        s.previousPoint = m_.state().previousPoint;
        s.focus = m_.focusedBox();
        s.chainShown = m_.chainStart().has_value();
        return s;
    }
    void switchGroup() {
        const int box = kGroupBoxes[static_cast<std::size_t>(pick(4))];
        m_.setChecked(box, true); // the first tick may only untick a tool
        m_.setChecked(box, true);
    }
    // Scrolling: the picture dragged, then a group ticked again (dragging unticks the marginal).
    void scroll() {
        m_.setChecked(DigitisingModel::kDragBox, true);
        m_.setChecked(DigitisingModel::kDragBox, true);
        m_.PointerMove(coordinate(kAreaW), coordinate(kAreaH));
        m_.DragPicture(coordinate(kAreaW), coordinate(kAreaH));
        m_.setChecked(DigitisingModel::kDragBox, false);
        switchGroup();
    }
    void click(const Snapshot& before) {
        const auto& active = m_.state().groupActive;
        if (std::find(active.begin(), active.end(), 1) == active.end())
            return; // no group ticked (standardising unticks it): the click measures nothing
        // In the shown area, on the picture.
        const PictureView& v = m_.pictureView();
        const float x0 = std::max(0.0F, -v.left);
        const float y0 = std::max(0.0F, -v.top);
        PointF p{x0 + coordinate(std::min(v.width, kAreaW - v.left) - x0),
                 y0 + coordinate(std::min(v.height, kAreaH - v.top) - y0)};
        if (!m_.junctions().empty() && pick(5) == 0)
            p = *m_.pictureTwipsOf(anyJunction(m_.junctions()));
        const auto at = m_.photoPixelOf(p);
        const Unit unit{v.width / kPhotoW, v.height / kPhotoH};
        m_.PointerDown(DigitisingModel::kLeftButton, p.x, p.y);
        undo_.push_back(before);
        for (std::size_t i = 0; i < MeasurementSheet::kRecordValueCount; ++i) {
            if (m_.segments()[i] == before.segments[i] && m_.sheet().value(i) == before.cells[i])
                continue;
            // The one box written holds the distance from the chain's last point.
            ASSERT_TRUE(m_.segments()[i]) << "a clicked length without its junctions";
            EXPECT_EQ(m_.segments()[i]->to, *at);
            EXPECT_EQ(m_.segments()[i]->from, *x_.lastPoint) << "the chain goes on from there";
            x_.units[i] = unit;
        }
        if (before.chainStarted != 1)
            x_.chainFrom = at;
        x_.lastPoint = at;
        x_.lastStep = m_.zoomSteps();
    }
    void move(const Snapshot& before) {
        const auto junctions = m_.junctions();
        if (junctions.empty())
            return;
        const PhotoPixel from = anyJunction(junctions);
        PhotoPixel to{from.x + pick(401) - 200.0, from.y + pick(401) - 200.0};
        if (pick(4) == 0)
            to = anyJunction(junctions);
        const bool valid =
            to != from && to.x >= 0 && to.y >= 0 && to.x <= kPhotoW && to.y <= kPhotoH;
        ASSERT_EQ(m_.moveJunction(from, to), valid);
        if (!valid) {
            EXPECT_TRUE(snapshot() == before) << "a refused move changes nothing";
            return;
        }
        undo_.push_back(before);
        for (G group : kLabelledGroups)
            for (std::size_t i = first(group); i < end(group); ++i) {
                const auto& was = before.segments[i];
                if (!was)
                    continue;
                const PhotoSegment want{was->from == from ? to : was->from,
                                        was->to == from ? to : was->to};
                EXPECT_EQ(m_.segments()[i], want) << "every end at the junction follows it";
                if (want == *was)
                    continue;
                // A group with a moved seam is measured when it has all its junctions.
                EXPECT_EQ(m_.measuredInPhotoPixels(group), m_.canMeasureFromJunctions(group));
                if (m_.measuredInPhotoPixels(group) || m_.sheet().labelsLower(group)) {
                    markShares(group, m_.sheet().labelsLower(group));
                } else if (x_.units[i] && x_.units[i]->share && distance(*was) > 0) {
                    // A value other than a raw length changes by the ratio of the distances.
                    const double share =
                        readNumber(before.cells[i]) * distance(want) / distance(*was);
                    EXPECT_NEAR(readNumber(m_.sheet().value(i)), share,
                                1e-9 * std::max(1.0, share));
                }
            }
        if (x_.chainFrom == from)
            x_.chainFrom = to;
        if (x_.lastPoint == from) { // converted again, at the zoom step shown now
            x_.lastPoint = to;
            x_.lastStep = m_.zoomSteps();
        }
    }
    static double distance(const PhotoSegment& s) {
        return std::hypot(s.to.x - s.from.x, s.to.y - s.from.y);
    }
    void markShares(G group, bool shares) {
        for (std::size_t i = first(group); i < end(group); ++i)
            x_.units[i] = shares ? std::optional(Unit{0.0, 0.0, true}) : std::nullopt;
    }
    // Every box that keeps its junctions holds their distance in its unit;
    // the next click is said to mix scales when it would.
    void checkBoxes() const {
        // The start marker lies on the chain's first junction, at the view shown now.
        if (const auto start = m_.chainStart(); start && x_.chainFrom) {
            const PointF at = *m_.pictureTwipsOf(*x_.chainFrom);
            EXPECT_LE(std::fabs(static_cast<float>(start->x) - at.x), 1.0F);
            EXPECT_LE(std::fabs(static_cast<float>(start->y) - at.y), 1.0F);
        }
        for (G group : kLabelledGroups) {
            const bool measured = m_.measuredInPhotoPixels(group);
            if (m_.sheet().labelsLower(group) || (!measured && m_.mixesScales(group)))
                continue;
            for (std::size_t i = first(group); i < end(group); ++i) {
                const auto& s = m_.segments()[i];
                const auto& unit = x_.units[i];
                const double value = readNumber(m_.sheet().value(i));
                if (s && measured && !unit) { // not standardised since
                    EXPECT_EQ(m_.sheet().value(i), lengthText(distance(*s))) << "value " << i;
                } else if (s && !measured && unit && !unit->share) {
                    // The previous click is kept in whole twips: half a twip along each axis.
                    const double want = std::hypot((s->to.x - s->from.x) * unit->x,
                                                   (s->to.y - s->from.y) * unit->y);
                    EXPECT_NEAR(value, want, 0.75 + want * 1e-9) << "value " << i;
                }
            }
        }
        const std::string next = m_.nextClickText();
        if (m_.state().chainStarted == 1 && next.starts_with("Next click: ")) {
            EXPECT_EQ(next.find("(clicked before a zoom step") != std::string::npos,
                      x_.lastStep != m_.zoomSteps())
                << next;
        }
    }

    std::mt19937 rng_;
    DigitisingModel m_;
    std::vector<Snapshot> undo_;
    Snapshot x_; // only its expectation is kept up to date
};

TEST(DigitisingPropertyTest, RandomDigitisingKeepsBoxesJunctionsAndUndoInStep) {
    for (unsigned seed = 1; seed <= 40 && !::testing::Test::HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        DigitisingRun run(seed);
        for (int n = 0; n < 150 && !::testing::Test::HasFailure(); ++n)
            run.step(n);
    }
}

} // namespace
} // namespace korvex
