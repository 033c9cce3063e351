#pragma once

#include <string>
#include <string_view>

namespace korvex {

// The program keeps texts as bytes. Codes typed by the user are UTF-8; files
// from older programs and other machines may hold 8-bit Central European text.
namespace TextEncoding {

// The text to show for `bytes`: valid UTF-8 as it is; otherwise each line that
// is not valid UTF-8 is read as Windows-1250, every byte kept (never dropped
// or replaced by '?').
std::string toDisplayUtf8(std::string_view bytes);

} // namespace TextEncoding

} // namespace korvex
