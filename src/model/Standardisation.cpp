#include "model/Standardisation.h"

#include "model/NumberText.h"

#include <cmath>

namespace korvex {

bool standardiseCells(MeasurementSheet& sheet, SeamGroupId group) {
    const SeamGroup& g = seamGroup(group);
    // The labels go lower case before the total is known, so they stay lowered
    // even when the total turns out to be 0.
    if (g.hasLabels())
        sheet.setLabelsLower(group, true);
    double total = sheet.cellSum(group);
    if (g.targetTotal != 1.0)
        total /= g.targetTotal;
    // A total beyond the range of double (lengths that overflow it, or a text
    // reading as infinity) would turn the cells into 0.0000 or NaN, and the
    // lengths would be lost: such a group is refused like a zero total.
    if (total == 0.0 || !std::isfinite(total))
        return false;
    for (std::size_t i = 0; i < g.count; ++i)
        sheet.setCell(group, i, fixedText(readNumber(sheet.cell(group, i)) / total, 4));
    return true;
}

} // namespace korvex
