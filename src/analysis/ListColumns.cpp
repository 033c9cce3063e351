#include "analysis/ListColumns.h"

#include "model/Characters.h"

#include <algorithm>

namespace korvex {

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

ListColumns ListColumns::of(std::string_view line, std::size_t tailStart, bool distanceList) {
    // Columns count characters, so that a cut never falls inside a letter of
    // a code typed in UTF-8. A distance itself is ASCII.
    std::size_t headEnd = kHeadWidth;
    if (distanceList) {
        const std::size_t firstBlank = std::min(line.find(' '), line.size());
        const std::size_t leading = Characters::isValidUtf8(line)
                                        ? Characters::count(line.substr(0, firstBlank))
                                        : firstBlank;
        if (leading > kHeadWidth) {
            headEnd = leading;
            tailStart += headEnd - kHeadWidth;
        }
    }
    ListColumns columns;
    columns.head = std::string(trimBlanks(Characters::slice(line, 0, headEnd)));
    columns.tail = std::string(trimBlanks(Characters::slice(line, tailStart, kTailLength)));
    return columns;
}

} // namespace korvex
