#include "model/SheetFill.h"

#include "model/MeasurementSheet.h"
#include "model/RecordLine.h"

#include <algorithm>

namespace korvex {

bool fillRecordValues(std::string_view text,
                      const std::function<void(std::size_t, std::string_view)>& write) {
    const auto fields = SpecimenRecord::splitFields(text);
    if (fields.size() < 12)
        return false;
    // A text of 12 to 28 fields fills the values it has fields for, so a
    // spreadsheet row of a code and the 16 marginal values fills M1..M16.
    const std::size_t last = std::min(fields.size() - 1, MeasurementSheet::kRecordValueCount);
    for (std::size_t field = 1; field <= last; ++field)
        write(field - 1, fields[field]);
    return true;
}

} // namespace korvex
