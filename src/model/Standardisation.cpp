#include "model/Standardisation.h"

#include "model/NumberText.h"

#include <cmath>
#include <vector>

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
    // A total or a quotient beyond the range of double (lengths that overflow
    // their sum, a text reading as infinity, a sum that cancels to nearly 0)
    // would write 0.0000, NaN or Infinity over the lengths, and they would be
    // lost: such a group is refused like a zero total.
    if (total == 0.0 || !std::isfinite(total))
        return false;
    std::vector<double> quotients(g.count);
    for (std::size_t i = 0; i < g.count; ++i) {
        quotients[i] = readNumber(sheet.cell(group, i)) / total;
        if (!std::isfinite(quotients[i]))
            return false;
    }
    for (std::size_t i = 0; i < g.count; ++i)
        sheet.setCell(group, i, fixedText(quotients[i], 4));
    return true;
}

} // namespace korvex
