#pragma once

#include <string>
#include <string_view>

namespace korvex {

// A list line taken apart by its columns: the head is its first 10
// characters, the tail its characters from `tailStart` on (at most 100), each
// without the spaces around it. In a list of distances, a leading distance
// wider than its 10-character column is taken whole as the head and the tail
// moves along with it, so a wide value never spills into the code.
struct ListColumns {
    std::string head;
    std::string tail;

    static constexpr std::size_t kHeadWidth = 10;
    static constexpr std::size_t kTailLength = 100;

    static ListColumns of(std::string_view line, std::size_t tailStart, bool distanceList);
};

// Removes the blanks (spaces only) at both ends.
std::string_view trimBlanks(std::string_view text);

} // namespace korvex
