#include "uilogic/CandidateCheck.h"

#include "analysis/ComparisonRun.h"
#include "analysis/ListColumns.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"

#include <cmath>

namespace korvex {

namespace {

using namespace RecordLayout;
using DistancePasses::kD1Decimals;
using DistancePasses::kD2Decimals;

// D as the Combined command forms it: from D1 and D2 as their distance lines
// carry them.
double combined(const DistancePasses::SeamTerms& t) {
    return std::sqrt(DistancePasses::carried(t.d1, kD1Decimals) *
                     DistancePasses::carried(t.d2, kD2Decimals));
}

std::string junctionLabel(std::size_t j) {
    return "J" + std::to_string(j + 1) + " C" + std::to_string(j + 1) + "/C" +
           std::to_string(j + 1 + kCentralGroupSize);
}

} // namespace

std::optional<CandidateCheck> CandidateCheck::of(const ComparisonState& state,
                                                 const ResultList& list, std::size_t position) {
    const auto number = ComparisonRun::recordOfRankedLine(state, list, position);
    if (!number || *number == 0 || *number > state.recordLines.size())
        return std::nullopt;
    CandidateCheck c;
    c.position = position;
    c.lineCount = list.count();
    c.run = state.run;
    c.recordNumber = *number;
    c.recordLine = state.recordLines[*number - 1];
    c.occurrence = occurrenceOf(state.recordLines, *number - 1);
    c.code = std::string(SpecimenRecord::codeOf(c.recordLine));
    c.measure = *state.rankedBy;
    c.listedText = ListColumns::of(list.line(position), ListColumns::kHeadWidth, true).head;

    const DistancePasses::ParsedRecord record = DistancePasses::parseRecord(c.recordLine);
    const DistancePasses::ParsedRecord& sheet = state.rankedSheet;
    c.terms = DistancePasses::seamTerms(sheet, record);
    const bool marginal = c.measure != Measure::D2;
    const bool central = c.measure != Measure::D1;
    c.distanceText = c.measure == Measure::D1 ? fixedText(c.terms.d1, kD1Decimals)
                     : c.measure == Measure::D2
                         ? fixedText(c.terms.d2, kD2Decimals)
                         : fixedText(combined(c.terms), ComparisonRun::kCombinedDecimals);
    if (marginal)
        for (std::size_t k = 0; k < kMarginalCount; ++k) {
            const double term = c.terms.marginal[k];
            c.marginalBars.push_back(
                {SpecimenRecord::seamName(k), term, fixedText(term, kD1Decimals), {k}});
            c.rows.push_back(
                {SpecimenRecord::seamName(k), fixedText(sheet.marginal[k], kD1Decimals),
                 fixedText(record.marginal[k], kD1Decimals), fixedText(term, kD1Decimals), k});
        }
    if (central) {
        const std::size_t first = kFirstCentralField - 1;
        for (std::size_t j = 0; j < DistancePasses::kJunctionCount; ++j) {
            const double term = c.terms.central[j];
            // The junction closes the j-th seam on each side of the midline.
            c.centralBars.push_back({junctionLabel(j),
                                     term,
                                     fixedText(term, kD2Decimals),
                                     {first + j, first + kCentralGroupSize + j}});
        }
        for (std::size_t k = 0; k < kCentralCount; ++k) {
            const std::size_t j = k % kCentralGroupSize;
            const std::string term =
                j < DistancePasses::kJunctionCount
                    ? "J" + std::to_string(j + 1) + " " + fixedText(c.terms.central[j], kD2Decimals)
                    : std::string();
            c.rows.push_back({SpecimenRecord::seamName(first + k),
                              fixedText(sheet.central[k], kD2Decimals),
                              fixedText(record.central[k], kD2Decimals), term, first + k});
        }
    }
    return c;
}

std::string_view CandidateCheck::valuesOf(std::string_view line) {
    constexpr auto kNone = std::string_view::npos;
    const std::size_t first = line.find(SpecimenRecord::kFieldSeparator);
    if (first == kNone)
        return {};
    std::size_t end = first;
    for (std::size_t field = 1; field <= kLastRecordField && end != kNone; ++field)
        end = line.find(SpecimenRecord::kFieldSeparator, end + 1);
    return line.substr(first, end == kNone ? kNone : end - first);
}

CandidateCheck::Specimen CandidateCheck::sheetSpecimen(const ComparisonState& state,
                                                       long long shownRecord) {
    const std::string_view sheet = valuesOf(state.rankedSheetLine);
    const auto& lines = state.recordLines;
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!sheet.empty() && valuesOf(lines[i]) == sheet &&
            (!found || static_cast<long long>(*found) + 1 != shownRecord))
            found = i;
    Specimen specimen;
    if (!found)
        return specimen;
    specimen.recordNumber = *found + 1;
    specimen.recordLine = lines[*found];
    specimen.code = std::string(SpecimenRecord::codeOf(specimen.recordLine));
    specimen.occurrence = occurrenceOf(lines, *found);
    return specimen;
}

std::string CandidateCheck::sumText() const {
    const std::string d1 = "D1 = " + fixedText(terms.d1, kD1Decimals) + ", the sum of the " +
                           std::to_string(marginalBars.size()) + " seam terms";
    const std::string d2 = "D2 = " + fixedText(terms.d2, kD2Decimals) + ", the sum of the " +
                           std::to_string(centralBars.size()) + " junction terms";
    if (measure == Measure::D1)
        return d1;
    if (measure == Measure::D2)
        return d2;
    return "D = √(D1 × D2) = " + distanceText + "; " + d1 + "; " + d2;
}

} // namespace korvex
