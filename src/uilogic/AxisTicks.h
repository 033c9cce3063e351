#pragma once

#include <optional>

namespace korvex {

// Ticks at round values for a chart's value axis: a step of 1, 2 or 5 times a
// power of ten, so that a reader sees 0.1, 0.2, 0.3 where the axis length
// divided evenly would give 0.072, 0.144, 0.216.
class AxisTicks {
public:
    struct Ticks {
        double first = 0.0; // the lowest tick inside the axis
        double step = 0.0;
        int decimals = 0; // enough to write every tick exactly
    };
    // The ticks of an axis from `low` to `high` with at most `maxSteps`
    // steps between them (at least 1). Nothing for an axis of no length or
    // limits that are not finite.
    static std::optional<Ticks> round(double low, double high, int maxSteps = 8);
};

} // namespace korvex
