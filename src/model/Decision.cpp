#include "model/Decision.h"

#include <array>

namespace korvex {

std::string_view verdictText(Verdict verdict) {
    static constexpr std::array<std::string_view, 3> kTexts = {"Same Animal", "Different Animal",
                                                               "Unsure"};
    return kTexts[static_cast<std::size_t>(verdict)];
}

} // namespace korvex
