// Number texts come from every box, record, clipboard text and data file, so
// the reader must take any bytes, and the writers' texts must read back as the
// values they stand for.

#include "FuzzCheck.h"

#include "model/DecimalComma.h"
#include "model/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

using namespace korvex;

namespace {

// The number the reader should give, by another route: drop the characters it
// skips, then let the standard library read the longest leading decimal.
// Returns false when the standard library finds the magnitude out of range
// (the reader then gives an infinity or zero, whose sign it does not promise).
std::string packedText(std::string_view text) {
    std::string packed;
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            packed.push_back(c);
    return packed;
}

bool referenceReading(std::string_view text, double& value) {
    const std::string packed = packedText(text);
    std::size_t start = 0;
    bool negative = false;
    if (!packed.empty() && (packed[0] == '+' || packed[0] == '-')) {
        negative = packed[0] == '-';
        start = 1;
    }
    value = 0.0;
    // from_chars would also take a second sign, "inf" or "nan": the reader takes
    // only a digit or a point here.
    if (start == packed.size() ||
        !((packed[start] >= '0' && packed[start] <= '9') || packed[start] == '.'))
        return true;
    const char* first = packed.data() + start;
    const char* last = packed.data() + packed.size();
    double parsed = 0.0;
    const auto result = std::from_chars(first, last, parsed, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        return false;
    if (result.ec == std::errc())
        value = negative ? -parsed : parsed;
    return true;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal comma by another route: the standard library's number in the
// packed text ends at a comma (the first: a number holds none), and a digit
// follows that comma in the text itself.
bool referenceDecimalComma(std::string_view text) {
    const std::string packed = packedText(text);
    const std::size_t start = !packed.empty() && (packed[0] == '+' || packed[0] == '-') ? 1 : 0;
    const auto digitAfterComma = [&] {
        const std::size_t comma = text.find(',');
        return comma + 1 < text.size() && isDigit(text[comma + 1]);
    };
    // ",5" and ".,5": no number, but a comma written for "0,5".
    const std::size_t afterPoint = start + (packed.compare(start, 1, ".") == 0 ? 1 : 0);
    if (packed.compare(afterPoint, 1, ",") == 0)
        return digitAfterComma();
    if (start == packed.size() || !(isDigit(packed[start]) || packed[start] == '.'))
        return false;
    double parsed = 0.0;
    const char* end = std::from_chars(packed.data() + start, packed.data() + packed.size(), parsed,
                                      std::chars_format::general)
                          .ptr;
    if (end == packed.data() + start || end == packed.data() + packed.size() || *end != ',')
        return false;
    return digitAfterComma();
}

std::string scientific15(double value) {
    char buffer[40];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14).ptr;
    return std::string(buffer, end);
}

// At or above this magnitude the 15-digit form lies beyond the largest double
// (1.79769313486232e308), so any text of it reads back as infinity.
constexpr double kFifteenDigitOverflow = 1.797693134862315e308;

void checkFixedText(double v, int decimals) {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    const std::string text = fixedText(v, decimals);

    // Optional minus, at least one digit, then exactly `decimals` after a point.
    std::size_t i = text.empty() || text[0] != '-' ? 0 : 1;
    const std::size_t intStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    KORVEX_FUZZ_CHECK(i > intStart);
    if (decimals > 0) {
        KORVEX_FUZZ_CHECK(i < text.size() && text[i] == '.');
        KORVEX_FUZZ_CHECK(text.size() - i - 1 == static_cast<std::size_t>(decimals));
        for (++i; i < text.size(); ++i)
            KORVEX_FUZZ_CHECK(isDigit(text[i]));
    }
    KORVEX_FUZZ_CHECK(i == text.size());

    const double back = readNumber(text);
    // A text that rounds to zero carries no minus sign.
    KORVEX_FUZZ_CHECK(!(text[0] == '-' && back == 0.0));
    if (std::isinf(back)) {
        KORVEX_FUZZ_CHECK(std::fabs(v) >= kFifteenDigitOverflow);
    } else {
        // Half a unit of the last decimal; a value beyond 15 significant digits
        // is first cut to them, which may move it by up to half a unit of the
        // 15th digit more (and a half may be decided on the cut digits).
        const double half = 0.5 / kPowersOfTen[decimals];
        KORVEX_FUZZ_CHECK(std::fabs(back - v) <= half * (1.0 + 1e-12) + std::fabs(v) * 1e-14);
    }
}

void checkRoundDecimals(double v, int decimals) {
    const double rounded = roundDecimals(v, decimals);
    const double viaText = readNumber(fixedText(v, decimals));
    KORVEX_FUZZ_CHECK(rounded == viaText);
}

void checkLengthText(double v) {
    const std::string text = lengthText(v);
    KORVEX_FUZZ_CHECK(text.find_first_of("eE") == std::string::npos);
    if (const std::size_t point = text.find('.'); point != std::string::npos) {
        KORVEX_FUZZ_CHECK(point + 1 < text.size());
        KORVEX_FUZZ_CHECK(text.back() != '0');
    }
    const double back = readNumber(text);
    if (v == 0.0) {
        KORVEX_FUZZ_CHECK(back == 0.0);
    } else if (std::isinf(back)) {
        KORVEX_FUZZ_CHECK(std::fabs(v) >= kFifteenDigitOverflow);
    } else {
        // The nearest double to a 15-digit decimal rounds to that decimal again.
        KORVEX_FUZZ_CHECK(scientific15(back) == scientific15(v));
    }
}

void checkIntegerRounding(double v) {
    if (const auto r16 = roundToInt16(v))
        KORVEX_FUZZ_CHECK(std::fabs(static_cast<double>(*r16) - v) <= 0.5);
    else
        KORVEX_FUZZ_CHECK(!(v > -32768.5 && v < 32767.5));
    const std::int32_t r32 = roundToInt32(v);
    if (std::fabs(v) < 2147483647.0)
        KORVEX_FUZZ_CHECK(std::fabs(static_cast<double>(r32) - v) <= 0.5);
    else if (!std::isnan(v))
        KORVEX_FUZZ_CHECK((v > 0) == (r32 > 0));
}

void checkValue(double v, unsigned char selector) {
    checkIntegerRounding(v);
    if (!std::isfinite(v))
        return;
    checkFixedText(v, selector % 9);
    checkRoundDecimals(v, selector % 20);
    checkLengthText(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const double read = readNumber(text);
    KORVEX_FUZZ_CHECK(!std::isnan(read));
    double expected = 0.0;
    if (referenceReading(text, expected))
        KORVEX_FUZZ_CHECK(read == expected);
    else
        KORVEX_FUZZ_CHECK(std::isinf(read) || read == 0.0);

    KORVEX_FUZZ_CHECK(DecimalComma::holdsOne(text) == referenceDecimalComma(text));

    // The texts' own values explore the decimal halves; raw bit patterns reach
    // every double, subnormals included.
    checkValue(read, size > 0 ? data[size - 1] : 0);
    if (size >= 9) {
        double bits = 0.0;
        std::memcpy(&bits, data, sizeof bits);
        checkValue(bits, data[8]);
    }
    return 0;
}
