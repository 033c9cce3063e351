#include "model/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <string_view>

using namespace korvex;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kTiniest = std::numeric_limits<double>::denorm_min();

// Built by appending: GCC 12 warns falsely about "literal" + std::string at -O2.
std::string joined(std::initializer_list<std::string_view> parts) {
    std::string text;
    for (std::string_view part : parts)
        text += part;
    return text;
}

// Decimal digits of 5^n, built by hand so the exact value needs no big-number library.
std::string powerOfFive(int n) {
    std::string digits = "1";
    for (int k = 0; k < n; ++k) {
        int carry = 0;
        for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
            const int d = (*it - '0') * 5 + carry;
            *it = static_cast<char>('0' + d % 10);
            carry = d / 10;
        }
        if (carry > 0)
            digits.insert(digits.begin(), static_cast<char>('0' + carry));
    }
    return digits;
}

TEST(ReadNumber, ReadsTheLeadingNumberSkippingBlanksTabsAndLineFeeds) {
    const struct {
        std::string text;
        double expected;
    } cases[] = {
        // clang-format off
        {"1 2", 12}, {"\t1\n2 . 5", 12.5}, {".5", 0.5}, {"5.", 5}, {"1e", 1}, {"1e+", 1},
        {"1E2", 100}, {"1e-2", 0.01}, {"-.5", -0.5}, {"+5", 5}, {"- 5", -5}, {"1 e 2", 100},
        {"1e- 2", 0.01}, {"1e3x", 1000}, {"1.2.3", 1.2}, {"00012", 12}, {"abc", 0}, {"", 0},
        {".", 0}, {"-", 0}, {"+-5", 0}, {"e5", 0}, {"0e99999", 0},
        // A carriage return is no blank: it ends the number, or stands before it.
        {"0.1250\r\n", 0.125}, {"5\r6", 5}, {"\r\n5", 0},
        // 8-bit bytes (0xA0 is no blank either) and NUL are ordinary non-number bytes.
        {std::string{'5', '\xB5', '6'}, 5}, {std::string{'\xB5', '5'}, 0},
        {std::string{'\xA0', '5'}, 0},
        {std::string{'1', '\0', '2'}, 1}, {std::string{'\0', '5'}, 0},
        {std::string{'1', 'e', '\0', '2'}, 1},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(readNumber(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ReadNumber, OutOfRangeMagnitudesGoToInfinityOrZero) {
    EXPECT_EQ(readNumber("1e99999"), kInf);
    EXPECT_EQ(readNumber("-1e99999"), -kInf);
    EXPECT_EQ(readNumber("1e99999999999999999999999"), kInf);
    EXPECT_EQ(readNumber("1.8e308"), kInf);
    EXPECT_EQ(readNumber("1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_EQ(readNumber("1e-99999"), 0.0);
    EXPECT_EQ(readNumber("-1e-99999"), 0.0);
    EXPECT_EQ(readNumber("2e-324"), 0.0);
    EXPECT_EQ(readNumber("1e-310"), 1e-310); // subnormal, still representable
    EXPECT_EQ(readNumber("4.9406564584124654e-324"), kTiniest);
}

TEST(ReadNumber, LongTextsKeepTheirScaleAndRoundCorrectly) {
    const std::size_t n = 1'000'000;
    const std::string zeros(n, '0');
    EXPECT_EQ(readNumber(std::string(n, '7')), kInf);
    EXPECT_EQ(readNumber(joined({zeros, "1e-5"})), 1e-5);
    EXPECT_EQ(readNumber(joined({"0.", zeros, "1"})), 0.0);
    EXPECT_EQ(readNumber(joined({"0.", zeros, "1e1000001"})), 1.0);
    EXPECT_EQ(readNumber(joined({"1", zeros, "e-1000000"})), 1.0);
    EXPECT_EQ(readNumber(joined({std::string(n, '9'), "e-999999"})), 10.0);
    EXPECT_EQ(readNumber(joined({std::string(n, '3'), "e-999999"})), 10.0 / 3);
    // 2^53 + 1 lies exactly between two doubles: ties go to even, but a nonzero
    // digit far beyond the kept digits must still tip it upwards.
    const std::string half = "9007199254740993";
    EXPECT_EQ(readNumber(joined({half, zeros.substr(0, 1000), "e-1000"})), 9007199254740992.0);
    EXPECT_EQ(readNumber(joined({half, zeros.substr(0, 1000), "1e-1001"})), 9007199254740994.0);
    EXPECT_EQ(readNumber(joined({half, ".", zeros, "1"})), 9007199254740994.0);
    // Half the smallest subnormal, 2^-1075, needs all its ~750 digits to be told
    // apart from a value just above it.
    const std::string tiny = powerOfFive(1075);
    ASSERT_GT(tiny.size(), 700u);
    EXPECT_EQ(readNumber(joined({tiny, "e-1075"})), 0.0);
    EXPECT_EQ(readNumber(joined({tiny, "1e-1076"})), kTiniest);
    EXPECT_EQ(readNumber(joined({tiny, zeros, "1e-1001076"})), kTiniest);
}

TEST(FixedText, RoundsHalvesAwayFromZeroAtFifteenSignificantDigits) {
    const struct {
        double value;
        int decimals;
        std::string expected;
    } cases[] = {
        // clang-format off
        // These doubles lie just below the half (printf gives 0.123, 1.00 and 0.1).
        {0.1235, 3, "0.124"}, {1.005, 2, "1.01"}, {0.15, 1, "0.2"}, {0.00125, 4, "0.0013"},
        {0.5, 0, "1"}, {0.4, 0, "0"}, {0.05, 0, "0"}, {2.5, 0, "3"}, {-2.5, 0, "-3"},
        {-7.25, 1, "-7.3"}, {-0.00125, 4, "-0.0013"},
        {-0.00001, 4, "0.0000"}, {-0.0, 2, "0.00"}, {-1e-30, 4, "0.0000"}, {1e-30, 4, "0.0000"},
        {0, 4, "0.0000"}, {1.0 / 3, 4, "0.3333"}, {2.0 / 3, 4, "0.6667"},
        {12345.6789, 3, "12345.679"}, {9.99995, 4, "10.0000"}, {999.9996, 3, "1000.000"},
        {1e20, 4, "100000000000000000000.0000"},
        {std::numeric_limits<double>::max(), 1,
         joined({"179769313486232", std::string(294, '0'), ".0"})},
        {1.25, -3, "1"}, {0.1, 40, joined({"0.1", std::string(29, '0')})},
        {kInf, 4, "Infinity"}, {-kInf, 4, "-Infinity"}, {kNaN, 4, "NaN"}, {-kNaN, 0, "NaN"},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(fixedText(c.value, c.decimals), c.expected) << c.value << " @" << c.decimals;
}

TEST(FixedText, RoundDecimalsGivesTheValueOfTheText) {
    EXPECT_EQ(roundDecimals(0.00125, 4), 0.0013);
    EXPECT_EQ(roundDecimals(0.12345, 4), 0.1235);
    EXPECT_EQ(roundDecimals(-2.5, 0), -3.0);
    EXPECT_EQ(roundDecimals(0.123456789, 5), 0.12346);
    EXPECT_EQ(roundDecimals(2.0 / 3, 4), 0.6667);
    EXPECT_FALSE(std::signbit(roundDecimals(-0.00001, 4)));
}

TEST(LengthText, WritesUpToFifteenSignificantDigitsInPlainNotation) {
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        // clang-format off
        {std::sqrt(300.0 * 300 + 400.0 * 400), "500"},
        {std::hypot(300.0, 300.0), "424.264068711929"},
        {0.5, "0.5"}, {1e-7, "0.0000001"}, {1e20, "100000000000000000000"},
        {123456789012345678.0, "123456789012346000"}, {0.1 + 0.2, "0.3"}, {-2.5, "-2.5"},
        {0, "0"}, {-0.0, "0"}, {kInf, "Infinity"}, {-kInf, "-Infinity"}, {kNaN, "NaN"},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(lengthText(c.value), c.expected) << c.value;
}

TEST(LengthText, FifteenDigitsAreRoundedFromTheExactBinaryValue) {
    // An exact tie at the 16th digit goes to the even digit, as the C library
    // rounds it: 196609 / 16384 is 12.00006103515625 exactly.
    EXPECT_EQ(lengthText(196609.0 / 16384.0), "12.0000610351562");
    EXPECT_EQ(lengthText(196611.0 / 16384.0), "12.0001831054688");
    EXPECT_EQ(lengthText(std::nextafter(1.0, 0.0)), "1");
    EXPECT_EQ(lengthText(std::nextafter(1e5, 0.0)), "100000");
    // Every magnitude, in and beside the range the distance tables use, against
    // the C library's 15 significant digits.
    std::mt19937_64 rng(511);
    std::uniform_real_distribution<double> decade(-8.0, 8.0);
    std::uniform_int_distribution<int> steps(-2, 2);
    for (int i = 0; i < 200'000; ++i) {
        double v = std::pow(10.0, decade(rng));
        if (i % 4 == 0) // beside a power of ten, where the digit count changes
            v = std::pow(10.0, std::round(decade(rng))) * (1.0 + steps(rng) * 1e-16);
        char reference[64];
        std::snprintf(reference, sizeof reference, "%.14e", v);
        const std::string text = lengthText(v);
        ASSERT_EQ(readNumber(text), std::strtod(reference, nullptr)) << reference << " " << text;
        const std::size_t first = text.find_first_not_of("0.");
        std::size_t digits = 0;
        for (std::size_t k = first; k < text.size(); ++k)
            digits += text[k] != '.';
        ASSERT_LE(digits, 15U) << text;
    }
}

TEST(RoundToInt, Int16RoundsHalvesToEvenAndRejectsWhatDoesNotFit) {
    const struct {
        double value;
        std::optional<std::int16_t> expected;
    } cases[] = {
        // clang-format off
        {1.4, 1}, {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-0.5, 0}, {-1.6, -2},
        {32767.4, 32767}, {32767.5, {}}, {32768, {}}, {-32768.5, -32768}, {-32768.6, {}},
        {kNaN, {}}, {kInf, {}}, {-kInf, {}},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundToInt16(c.value), c.expected) << c.value;
}

TEST(RoundToInt, Int32RoundsHalvesToEvenAndSaturates) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const struct {
        double value;
        std::int32_t expected;
    } cases[] = {
        // clang-format off
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-3.5, -4}, {2.6, 3}, {-2.4, -2},
        {2147483646.5, 2147483646}, {2147483647.0, kMax}, {2147483647.5, kMax}, {1e300, kMax},
        {kInf, kMax}, {-2147483648.5, kMin}, {-2147483649.0, kMin}, {-1e300, kMin},
        {-kInf, kMin}, {kNaN, 0},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundToInt32(c.value), c.expected) << c.value;
}

std::string significant15(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    return buf;
}

TEST(NumberTextRoundTrip, WrittenTextsReadBackToTheirValues) {
    std::mt19937_64 rng(0x6B6F7276);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> decimals(0, 6), smallExp(-8, 11), wideExp(-300, 300);
    for (int i = 0; i < 20000; ++i) {
        const double sign = (i % 2 == 0) ? 1.0 : -1.0;

        const double v = sign * mantissa(rng) * std::pow(10.0, smallExp(rng));
        const int n = decimals(rng);
        const std::string fixed = fixedText(v, n);
        // Beyond 15 significant digits the text carries zeros, hence the
        // relative allowance on top of half a unit of the last decimal.
        const double tolerance = 0.5 * std::pow(10.0, -n) + std::fabs(v) * 1e-14;
        ASSERT_LE(std::fabs(readNumber(fixed) - v), tolerance) << v << " -> " << fixed;
        // With few digits, and away from the halves, the C library must agree.
        const double scaled = std::fabs(v) * std::pow(10.0, n);
        if (std::fabs(v) < 1e7 && std::fabs(scaled - std::floor(scaled) - 0.5) > 0.05) {
            char expected[64];
            std::snprintf(expected, sizeof expected, "%.*f", n, v);
            const bool negativeZero = expected[0] == '-' && readNumber(expected) == 0.0;
            ASSERT_EQ(fixed, negativeZero ? expected + 1 : expected) << v;
        }

        const double w = sign * mantissa(rng) * std::pow(10.0, wideExp(rng));
        const std::string length = lengthText(w);
        ASSERT_EQ(length.find_first_of("eE"), std::string::npos) << length;
        if (length.find('.') != std::string::npos) {
            ASSERT_NE(length.back(), '0') << length;
            ASSERT_NE(length.back(), '.') << length;
        }
        ASSERT_EQ(significant15(readNumber(length)), significant15(w)) << length;
    }
}

// roundDecimals and lengthText take shortcuts for the values that distance
// tables are full of; they must give exactly what the written texts give.
TEST(NumberTextShortcuts, AgreeWithTheWrittenTextsForDistanceLikeValues) {
    std::mt19937_64 rng(20261208);
    std::uniform_int_distribution<long long> units(0, 99'999'999);
    std::uniform_int_distribution<int> places(0, 6);
    for (int i = 0; i < 200'000; ++i) {
        const int n = places(rng);
        const double scale = std::pow(10.0, n);
        // Exact decimals, their halves, and values just beside them.
        const double exact = static_cast<double>(units(rng)) / scale;
        for (double v : {exact, exact + 0.5 / scale, std::nextafter(exact, 1e300),
                         -std::nextafter(exact + 0.5 / scale, 0.0), std::sqrt(exact)}) {
            for (int d : {3, 4, 5}) {
                ASSERT_EQ(roundDecimals(v, d), readNumber(fixedText(v, d))) << v << " at " << d;
            }
        }
        // An exact decimal of up to 6 places is written as that decimal.
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.*f", n, exact);
        std::string text = expected;
        if (text.find('.') != std::string::npos) {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.')
                text.pop_back();
        }
        ASSERT_EQ(lengthText(exact), text) << exact;
    }
}

} // namespace
