// korvex-batch repeatability reads a data set, a repeats text and an
// operators text, all of any bytes. The input holds the three, split at the
// first two 0x1E bytes (the record separator of ASCII).

#include "FuzzCheck.h"

#include "analysis/Catalogue.h"
#include "analysis/Repeatability.h"
#include "model/DataSet.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace korvex;

namespace {

// Each measured record is compared with every record: large inputs only slow
// the runs down.
constexpr std::size_t kMaxInput = 8192;

std::string_view partAt(std::string_view& rest) {
    const std::size_t split = rest.find('\x1e');
    const std::string_view part = rest.substr(0, split);
    rest = split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kMaxInput)
        return 0;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view dataSet = partAt(rest);
    const std::string_view repeatsText = partAt(rest);
    const bool named = !rest.empty();
    const auto operators = Repeatability::operatorLines(rest);

    const Catalogue catalogue = Catalogue::read(dataSet, {});
    std::vector<std::string> problems;
    const auto repeats =
        Repeatability::readRepeats(repeatsText, problems, named ? &operators : nullptr);
    const auto lines = Repeatability::operatorLines(repeatsText);
    const auto filled = static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return !l.empty(); }));
    // Every line that is not empty gives a repeat or one problem; a name
    // with a TAB gives a problem beside its repeat.
    KORVEX_FUZZ_CHECK(repeats.size() <= filled && repeats.size() + problems.size() >= filled);

    const auto result = Repeatability::run(catalogue, repeats);
    KORVEX_FUZZ_CHECK(result.overall.measured <= catalogue.records.size());
    KORVEX_FUZZ_CHECK(result.overall.measurements + result.unmatched ==
                      result.overall.measured + repeats.size());
    KORVEX_FUZZ_CHECK(result.overall.repeatD.sorted.size() + result.unmatched == repeats.size());
    KORVEX_FUZZ_CHECK(result.nearestOtherD.sorted.size() <= result.overall.measured);
    // A seam's figures are empty where nothing was measured, or where a value
    // read as infinite (or one so large that a sum overflows) leaves nothing
    // to compute; never infinite nor NaN.
    const auto valueAt = [](const DistancePasses::ParsedRecord& values, std::size_t seam) {
        return seam < RecordLayout::kMarginalCount
                   ? values.marginal[seam]
                   : values.central[seam - RecordLayout::kMarginalCount];
    };
    for (std::size_t i = 0; i < result.overall.seams.size(); ++i) {
        const auto& seam = result.overall.seams[i];
        const auto modest = [&](const DistancePasses::ParsedRecord& values) {
            return std::fabs(valueAt(values, i)) < 1e300;
        };
        const bool allModest = std::all_of(catalogue.records.begin(), catalogue.records.end(),
                                           [&](const auto& r) { return modest(r.values); }) &&
                               std::all_of(repeats.begin(), repeats.end(),
                                           [&](const auto& r) { return modest(r.values); });
        KORVEX_FUZZ_CHECK(!seam.mean || (result.overall.measured > 0 && std::isfinite(*seam.mean)));
        KORVEX_FUZZ_CHECK(seam.mean || result.overall.measured == 0 || !allModest);
        KORVEX_FUZZ_CHECK(!seam.sdWithin ||
                          (*seam.sdWithin >= 0.0 && std::isfinite(*seam.sdWithin)));
    }

    const std::string report = result.report();
    const std::size_t expectedLines = 32 + 31 * result.operators.size() + 30 * result.biases.size();
    KORVEX_FUZZ_CHECK(DataSet::countLineEnds(report) == expectedLines);
    KORVEX_FUZZ_CHECK(report.ends_with(DataSet::kLineEnd));
    (void)result.sentence();
    return 0;
}
