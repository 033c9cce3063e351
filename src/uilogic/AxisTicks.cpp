#include "uilogic/AxisTicks.h"

#include <algorithm>
#include <cmath>

namespace korvex {

std::optional<AxisTicks::Ticks> AxisTicks::round(double low, double high, int maxSteps) {
    if (!std::isfinite(low) || !std::isfinite(high) || !(high > low))
        return std::nullopt;
    const double raw = (high - low) / std::max(maxSteps, 1);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    // A hair of tolerance: 0.3 / 3 is 0.09999999999999999, which is a step of 0.1.
    const double scaled = raw / power * (1.0 - 1e-9);
    const double multiple = scaled <= 1.0 ? 1.0 : scaled <= 2.0 ? 2.0 : scaled <= 5.0 ? 5.0 : 10.0;
    Ticks ticks;
    ticks.step = multiple * power;
    ticks.first = std::ceil(low / ticks.step * (1.0 - 1e-12)) * ticks.step;
    if (ticks.first == 0.0)
        ticks.first = 0.0; // never "-0"
    ticks.decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(ticks.step) - 1e-9)));
    return ticks;
}

} // namespace korvex
