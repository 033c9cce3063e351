#include "model/Characters.h"

#include <algorithm>

namespace korvex::Characters {

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Where character `n` of a valid UTF-8 line starts, or the line's size.
std::size_t utf8Offset(std::string_view line, std::size_t n) {
    std::size_t i = 0;
    for (; i < line.size() && n > 0; --n) {
        ++i;
        while (i < line.size() && isContinuation(static_cast<unsigned char>(line[i])))
            ++i;
    }
    return i;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // Each lead byte's sequence length and the allowed range of the second
        // byte, which excludes overlong forms (E0, F0), surrogates (ED) and code
        // points above U+10FFFF (F4) in one check.
        struct Lead {
            unsigned char first, last;
            std::size_t length;
            unsigned char low, high;
        };
        static constexpr Lead kLeads[] = {
            {0xC2, 0xDF, 2, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0xA0, 0xBF}, {0xE1, 0xEC, 3, 0x80, 0xBF},
            {0xED, 0xED, 3, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x80, 0xBF}, {0xF0, 0xF0, 4, 0x90, 0xBF},
            {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F},
        };
        const auto form = std::find_if(std::begin(kLeads), std::end(kLeads), [lead](const Lead& l) {
            return lead >= l.first && lead <= l.last;
        });
        if (form == std::end(kLeads))
            return false; // a continuation byte, C0, C1 or F5..FF in lead position
        const std::size_t length = form->length;
        const unsigned char low = form->low;
        const unsigned char high = form->high;
        if (size - i < length)
            return false;
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if (second < low || second > high)
            return false;
        for (std::size_t k = 2; k < length; ++k)
            if (!isContinuation(static_cast<unsigned char>(bytes[i + k])))
                return false;
        i += length;
    }
    return true;
}

CharacterLine::CharacterLine(std::string_view line) : line_(line), utf8_(isValidUtf8(line)) {}

std::size_t CharacterLine::offsetOf(std::size_t n) const {
    return utf8_ ? utf8Offset(line_, n) : std::min(n, line_.size());
}

std::size_t CharacterLine::charactersBefore(std::size_t byteOffset) const {
    const std::string_view head = line_.substr(0, std::min(byteOffset, line_.size()));
    if (!utf8_)
        return head.size();
    return static_cast<std::size_t>(std::count_if(head.begin(), head.end(), [](char c) {
        return !isContinuation(static_cast<unsigned char>(c));
    }));
}

std::string_view CharacterLine::slice(std::size_t first, std::size_t count) const {
    const std::size_t begin = offsetOf(first);
    const std::string_view rest = line_.substr(begin);
    return rest.substr(0, utf8_ ? utf8Offset(rest, count) : std::min(count, rest.size()));
}

} // namespace korvex::Characters
