#include "analysis/ListColumns.h"

#include <algorithm>

namespace korvex {

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

ListColumns ListColumns::of(std::string_view line, std::size_t tailStart, bool distanceList) {
    std::size_t headEnd = kHeadWidth;
    if (distanceList) {
        const std::size_t firstBlank = std::min(line.find(' '), line.size());
        if (firstBlank > kHeadWidth) {
            headEnd = firstBlank;
            tailStart += headEnd - kHeadWidth;
        }
    }
    ListColumns columns;
    columns.head = std::string(trimBlanks(line.substr(0, headEnd)));
    if (tailStart < line.size())
        columns.tail = std::string(trimBlanks(line.substr(tailStart, kTailLength)));
    return columns;
}

} // namespace korvex
