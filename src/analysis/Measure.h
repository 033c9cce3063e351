#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace korvex {

// The three distances a comparison ranks by: D1 on the marginal seams, D2 on
// the offsets of the central seams, and D, the geometric mean of both. The
// windows' Compare entries, the batch tool's --by, the check window and the
// decision log all name the measure through this one type.
enum class Measure { D1 = 0, D2 = 1, D = 2 };
inline constexpr std::array<Measure, 3> kMeasures = {Measure::D1, Measure::D2, Measure::D};

// "D1", "D2", "D": the name users read and files store.
std::string_view nameOf(Measure measure);
// The measure of that exact name, or nothing.
std::optional<Measure> measureNamed(std::string_view name);

} // namespace korvex
