#include "model/DataSet.h"

#include "model/RecordLine.h"
#include "model/TextSplit.h"

namespace korvex {

bool DataSet::AppendRecord(std::string_view line) {
    constexpr std::size_t kTail = 5;
    if (text_.size() < kTail) {
        text_.assign(line);
        text_ += kLineEnd;
        return true;
    }
    const std::string_view tail = std::string_view(text_).substr(text_.size() - kTail);
    const std::size_t at = tail.find(kLineEnd);
    if (at == std::string_view::npos || at == 0)
        text_ += kLineEnd;
    text_ += line;
    text_ += kLineEnd;
    return false;
}

std::size_t DataSet::countLineEnds(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = text.find(kLineEnd); at != std::string_view::npos;
         at = text.find(kLineEnd, at + kLineEnd.size()))
        ++count;
    return count;
}

std::optional<DataSet::UnendedRows> DataSet::unendedRows(std::string_view text) {
    const std::size_t end = text.rfind(kLineEnd);
    const std::string_view row =
        end == std::string_view::npos ? text : text.substr(end + kLineEnd.size());
    if (row.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return std::nullopt;
    const std::size_t cr = row.find('\r');
    return UnendedRows{SpecimenRecord::codeOf(row.substr(0, cr)), cr != std::string_view::npos};
}

std::vector<std::string_view> DataSet::splitPieces(std::string_view text) {
    return splitAt(text, kLineEnd);
}

std::string_view DataSet::piece(std::size_t i) const {
    std::size_t start = 0;
    for (std::size_t k = 0; k < i; ++k) {
        const std::size_t at = text_.find(kLineEnd, start);
        if (at == std::string::npos)
            return {};
        start = at + kLineEnd.size();
    }
    const std::size_t end = text_.find(kLineEnd, start);
    return std::string_view(text_).substr(start, end == std::string::npos ? end : end - start);
}

} // namespace korvex
