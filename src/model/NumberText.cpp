#include "model/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace korvex {

namespace {

bool isSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// Enough significant digits to round any decimal text correctly to a double
// once a sticky digit stands for everything dropped after them.
constexpr std::size_t kMaxDigits = 800;
constexpr long long kExponentLimit = 1'000'000'000;

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    char peek() {
        while (pos_ < text_.size() && isSkipped(text_[pos_]))
            ++pos_;
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    void take() { ++pos_; }
    std::size_t mark() const { return pos_; }
    void reset(std::size_t mark) { pos_ = mark; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// The 15 significant digits of a finite value and the decimal exponent of the
// first one: value = d[0].d[1]...d[14] x 10^exponent.
struct Digits15 {
    std::array<char, 15> d{};
    int exponent = 0;
    bool negative = false;
};

__extension__ typedef unsigned __int128 Wide;

constexpr std::uint64_t kWholePowersOfTen[] = {1ULL,
                                               10ULL,
                                               100ULL,
                                               1000ULL,
                                               10000ULL,
                                               100000ULL,
                                               1000000ULL,
                                               10000000ULL,
                                               100000000ULL,
                                               1000000000ULL,
                                               10000000000ULL,
                                               100000000000ULL,
                                               1000000000000ULL,
                                               10000000000000ULL,
                                               100000000000000ULL,
                                               1000000000000000ULL,
                                               10000000000000000ULL,
                                               100000000000000000ULL,
                                               1000000000000000000ULL,
                                               10000000000000000000ULL};

// The 15 digits of a magnitude in [1e-5, 1e5) in exact integer arithmetic:
// the value is m x 2^-s with a 53-bit m, so m x 10^p (p <= 19) fits in 128
// bits, and its whole part and remainder after the shift give the digits and
// an exact rounding, halves to even as the general formatter rounds them.
// Several times faster than formatting; the all-pairs table writes one such
// number per row. False when the value lies outside that range.
bool exactDigits15(double magnitude, Digits15& out) {
    if (!(magnitude >= 1e-5 && magnitude < 1e5))
        return false;
    int binaryExponent = 0;
    const double fraction = std::frexp(magnitude, &binaryExponent); // in [0.5, 1)
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int shift = 53 - binaryExponent; // 36..71 in this range
    // floor(log10(2^(binaryExponent - 1))), at most one below the decimal
    // exponent; a wrong guess shows in the digit count and is taken again.
    int exponent = ((binaryExponent - 1) * 1233) >> 12;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int power = 14 - exponent;
        if (power < 0 || power > 19)
            return false;
        const Wide scaled = static_cast<Wide>(mantissa) * kWholePowersOfTen[power];
        auto whole = static_cast<std::uint64_t>(scaled >> shift);
        const Wide remainder = scaled - (static_cast<Wide>(whole) << shift);
        const Wide half = static_cast<Wide>(1) << (shift - 1);
        if (remainder > half || (remainder == half && whole % 2 == 1))
            ++whole;
        if (whole < kWholePowersOfTen[14]) {
            --exponent;
            continue;
        }
        if (whole >= kWholePowersOfTen[15]) {
            ++exponent;
            continue;
        }
        std::to_chars(out.d.data(), out.d.data() + out.d.size(), whole);
        out.exponent = exponent;
        return true;
    }
    return false;
}

Digits15 digits15(double value) {
    Digits15 out;
    out.negative = std::signbit(value);
    if (exactDigits15(std::fabs(value), out))
        return out;
    char buf[40];
    auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    // buf holds "d.ddddddddddddddde[+-]xx".
    const char* p = buf;
    out.d[0] = *p++;
    ++p; // the point
    for (int i = 1; i < 15; ++i)
        out.d[i] = *p++;
    ++p; // 'e'
    int exponent = 0;
    std::from_chars(*p == '+' ? p + 1 : p, res.ptr, exponent);
    out.exponent = exponent;
    return out;
}

// Adds one to a string of decimal digits, growing it on a carry out of the top.
void incrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    std::string grown(1, '1');
    grown += digits;
    digits.swap(grown);
}

std::string nonFiniteText(double value) {
    if (std::isnan(value))
        return "NaN";
    return value < 0 ? "-Infinity" : "Infinity";
}

// The common case of a value box, "0.0625" or "-12.5": sign, at most 15
// significant digits, a point, and nothing after it that could continue the
// number (a blank or an exponent). Such a decimal is an integer below 2^53
// over an exact power of ten, so one division rounds it correctly, exactly as
// the general reader does. Anything else gives no result.
std::optional<double> readPlainDecimal(std::string_view text) noexcept {
    static constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint64_t digits = 0;
    int significant = 0;
    std::size_t decimals = 0;
    bool anyDigit = false;
    bool afterPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            anyDigit = true;
            if (afterPoint)
                ++decimals;
            if (digits == 0 && c == '0')
                continue;
            if (++significant > 15)
                return std::nullopt;
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit || decimals >= std::size(kExactPowersOfTen))
        return std::nullopt;
    if (i < text.size() && (isSkipped(text[i]) || text[i] == 'e' || text[i] == 'E'))
        return std::nullopt;
    if (digits == 0)
        return 0.0; // no sign on zero, as in the general reader
    const double value = static_cast<double>(digits) / kExactPowersOfTen[decimals];
    return negative ? -value : value;
}

} // namespace

