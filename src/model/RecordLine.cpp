#include "model/RecordLine.h"

#include "model/SeamGroup.h"
#include "model/TextSplit.h"

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
    return splitAt(line, std::string_view(&kFieldSeparator, 1));
}

bool fitsAsCode(std::string_view code) {
    return !codeProblem(code);
}

std::string_view codeOf(std::string_view line) {
    return line.substr(0, line.find(kFieldSeparator));
}

std::string withCode(std::string_view line, std::string_view code) {
    std::string out(code);
    out += line.substr(codeOf(line).size());
    return out;
}

std::optional<std::string> codeProblem(std::string_view code) {
    if (code.find_first_of(kFieldBreakers) == std::string_view::npos)
        return std::nullopt;
    return std::string(kCodeRefused);
}

std::optional<std::size_t> valueBreakingLine(const MeasurementSheet& sheet) {
    for (std::size_t i = 0; i < MeasurementSheet::kRecordValueCount; ++i)
        if (sheet.value(i).find_first_of(kFieldBreakers) != std::string::npos)
            return i;
    return std::nullopt;
}

std::string seamName(std::size_t recordIndex) {
    return recordIndex < RecordLayout::kMarginalCount
               ? "M" + std::to_string(recordIndex + 1)
               : "C" + std::to_string(recordIndex - RecordLayout::kMarginalCount + 1);
}

} // namespace korvex::SpecimenRecord
