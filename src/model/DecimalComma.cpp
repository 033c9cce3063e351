#include "model/DecimalComma.h"

#include "model/DataSet.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"
#include "model/SeamGroup.h"

namespace korvex::DecimalComma {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

bool holdsOne(std::string_view text) {
    // Most values hold no comma at all.
    if (text.find(',') == std::string_view::npos)
        return false;
    // The grammar of the numeric reading, which skips blanks, TABs and line
    // feeds wherever they stand: sign, digits with at most one point, an
    // exponent only when a digit follows its e.
    std::size_t i = 0;
    const auto at = [&]() {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
            ++i;
        return i < text.size() ? text[i] : '\0';
    };
    if (at() == '+' || at() == '-')
        ++i;
    bool anyDigit = false;
    for (bool afterPoint = false; isDigit(at()) || (at() == '.' && !afterPoint); ++i) {
        anyDigit = anyDigit || isDigit(text[i]);
        afterPoint = afterPoint || text[i] == '.';
    }
    // ",5" is no number to the reading, but a comma written for "0,5" all
    // the same, and reads as 0 just as well.
    if (!anyDigit)
        return at() == ',' && i + 1 < text.size() && isDigit(text[i + 1]);
    if (at() == 'e' || at() == 'E') {
        const std::size_t e = i++;
        if (at() == '+' || at() == '-')
            ++i;
        if (!isDigit(at()))
            i = e; // no exponent: the number ended before the e
        while (isDigit(at()))
            ++i;
    }
    return at() == ',' && i + 1 < text.size() && isDigit(text[i + 1]);
}

std::optional<Value> firstValueOf(std::string_view line) {
    const std::size_t firstTab = line.find(SpecimenRecord::kFieldSeparator);
    if (firstTab == std::string_view::npos || line.find(',', firstTab) == std::string_view::npos)
        return std::nullopt;
    std::size_t start = firstTab + 1;
    for (std::size_t index = 0; index < MeasurementSheet::kRecordValueCount; ++index) {
        const std::size_t tab = line.find(SpecimenRecord::kFieldSeparator, start);
        const std::string_view text =
            line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (holdsOne(text))
            return Value{index, text};
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    return std::nullopt;
}

std::optional<std::size_t> firstSheetValue(const MeasurementSheet& sheet, bool marginal,
                                           bool central) {
    const std::size_t from = marginal ? 0 : RecordLayout::kMarginalCount;
    const std::size_t to =
        central ? MeasurementSheet::kRecordValueCount : RecordLayout::kMarginalCount;
    for (std::size_t i = from; i < to; ++i)
        if (holdsOne(sheet.value(i)))
            return i;
    return std::nullopt;
}

Found inDataSet(std::string_view dataSetText) {
    Found found;
    std::size_t start = 0;
    for (std::size_t number = 1;; ++number) {
        const std::size_t end = dataSetText.find(DataSet::kLineEnd, start);
        if (end == std::string_view::npos)
            break; // the piece after the final CR LF is no record
        const std::string_view line = dataSetText.substr(start, end - start);
        start = end + DataSet::kLineEnd.size();
        const auto value = firstValueOf(line);
        if (!value)
            continue;
        if (found.records++ == 0) {
            found.firstRecord = number;
            found.firstCode = SpecimenRecord::codeOf(line);
            found.firstValue = *value;
        }
    }
    return found;
}

std::string readAs(std::string_view text) {
    return lengthText(readNumber(text));
}

std::string_view quotedPart(std::string_view text) {
    return text.substr(0, text.find_first_of("\r\n", text.find(',')));
}

} // namespace korvex::DecimalComma
