#pragma once

// The photo entry of a catalogue record digitised in full, for benchmarks.
#include "exchange/PhotoCompanion.h"

#include <random>
#include <string>
#include <utility>

namespace korvex::bench {

// Record `r`'s entry: its own 6000 x 4000 photo, every seam clicked at random.
inline PhotoEntry digitisedPhoto(std::string recordLine, int r, std::mt19937& random) {
    std::uniform_real_distribution<double> x(0.0, 6000.0);
    std::uniform_real_distribution<double> y(0.0, 4000.0);
    PhotoEntry e;
    e.recordLine = std::move(recordLine);
    e.photoPath = "/data/turtles/photos/" + std::to_string(2000 + r % 25) + "/IMG_" +
                  std::to_string(r) + ".jpg";
    e.widthPixels = 6000;
    e.heightPixels = 4000;
    e.appendedAt = "2026-05-24T09:30:00Z";
    for (auto& segment : e.segments)
        segment = PhotoSegment{{x(random), y(random)}, {x(random), y(random)}};
    return e;
}

} // namespace korvex::bench
