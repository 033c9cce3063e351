#include "analysis/ListColumns.h"

#include "analysis/ResultList.h"
#include "model/Characters.h"

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
    const Characters::CharacterLine characters(line);
    std::size_t headEnd = kHeadWidth;
    if (distanceList) {
        const std::size_t leading = characters.charactersBefore(ResultList::leadingNumberEnd(line));
        if (leading > kHeadWidth) {
            headEnd = leading;
            tailStart += headEnd - kHeadWidth;
        }
    }
    ListColumns columns;
    columns.head = std::string(trimBlanks(characters.slice(0, headEnd)));
    columns.tail = std::string(trimBlanks(characters.slice(tailStart, kTailLength)));
    return columns;
}

} // namespace korvex
