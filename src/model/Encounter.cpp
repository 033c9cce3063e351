#include "model/Encounter.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace korvex {

namespace {

bool allDigits(std::string_view text) {
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.empty();
}

int digitsValue(std::string_view text) {
    int value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return value;
}

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// "HH:MM" or "HH:MM:SS" as seconds since midnight.
std::optional<int> parseTime(std::string_view text) {
    if (text.size() != 5 && text.size() != 8)
        return std::nullopt;
    if (text[2] != ':' || (text.size() == 8 && text[5] != ':'))
        return std::nullopt;
    const std::string_view hh = text.substr(0, 2), mm = text.substr(3, 2);
    const std::string_view ss = text.size() == 8 ? text.substr(6, 2) : std::string_view("00");
    if (!allDigits(hh) || !allDigits(mm) || !allDigits(ss))
        return std::nullopt;
    const int h = digitsValue(hh), m = digitsValue(mm), s = digitsValue(ss);
    if (h > 23 || m > 59 || s > 59)
        return std::nullopt;
    return h * 3600 + m * 60 + s;
}

bool setDegrees(std::optional<double>& target, std::string_view text, const char* what,
                double limit, std::string& error) {
    if (text.empty()) {
        target.reset();
        return true;
    }
    std::string_view digits = text;
    if (digits.front() == '+')
        digits.remove_prefix(1);
    double value = 0.0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                     std::chars_format::fixed);
    if (digits.empty() || res.ec != std::errc() || res.ptr != digits.data() + digits.size() ||
        !std::isfinite(value)) {
        error = std::string("The ") + what + " " + quoted(text) +
                " is no number of degrees; write it in decimal degrees, as -33.9249.";
        return false;
    }
    if (std::fabs(value) > limit) {
        char bound[8];
        std::snprintf(bound, sizeof bound, "%d", static_cast<int>(limit));
        error = std::string("The ") + what + " " + quoted(text) + " lies beyond \xC2\xB1" + bound +
                " degrees.";
        return false;
    }
    target = value;
    return true;
}

} // namespace

bool CalendarDate::isReal(int year, int month, int day) {
    // std::chrono keeps a month and a day in one byte each: a day of 257
    // would be held as 1, so the ranges are checked before it sees them.
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    const std::chrono::year_month_day ymd{std::chrono::year(year),
                                          std::chrono::month(static_cast<unsigned>(month)),
                                          std::chrono::day(static_cast<unsigned>(day))};
    return ymd.ok();
}

std::optional<CalendarDate> CalendarDate::parse(std::string_view text, std::string& error) {
    const bool shaped = text.size() == 10 && text[4] == '-' && text[7] == '-' &&
                        allDigits(text.substr(0, 4)) && allDigits(text.substr(5, 2)) &&
                        allDigits(text.substr(8, 2));
    if (!shaped) {
        error = "The date " + quoted(text) + " is not written as YYYY-MM-DD (2019-05-01).";
        return std::nullopt;
    }
    const CalendarDate date{digitsValue(text.substr(0, 4)), digitsValue(text.substr(5, 2)),
                            digitsValue(text.substr(8, 2))};
    if (!isReal(date.year, date.month, date.day)) {
        error = "The date " + quoted(text) + " does not exist in the calendar.";
        return std::nullopt;
    }
    return date;
}

std::string CalendarDate::text() const {
    char out[48];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d", year, month, day);
    return out;
}

bool Encounter::setDateText(std::string_view text, std::string& error) {
    if (text.empty()) {
        date.reset();
        secondsOfDay.reset();
        return true;
    }
    const auto parsed = CalendarDate::parse(text.substr(0, 10), error);
    if (!parsed)
        return false;
    std::optional<int> time;
    if (text.size() > 10) {
        if (text[10] == 'T' || text[10] == ' ')
            time = parseTime(text.substr(11));
        if (!time) {
            error = "The time in " + quoted(text) +
                    " is not written as HH:MM or HH:MM:SS (09:30) after the date.";
            return false;
        }
    }
    date = parsed;
    secondsOfDay = time;
    return true;
}

bool Encounter::setLatitudeText(std::string_view text, std::string& error) {
    return setDegrees(latitude, text, "latitude", 90.0, error);
}

bool Encounter::setLongitudeText(std::string_view text, std::string& error) {
    return setDegrees(longitude, text, "longitude", 180.0, error);
}

std::string Encounter::dateText() const {
    if (!date)
        return {};
    std::string out = date->text();
    if (secondsOfDay) {
        const int s = *secondsOfDay;
        char time[48];
        if (s % 60 == 0)
            std::snprintf(time, sizeof time, "T%02d:%02d", s / 3600, s / 60 % 60);
        else
            std::snprintf(time, sizeof time, "T%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
        out += time;
    }
    return out;
}

std::string Encounter::degreesText(const std::optional<double>& degrees) {
    if (!degrees)
        return {};
    // Fixed notation, which the readers take: 1e-05 would not read back. The
    // smallest double takes 324 places after the point, and a short buffer
    // would leave the text unwritten.
    char out[400];
    const auto res = std::to_chars(out, out + sizeof out, *degrees, std::chars_format::fixed);
    return std::string(out, res.ptr);
}

std::optional<std::string> Encounter::problem() const {
    if (latitude.has_value() != longitude.has_value())
        return std::string("A position needs both its latitude and its longitude.");
    if (latitude && !isLatitude(*latitude))
        return std::string("The latitude lies beyond \xC2\xB1"
                           "90 degrees.");
    if (longitude && !isLongitude(*longitude))
        return std::string("The longitude lies beyond \xC2\xB1"
                           "180 degrees.");
    if (secondsOfDay && !date)
        return std::string("A time of day needs a date.");
    if (secondsOfDay && (*secondsOfDay < 0 || *secondsOfDay >= 86400))
        return std::string("The time of day lies beyond 23:59:59.");
    if (date && !CalendarDate::isReal(date->year, date->month, date->day))
        return std::string("The date does not exist in the calendar.");
    return std::nullopt;
}

} // namespace korvex
