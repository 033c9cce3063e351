#pragma once

#include "model/MeasurementSheet.h"

#include <array>
#include <optional>

namespace korvex {

// A point on a photograph in the photo's own pixels, upright (as shown after
// its EXIF orientation is applied), origin at its top-left corner. Fractions
// are kept: a click falls between pixels whenever the photo is zoomed in.
struct PhotoPixel {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const PhotoPixel&) const = default;
};

// The two clicked junctions whose distance became one sheet value.
struct PhotoSegment {
    PhotoPixel from;
    PhotoPixel to;
    bool operator==(const PhotoSegment&) const = default;
};

// One slot per record value in sheet order (M1..M16, C1..C12); empty where
// the value was not made by two clicks on the photo.
using PhotoSegments = std::array<std::optional<PhotoSegment>, MeasurementSheet::kRecordValueCount>;

} // namespace korvex
