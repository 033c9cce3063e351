#include "model/DataSet.h"
#include "model/MeasurementSheet.h"
#include "model/RecordLine.h"
#include "model/TextSplit.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace korvex;
using namespace std::literals;

namespace {

using Views = std::vector<std::string_view>;

TEST(MeasurementSheet, GroupCellsMapOntoSheetOrderAndEndWithTheGroup) {
    const struct {
        SeamGroupId group;
        std::size_t first, count;
    } cases[] = {
        {SeamGroupId::LeftMarginal, 0, 8},  {SeamGroupId::RightMarginal, 8, 8},
        {SeamGroupId::LeftCentral, 16, 6},  {SeamGroupId::RightCentral, 22, 6},
        {SeamGroupId::LeftCentral2, 28, 7}, {SeamGroupId::RightCentral2, 35, 7},
    };
    for (const auto& c : cases) {
        for (std::size_t cell = 0; cell < c.count; ++cell) {
            MeasurementSheet sheet;
            sheet.setCell(c.group, cell, "x");
            for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i)
                ASSERT_EQ(sheet.value(i), i == c.first + cell ? "x" : "0")
                    << c.first << "+" << cell;
            sheet.setValue(c.first + cell, "y");
            EXPECT_EQ(sheet.cell(c.group, cell), "y");
        }
        // Every value starts as "0", and a rejected write leaves no trace.
        MeasurementSheet sheet;
        EXPECT_THROW((void)sheet.cell(c.group, c.count), std::out_of_range) << c.first;
        EXPECT_THROW(sheet.setCell(c.group, c.count, "1"), std::out_of_range) << c.first;
        for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i)
            EXPECT_EQ(sheet.value(i), "0") << i;
        EXPECT_THROW((void)sheet.value(MeasurementSheet::kValueCount), std::out_of_range);
    }
}

TEST(MeasurementSheet, LabelCaptionsFollowTheSeamNamesAndTheirCase) {
    const struct {
        SeamGroupId group;
        const char* upper;
        const char* lower;
    } cases[] = {
        {SeamGroupId::LeftMarginal, "M1 M2 M3 M4 M5 M6 M7 M8", "m1 m2 m3 m4 m5 m6 m7 m8"},
        {SeamGroupId::RightMarginal, "M9 M10 M11 M12 M13 M14 M15 M16",
         "m9 m10 m11 m12 m13 m14 m15 m16"},
        {SeamGroupId::LeftCentral, "C1 C2 C3 C4 C5 C6", "c1 c2 c3 c4 c5 c6"},
        {SeamGroupId::RightCentral, "C7 C8 C9 C10 C11 C12", "c7 c8 c9 c10 c11 c12"},
        {SeamGroupId::LeftCentral2, "", ""},
        {SeamGroupId::RightCentral2, "", ""},
    };
    const auto captions = [](const MeasurementSheet& sheet, SeamGroupId group) {
        std::string all;
        for (std::size_t i = 0; i < 9; ++i) // one past the largest group
            if (std::string c = sheet.labelCaption(group, i); !c.empty())
                all.append(all.empty() ? "" : " ").append(c);
        return all;
    };
    for (const auto& c : cases) {
        MeasurementSheet sheet;
        EXPECT_EQ(captions(sheet, c.group), c.upper);
        sheet.setLabelsLower(c.group, true);
        EXPECT_EQ(captions(sheet, c.group), c.lower);
        for (const SeamGroup& other : kSeamGroups)
            EXPECT_EQ(sheet.labelsLower(other.id), other.id == c.group);
    }
}

TEST(SpecimenRecord, FreshSheetGivesTheCodeAndTwentyEightZeros) {
    const MeasurementSheet sheet;
    std::string expected = "T1";
    for (int i = 0; i < 28; ++i)
        expected += "\t0";
    EXPECT_EQ(SpecimenRecord::BuildRecordLine("T1", sheet), expected);
    EXPECT_EQ(SpecimenRecord::BuildRecordLine("", sheet), expected.substr(2));
}

