#pragma once

#include "model/MeasurementSheet.h"

namespace korvex {

// The sheet side of standardising a group: lowers the group's labels, adds up
// its cells (divided by 6 for the "Central 2" groups) and, unless that total is
// exactly 0, rewrites every cell as its quotient in "0.0000" form.
// Returns false when the total was 0, or when the total or a quotient lies
// beyond the range of double (lengths whose sum overflows, a text reading as
// infinity): then only the labels changed, and the caller leaves the group's
// switch and button alone.
bool standardiseCells(MeasurementSheet& sheet, SeamGroupId group);

} // namespace korvex
