#include "analysis/DistancePasses.h"

#include "model/NumberText.h"
#include "model/RecordLine.h"

#include <cmath>

namespace korvex::DistancePasses {

namespace {

using namespace RecordLayout;

constexpr std::string_view kSeparator = "    "; // three spaces and one more

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string distanceLine(std::string text, std::size_t width, std::size_t recordNumber) {
    std::string line = padded(std::move(text), width);
    line += kSeparator;
    line += std::to_string(recordNumber);
    return line;
}

double marginalValue(std::string_view text) {
    return roundDecimals(readNumber(text), kD1Decimals);
}
double centralValue(std::string_view text) {
    return roundDecimals(readNumber(text), kD2Decimals);
}

} // namespace

ParsedRecord parseRecord(std::string_view line) {
    ParsedRecord r;
    std::size_t field = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find(SpecimenRecord::kFieldSeparator, start);
        const std::string_view text =
            line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        // A line with fewer fields than a record keeps 0 for those it lacks.
        if (field >= kFirstMarginalField && field < kFirstCentralField)
            r.marginal[field - kFirstMarginalField] = marginalValue(text);
        else if (field >= kFirstCentralField && field <= kLastRecordField)
            r.central[field - kFirstCentralField] = centralValue(text);
        ++field;
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    r.fieldCount = field;
    return r;
}

ParsedRecord parseSheet(const MeasurementSheet& sheet) {
    ParsedRecord r;
    r.fieldCount = SpecimenRecord::kFieldCount;
    for (std::size_t k = 0; k < kMarginalCount; ++k)
        r.marginal[k] = marginalValue(sheet.value(kFirstMarginalField - 1 + k));
    for (std::size_t k = 0; k < kCentralCount; ++k)
        r.central[k] = centralValue(sheet.value(kFirstCentralField - 1 + k));
    return r;
}

namespace {

constexpr double kCentralScale = 50.0;

// The term of one marginal seam: record value r, sheet value c.
double marginalTerm(double r, double c) {
    if (!(r > 0.0 || c > 0.0))
        return 0.0;
    const double sum = r + c;
    // Only negative values can cancel the sum or turn it negative. A pair
    // that cancels counts as completely different rather than dividing by
    // zero; a negative sum is taken by its size, so that no term, and no
    // distance, is ever below 0.
    return sum == 0.0 ? 1.0 : std::fabs(r - c) / std::fabs(sum);
}

// Visits the junctions between the six seams of a side, from the front, with
// the change in offset between the left and right junction there.
template <typename Visit>
void forEachJunction(const ParsedRecord& sheet, const ParsedRecord& record, Visit visit) {
    double left = 0.0, right = 0.0, leftRecord = 0.0, rightRecord = 0.0;
    for (std::size_t j = 0; j < kJunctionCount; ++j) {
        left += sheet.central[j];
        right += sheet.central[kCentralGroupSize + j];
        leftRecord += record.central[j];
        rightRecord += record.central[kCentralGroupSize + j];
        visit(j, std::fabs((leftRecord - rightRecord) - (left - right)));
    }
}

} // namespace

double marginalDistance(const ParsedRecord& sheet, const ParsedRecord& record, double stopAbove) {
    double d1 = 0.0;
    for (std::size_t k = 0; k < kMarginalCount; ++k) {
        d1 += marginalTerm(record.marginal[k], sheet.marginal[k]);
        if (d1 > stopAbove)
            break;
    }
    return d1;
}

double centralDistance(const ParsedRecord& sheet, const ParsedRecord& record) {
    double sum = 0.0;
    forEachJunction(sheet, record, [&sum](std::size_t, double change) { sum += change; });
    return kCentralScale * sum;
}

SeamTerms seamTerms(const ParsedRecord& sheet, const ParsedRecord& record) {
    SeamTerms terms;
    for (std::size_t k = 0; k < kMarginalCount; ++k)
        terms.marginal[k] = marginalTerm(record.marginal[k], sheet.marginal[k]);
    forEachJunction(sheet, record, [&terms](std::size_t j, double change) {
        terms.central[j] = kCentralScale * change;
    });
    terms.d1 = marginalDistance(sheet, record);
    terms.d2 = centralDistance(sheet, record);
    return terms;
}

std::string d1Line(double d1, std::size_t recordNumber) {
    return distanceLine(fixedText(d1, kD1Decimals), kD1Width, recordNumber);
}

std::string d2Line(double d2, std::size_t recordNumber) {
    return distanceLine(fixedText(d2, kD2Decimals), kD2Width, recordNumber);
}

double carried(double distance, int decimals) {
    if (std::isnan(distance))
        return HUGE_VAL; // what "NaN" reads back as
    return roundDecimals(distance, decimals);
}

DistanceEntry readBack(std::string_view line) {
    // The distance is the line's leading number and the record number the
    // text after its last space. For lines within their columns this is the
    // same as reading by position, and a distance wider than its column is
    // still read whole.
    DistanceEntry entry;
    const std::size_t distanceEnd = ResultList::leadingNumberEnd(line);
    entry.distance = readWrittenNumber(line.substr(0, distanceEnd));
    const std::size_t lastBlank = line.rfind(' ');
    if (distanceEnd < line.size() && lastBlank != std::string_view::npos) {
        const double number = readNumber(line.substr(lastBlank + 1));
        if (number >= 0.0 && number < 1e18)
            entry.recordNumber = static_cast<std::size_t>(std::llround(number));
    }
    return entry;
}

namespace {

// Both passes visit the records in order and stop at the first line too short
// to be a record; they differ only in the distance and its line.
template <typename LineOf>
PassResult runPass(const std::vector<ParsedRecord>& records, ResultList& list, LineOf lineOf) {
    PassResult result;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].fieldCount < kPassMinimumFields) {
            result.stoppedEarly = true;
            return result;
        }
        list.add(lineOf(records[i], i + 1));
        ++result.visited;
    }
    return result;
}

} // namespace

PassResult marginalia3(const ParsedRecord& sheet, const std::vector<ParsedRecord>& records,
                       ResultList& list) {
    return runPass(records, list, [&sheet](const ParsedRecord& r, std::size_t number) {
        return d1Line(marginalDistance(sheet, r), number);
    });
}

PassResult rozdil_SS(const ParsedRecord& sheet, const std::vector<ParsedRecord>& records,
                     ResultList& list) {
    return runPass(records, list, [&sheet](const ParsedRecord& r, std::size_t number) {
        return d2Line(centralDistance(sheet, r), number);
    });
}

} // namespace korvex::DistancePasses
