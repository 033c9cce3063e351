#pragma once

#include "model/Encounter.h"

#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// When and where a photo was taken, as the camera wrote it into the photo's
// Exif block. Read with libexiv2, which stays out of this header.
//
// The moment is DateTimeOriginal ("2019:05:01 09:30:15", the camera's local
// clock), or DateTimeDigitized when the photo has no DateTimeOriginal: a
// camera writes both at the shutter. DateTime is never used, as editing
// software rewrites it whenever it saves the file. The position is
// GPSLatitude and GPSLongitude (degrees, minutes and seconds as rationals)
// with their references: S and W give negative degrees.
//
// Nothing is guessed: a value that cannot be right leaves its field empty and
// says why in `problem`. A date that does not exist (2019:02:29), a time
// beyond 23:59:59, a rational with a zero denominator, minutes or seconds of
// 60 or more, a latitude beyond ±90 or a longitude beyond ±180, a missing
// N/S or E/W reference: each is refused. "0000:00:00 00:00:00" and a stamp of
// blanks are what cameras write when their clock was never set; they mean "no
// date" and are no problem.
//
// Safe to call from several threads at once.
namespace PhotoExif {

struct Found {
    std::optional<CalendarDate> date;
    std::optional<int> secondsOfDay; // local time, 0..86399; only with a date
    // WGS84 decimal degrees, north and east positive; both or neither.
    std::optional<double> latitude;
    std::optional<double> longitude;
    // Empty, or one sentence per refused value, for the user: "The photo's
    // date '2019:02:29 09:30:15' does not exist in the calendar; it was left
    // empty."
    std::string problem;

    bool operator==(const Found&) const = default;

    bool hasPosition() const { return latitude.has_value() && longitude.has_value(); }

    // Puts what was found where `encounter` has nothing yet: the date with its
    // time when it has no date, the position when it has neither latitude nor
    // longitude. What the user typed is never replaced; site, observer and
    // note are left alone. Returns whether anything changed.
    bool fillBlanks(Encounter& encounter) const;
};

// The photo file at `photoPath`, read directly from disk (never a URL or
// standard input, whatever the path looks like). A missing or unreadable
// file, one that is no image, a damaged Exif block or none at all give an
// empty Found with an empty `problem`: whoever opens the photo itself says
// what is wrong with the file. Never throws, and writes nothing to stderr.
Found read(const std::string& photoPath);

// The same for a photo's bytes held in memory.
Found readBytes(std::string_view bytes);

} // namespace PhotoExif

} // namespace korvex
