#include "model/Encounter.h"

#include <gtest/gtest.h>

#include <string>

using namespace korvex;

namespace {

TEST(Encounter, OnlyRealDaysAndTimesAreDates) {
    const struct {
        const char* text;
        bool accepted;
        const char* written; // dateText() after accepting
    } cases[] = {
        {"2019-05-01", true, "2019-05-01"},
        {"2020-02-29", true, "2020-02-29"}, // leap year
        {"2000-02-29", true, "2000-02-29"}, // divisible by 400
        {"1900-02-29", false, ""},          // divisible by 100 only
        {"2019-02-29", false, ""},
        {"2019-04-31", false, ""},
        {"2019-13-01", false, ""},
        {"2019-00-10", false, ""},
        {"2019-05-00", false, ""},
        {"0000-01-01", false, ""},
        {"2019-5-1", false, ""},
        {"01/05/2019", false, ""},
        {"2019-05-01T09:30", true, "2019-05-01T09:30"},
        {"2019-05-01 09:30:15", true, "2019-05-01T09:30:15"},
        {"2019-05-01T00:00:00", true, "2019-05-01T00:00"}, // midnight is a time, not none
        {"2019-12-31T23:59:59", true, "2019-12-31T23:59:59"},
        {"2019-05-01T24:00", false, ""},
        {"2019-05-01T09:60", false, ""},
        {"2019-05-01T9:30", false, ""},
        {"2019-05-01x", false, ""},
    };
    for (const auto& c : cases) {
        Encounter e;
        e.date = CalendarDate{2001, 1, 1};
        std::string error;
        EXPECT_EQ(e.setDateText(c.text, error), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_EQ(e.dateText(), c.written) << c.text;
            EXPECT_FALSE(e.problem()) << c.text;
        } else {
            // Nothing wrong is stored: the old date stays, and the message names the text.
            EXPECT_EQ(e.dateText(), "2001-01-01") << c.text;
            EXPECT_NE(error.find(c.text), std::string::npos) << error;
        }
    }
    Encounter e;
    std::string error;
    ASSERT_TRUE(e.setDateText("2019-05-01T10:00", error));
    ASSERT_TRUE(e.setDateText("", error));
    EXPECT_FALSE(e.date);
    EXPECT_FALSE(e.secondsOfDay);
}

// The calendar check is public: readers of other files and hand-built dates
// reach it with any ints, not only the two digits a typed date can hold.
TEST(Encounter, TheCalendarCheckTakesAnyNumbers) {
    const struct {
        int year, month, day;
        bool real;
    } cases[] = {
        {2019, 1, 31, true},    {2019, 1, 32, false},  {2019, 1, 257, false}, {2019, 1, 513, false},
        {2019, 1, -255, false}, {2019, 257, 1, false}, {2019, 0, 1, false},   {1, 1, 1, true},
        {9999, 12, 31, true},   {10000, 1, 1, false},  {2000, 2, 29, true},   {1900, 2, 29, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CalendarDate::isReal(c.year, c.month, c.day), c.real)
            << c.year << "-" << c.month << "-" << c.day;
        Encounter e;
        e.date = CalendarDate{c.year, c.month, c.day};
        EXPECT_EQ(e.problem().has_value(), !c.real) << c.year << "-" << c.month << "-" << c.day;
    }
}

TEST(Encounter, AProblemSaysWhatIsWrong) {
    const CalendarDate day{2019, 5, 1};
    const struct {
        std::optional<CalendarDate> date;
        std::optional<int> seconds;
        const char* problem; // empty: sound
    } cases[] = {
        {day, 0, ""},
        {day, 86399, ""},
        {std::nullopt, 0, "A time of day needs a date."},
        {day, 86400, "The time of day lies beyond 23:59:59."},
        {day, -1, "The time of day lies beyond 23:59:59."},
    };
    for (const auto& c : cases) {
        Encounter e;
        e.date = c.date;
        e.secondsOfDay = c.seconds;
        EXPECT_EQ(e.problem().value_or(""), c.problem) << *c.seconds;
    }
}

TEST(Encounter, PositionsStayWithinTheirDegrees) {
    const struct {
        bool latitude;
        const char* text;
        bool accepted;
        double degrees;
    } cases[] = {
        {true, "90", true, 90.0},
        {true, "-90", true, -90.0},
        {true, "90.0001", false, 0},
        {true, "-91", false, 0},
        {true, "+36.9412", true, 36.9412},
        {true, "abc", false, 0},
        {true, "1e1", false, 0},
        {true, "36,94", false, 0},
        {true, "-", false, 0},
        {false, "-180", true, -180.0},
        {false, "180", true, 180.0},
        {false, "180.5", false, 0},
        {false, "-5.3321", true, -5.3321},
        {false, "nan", false, 0},
    };
    for (const auto& c : cases) {
        Encounter e;
        e.latitude = 1.0;
        e.longitude = 2.0;
        std::string error;
        const bool ok =
            c.latitude ? e.setLatitudeText(c.text, error) : e.setLongitudeText(c.text, error);
        EXPECT_EQ(ok, c.accepted) << c.text;
        const double stored = *(c.latitude ? e.latitude : e.longitude);
        EXPECT_EQ(stored, c.accepted ? c.degrees : c.latitude ? 1.0 : 2.0) << c.text;
        if (!c.accepted) {
            EXPECT_NE(error.find(c.latitude ? "latitude" : "longitude"), std::string::npos);
        }
    }
    Encounter half;
    half.latitude = 10.0;
    EXPECT_TRUE(half.problem());
    half.longitude = 200.0;
    EXPECT_TRUE(half.problem());
    half.longitude = 20.0;
    EXPECT_FALSE(half.problem());
    EXPECT_EQ(Encounter::degreesText(-5.3321), "-5.3321");
    // Written as it is read: never in exponent form.
    EXPECT_EQ(Encounter::degreesText(0.00001), "0.00001");
    Encounter small;
    std::string error;
    EXPECT_TRUE(small.setLatitudeText(Encounter::degreesText(1e-7), error)) << error;
    EXPECT_EQ(*small.latitude, 1e-7);
    // However many zeros the fixed form needs, it is written whole and reads back.
    for (const double tiny : {-1.234567e-29, 4.9406564584124654e-324}) {
        Encounter read;
        const std::string text = Encounter::degreesText(tiny);
        EXPECT_TRUE(read.setLatitudeText(text, error)) << error;
        EXPECT_EQ(read.latitude, tiny) << text;
    }
    EXPECT_EQ(Encounter::degreesText(std::nullopt), "");
}

} // namespace
