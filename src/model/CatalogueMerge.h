#pragma once

#include "model/Decision.h"
#include "model/DecisionLog.h"
#include "model/Encounter.h"
#include "model/PhotoEntry.h"
#include "model/RepeatMeasurement.h"

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
    // Of the other copy's records, in its order: repeats with no equal one
    // here (the same record, values, time and operator: junctions are stored
    // rounded), and encounters to take: of records that have none here, or
    // whose encounter here is still the one both copies last shared (an
    // encounter changed here as well is kept as it is here).
    std::vector<RepeatMeasurement> repeats;
    std::vector<RecordEncounter> encounters;

    bool empty() const {
        return records.empty() && photosOfHeld.empty() && decisions.empty() && repeats.empty() &&
               encounters.empty();
    }
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

// Adds to `missing` the repeats and encounters of the other copy's records
// (those of `otherPieces`) that are not here. Records missing here keep their
// identity when merged, so theirs count too. `sharedEncounters` are the
// encounters as both copies last had them (the companion as loaded or saved
// here): one removed here since is not taken back unless the other copy
// changed it.
void addRepeatsAndEncounters(Missing& missing, const std::vector<std::string_view>& otherPieces,
                             const std::vector<RepeatMeasurement>& heldRepeats,
                             const std::vector<RecordEncounter>& heldEncounters,
                             const std::vector<RepeatMeasurement>& otherRepeats,
                             const std::vector<RecordEncounter>& otherEncounters,
                             const std::vector<RecordEncounter>& sharedEncounters = {});

} // namespace CatalogueMerge

} // namespace korvex
