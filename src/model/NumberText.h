#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The program's only number reader and number writers. Every value on the sheet,
// in a record or in the data file is text; these functions are how that text
// becomes a number and how a number becomes text again, independent of the
// platform's locale ("." is always the decimal point).
namespace korvex {

// Numeric reading of a text. Blanks, TABs and line feeds are skipped wherever
// they stand ("1 2" reads 12); then the longest leading decimal number is taken:
// optional sign, digits, optional "." and digits, optional exponent (e or E,
// optional sign, digits). A text that does not begin with a number reads 0.
// A carriage return is not skipped: it ends the number.
// Never throws and never reads outside `text`; a magnitude beyond the range of
// double reads as +/-infinity, one below it as 0.
double readNumber(std::string_view text) noexcept;

// Reads a number this program wrote: the numeric reading, except that the
// texts the writers below give for values that are not finite ("Infinity",
// "-Infinity", "NaN") read as infinities, NaN as +infinity, so that a distance
// that could not be computed ranks last instead of reading as 0.
double readWrittenNumber(std::string_view text) noexcept;

// Fixed-point text with exactly `decimals` digits after the point and at least
// one before it ("0.0000" for decimals = 4). Halves are rounded away from zero,
// and whether a value is a half is decided on its decimal form at 15
// significant digits, the digits a user sees: 0.1235 gives "0.124" although
// the double lies slightly below the half (printf("%.3f") gives 0.123), and
// 0.00125 gives "0.0013".
// A result that rounds to zero carries no minus sign. Infinity and NaN are
// written as "Infinity", "-Infinity" and "NaN". `decimals` is clamped to 0..30.
std::string fixedText(double value, int decimals);

// The value of fixedText(value, decimals), as a number: the one rounding rule
// for every place that rounds to a number of decimals. Infinity and NaN stay.
double roundDecimals(double value, int decimals);

// A raw length as written into a sheet box: at most 15 significant digits,
// plain decimal notation (never an exponent), no trailing zeros, "." as the
// point ("500", "424.264068711929", "0.5").
std::string lengthText(double value);
void appendLengthText(std::string& out, double value);

// A number as the distance tables print it: a blank for a value of 0 or more
// (zero is " 0"), a minus sign otherwise, then the value as lengthText writes
// it (at most 15 significant digits, a 0 before the point of values below 1,
// no exponent).
std::string plainNumberText(double value);
void appendPlainNumberText(std::string& out, double value);

// Rounds to a 16-bit integer with halves to even. Values whose rounded result
// lies outside -32768..32767, and NaN, give no result.
std::optional<std::int16_t> roundToInt16(double value) noexcept;

// Rounds to a 32-bit integer with halves to even, saturating at the ends of the
// range; NaN gives 0. Used for stored picture points, which must never overflow.
std::int32_t roundToInt32(double value) noexcept;

} // namespace korvex