double readNumber(std::string_view text) noexcept {
    if (const auto plain = readPlainDecimal(text))
        return *plain;
    Scanner in(text);
    bool negative = false;
    if (char c = in.peek(); c == '+' || c == '-') {
        negative = c == '-';
        in.take();
    }

    // value = significant digits (as an integer) x 10^scale
    std::array<char, kMaxDigits + 32> sig{};
    std::size_t count = 0;
    long long scale = 0;
    bool sticky = false;
    bool anyDigit = false;
    bool afterPoint = false;
    for (;;) {
        char c = in.peek();
        if (isDigit(c)) {
            anyDigit = true;
            in.take();
            if (count == 0 && c == '0') {
                if (afterPoint)
                    --scale;
            } else if (count < kMaxDigits) {
                sig[count++] = c;
                if (afterPoint)
                    --scale;
            } else {
                sticky = sticky || c != '0';
                if (!afterPoint)
                    ++scale;
            }
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
            in.take();
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0.0;

    // An exponent counts only when at least one digit follows the e.
    const std::size_t beforeExponent = in.mark();
    if (char c = in.peek(); c == 'e' || c == 'E') {
        in.take();
        bool expNegative = false;
        if (char s = in.peek(); s == '+' || s == '-') {
            expNegative = s == '-';
            in.take();
        }
        long long exponent = 0;
        bool expDigit = false;
        while (isDigit(in.peek())) {
            expDigit = true;
            exponent = std::min(kExponentLimit, exponent * 10 + (in.peek() - '0'));
            in.take();
        }
        if (expDigit)
            scale += expNegative ? -exponent : exponent;
        else
            in.reset(beforeExponent);
    }

    if (count == 0)
        return 0.0;
    if (sticky) {
        sig[count++] = '1';
        --scale;
    }
    const long long magnitude = scale + static_cast<long long>(count); // 10^(magnitude-1) <= v
    if (magnitude > 400)
        return negative ? -HUGE_VAL : HUGE_VAL;
    if (magnitude < -400)
        return 0.0;

    sig[count++] = 'e';
    auto res = std::to_chars(sig.data() + count, sig.data() + sig.size(), scale);
    double value = 0.0;
    auto parsed = std::from_chars(sig.data(), res.ptr, value);
    if (parsed.ec == std::errc::result_out_of_range)
        value = magnitude > 0 ? HUGE_VAL : 0.0;
    return negative ? -value : value;
}

double readWrittenNumber(std::string_view text) noexcept {
    if (text == "Infinity" || text == "NaN")
        return HUGE_VAL;
    if (text == "-Infinity")
        return -HUGE_VAL;
    return readNumber(text);
}

std::string fixedText(double value, int decimals) {
    if (!std::isfinite(value))
        return nonFiniteText(value);
    decimals = std::clamp(decimals, 0, 30);

    // The rounded magnitude as an integer count of units of 10^-decimals.
    const Digits15 v = digits15(value);
    const int keep = v.exponent + 1 + decimals; // digits of the 15 before the cut
    std::string units;
    if (v.d[0] != '0' && keep >= 15) {
        units.assign(v.d.begin(), v.d.end());
        units.append(static_cast<std::size_t>(keep - 15), '0');
    } else if (v.d[0] != '0' && keep >= 0) {
        units.assign(v.d.begin(), v.d.begin() + keep);
        if (v.d[keep] >= '5')
            incrementDigits(units);
    }
    if (units.empty())
        units.push_back('0');

    const bool zero = units.find_first_not_of('0') == std::string::npos;
    const auto width = static_cast<std::size_t>(decimals) + 1;
    if (units.size() < width) {
        std::string padded(width - units.size(), '0');
        padded += units;
        units.swap(padded);
    }
    std::string out;
    out.reserve(units.size() + 2);
    if (v.negative && !zero)
        out.push_back('-');
    out.append(units, 0, units.size() - decimals);
    if (decimals > 0) {
        out.push_back('.');
        out.append(units, units.size() - decimals, std::string::npos);
    }
    return out;
}

double roundDecimals(double value, int decimals) {
    if (!std::isfinite(value))
        return value;
    // Fast path, same result: when the scaled value is small and its fraction
    // clearly away from a half, the 15-digit form cannot decide differently
    // from the nearest whole number, and k / 10^n is the double that reading
    // the written text gives (both are correctly rounded from the same decimal).
    if (decimals >= 0 && decimals <= 15) {
        const double scale = kPowersOfTen[static_cast<std::size_t>(decimals)];
        const double x = std::fabs(value) * scale;
        if (x < 1e8) {
            const double whole = std::floor(x);
            const double fraction = x - whole;
            double k = -1.0;
            if (std::fabs(fraction - 0.5) > 1e-6)
                k = fraction > 0.5 ? whole + 1.0 : whole;
            // A value that is the double of the half itself (0.1235 at three
            // decimals, a four-decimal distance shown with three): its
            // 15-digit form is that half, at most ten digits long, so it
            // rounds away from zero.
            else if (std::fabs(value) == (whole * 10.0 + 5.0) / (scale * 10.0))
                k = whole + 1.0;
            if (k == 0.0)
                return 0.0;
            if (k > 0.0)
                return std::signbit(value) ? -(k / scale) : k / scale;
        }
    }
    return readNumber(fixedText(value, decimals));
}

void appendLengthText(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += nonFiniteText(value);
        return;
    }
    // Fast path, same text: a value that is exactly the double of a decimal
    // with at most 6 decimals and at most 15 digits is written as that decimal,
    // which is what its 15 significant digits give.
    if (std::fabs(value) < 1e9) {
        // Any nearest whole number will do for k: near a half no k passes the
        // check below, and that is the only place a quick rounding may miss.
        const double scaled = std::fabs(value) * 1e6;
        const auto k = static_cast<long long>(scaled + 0.5);
        if (static_cast<double>(k) / 1e6 == std::fabs(value)) {
            // Written into a buffer in one go: this path writes every distance
            // of the all-pairs table, hundreds of millions of numbers.
            char text[32];
            char* end = text;
            if (k != 0 && std::signbit(value))
                *end++ = '-';
            end = std::to_chars(end, text + sizeof text, k / 1'000'000).ptr;
            long long fraction = k % 1'000'000;
            if (fraction != 0) {
                int digits = 6;
                while (fraction % 10 == 0) {
                    fraction /= 10;
                    --digits;
                }
                *end++ = '.';
                for (int i = digits - 1; i >= 0; --i, fraction /= 10)
                    end[i] = static_cast<char>('0' + fraction % 10);
                end += digits;
            }
            out.append(text, end);
            return;
        }
    }
    const Digits15 v = digits15(value);
    if (v.d[0] == '0') {
        out.push_back('0');
        return;
    }
    std::size_t count = 15;
    while (count > 1 && v.d[count - 1] == '0')
        --count;
    const std::string_view digits(v.d.data(), count);

    if (v.negative)
        out.push_back('-');
    if (v.exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-v.exponent - 1), '0');
        out += digits;
    } else {
        const auto intDigits = static_cast<std::size_t>(v.exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits);
            out.push_back('.');
            out += digits.substr(intDigits);
        }
    }
}

std::string lengthText(double value) {
    std::string out;
    appendLengthText(out, value);
    return out;
}

void appendPlainNumberText(std::string& out, double value) {
    out.push_back(value < 0.0 ? '-' : ' ');
    appendLengthText(out, std::fabs(value));
}

std::string plainNumberText(double value) {
    std::string out;
    appendPlainNumberText(out, value);
    return out;
}

namespace {

double roundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
        return floor + 1.0;
    return floor;
}

} // namespace

std::optional<std::int16_t> roundToInt16(double value) noexcept {
    if (!(value >= -32768.5 && value <= 32767.5))
        return std::nullopt;
    const double rounded = roundHalfEven(value);
    if (rounded > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

std::int32_t roundToInt32(double value) noexcept {
    if (std::isnan(value))
        return 0;
    const double rounded = roundHalfEven(std::clamp(value, -2147483648.0, 2147483647.0));
    return static_cast<std::int32_t>(std::min(rounded, 2147483647.0));
}

} // namespace korvex