TEST(SpecimenRecord, CopiesTheRecordValuesUnchangedAndLeavesCentral2Out) {
    MeasurementSheet sheet;
    const std::string odd[] = {" 1.50 ", "abc", "", "\xB5\xFF", "1e3", "0.1250"};
    for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i)
        sheet.setValue(i, i < 6 ? odd[i] : std::string("v").append(std::to_string(i)));
    const std::string line = SpecimenRecord::BuildRecordLine("A-7", sheet);
    const auto fields = SpecimenRecord::splitFields(line);
    ASSERT_EQ(fields.size(), SpecimenRecord::kFieldCount);
    EXPECT_EQ(fields[0], "A-7");
    for (std::size_t i = 0; i < MeasurementSheet::kRecordValueCount; ++i)
        EXPECT_EQ(fields[i + 1], sheet.value(i)) << i;
    EXPECT_EQ(line.find("v28"), std::string::npos);
    EXPECT_EQ(line.find("v41"), std::string::npos);

    // A TAB in the code is not escaped: every value moves one field on.
    const std::string tabbed = SpecimenRecord::BuildRecordLine("A\tB", sheet);
    const auto shifted = SpecimenRecord::splitFields(tabbed);
    ASSERT_EQ(shifted.size(), SpecimenRecord::kFieldCount + 1);
    EXPECT_EQ(shifted[2], " 1.50 ");
    EXPECT_EQ(SpecimenRecord::codeOf(tabbed), "A");
}

