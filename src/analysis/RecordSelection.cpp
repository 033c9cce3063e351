#include "analysis/RecordSelection.h"

#include "model/DataSet.h"
#include "model/RecordLine.h"

#include <limits>

namespace korvex::RecordSelection {

void fillList(std::string_view dataSetText, ResultList& list) {
    list.clear(ResultList::Order::Text);
    const auto pieces = DataSet::splitPieces(dataSetText);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (pieces[i].empty())
            continue;
        // Item data is 32-bit; a data set beyond that many pieces cannot be
        // picked from past it, and such entries are left out.
        if (i > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            break;
        list.add(std::string(SpecimenRecord::codeOf(pieces[i])), static_cast<std::int32_t>(i));
    }
}

std::optional<Pick> pick(std::string_view dataSetText, std::int32_t itemData) {
    if (itemData < 0)
        return std::nullopt;
    const auto pieces = DataSet::splitPieces(dataSetText);
    const auto k = static_cast<std::size_t>(itemData);
    if (k >= pieces.size())
        return std::nullopt;
    Pick p;
    p.line = std::string(pieces[k]);
    p.recordNumber = static_cast<long long>(k) + 1;
    p.code = std::string(SpecimenRecord::codeOf(pieces[k]));
    return p;
}

} // namespace korvex::RecordSelection
