#pragma once

// The names the photo companion file stores, shared by its writer
// (PhotoCompanion.cpp) and its reader (PhotoCompanionReader.cpp).
#include "exchange/PhotoCompanion.h"
#include "model/SeamGroup.h"

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

// The labelled groups by name, in kLabelledGroups order, as an entry lists
// those measured in photo pixels.
inline constexpr std::array<std::string_view, 4> kGroupNames = {"M1-M8", "M9-M16", "C1-C6",
                                                                "C7-C12"};
static_assert(kGroupNames.size() == kLabelledGroups.size());

} // namespace korvex::PhotoCompanion
