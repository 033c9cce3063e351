#include "analysis/Catalogue.h"

#include "model/DataSet.h"
#include "model/RecordLine.h"

#include <string>
#include <unordered_map>

namespace korvex {

Catalogue Catalogue::read(std::string_view dataSetText, const Individuals& individuals) {
    Catalogue catalogue;
    const auto pieces = DataSet::splitPieces(dataSetText);
    std::unordered_map<std::string, std::size_t> ids;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string_view piece = pieces[i];
        const bool last = i + 1 == pieces.size();
        if (last && piece.empty())
            break; // the normal end of the text, after the final CR LF
        const std::string_view code = SpecimenRecord::codeOf(piece);
        DistancePasses::ParsedRecord values = DistancePasses::parseRecord(piece);
        if (last || values.fieldCount < kRecordFields) {
            catalogue.skipped.push_back({i + 1, code, values.fieldCount, last});
            continue;
        }
        const auto [it, added] =
            ids.try_emplace(individuals.individualOf(code), catalogue.individualCount);
        if (added)
            ++catalogue.individualCount;
        bool nonNegative = true;
        for (const double m : values.marginal)
            nonNegative = nonNegative && !(m < 0.0);
        catalogue.records.push_back({i + 1, piece, code, values, it->second, nonNegative});
    }
    return catalogue;
}

PairDistances::Shown Catalogue::screened(std::size_t i, std::size_t j,
                                         const PairDistances::Shown& bounds) const {
    const Record& a = records[i];
    const Record& b = records[j];
    return PairDistances::screened(a.values, b.values, bounds, a.nonNegative && b.nonNegative);
}

} // namespace korvex