TEST(SpecimenRecord, SplitFieldsKeepsEmptyFieldsAndCodeOfTakesTheFirst) {
    const struct {
        std::string_view line;
        Views fields;
    } cases[] = {
        // clang-format off
        {"", {""}}, {"\t", {"", ""}}, {"a\t\tb", {"a", "", "b"}}, {"a\t", {"a", ""}},
        {"\tx", {"", "x"}}, {"T1\t0.5\r\n", {"T1", "0.5\r\n"}}, {"abc", {"abc"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpecimenRecord::splitFields(c.line), c.fields) << c.line;
        EXPECT_EQ(SpecimenRecord::codeOf(c.line), c.fields.front()) << c.line;
    }
}

// A code question refuses what would break the record; a new code replaces
// field 0 alone, whatever the rest of the line holds.
TEST(SpecimenRecord, ACodeWithATabOrALineBreakIsRefusedAndANewCodeKeepsTheRest) {
    const struct {
        std::string_view code;
        bool refused;
    } codes[] = {
        {"T1", false},  {"", false},    {" t 001 ", false}, {"K\xE9", false},
        {"T\t1", true}, {"T1\r", true}, {"\nT1", true},     {"T1\r\n", true},
    };
    for (const auto& c : codes) {
        const auto problem = SpecimenRecord::codeProblem(c.code);
        EXPECT_EQ(problem.has_value(), c.refused) << c.code;
        if (problem) {
            EXPECT_NE(problem->find("TAB, CR or LF"), std::string::npos) << *problem;
        }
    }
    const struct {
        std::string_view line, code, result;
    } lines[] = {
        {"T1\t0.5\t0.6", "T22", "T22\t0.5\t0.6"},
        {"T1", "X", "X"},
        {"\t0.5", "X", "X\t0.5"},
        {"T1\t\t", "", "\t\t"},
        {"", "X", "X"},
    };
    for (const auto& c : lines)
        EXPECT_EQ(SpecimenRecord::withCode(c.line, c.code), c.result) << c.line;
}

// The splitter under both: a separator is found again only after the end of
// the last one, and an empty one never matches.
TEST(TextSplit, SeparatorsDoNotOverlapAndAnEmptyOneSplitsNothing) {
    const struct {
        std::string_view text, separator;
        Views parts;
    } cases[] = {
        // clang-format off
        {"aaa", "aa", {"", "a"}}, {"aaaa", "aa", {"", "", ""}}, {"xabab", "ab", {"x", "", ""}},
        {"a\tb", "", {"a\tb"}}, {"", "", {""}}, {"", "ab", {""}},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitAt(c.text, c.separator), c.parts) << c.text << " at " << c.separator;
}

TEST(DataSet, AppendRecordLooksAtTheLastFiveCharacters) {
    const struct {
        std::string before, after;
    } cases[] = {
        // clang-format off
        {"", "L\r\n"}, {"REC1\r\n", "REC1\r\nL\r\n"},
        // Under five characters the text is replaced, even a whole short record.
        {"a", "L\r\n"}, {"abcd", "L\r\n"}, {"L1\r\n", "L\r\n"}, {"\r\n\r\n", "L\r\n"},
        // A final record without a line break gets one first.
        {"L1\r\nabc", "L1\r\nabc\r\nL\r\n"}, {"abcde", "abcde\r\nL\r\n"},
        {"\r\nabc", "\r\nabc\r\nL\r\n"}, {"abcd\r", "abcd\r\r\nL\r\n"},
        // One or two characters after the last line break: the line is joined onto them.
        {"L1\r\nab", "L1\r\nabL\r\n"}, {"L1\r\na", "L1\r\naL\r\n"},
        // Only the first CR LF among the last five counts.
        {"x\r\n\r\n", "x\r\n\r\nL\r\n"}, {"ab\r\nc\r\n", "ab\r\nc\r\n\r\nL\r\n"},
        // clang-format on
    };
    for (const auto& c : cases) {
        DataSet data;
        data.setText(c.before);
        data.AppendRecord("L");
        EXPECT_EQ(data.text(), c.after) << '"' << c.before << '"';
    }

    DataSet data;
    data.AppendRecord("REC1");
    EXPECT_EQ(data.RecordCount(), 1u);
    data.AppendRecord("REC2\t\xE9\xFF");
    EXPECT_EQ(data.text(), "REC1\r\nREC2\t\xE9\xFF\r\n");
    EXPECT_EQ(data.RecordCount(), 2u);
}

// The record count is the number of CR LF pairs, counted without overlap, and
// there is one piece more than that.
TEST(DataSet, PiecesAndCountSplitAtEveryCrLfAndKeepEveryByte) {
    const struct {
        std::string text;
        Views pieces;
    } cases[] = {
        // clang-format off
        {"", {""}}, {"L1", {"L1"}}, {"\r\n", {"", ""}}, {"L1\r\nL2\r\n", {"L1", "L2", ""}},
        {"L1\r\nL2", {"L1", "L2"}}, {"\r\r\n\n", {"\r", "\n"}}, {"\r\n\r\n", {"", "", ""}},
        {"\n\r", {"\n\r"}}, {"\r\n\n\r", {"", "\n\r"}}, {"\r\r\r\n\n\n", {"\r\r", "\n\n"}},
        {"a\0b\r\n\x80\xFF\r\n\0"s, {"a\0b"sv, "\x80\xFF", "\0"sv}},
        // clang-format on
    };
    for (const auto& c : cases) {
        DataSet data;
        data.setText(c.text);
        EXPECT_EQ(data.pieces(), c.pieces);
        EXPECT_EQ(DataSet::splitPieces(c.text), c.pieces);
        EXPECT_EQ(data.RecordCount(), c.pieces.size() - 1) << c.text;
        EXPECT_EQ(data.pieceCount(), c.pieces.size());
        for (std::size_t i = 0; i < c.pieces.size(); ++i)
            EXPECT_EQ(data.piece(i), c.pieces[i]) << i;
        EXPECT_EQ(data.piece(c.pieces.size()), "");
        EXPECT_EQ(data.piece(c.pieces.size() + 10), "");
    }
}

} // namespace
