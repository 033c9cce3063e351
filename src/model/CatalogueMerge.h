#pragma once

#include "model/Decision.h"
#include "model/DecisionLog.h"
#include "model/PhotoEntry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// What a copy of the catalogue elsewhere (the data file and its companion as
// another program left them on disk) holds that the open catalogue does not,
// by the record identity rule: a record is missing here when the data set has
// fewer lines of its exact text than its occurrence. Nothing here is taken
// away: merging only adds.
namespace CatalogueMerge {

struct Missing {
    struct Record {
        std::string line;
        // Its entry in the other copy, if it keeps a photo there.
        std::optional<PhotoEntry> photo;
    };
    // In the other copy's order. Appended in this order after the records
    // held here, each keeps its occurrence: the first missing line of a text
    // is the one after all the lines of that text held here.
    std::vector<Record> records;
    // Entries of records held here that keep no photo here.
    std::vector<PhotoEntry> photosOfHeld;
    // In the order made; a decision counts as held when the log holds an
    // equal one not already matched.
    std::vector<Decision> decisions;

    bool empty() const { return records.empty() && photosOfHeld.empty() && decisions.empty(); }
    std::size_t photoCount() const;
};

// `heldPieces`, `heldEntries` and `held` are the open catalogue's data-set
// pieces, photo entries and log; `otherPieces` the other data set's pieces,
// with `otherPhotos[i]` the entry of piece i there, or null (a shorter vector
// means no entry). Empty pieces are not records.
Missing missingHere(const std::vector<std::string_view>& heldPieces,
                    const std::vector<PhotoEntry>& heldEntries, const DecisionLog& held,
                    const std::vector<std::string_view>& otherPieces,
                    const std::vector<const PhotoEntry*>& otherPhotos,
                    const std::vector<Decision>& otherDecisions);

} // namespace CatalogueMerge

} // namespace korvex
