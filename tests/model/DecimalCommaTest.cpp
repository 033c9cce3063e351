#include "model/DecimalComma.h"

#include <gtest/gtest.h>

#include <string>

namespace korvex {
namespace {

// A value holds a decimal comma exactly when the numeric reading stops at a
// comma that a digit follows: then it reads as what stands before the comma.
TEST(DecimalComma, AValueHoldsOneWhereTheReadingStopsAtACommaBeforeADigit) {
    const struct {
        const char* text;
        bool holds;
        const char* readsAs;
    } cases[] = {
        {"0,0612", true, "0"},
        {"1,5e3", true, "1"},
        {"1.,5", true, "1"},
        {" 0 ,5", true, "0"}, // blanks are skipped wherever they stand
        {"1 2,5", true, "12"},
        {"1,5\t", true, "1"},
        {"\t-1,5", true, "-1"},
        {"1.234,5", true, "1.234"},
        {"1e5,5", true, "100000"},
        {"1,234,567", true, "1"},
        {"1.5", false, "1.5"},
        {"1, 5", false, "1"},
        {"1,", false, "1"},
        {"1,x", false, "1"},
        {"1e,5", false, "1"}, // the number ended before the e
        {"1.2.3,4", false, "1.2"},
        {"1\r,5", false, "1"}, // a CR ends the number
        {"a,5", false, "0"},
        {",5", true, "0"}, // as a spreadsheet may write 0,5
        {"-,5", true, "0"},
        {".,5", true, "0"},
        {"+-1,5", false, "0"},
        // Arabic-Indic digits are no digits of the reading: no number at all.
        {"\xD9\xA3,\xD9\xA5", false, "0"},
        {"", false, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DecimalComma::holdsOne(c.text), c.holds);
        EXPECT_EQ(DecimalComma::readAs(c.text), c.readsAs);
    }
}

std::string recordWith(const std::string& code, std::size_t index, const std::string& value,
                       std::size_t fields = 29) {
    std::string line = code;
    for (std::size_t i = 0; i + 1 < fields; ++i)
        line += "\t" + (i == index ? value : std::string("0.0625"));
    return line;
}

// Only values 1..28 count: the code may hold any comma, and fields after the
// record's values are no seams.
TEST(DecimalComma, OnlyTheRecordValuesOfALineAreLookedAt) {
    const struct {
        const char* name;
        std::string line;
        bool found;
        std::size_t index;
        const char* text;
    } cases[] = {
        {"M1", recordWith("T1", 0, "0,5"), true, 0, "0,5"},
        {"C12", recordWith("T1", 27, "0,5"), true, 27, "0,5"},
        {"the first of two", recordWith("T1", 3, "0,5") + "\t1,5", true, 3, "0,5"},
        {"a code with commas", recordWith("T,1,5", 99, ""), false, 0, ""},
        {"a field after C12", recordWith("T1", 28, "0,5", 31), false, 0, ""},
        {"a line of 12 fields", recordWith("T1", 10, "2,5", 12), true, 10, "2,5"},
        {"a code alone", "0,5", false, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto value = DecimalComma::firstValueOf(c.line);
        ASSERT_EQ(value.has_value(), c.found);
        if (!value)
            continue;
        EXPECT_EQ(value->index, c.index);
        EXPECT_EQ(value->text, c.text);
    }
}

// Records are numbered as the comparison numbers them; the piece after the
// final CR LF is no record.
TEST(DecimalComma, ADataSetNamesItsFirstRecordWithOneByItsNumber) {
    const std::string plain = recordWith("P", 99, "");
    const std::string set = plain + "\r\n\r\n" + recordWith("T3", 5, "0,25") + "\r\n" + plain +
                            "\r\n" + recordWith("T5", 1, "7,5") + "\r\n" +
                            recordWith("after", 0, "1,5");
    const auto found = DecimalComma::inDataSet(set);
    EXPECT_EQ(found.records, 2U);
    EXPECT_EQ(found.firstRecord, 3U);
    EXPECT_EQ(found.firstCode, "T3");
    EXPECT_EQ(found.firstValue.index, 5U);
    EXPECT_EQ(found.firstValue.text, "0,25");

    EXPECT_EQ(DecimalComma::inDataSet(recordWith("alone", 0, "1,5")).records, 0U);
    EXPECT_EQ(DecimalComma::inDataSet("").records, 0U);
}

// A box filled from a record line keeps its line end and what follows it.
TEST(DecimalComma, AMessageQuotesAValueUpToTheLineEndAfterItsComma) {
    const struct {
        const char* text;
        const char* quoted;
    } cases[] = {
        {"0,28", "0,28"},
        {"0,28\r\n", "0,28"},
        {"0,28\r\nB", "0,28"},
        {"0,28\nB", "0,28"},
        {"1\n2,5\r\n", "1\n2,5"}, // the LF before the comma is part of the number read
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(DecimalComma::quotedPart(c.text), c.quoted);
    }
}

} // namespace
} // namespace korvex
