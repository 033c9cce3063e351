#pragma once

#include "model/SeamGroup.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace korvex {

// The current specimen's 42 values as the texts of their boxes, in sheet order
// (M1..M16, C1..C12, then the two "Central 2" groups of seven), and the case of
// each group's seam labels. The texts are the only copy of the values: whatever
// a box holds, numeric or not, is kept as it is.
class MeasurementSheet {
public:
    static constexpr std::size_t kValueCount = 42;
    static constexpr std::size_t kRecordValueCount = 28;

    MeasurementSheet();

    const std::string& value(std::size_t sheetIndex) const { return values_.at(sheetIndex); }
    void setValue(std::size_t sheetIndex, std::string text) {
        values_.at(sheetIndex) = std::move(text);
    }

    // Cell `index` of a group; out-of-range indices throw std::out_of_range.
    const std::string& cell(SeamGroupId group, std::size_t index) const;
    void setCell(SeamGroupId group, std::size_t index, std::string text);

    // Lower-case labels mark a group that holds standardised values.
    bool labelsLower(SeamGroupId group) const { return lower_[static_cast<std::size_t>(group)]; }
    void setLabelsLower(SeamGroupId group, bool lower) {
        lower_[static_cast<std::size_t>(group)] = lower;
    }
    // Caption of seam label `index` of a labelled group: "M1", or "m1" when lowered.
    std::string labelCaption(SeamGroupId group, std::size_t index) const;

    // Sum of the numeric readings of a group's cells.
    double cellSum(SeamGroupId group) const;

private:
    static std::size_t position(SeamGroupId group, std::size_t index);

    std::array<std::string, kValueCount> values_;
    std::array<bool, kSeamGroupCount> lower_{};
};

} // namespace korvex
