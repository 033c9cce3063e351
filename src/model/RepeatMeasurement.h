#pragma once

#include "model/PhotoGeometry.h"

#include <cstddef>
#include <string>

namespace korvex {

// A record measured again, blind, on its own photo. A repeat is never a
// record: the data set does not hold it; it belongs to its record as a photo
// entry does.
struct RepeatMeasurement {
    // The record it repeats, by the record identity rule (RecordIdentity.h).
    std::string recordLine;
    std::size_t occurrence = 1;
    // The 28 values as a record line holds them after its code: each value
    // preceded by a TAB, copied unchanged from the sheet.
    std::string values;
    PhotoSegments segments;   // the junctions clicked for it
    std::string measuredAt;   // UTC, "2026-05-24T09:30:00Z"
    std::string operatorName; // who measured it; empty when not given

    bool operator==(const RepeatMeasurement&) const = default;
};

} // namespace korvex
