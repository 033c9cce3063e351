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

// The characters `first` .. `first + count - 1` of `line` (fewer where the
// line ends), read as above.
std::string_view slice(std::string_view line, std::size_t first, std::size_t count);

// The number of characters of `line`, read as above.
std::size_t count(std::string_view line);

} // namespace Characters

} // namespace korvex
