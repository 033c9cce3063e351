#include "model/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>

namespace korvex {

namespace {

bool isSkipped(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

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

Digits15 digits15(double value) {
    Digits15 out;
    out.negative = std::signbit(value);
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

} // namespace

double readNumber(std::string_view text) noexcept {
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
    return readNumber(fixedText(value, decimals));
}

std::string lengthText(double value) {
    if (!std::isfinite(value))
        return nonFiniteText(value);
    const Digits15 v = digits15(value);
    if (v.d[0] == '0')
        return "0";
    std::string digits(v.d.begin(), v.d.end());
    digits.erase(digits.find_last_not_of('0') + 1);

    std::string out = v.negative ? "-" : "";
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
            out.append(digits, 0, intDigits);
            out.push_back('.');
            out.append(digits, intDigits, std::string::npos);
        }
    }
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
