#pragma once

#include "model/MeasurementSheet.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// Values written with a decimal comma, as a spreadsheet set to a European
// locale writes them. The numeric reading takes "." as the decimal point and
// stops at the comma, so "0,0612" reads as 0 and every distance to its record
// is wrong; nothing here changes how values are read, it only finds them so
// that the user can be told.
namespace DecimalComma {

// Whether `text` reads as a number up to a "," that a digit follows at once:
// "0,0612", "-1,5", " 12,5", "1.234,5", ",5" (each reads as what stands
// before the comma, ",5" as 0). A text that begins with something else
// ("a,5"), or whose number ends elsewhere ("1.2.3,4", "1x,5", "1,", "1, 5"),
// holds none.
bool holdsOne(std::string_view text);

// A record value: its index (0..27 as SpecimenRecord::seamName names them)
// and its text, a view into the line.
struct Value {
    std::size_t index = 0;
    std::string_view text;
};

// The first of the record values of record line `line` whose text holds
// one. Field 0, the identification code, may hold any comma and is never
// looked at, nor are fields after the 28 values; a line of fewer fields is
// looked at as far as it goes.
std::optional<Value> firstValueOf(std::string_view line);

// The first of the sheet's marginal values (M1..M16), its central values
// (C1..C12), or both, whose box holds one; the index of a record value.
std::optional<std::size_t> firstSheetValue(const MeasurementSheet& sheet, bool marginal,
                                           bool central);

// The records of a data-set text (the pieces before its final CR LF) that
// hold a value with a decimal comma. The views point into the text.
struct Found {
    std::size_t records = 0;     // how many records hold one; 0: none
    std::size_t firstRecord = 0; // the first of them, numbered from 1
    std::string_view firstCode;
    Value firstValue; // its first such value
};
Found inDataSet(std::string_view dataSetText);

// What such a text reads as, as a user would see the value: "0" for "0,0612".
std::string readAs(std::string_view text);

// The part of such a text a message quotes: up to the first CR or LF after
// its comma. A sheet box filled from a record line keeps the line's CR LF,
// and from several lines the start of the next; quoted whole, they would
// break the message's line and show another record as this value.
std::string_view quotedPart(std::string_view text);

} // namespace DecimalComma

} // namespace korvex
