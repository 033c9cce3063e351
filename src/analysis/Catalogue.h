#pragma once

#include "analysis/DistancePasses.h"
#include "analysis/Individuals.h"
#include "analysis/PairDistances.h"
#include "model/SeamGroup.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace korvex {

// The records of a data-set text as the catalogue checks see them. A record is
// a piece before the final CR LF with at least 29 fields; every other piece
// (an empty line, a row cut short, a last line without CR LF) is skipped and
// kept aside with its field count. A comparison would stop its pass at a piece
// of fewer than 10 fields; here each record is compared with each other record
// as if it were the only one in the data set, so a short piece only drops out.
//
// The views point into the text given to `read`, which must outlive the
// catalogue.
struct Catalogue {
    struct Record {
        std::size_t recordNumber = 0; // as in the data set, from 1
        std::string_view line;
        std::string_view code;
        DistancePasses::ParsedRecord values;
        std::size_t individual = 0; // 0 .. individualCount - 1
        bool nonNegative = true;    // no marginal value below 0
    };
    struct Skipped {
        std::size_t recordNumber = 0;
        std::string_view code;
        std::size_t fieldCount = 0;
        bool lastLine = false; // the piece after the final CR LF, not an inner one
    };

    std::vector<Record> records;
    std::vector<Skipped> skipped;
    std::size_t individualCount = 0;

    // The code and every seam value.
    static constexpr std::size_t kRecordFields = RecordLayout::kLastRecordField + 1;

    static Catalogue read(std::string_view dataSetText, const Individuals& individuals);

    // The shown distances of records i and j as far as they can be at most
    // `bounds` (PairDistances::screened).
    PairDistances::Shown screened(std::size_t i, std::size_t j,
                                  const PairDistances::Shown& bounds) const;
};

} // namespace korvex
