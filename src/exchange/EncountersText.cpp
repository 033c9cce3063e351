#include "exchange/EncountersText.h"

#include "model/Characters.h"
#include "model/TextSplit.h"

#include <charconv>

namespace korvex {

namespace EncountersText {

namespace {

std::string flat(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return out;
}

} // namespace

ReadResult read(std::string_view text) {
    text = Characters::withoutByteOrderMark(text);
    ReadResult result;
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const auto parts = splitAt(line, "\t");
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        std::size_t record = 0;
        const std::string_view number = parts[0];
        const auto res = std::from_chars(number.data(), number.data() + number.size(), record);
        if (res.ec != std::errc() || res.ptr != number.data() + number.size() || record == 0) {
            result.errors.push_back(where + "'" + std::string(number) +
                                    "' is no record number (a whole number from 1).");
            continue;
        }
        if (parts.size() > 7) {
            result.errors.push_back(where + "more than 7 fields.");
            continue;
        }
        const auto field = [&](std::size_t k) {
            return k < parts.size() ? parts[k] : std::string_view();
        };
        Encounter encounter;
        std::string error;
        if (!encounter.setDateText(field(1), error) ||
            !encounter.setLatitudeText(field(3), error) ||
            !encounter.setLongitudeText(field(4), error)) {
            result.errors.push_back(where + error);
            continue;
        }
        if (const auto problem = encounter.problem()) {
            result.errors.push_back(where + *problem);
            continue;
        }
        encounter.site = std::string(field(2));
        encounter.observer = std::string(field(5));
        encounter.note = std::string(field(6));
        if (!result.byRecord.emplace(record, std::move(encounter)).second)
            result.errors.push_back(where + "record " + std::to_string(record) +
                                    " has an encounter on an earlier line already.");
    }
    return result;
}

std::string write(const std::map<std::size_t, Encounter>& byRecord) {
    std::string out;
    for (const auto& [record, e] : byRecord) {
        out += std::to_string(record);
        for (const std::string& f :
             {e.dateText(), flat(e.site), Encounter::degreesText(e.latitude),
              Encounter::degreesText(e.longitude), flat(e.observer), flat(e.note)}) {
            out += '\t';
            out += f;
        }
        out += "\r\n";
    }
    return out;
}

} // namespace EncountersText

} // namespace korvex
