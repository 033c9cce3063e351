#include "model/SheetFill.h"

#include "model/MeasurementSheet.h"
#include "model/RecordLine.h"
#include "model/SeamGroup.h"

#include <algorithm>

namespace korvex {

std::size_t filledValueCount(std::size_t fieldCount) {
    if (fieldCount < RecordLayout::kFillMinimumFields)
        return 0;
    // A text of 12 to 28 fields fills the values it has fields for, so a
    // spreadsheet row of a code and the 16 marginal values fills M1..M16.
    return std::min(fieldCount - 1, MeasurementSheet::kRecordValueCount);
}

bool fillRecordValues(std::string_view text,
                      const std::function<void(std::size_t, std::string_view)>& write) {
    const auto fields = SpecimenRecord::splitFields(text);
    const std::size_t last = filledValueCount(fields.size());
    for (std::size_t field = 1; field <= last; ++field)
        write(field - 1, fields[field]);
    return last > 0;
}

} // namespace korvex
