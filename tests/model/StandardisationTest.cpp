#include "model/Standardisation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace korvex;

namespace {

using Texts = std::vector<std::string>;

std::string marker(std::size_t sheetIndex) {
    return std::string("k").append(std::to_string(sheetIndex));
}

// Every value outside the group under test gets its own marker, so a write
// into a neighbouring group cannot go unnoticed.
MeasurementSheet markedSheet(SeamGroupId group, const Texts& cells) {
    MeasurementSheet sheet;
    for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i)
        sheet.setValue(i, marker(i));
    for (std::size_t i = 0; i < cells.size(); ++i)
        sheet.setCell(group, i, cells[i]);
    return sheet;
}

// The group holds `cells`, nothing else changed, and only its labels (if it
// has any) read lower case.
void expectOnlyGroupChanged(const MeasurementSheet& sheet, SeamGroupId group, const Texts& cells) {
    const SeamGroup& g = seamGroup(group);
    ASSERT_EQ(cells.size(), g.count);
    for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i) {
        if (i >= g.firstSheetIndex && i < g.firstSheetIndex + g.count)
            EXPECT_EQ(sheet.value(i), cells[i - g.firstSheetIndex]) << g.textArray << " cell " << i;
        else
            EXPECT_EQ(sheet.value(i), marker(i)) << "sheet index " << i;
    }
    for (const SeamGroup& other : kSeamGroups)
        EXPECT_EQ(sheet.labelsLower(other.id), other.id == group && other.hasLabels())
            << other.textArray;
    if (!g.hasLabels()) {
        EXPECT_EQ(sheet.labelCaption(group, 0), "");
    }
}

TEST(Standardisation, DividesEachCellByTheGroupTotal) {
    const struct {
        SeamGroupId group;
        Texts cells, expected;
    } cases[] = {
        // clang-format off
        {SeamGroupId::LeftMarginal, Texts(8, "1"), Texts(8, "0.1250")},
        {SeamGroupId::LeftCentral, {"1", "2", "3", "4", "5", "6"},
         {"0.0476", "0.0952", "0.1429", "0.1905", "0.2381", "0.2857"}},
        {SeamGroupId::RightCentral, {"1", "1", "1", "0", "0", "0"},
         {"0.3333", "0.3333", "0.3333", "0.0000", "0.0000", "0.0000"}},
        {SeamGroupId::RightCentral, {"3", "-1", "0", "0", "0", "0"},
         {"1.5000", "-0.5000", "0.0000", "0.0000", "0.0000", "0.0000"}},
        // Cells are read as numbers: text reads 0, blanks and trailing text are ignored.
        {SeamGroupId::RightMarginal, {"abc", "1", " 1", "1\t", "1 x", "0", "0", "0"},
         {"0.0000", "0.2500", "0.2500", "0.2500", "0.2500", "0.0000", "0.0000", "0.0000"}},
        {SeamGroupId::RightMarginal, {"300", "424.264068711929", "500", "0", "0", "0", "0", "0"},
         {"0.2450", "0.3465", "0.4084", "0.0000", "0.0000", "0.0000", "0.0000", "0.0000"}},
        // The Central 2 groups divide by a sixth of their sum, not by their sum.
        {SeamGroupId::LeftCentral2, Texts(7, "1"), Texts(7, "0.8571")},
        {SeamGroupId::RightCentral2, {"10", "20", "30", "40", "50", "60", "70"},
         {"0.2143", "0.4286", "0.6429", "0.8571", "1.0714", "1.2857", "1.5000"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        MeasurementSheet sheet = markedSheet(c.group, c.cells);
        EXPECT_TRUE(standardiseCells(sheet, c.group)) << seamGroup(c.group).textArray;
        expectOnlyGroupChanged(sheet, c.group, c.expected);
    }
}

TEST(Standardisation, ZeroTotalOnlyLowersTheLabels) {
    const struct {
        SeamGroupId group;
        Texts cells;
    } cases[] = {
        {SeamGroupId::LeftMarginal, Texts(8, "0")}, // as on a fresh sheet
        {SeamGroupId::LeftCentral, {"2", "-2", "0", "0", "0", "0"}},
        {SeamGroupId::LeftMarginal, {"abc", "", " ", "0.0", "-0", "0", "0", "0"}},
        {SeamGroupId::RightCentral2, {"5", "0", "0", "0", "0", "0", "-5"}},
    };
    for (const auto& c : cases) {
        MeasurementSheet sheet = markedSheet(c.group, c.cells);
        EXPECT_FALSE(standardiseCells(sheet, c.group)) << seamGroup(c.group).textArray;
        expectOnlyGroupChanged(sheet, c.group, c.cells);
    }
}

// A total or a quotient beyond the range of double would turn finite lengths
// into 0.0000, NaN or Infinity: such a group is refused as a zero total is,
// keeping its values.
TEST(Standardisation, ATotalBeyondTheNumberRangeIsRefusedAndKeepsTheCells) {
    const struct {
        SeamGroupId group;
        Texts cells;
    } cases[] = {
        {SeamGroupId::LeftMarginal, {"1e308", "1e308", "2", "0", "0", "0", "0", "0"}},
        {SeamGroupId::RightMarginal, {"1e400", "1", "1", "1", "1", "1", "1", "1"}},
        {SeamGroupId::LeftCentral, {"1e400", "-1e400", "1", "0", "0", "0"}},
        {SeamGroupId::LeftCentral2, {"1e308", "1e308", "1e308", "1", "1", "1", "1"}},
        // A total that cancels to nearly 0 gives a quotient beyond the range.
        {SeamGroupId::RightCentral, {"1e300", "-1e300", "1e-300", "0", "0", "0"}},
    };
    for (const auto& c : cases) {
        MeasurementSheet sheet = markedSheet(c.group, c.cells);
        EXPECT_FALSE(standardiseCells(sheet, c.group)) << seamGroup(c.group).textArray;
        expectOnlyGroupChanged(sheet, c.group, c.cells);
    }
}

TEST(Standardisation, RepeatingItDividesByTheSumOfTheRoundedValues) {
    const SeamGroupId group = SeamGroupId::LeftCentral;
    MeasurementSheet sheet = markedSheet(group, {"1", "1", "4", "0", "0", "0"});
    ASSERT_TRUE(standardiseCells(sheet, group));
    expectOnlyGroupChanged(sheet, group,
                           {"0.1667", "0.1667", "0.6667", "0.0000", "0.0000", "0.0000"});
    // The rounded values add up to 1.0001, which pulls the largest one down.
    ASSERT_TRUE(standardiseCells(sheet, group));
    expectOnlyGroupChanged(sheet, group,
                           {"0.1667", "0.1667", "0.6666", "0.0000", "0.0000", "0.0000"});
}

} // namespace
