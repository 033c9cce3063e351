#pragma once

#include <string_view>
#include <vector>

namespace korvex {

// The parts of `text` between occurrences of `separator`, found from the start
// without overlap, empty parts included: n separators give n + 1 parts, and
// the empty text one empty part. The views point into `text`. An empty
// separator separates nothing: the whole text is the one part.
std::vector<std::string_view> splitAt(std::string_view text, std::string_view separator);

} // namespace korvex
