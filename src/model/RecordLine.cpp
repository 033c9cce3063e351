#include "model/RecordLine.h"

#include "model/SeamGroup.h"

namespace korvex::SpecimenRecord {

std::string BuildRecordLine(std::string_view code, const MeasurementSheet& sheet) {
    std::string line(code);
    for (std::size_t i = 0; i < MeasurementSheet::kRecordValueCount; ++i) {
        line.push_back(kFieldSeparator);
        line += sheet.value(i);
    }
    return line;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find(kFieldSeparator, start);
        if (tab == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

std::string_view codeOf(std::string_view line) {
    return line.substr(0, line.find(kFieldSeparator));
}

std::string seamName(std::size_t recordIndex) {
    return recordIndex < RecordLayout::kMarginalCount
               ? "M" + std::to_string(recordIndex + 1)
               : "C" + std::to_string(recordIndex - RecordLayout::kMarginalCount + 1);
}

} // namespace korvex::SpecimenRecord
