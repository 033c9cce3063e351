#include "uilogic/DecisionList.h"

#include "model/RecordIdentity.h"

#include <map>
#include <utility>

namespace korvex {

namespace {

using RecordNumbers = std::map<std::pair<std::string_view, std::size_t>, std::size_t>;

// Every record of the data set by its exact line and occurrence; the piece
// after the last CR LF is no record.
RecordNumbers recordNumbers(const DataSet& dataSet) {
    const auto pieces = dataSet.pieces();
    RecordNumbers numbers;
    OccurrenceCounter occurrences;
    for (std::size_t i = 0; i < dataSet.RecordCount(); ++i)
        numbers.emplace(std::pair{pieces[i], occurrences.next(pieces[i])}, i + 1);
    return numbers;
}

std::string numberOf(const RecordNumbers& numbers, const RecordIdentity& record) {
    if (!record.isStored())
        return {};
    const auto it = numbers.find({std::string_view(record.recordLine), record.occurrence});
    return it == numbers.end() ? std::string() : std::to_string(it->second);
}

void appendRow(std::string& out, const auto& fields) {
    bool first = true;
    for (const auto& field : fields) {
        if (!first)
            out.push_back('\t');
        first = false;
        for (const char c : field)
            out.push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
    }
    out += DataSet::kLineEnd;
}

} // namespace

DecisionList::DecisionList(const std::vector<Decision>& decisions, const DataSet& dataSet) {
    const RecordNumbers numbers = recordNumbers(dataSet);
    rows_.reserve(decisions.size());
    for (const Decision& d : decisions)
        rows_.push_back({d.decidedAt, std::string(verdictText(d.verdict)),
                         d.query.code, numberOf(numbers, d.query), d.candidate.code,
                         numberOf(numbers, d.candidate), d.measure, d.distance});
}

std::string DecisionList::copyText() const {
    std::string out;
    appendRow(out, kHeader);
    for (const Row& row : rows_)
        appendRow(out, row);
    return out;
}

void DecisionList::copyToClipboard(PlatformServices& services) const {
    services.clearClipboard();
    services.setClipboardText(copyText());
}

} // namespace korvex
