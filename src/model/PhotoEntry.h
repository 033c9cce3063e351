#pragma once

#include "model/PhotoGeometry.h"
#include "model/SeamGroup.h"

#include <array>

#include <cstddef>
#include <string>

namespace korvex {

// What a stored record remembers of the photo it was digitised on.
struct PhotoEntry {
    // The record it belongs to, by the record identity rule (RecordIdentity.h):
    // its line's exact bytes and which of the lines with that text it is.
    std::string recordLine;
    std::size_t occurrence = 1;
    // Absolute path in memory; the companion file stores it relative to the
    // data file's folder when the photo lies beneath that folder.
    std::string photoPath;
    int widthPixels = 0;
    int heightPixels = 0;
    PhotoSegments segments;
    // When the record was appended: UTC, "2026-05-24T09:30:00Z".
    std::string appendedAt;
    // Per labelled group (kLabelledGroups order): its values were measured as
    // distances in photo pixels between the junctions above, rather than in
    // twips of the picture as shown when it was clicked. Where a value came
    // from is part of the record's history.
    std::array<bool, kLabelledGroups.size()> measuredInPixels{};

    bool operator==(const PhotoEntry&) const = default;
};

} // namespace korvex
