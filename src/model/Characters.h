#pragma once

#include <cstddef>
#include <string_view>

namespace korvex {

// The program keeps texts as bytes. A line that is valid UTF-8 (codes typed
// into the program) is made of its code points; any other line (8-bit text
// from older files and other machines) has one character per byte, as it is
// shown. Cutting a line by characters must follow the same reading, or a cut
// could fall inside a letter.
namespace Characters {

bool isValidUtf8(std::string_view bytes);

// A text without the byte order mark some editors put before UTF-8; it is no
// part of what the file says.
constexpr std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    return text.starts_with(kMark) ? text.substr(kMark.size()) : text;
}

// How codes are compared without regard to case, everywhere: A-Z fold to
// a-z, every other byte stays.
constexpr char foldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A line with its characters, read as above; the line is checked once.
class CharacterLine {
public:
    explicit CharacterLine(std::string_view line);

    // How many characters begin before byte `byteOffset` (all of them for npos).
    std::size_t charactersBefore(std::size_t byteOffset) const;
    // The characters `first` .. `first + count - 1` (fewer where the line ends).
    std::string_view slice(std::size_t first, std::size_t count) const;

private:
    // Where character `n` begins, or the line's size.
    std::size_t offsetOf(std::size_t n) const;

    std::string_view line_;
    bool utf8_;
};

} // namespace Characters

} // namespace korvex
