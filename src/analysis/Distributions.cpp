#include "analysis/Distributions.h"

#include "analysis/ComparisonRun.h"
#include "model/DataSet.h"
#include "model/NumberText.h"
#include "model/SheetFill.h"

#include <cmath>
#include <cstring>

namespace korvex::Distributions {

namespace {

using DistancePasses::ParsedRecord;

using namespace RecordLayout;

// Takes the record's values onto the parsed sheet as filling the sheet with
// its line would: the same numbers its texts would read as there. A record
// too short to fill the sheet changes nothing.
void takeOntoSheet(ParsedRecord& sheet, const ParsedRecord& record) {
    const std::size_t filled = filledValueCount(record.fieldCount);
    for (std::size_t field = kFirstMarginalField; field < kFirstMarginalField + filled; ++field) {
        if (field < kFirstCentralField)
            sheet.marginal[field - kFirstMarginalField] =
                record.marginal[field - kFirstMarginalField];
        else
            sheet.central[field - kFirstCentralField] = record.central[field - kFirstCentralField];
    }
}

} // namespace

void allPairsDistances(MeasurementSheet& sheet, std::string_view dataSetText,
                       ComparisonState& state, ResultList& list, ComparisonHost& host,
                       const TextSink& sink) {
    const std::vector<ParsedRecord> records =
        state.takeRecords(dataSetText, ComparisonState::Tables::Reset);
    const std::size_t count = records.size();
    if (count == 0)
        return;

    // Both passes stop at the first record line too short for them, in every
    // step, so the records that get rows are the same each time.
    std::size_t reached = 0;
    while (reached < count && records[reached].fieldCount >= kPassMinimumFields)
        ++reached;

    ParsedRecord current = DistancePasses::parseSheet(sheet);
    // Room for a piece and one more row of the widest numbers.
    std::string output;
    output.reserve(kSinkPieceBytes + 128);
    for (std::size_t j = 0; j < count; ++j) {
        takeOntoSheet(current, records[j]);
        for (std::size_t r = 0; r < reached; ++r) {
            // What the distance lines carry and their read-back gives.
            const double d1 = DistancePasses::carried(
                DistancePasses::marginalDistance(current, records[r]), DistancePasses::kD1Decimals);
            const double d2 = DistancePasses::carried(
                DistancePasses::centralDistance(current, records[r]), DistancePasses::kD2Decimals);
            appendPlainNumberText(output, std::sqrt(d2 * d1));
            output.push_back('\t');
            appendPlainNumberText(output, d1);
            output.push_back('\t');
            appendPlainNumberText(output, d2);
            output += DataSet::kLineEnd;
            if (output.size() >= kSinkPieceBytes) {
                sink(output);
                output.clear();
            }
            if (j + 1 == count) {
                state.distanceTable1[r + 1] = d1;
                state.distanceTable2[r + 1] = d2;
                state.fresh1[r + 1] = state.fresh2[r + 1] = true;
            }
        }
    }
    if (!output.empty())
        sink(output);

    // Leave the sheet, the list and the caption as the last step left them.
    for (const std::string& line : state.recordLines)
        fillRecordValues(line, [&sheet](std::size_t i, std::string_view value) {
            sheet.setValue(i, std::string(value));
        });
    list.clear(ResultList::Order::Distance);
    const auto pass = DistancePasses::rozdil_SS(current, records, list);
    if (pass.visited > 0)
        host.setListCaption(std::string(ComparisonRun::kPassCaption));
    if (reached < count)
        host.message(DistancePasses::kNoData);
    else
        host.redrawList();
}

std::string allPairsDistances(MeasurementSheet& sheet, std::string_view dataSetText,
                              ComparisonState& state, ResultList& list, ComparisonHost& host) {
    std::string output;
    allPairsDistances(sheet, dataSetText, state, list, host,
                      [&output](std::string_view piece) { output += piece; });
    return output;
}

double UniformGenerator::operator()() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-53;
}

std::uint64_t seedFromTimeOfDay(double secondsSinceMidnight) {
    const float seed = static_cast<float>(secondsSinceMidnight / 5.0);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &seed, sizeof bits);
    return bits;
}

Histogram generateDistribution(const UniformSource& uniform, int outerDraws) {
    Histogram h;
    // The cosine form of the normal deviate, two uniforms per deviate.
    const auto deviate = [&uniform] {
        double u1 = uniform();
        while (!(u1 > 0.0))
            u1 = uniform();
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(kAngleFactor * u2);
    };
    for (int i = 0; i < outerDraws; ++i) {
        const double t = std::max(0.0, deviate());
        for (int k = 0; k < kInnerDraws; ++k) {
            const double y = std::max(0.0, (deviate() * kSpread + kLocation) * kScale);
            const auto bin = static_cast<std::size_t>(std::floor(y));
            ++h.counts[std::min(bin, kCounters - 1)];
            if (t < y)
                ++h.aboveThreshold;
        }
    }
    const double draws = 100.0 * outerDraws;
    h.percentageText =
        plainNumberText(100.0 - static_cast<double>(h.aboveThreshold) / outerDraws) + " %";
    for (std::size_t b = 0; b < kWrittenCounters; ++b) {
        appendPlainNumberText(h.text, static_cast<double>(h.counts[b]) / draws);
        h.text += DataSet::kLineEnd;
    }
    return h;
}

} // namespace korvex::Distributions
