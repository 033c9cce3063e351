#include "exchange/ClipboardForms.h"

#include "model/DataSet.h"
#include "model/RecordLine.h"

namespace korvex::ClipboardForms {

std::string recordForm(std::string_view code, const MeasurementSheet& sheet) {
    std::string form = SpecimenRecord::BuildRecordLine(code, sheet);
    form += DataSet::kLineEnd;
    return form;
}

bool showsRecordAfterLoad(std::string_view text) {
    // Only the blank itself is trimmed: a leading TAB or line break means the
    // text is not a record (a data file's sheet line starts with a TAB).
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return false;
    return static_cast<unsigned char>(text[first]) >= 32;
}

std::string withCrLfLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out.push_back('\r');
        out.push_back(text[i]);
    }
    return out;
}

} // namespace korvex::ClipboardForms
