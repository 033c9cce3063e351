#pragma once

#include "model/DecisionLog.h"
#include "model/Encounter.h"
#include "model/PhotoEntry.h"
#include "model/RepeatMeasurement.h"
#include "model/SharedList.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// The companion file on disk as this program last read or wrote it: enough to
// find it again and to tell whether it is still those bytes.
struct SavedCompanion {
    std::string path;
    std::uint64_t size = 0;
    std::uint64_t hash = 0; // hashOfBytes of the file's bytes
    // Which of the file's entries, by their place in it, the catalogue keeps:
    // the entries of rows no longer in the data file are not kept.
    std::vector<std::size_t> keptEntries;
    // The file's decisions are the first this many of the log.
    std::size_t decisionCount = 0;

    bool operator==(const SavedCompanion&) const = default;
};

// What the open catalogue holds beside its data-set text: what the records
// keep of their photos, their repeats and encounters, the log of decisions
// and the data file last loaded or saved (relative photo paths and the search
// for a moved photo start from its folder). A state is never changed once handed out: each change
// makes a new one, so it may be shared with a recovery copy that another thread writes. Its
// lists share their elements with the states it was copied from: a copy costs a pointer per
// element, and only the elements a change writes are copied.
struct CatalogueState {
    SharedList<PhotoEntry> entries;
    DecisionLog decisions;
    std::optional<std::string> dataFilePath;
    // Records measured again, in the order kept, and when and where the
    // records' animals were seen (one at most per record). Both belong to
    // records by the record identity rule, as photo entries do, and stand in
    // the companion file; the data set never holds them.
    SharedList<RepeatMeasurement> repeats;
    SharedList<RecordEncounter> encounters;
    // The companion on disk, when the first entries (as many as it keeps)
    // and the first decisions (its decision count) are exactly what it
    // holds: a recovery copy then keeps only what came after.
    std::optional<SavedCompanion> saved;

    std::size_t savedEntryCount() const { return saved ? saved->keptEntries.size() : 0; }
    std::size_t savedDecisionCount() const { return saved ? saved->decisionCount : 0; }

    bool operator==(const CatalogueState&) const = default;
};

} // namespace korvex
