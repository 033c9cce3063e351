#include "analysis/DistancePasses.h"

#include "model/MeasurementSheet.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace korvex;
using namespace korvex::DistancePasses;

namespace {

constexpr std::size_t kCentralStart = 16;

struct Values {
    std::vector<std::string> marginal = std::vector<std::string>(16, "0");
    std::vector<std::string> central = std::vector<std::string>(12, "0");
};

MeasurementSheet sheetOf(const Values& v) {
    MeasurementSheet sheet;
    for (std::size_t k = 0; k < 16; ++k)
        sheet.setValue(k, v.marginal[k]);
    for (std::size_t k = 0; k < 12; ++k)
        sheet.setValue(kCentralStart + k, v.central[k]);
    return sheet;
}

std::string recordLineOf(const Values& v, std::string_view code = "T1") {
    return SpecimenRecord::BuildRecordLine(code, sheetOf(v));
}

Values marginalAt(std::size_t k, std::string value, Values v = {}) {
    v.marginal[k] = std::move(value);
    return v;
}

Values centralAt(std::size_t k, std::string value, Values v = {}) {
    v.central[k] = std::move(value);
    return v;
}

// C1..C6 and C7..C12 of the worked example: the first left junction lies 0.1
// before the first right one, the others meet.
Values offsetExample() {
    Values v;
    v.central = {"0.1", "0.2", "0.3", "0.2", "0.1", "0.1",
                 "0.2", "0.1", "0.3", "0.2", "0.1", "0.1"};
    return v;
}

Values symmetricCentral() {
    Values v;
    v.central = {"0.1", "0.2", "0.3", "0.2", "0.1", "0.1",
                 "0.1", "0.2", "0.3", "0.2", "0.1", "0.1"};
    return v;
}

// A distance text, `gap` spaces and a record number.
std::string columns(std::string_view distance, std::size_t gap, std::string_view number) {
    std::string line(distance);
    line.append(gap, ' ');
    line += number;
    return line;
}

TEST(DistanceLines, AreWrittenInTheirColumnsAndReadBackWhole) {
    const struct {
        bool central;
        double distance;
        std::size_t record;
        std::string expected;
        double readValue;
    } cases[] = {
        {false, 0.5, 7, columns("0.5000", 8, "7"), 0.5},
        {true, 5.0, 12, columns("5.00000", 8, "12"), 5.0},
        {false, 0.25, 123, columns("0.2500", 8, "123"), 0.25},
        {false, 0.0, 10000, columns("0.0000", 8, "10000"), 0.0},
        {false, 16.0, 10, columns("16.0000", 7, "10"), 16.0},
        {true, 0.123456, 1, columns("0.12346", 8, "1"), 0.12346},
        // Wider than the column: written in full, so the number is never cut.
        {true, 123456.5, 3, columns("123456.50000", 4, "3"), 123456.5},
        {true, 123456.78901, 8, columns("123456.78901", 4, "8"), 123456.78901},
        {false, 1234567.25, 45, columns("1234567.2500", 4, "45"), 1234567.25},
    };
    for (const auto& c : cases) {
        const std::string line =
            c.central ? d2Line(c.distance, c.record) : d1Line(c.distance, c.record);
        EXPECT_EQ(line, c.expected);
        const DistanceEntry entry = readBack(line);
        EXPECT_EQ(entry.distance, c.readValue) << line;
        EXPECT_EQ(entry.recordNumber, c.record) << line;
    }
    // Lines no pass writes name no record.
    EXPECT_EQ(readBack("").recordNumber, 0u);
    EXPECT_EQ(readBack("0.5000").recordNumber, 0u);
    EXPECT_EQ(readBack("0.5000").distance, 0.5);
    EXPECT_EQ(readBack("0.5000    -3").recordNumber, 0u);
}

// "auto" takes carried() for the value a written distance line reads back as,
// without writing the line; the two paths must never part, whatever the value.
TEST(DistanceLines, CarriedIsTheReadBackOfTheWrittenLine) {
    const double inf = HUGE_VAL;
    const double values[] = {
        0.0,          -0.0,
        0.5,          0.00005,
        0.000049999,  0.000015,
        0.123445,     0.123455,
        2.5e-5,       -2.5e-5,
        -0.12345,     9.99995,
        99999.999995, 123456.78901,
        1e20,         -1e20,
        1.7e308,      4.9e-324,
        std::nan(""), inf,
        -inf,         0.4999999999999999,
        1234567.25,
    };
    for (const double v : values) {
        EXPECT_EQ(carried(v, kD1Decimals), readBack(d1Line(v, 3)).distance) << d1Line(v, 3);
        EXPECT_EQ(carried(v, kD2Decimals), readBack(d2Line(v, 3)).distance) << d2Line(v, 3);
    }
}

TEST(MarginalDistance, SumsTheRelativeDifferenceOfEveryPositionInUse) {
    const Values quarters = [] {
        Values v;
        v.marginal.assign(16, "0.0625");
        return v;
    }();
    const struct {
        const char* name;
        Values sheet;
        Values record;
        double expected;
    } cases[] = {
        {"equal values", quarters, quarters, 0.0},
        {"all zero: no term, no division", Values{}, Values{}, 0.0},
        {"zero against a positive value", quarters, marginalAt(5, "0", quarters), 1.0},
        {"positive against zero", marginalAt(15, "0", quarters), quarters, 1.0},
        {"relative difference", marginalAt(0, "0.3"), marginalAt(0, "0.1"), 0.5},
        {"non-numeric reads 0", quarters, marginalAt(2, "abc", quarters), 1.0},
        // Only negative values can cancel the denominator; the term counts as
        // completely different instead of dividing by zero.
        {"cancelling denominator", marginalAt(3, "0.5"), marginalAt(3, "-0.5"), 1.0},
        {"negative on both sides adds nothing", marginalAt(3, "-0.5"), marginalAt(3, "-0.2"), 0.0},
        {"negative against positive", marginalAt(1, "0.4"), marginalAt(1, "-0.2"), 3.0},
        // A distance is never below 0, or a mistyped sign would rank a record
        // above the very animal on the sheet.
        {"larger negative against positive", marginalAt(1, "-0.4"), marginalAt(1, "0.2"), 3.0},
        {"larger negative in the record", marginalAt(1, "0.2"), marginalAt(1, "-0.4"), 3.0},
        // Values are rounded to 4 decimals before use.
        {"below the half rounds down", marginalAt(0, "0.12344999"), marginalAt(0, "0.1234"), 0.0},
        {"the half rounds up", marginalAt(0, "0.12345"), marginalAt(0, "0.1234"), 0.0001 / 0.2469},
        {"central values take no part", centralAt(0, "0.5", quarters), quarters, 0.0},
    };
    for (const auto& c : cases) {
        const double d1 =
            marginalDistance(parseSheet(sheetOf(c.sheet)), parseRecord(recordLineOf(c.record)));
        EXPECT_NEAR(d1, c.expected, 1e-12) << c.name;
    }
}

TEST(MarginalDistance, StopsOnceTheSumExceedsItsBound) {
    Values quarters;
    quarters.marginal.assign(16, "0.0625");
    Values zeros;
    zeros.marginal.assign(16, "0");
    const auto sheet = parseSheet(sheetOf(quarters));
    const auto record = parseRecord(recordLineOf(zeros)); // sixteen terms of 1
    EXPECT_EQ(marginalDistance(sheet, record), 16.0);
    // Past the bound it stops with the first partial sum beyond it.
    EXPECT_EQ(marginalDistance(sheet, record, 2.5), 3.0);
    // A sum within its bound is the whole sum.
    EXPECT_EQ(marginalDistance(sheet, record, 16.0), 16.0);
}

TEST(CentralDistance, ComparesTheOffsetsOfTheFirstFiveJunctions) {
    const struct {
        const char* name;
        Values sheet;
        Values record;
        double expected;
    } cases[] = {
        {"worked example", offsetExample(), symmetricCentral(), 5.0},
        {"symmetric on both sides", symmetricCentral(), symmetricCentral(), 0.0},
        {"same offsets, other lengths", offsetExample(),
         [] {
             Values v = offsetExample();
             v.central[2] = "0.4";
             v.central[8] = "0.4";
             return v;
         }(),
         0.0},
        // The last seams only close the side totals, which are not compared.
        {"sixth seams unused", centralAt(5, "0.3"), centralAt(11, "0.7"), 0.0},
        {"a fifth seam shifts one junction", centralAt(4, "0.02"), Values{}, 1.0},
        {"a first seam shifts five junctions", centralAt(6, "0.02"), Values{}, 5.0},
        {"non-numeric reads 0", Values{}, centralAt(0, "abc"), 0.0},
        // Values are rounded to 5 decimals before they are summed.
        {"below the half rounds down", centralAt(0, "0.123454999"), centralAt(0, "0.12345"), 0.0},
        {"the half rounds up", centralAt(0, "0.123455"), centralAt(0, "0.12345"), 0.0025},
        {"marginal values take no part", marginalAt(0, "0.5"), Values{}, 0.0},
    };
    for (const auto& c : cases) {
        const double d2 =
            centralDistance(parseSheet(sheetOf(c.sheet)), parseRecord(recordLineOf(c.record)));
        EXPECT_NEAR(d2, c.expected, 1e-9) << c.name;
    }
}

TEST(DistancePasses, AddOneNumberedLinePerRecordInTheirOrder) {
    const Values sheet = [] {
        Values v = offsetExample();
        v.marginal.assign(16, "0.0625");
        return v;
    }();
    std::vector<ParsedRecord> records;
    records.push_back(parseRecord(recordLineOf(Values{})));
    records.push_back(parseRecord(recordLineOf(sheet)));
    records.push_back(parseRecord(recordLineOf(symmetricCentral())));
    const ParsedRecord current = parseSheet(sheetOf(sheet));

    ResultList d1(ResultList::Order::Distance);
    const PassResult marginal = marginalia3(current, records, d1);
    EXPECT_EQ(marginal.visited, 3u);
    EXPECT_FALSE(marginal.stoppedEarly);
    ASSERT_EQ(d1.count(), 3u);
    // The record equal to the sheet leads with a zero distance.
    EXPECT_EQ(d1.line(0), columns("0.0000", 8, "2"));
    EXPECT_EQ(d1.line(1), columns("16.0000", 7, "1"));
    EXPECT_EQ(d1.line(2), columns("16.0000", 7, "3"));

    ResultList d2(ResultList::Order::Distance);
    const PassResult central = rozdil_SS(current, records, d2);
    EXPECT_EQ(central.visited, 3u);
    EXPECT_FALSE(central.stoppedEarly);
    ASSERT_EQ(d2.count(), 3u);
    EXPECT_EQ(d2.line(0), columns("0.00000", 8, "2"));
    EXPECT_EQ(d2.line(1), columns("5.00000", 8, "1"));
    EXPECT_EQ(d2.line(2), columns("5.00000", 8, "3"));
}

TEST(DistancePasses, StopAtALineOfFewerThanTenFieldsKeepingWhatTheyAdded) {
    const std::vector<std::string> lines = {
        recordLineOf(Values{}, "a"),
        recordLineOf(Values{}, "b"),
        "c\t1\t2\t3\t4\t5\t6\t7\t8", // nine fields
        recordLineOf(Values{}, "d"),
    };
    std::vector<ParsedRecord> records;
    for (const std::string& line : lines)
        records.push_back(parseRecord(line));
    const ParsedRecord current = parseSheet(sheetOf(Values{}));

    for (const bool central : {false, true}) {
        ResultList list(ResultList::Order::Distance);
        list.add("9.9   earlier");
        const PassResult result =
            central ? rozdil_SS(current, records, list) : marginalia3(current, records, list);
        EXPECT_TRUE(result.stoppedEarly) << central;
        EXPECT_EQ(result.visited, 2u) << central;
        ASSERT_EQ(list.count(), 3u) << central;
        EXPECT_EQ(readBack(list.line(0)).recordNumber, 1u);
        EXPECT_EQ(readBack(list.line(1)).recordNumber, 2u);
        EXPECT_EQ(list.line(2), "9.9   earlier");
    }

    // Ten fields are enough; the fields the line lacks read as 0.
    std::vector<ParsedRecord> ten = {parseRecord("c\t1\t2\t3\t4\t5\t6\t7\t8\t9")};
    ResultList list(ResultList::Order::Distance);
    const PassResult result = marginalia3(current, ten, list);
    EXPECT_FALSE(result.stoppedEarly);
    ASSERT_EQ(list.count(), 1u);
    EXPECT_EQ(list.line(0), columns("9.0000", 8, "1"));
}

} // namespace
