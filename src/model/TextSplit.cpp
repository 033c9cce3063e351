#include "model/TextSplit.h"

#include <cstddef>

namespace korvex {

std::vector<std::string_view> splitAt(std::string_view text, std::string_view separator) {
    if (separator.empty())
        return {text};
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

} // namespace korvex
