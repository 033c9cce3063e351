// "auto" compares every record of a loaded data set with every other; the data
// set may hold any bytes.

#include "FuzzCheck.h"

#include "analysis/ComparisonRun.h"
#include "analysis/Distributions.h"
#include "analysis/ResultList.h"
#include "model/DataSet.h"
#include "model/MeasurementSheet.h"
#include "model/RecordLine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

using namespace korvex;

namespace {

// The work grows with the square of the records: large inputs would only make
// the runs slow without reaching new code.
constexpr std::size_t kMaxInput = 4096;

struct CountingHost : ComparisonHost {
    int noDataMessages = 0;
    int otherMessages = 0;
    void message(std::string_view text) override {
        (text == DistancePasses::kNoData ? noDataMessages : otherMessages) += 1;
    }
    void setListCaption(const std::string&) override {}
    void redrawList() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // The records and how many lead up to the first one of fewer than 10 fields.
    auto pieces = DataSet::splitPieces(text);
    pieces.pop_back();
    const std::size_t records = pieces.size();
    std::size_t reached = 0;
    while (reached < records && SpecimenRecord::splitFields(pieces[reached]).size() >= 10)
        ++reached;

    MeasurementSheet sheet;
    ComparisonState state;
    ResultList list;
    CountingHost host;
    const std::string output = Distributions::allPairsDistances(sheet, text, state, list, host);

    // One row D TAB D1 TAB D2 per step and reached record.
    const std::size_t rows = DataSet::countLineEnds(output);
    KORVEX_FUZZ_CHECK(rows == records * reached);
    KORVEX_FUZZ_CHECK(static_cast<std::size_t>(std::count(output.begin(), output.end(), '\t')) ==
                      2 * rows);
    KORVEX_FUZZ_CHECK(rows == 0 || output.ends_with(DataSet::kLineEnd));
    KORVEX_FUZZ_CHECK(list.count() == (records == 0 ? 0 : reached));
    KORVEX_FUZZ_CHECK(host.otherMessages == 0);
    KORVEX_FUZZ_CHECK(host.noDataMessages == (reached < records ? 1 : 0));
    KORVEX_FUZZ_CHECK(state.recordLines.size() == records);
    for (std::size_t r = 1; r <= records; ++r)
        KORVEX_FUZZ_CHECK(state.fresh1[r] == (r <= reached) && state.fresh2[r] == (r <= reached));

    // The tables hold carried() values, the list the written lines of the last
    // step: both paths to a distance give the same number.
    list.forEachUnordered([&](const std::string& line) {
        const auto entry = DistancePasses::readBack(line);
        KORVEX_FUZZ_CHECK(entry.recordNumber >= 1 && entry.recordNumber <= reached);
        KORVEX_FUZZ_CHECK(entry.distance == state.distanceTable2[entry.recordNumber]);
    });
    // Any double at all, read from the input's first bytes, NaN and infinities included.
    if (size >= sizeof(double)) {
        double value = 0.0;
        std::memcpy(&value, data, sizeof value);
        KORVEX_FUZZ_CHECK(DistancePasses::carried(value, DistancePasses::kD1Decimals) ==
                          DistancePasses::readBack(DistancePasses::d1Line(value, 1)).distance);
        KORVEX_FUZZ_CHECK(DistancePasses::carried(value, DistancePasses::kD2Decimals) ==
                          DistancePasses::readBack(DistancePasses::d2Line(value, 1)).distance);
    }
    return 0;
}
