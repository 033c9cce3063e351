#include "analysis/ComparisonState.h"

#include "model/DataSet.h"

namespace korvex {

std::vector<DistancePasses::ParsedRecord> ComparisonState::takeRecords(std::string_view dataSetText,
                                                                       Tables tables) {
    auto pieces = DataSet::splitPieces(dataSetText);
    pieces.pop_back(); // the piece after the last CR LF is not a record
    recordLines.assign(pieces.begin(), pieces.end());
    ++run;
    const std::size_t size = recordLines.size() + 1;
    if (tables == Tables::Reset) {
        distanceTable1.assign(size, 0.0);
        distanceTable2.assign(size, 0.0);
    } else {
        if (distanceTable1.size() < size)
            distanceTable1.resize(size, 0.0);
        if (distanceTable2.size() < size)
            distanceTable2.resize(size, 0.0);
    }
    fresh1.assign(distanceTable1.size(), false);
    fresh2.assign(distanceTable2.size(), false);
    rankedBy.reset();
    rankedRecords.clear();

    std::vector<DistancePasses::ParsedRecord> records;
    records.reserve(pieces.size());
    for (std::string_view piece : pieces)
        records.push_back(DistancePasses::parseRecord(piece));
    return records;
}

} // namespace korvex
