#include "exchange/ClipboardForms.h"

#include <gtest/gtest.h>

#include <string>

using namespace korvex;
using namespace std::literals;

namespace {

TEST(ClipboardForms, RecordFormIsTheRecordLineWithCrLf) {
    std::string zeros;
    for (int i = 0; i < 28; ++i)
        zeros += "\t0";
    // Which values go out, and in what order, is the record line's (RecordDataTest).
    EXPECT_EQ(ClipboardForms::recordForm("T1", MeasurementSheet{}), "T1" + zeros + "\r\n");
}

TEST(ClipboardForms, ARecordIsShownOnlyWhenTheTrimmedTextStartsPrintable) {
    const struct {
        std::string text;
        bool shows;
    } cases[] = {
        {"", false},
        {"   ", false},
        {"\tX", false},             // a data file's sheet line
        {"  R1\t0.1250\r\n", true}, // the blanks belong to the code
        {"\r\nR1", false},
        {" \nR1", false}, // only blanks are trimmed, not line feeds
        {"\0R1"s, false},
        {"\x1F", false},
        {"R1", true},
        {"R1   ", true},
        {"  \xC5\xA0T", true}, // 8-bit codes are letters, not control characters
        {"\x7F", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClipboardForms::showsRecordAfterLoad(c.text), c.shows) << '"' << c.text << '"';
}

TEST(ClipboardForms, ForeignLineEndsBecomeCrLf) {
    const struct {
        std::string text, want;
    } cases[] = {
        {"A\t1\nB\t2\n", "A\t1\r\nB\t2\r\n"}, {"A\r\nB\r\n", "A\r\nB\r\n"},
        {"\nA\n\n", "\r\nA\r\n\r\n"},         {"A\rB\r\r\n", "A\rB\r\r\n"},
        {"A\r\n\nB", "A\r\n\r\nB"},           {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClipboardForms::withCrLfLineEnds(c.text), c.want)
            << testing::PrintToString(c.text);
}

} // namespace
