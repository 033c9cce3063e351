#include "model/MeasurementSheet.h"

#include "model/NumberText.h"

#include <stdexcept>

namespace korvex {

MeasurementSheet::MeasurementSheet() {
    values_.fill("0");
}

std::size_t MeasurementSheet::position(SeamGroupId group, std::size_t index) {
    const SeamGroup& g = seamGroup(group);
    if (index >= g.count)
        throw std::out_of_range("seam group cell index");
    return g.firstSheetIndex + index;
}

const std::string& MeasurementSheet::cell(SeamGroupId group, std::size_t index) const {
    return values_[position(group, index)];
}

void MeasurementSheet::setCell(SeamGroupId group, std::size_t index, std::string text) {
    values_[position(group, index)] = std::move(text);
}

std::string MeasurementSheet::labelCaption(SeamGroupId group, std::size_t index) const {
    const SeamGroup& g = seamGroup(group);
    if (!g.hasLabels() || index >= g.count)
        return {};
    const char letter =
        labelsLower(group) ? static_cast<char>(g.seamLetter - 'A' + 'a') : g.seamLetter;
    return letter + std::to_string(g.firstSeamNumber + static_cast<int>(index));
}

double MeasurementSheet::cellSum(SeamGroupId group) const {
    const SeamGroup& g = seamGroup(group);
    double sum = 0.0;
    for (std::size_t i = 0; i < g.count; ++i)
        sum += readNumber(values_[g.firstSheetIndex + i]);
    return sum;
}

} // namespace korvex
