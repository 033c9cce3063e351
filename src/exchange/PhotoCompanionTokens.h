#pragma once

// The names the photo companion file stores, shared by its writer
// (PhotoCompanion.cpp) and its reader (PhotoCompanionReader.cpp).
#include "exchange/PhotoCompanion.h"

#include <array>
#include <string_view>

namespace korvex::PhotoCompanion {

// A text that is not UTF-8 goes under its key with this appended, as
// hexadecimal bytes: "line" becomes "lineHex".
inline constexpr std::string_view kHexSuffix = "Hex";

// Verdicts are stored as short tokens: the texts shown may be reworded, the
// tokens stay.
struct VerdictName {
    Verdict verdict;
    std::string_view token;
};
inline constexpr std::array<VerdictName, 3> kVerdicts = {{
    {Verdict::SameAnimal, "same"},
    {Verdict::DifferentAnimal, "different"},
    {Verdict::Unsure, "unsure"},
}};

} // namespace korvex::PhotoCompanion
