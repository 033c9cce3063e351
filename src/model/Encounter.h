#pragma once

#include <compare>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// A day of the Gregorian calendar. Only real days are ever made: parse()
// refuses 2019-02-29 and 2019-13-01 rather than rolling them over.
struct CalendarDate {
    int year = 1970;
    int month = 1;
    int day = 1;

    auto operator<=>(const CalendarDate&) const = default;

    // Whether year-month-day names a day of the calendar (years 1..9999).
    static bool isReal(int year, int month, int day);
    // "2019-05-01" exactly (four, two and two digits); nothing for any other
    // text, with a message for the user in `error`.
    static std::optional<CalendarDate> parse(std::string_view text, std::string& error);
    // ISO 8601, "2019-05-01".
    std::string text() const;
};

// When and where one record's animal was seen, and by whom. Everything is
// optional: a record without a date is in no occasion and is counted, never
// guessed. A position is latitude and longitude together, WGS84, in decimal
// degrees (north and east positive).
struct Encounter {
    std::optional<CalendarDate> date;
    std::optional<int> secondsOfDay; // local time of day, only with a date
    std::string site;
    std::optional<double> latitude;
    std::optional<double> longitude;
    std::string observer;
    std::string note;

    bool operator==(const Encounter&) const = default;

    bool hasPosition() const { return latitude.has_value() && longitude.has_value(); }

    static bool isLatitude(double degrees) { return degrees >= -90.0 && degrees <= 90.0; }
    static bool isLongitude(double degrees) { return degrees >= -180.0 && degrees <= 180.0; }

    // Reads the date field: "YYYY-MM-DD", optionally followed by "T" or one
    // blank and "HH:MM" or "HH:MM:SS". An empty text clears both. Returns
    // false, with a message and without changing anything, on bad input.
    bool setDateText(std::string_view text, std::string& error);
    // Reads a latitude or longitude in decimal degrees ("-33.9249"); an empty
    // text clears it. False, with a message and nothing changed, for a text
    // that is no number or a value beyond ±90 (latitude) or ±180 (longitude).
    bool setLatitudeText(std::string_view text, std::string& error);
    bool setLongitudeText(std::string_view text, std::string& error);

    // The date and, when known, the time as ISO 8601: "2019-05-01",
    // "2019-05-01T09:30" or "2019-05-01T09:30:15"; empty without a date.
    std::string dateText() const;
    // The position as written back: the shortest decimal that reads back as
    // the same degrees; empty when unknown.
    static std::string degreesText(const std::optional<double>& degrees);

    // Nothing when the encounter is sound, otherwise why not (a position
    // given by half, a degree value out of range, a time without a date or
    // beyond the day).
    std::optional<std::string> problem() const;
};

// A record's encounter, tied to its record by the record identity rule
// (RecordIdentity.h) as a photo entry is, so that it follows its record when
// rows are mended, reordered or removed elsewhere.
struct RecordEncounter {
    std::string recordLine;
    std::size_t occurrence = 1;
    Encounter encounter;

    bool operator==(const RecordEncounter&) const = default;
};

} // namespace korvex
