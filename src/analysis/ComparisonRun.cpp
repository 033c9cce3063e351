#include "analysis/ComparisonRun.h"

#include "analysis/ListColumns.h"
#include "model/DataSet.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"

#include <array>
#include <cmath>

namespace korvex::ComparisonRun {

namespace {

using DistancePasses::ParsedRecord;

constexpr std::string_view kTab = "\t";
constexpr std::string_view kLineEnd = DataSet::kLineEnd;

// Reads every distance line of the list into a table by record number and
// marks the entries written; lines naming record 0 or a number beyond the
// records are ignored.
// Each line names its own record, so the order of reading does not matter
// and the list is not sorted for it.
void readBackInto(const ResultList& list, std::vector<double>& table, std::vector<bool>& fresh) {
    list.forEachUnordered([&](const std::string& line) {
        const auto entry = DistancePasses::readBack(line);
        if (entry.recordNumber == 0 || entry.recordNumber >= table.size())
            return;
        table[entry.recordNumber] = entry.distance;
        fresh[entry.recordNumber] = true;
    });
}

bool hasTab(const std::string& line) {
    return line.find(SpecimenRecord::kFieldSeparator) != std::string::npos;
}

// Adds the ranked line of record i (from 0) and remembers whose line it is.
void addRanked(ComparisonState& state, ResultList& list, double distance, int decimals,
               std::size_t i) {
    list.add(
        rankedLine(fixedText(distance, decimals), SpecimenRecord::codeOf(state.recordLines[i])));
    state.rankedRecords.push_back(i + 1);
}

// The relisting step of the D1 and D2 commands.
void vypsani(ComparisonState& state, ResultList& list) {
    readBackInto(list, state.distanceTable1, state.fresh1);
    list.clear(ResultList::Order::Distance);
    for (std::size_t i = 0; i < state.recordLines.size(); ++i) {
        const std::string& line = state.recordLines[i];
        // A record the pass did not reach is not listed with an old distance.
        if (hasTab(line) && state.fresh1[i + 1])
            addRanked(state, list, state.distanceTable1[i + 1], kRankedDecimals, i);
    }
}

DistancePasses::PassResult centralPass(const ParsedRecord& sheet,
                                       const std::vector<ParsedRecord>& records, ResultList& list,
                                       ComparisonHost& host) {
    const auto result = DistancePasses::rozdil_SS(sheet, records, list);
    if (result.visited > 0)
        host.setListCaption(std::string(kPassCaption));
    if (result.stoppedEarly)
        host.message(DistancePasses::kNoData);
    else
        host.redrawList();
    return result;
}

DistancePasses::PassResult marginalPass(const ParsedRecord& sheet,
                                        const std::vector<ParsedRecord>& records, ResultList& list,
                                        ComparisonHost& host) {
    const auto result = DistancePasses::marginalia3(sheet, records, list);
    if (result.stoppedEarly)
        host.message(DistancePasses::kNoData);
    return result;
}

} // namespace

std::string captionFor(Measure measure) {
    static constexpr std::array<std::string_view, kMeasures.size()> kCaptions = {
        "List of Similar Voduzor - Marginal Seams (D1)",
        "List of Similar Voduzor - Central Seams (D2)",
        "List of Similar Voduzor - Marginal and Central Seams (D)"};
    return std::string(kCaptions[static_cast<std::size_t>(measure)]);
}

std::string rankedLine(const std::string& distanceText, std::string_view code) {
    std::string line = distanceText;
    if (line.size() < ListColumns::kHeadWidth)
        line.append(ListColumns::kHeadWidth - line.size(), ' ');
    line += "   ";
    line += code;
    return line;
}

std::optional<std::string> comp_Click(Measure measure, const MeasurementSheet& sheet,
                                      std::string_view dataSetText, ComparisonState& state,
                                      ResultList& list, ComparisonHost& host) {
    if (dataSetText.find(kLineEnd) == std::string_view::npos)
        return std::nullopt;

    const std::vector<ParsedRecord> records =
        state.takeRecords(dataSetText, ComparisonState::Tables::Grow);
    list.clear(ResultList::Order::Distance);
    const ParsedRecord current = DistancePasses::parseSheet(sheet);

    switch (measure) {
    case Measure::D1:
        marginalPass(current, records, list, host);
        vypsani(state, list);
        break;
    case Measure::D2:
        centralPass(current, records, list, host);
        vypsani(state, list);
        break;
    default: // D
        centralPass(current, records, list, host);
        readBackInto(list, state.distanceTable1, state.fresh1);
        list.clear(ResultList::Order::Distance);
        host.setListCaption(captionFor(Measure::D));
        marginalPass(current, records, list, host);
        host.redrawList();
        readBackInto(list, state.distanceTable2, state.fresh2);
        list.clear(ResultList::Order::Distance);
        for (std::size_t i = 0; i < state.recordLines.size(); ++i) {
            const std::string& line = state.recordLines[i];
            const std::size_t n = i + 1;
            // Only records that received both distances in this run are listed.
            if (!hasTab(line) || !state.fresh1[n] || !state.fresh2[n])
                continue;
            const double d = std::sqrt(state.distanceTable2[n] * state.distanceTable1[n]);
            addRanked(state, list, d, kCombinedDecimals, i);
        }
        break;
    }
    host.setListCaption(captionFor(measure));
    state.rankedBy = measure;
    state.rankedSheet = current;
    state.rankedSheetLine = SpecimenRecord::BuildRecordLine("", sheet);
    return summary(list);
}

std::optional<std::size_t> recordOfRankedLine(const ComparisonState& state, const ResultList& list,
                                              std::size_t position) {
    // Another command may have refilled the list since (Select Record, "auto").
    if (!state.rankedBy || list.order() != ResultList::Order::Distance ||
        list.count() != state.rankedRecords.size() || position >= list.count())
        return std::nullopt;
    return state.rankedRecords[list.addedAt(position)];
}

std::string summary(const ResultList& list) {
    const auto n = static_cast<long long>(list.count());
    const long long m = n >= 1 ? (n - 1) / 2 : -1; // the lower middle position
    // Positions below 0 (an empty list) give empty fields.
    auto columns = [&](long long k) {
        if (k < 0)
            return ListColumns{};
        return ListColumns::of(list.line(static_cast<std::size_t>(k)), 11, true);
    };
    std::string out;
    out += "\tTime-series\tMinimum\tMedian\tMaximum";
    out += kLineEnd;
    out += columns(1).tail;
    for (long long k : {1LL, 2LL, m, n - 1}) {
        out += kTab;
        out += columns(k).head;
    }
    out += kLineEnd;
    out += kLineEnd;
    for (long long k = 0; k < n; ++k) {
        const ListColumns c = columns(k);
        out += c.head;
        out += kTab;
        out += c.tail;
        out += kTab;
        out += k == 1 ? " 1" : " 0";
        out += kLineEnd;
    }
    return out;
}

} // namespace korvex::ComparisonRun
