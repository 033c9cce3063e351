#include "analysis/Measure.h"

namespace korvex {

namespace {

constexpr std::array<std::string_view, kMeasures.size()> kNames = {"D1", "D2", "D"};

} // namespace

std::string_view nameOf(Measure measure) {
    return kNames[static_cast<std::size_t>(measure)];
}

std::optional<Measure> measureNamed(std::string_view name) {
    for (const Measure measure : kMeasures)
        if (nameOf(measure) == name)
            return measure;
    return std::nullopt;
}

} // namespace korvex
