#include "uilogic/RepeatabilityReport.h"

#include "analysis/Catalogue.h"
#include "analysis/Individuals.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"
#include "uilogic/PathText.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace korvex {

namespace {

constexpr int kDecimals = 4;

std::string figure(const std::optional<double>& value) {
    return value ? fixedText(*value, kDecimals) : std::string();
}

} // namespace

RepeatabilityReport::BatchTexts RepeatabilityReport::batchTexts(const Document& document) {
    return Repeatability::textsOf(document.repeatsByRecord());
}

RepeatabilityReport::RepeatabilityReport(const Document& document, const std::string& pattern)
    : repeatCount_(document.repeats().size()) {
    std::string error;
    auto individuals = pattern.empty() ? std::optional<Individuals>(Individuals())
                                       : Individuals::withPattern(pattern, error);
    if (pattern.empty())
        animals_ = "Each code is one animal.";
    else if (individuals)
        animals_ = "Animals by the individual pattern " + quoted(pattern) + ".";
    else
        animals_ = "The individual pattern " + quoted(pattern) +
                   " is no regular expression; each code is taken as one animal.";
    if (!individuals)
        individuals.emplace();
    // The same path as `korvex-batch repeatability` on these texts.
    const BatchTexts texts = batchTexts(document);
    const auto operators = Repeatability::operatorLines(texts.operators);
    const auto repeats = Repeatability::readRepeats(texts.repeats, problems_, &operators);
    const std::string& dataSetText = document.dataSet().text();
    result_ = Repeatability::run(Catalogue::read(dataSetText, *individuals), repeats);
    // Every repeat here names a record of the data set, so one the core found
    // no record for belongs to a line the comparison does not read as one.
    if (const std::size_t n = result_.unmatched; n > 0)
        problems_.push_back(n == 1 ? "1 repeat: its record has fewer than a code and 28 values"
                                   : std::to_string(n) + " repeats: their records have fewer "
                                                         "than a code and 28 values");
}

std::string RepeatabilityReport::sentence() const {
    if (repeatCount_ == 0)
        return kNoRepeats;
    std::string said = result_.sentence();
    if (!said.empty())
        return said;
    const auto moved = result_.overall.repeatD.median();
    if (!moved)
        return "No repeat could be compared with its record: every repeat was left out.";
    return "Re-digitising moved a record by a median D of " + fixedText(*moved, 2) +
           "; no record of another animal is in the data set to compare it with.";
}

void RepeatabilityReport::copyToClipboard(PlatformServices& services) const {
    services.clearClipboard();
    services.setClipboardText(clipboardText());
}

RepeatabilityReport::Rows RepeatabilityReport::seamRows(const Repeatability::Table& table) {
    Rows rows{{"Seam", "Mean", "SD within", "Repeatability"}};
    for (std::size_t s = 0; s < Repeatability::kSeamCount; ++s) {
        const auto& f = table.seams[s];
        rows.push_back({SpecimenRecord::seamName(s), figure(f.mean), figure(f.sdWithin),
                        figure(f.repeatability)});
    }
    return rows;
}

RepeatabilityReport::Rows RepeatabilityReport::spreadRows(const Repeatability::Table& table) const {
    Rows rows{{"D from the original", "Median", "95th percentile", "Count"}};
    const auto row = [&rows](const char* name, const Repeatability::Spread& spread) {
        rows.push_back({name, figure(spread.median()), figure(spread.p95()),
                        std::to_string(spread.sorted.size())});
    };
    row("To its repeats", table.repeatD);
    if (&table == &result_.overall)
        row("To the nearest other animal", result_.nearestOtherD);
    return rows;
}

RepeatabilityReport::Rows RepeatabilityReport::biasRows() const {
    Rows rows{{"Seam"}};
    for (const auto& bias : result_.biases)
        rows.front().push_back(bias.first + " − " + bias.second + ", " +
                               std::to_string(bias.records) +
                               (bias.records == 1 ? " record" : " records"));
    for (std::size_t s = 0; s < Repeatability::kSeamCount; ++s) {
        std::vector<std::string> row{SpecimenRecord::seamName(s)};
        for (const auto& bias : result_.biases)
            row.push_back(fixedText(bias.meanDifference[s], kDecimals));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string RepeatabilityReport::measuredText(const Repeatability::Table& table) {
    return std::to_string(table.measured) +
           (table.measured == 1 ? " record measured again (n), "
                                : " records measured again (n), ") +
           std::to_string(table.measurements) + " measurements with their originals (N)";
}

std::string RepeatabilityReport::ratioText() const {
    const std::string name = "Ratio of the medians (repeat-D / nearest-other-D): ";
    return name + (result_.ratio ? fixedText(*result_.ratio, kDecimals) : "cannot be computed");
}

RepeatabilityReport::Histogram RepeatabilityReport::histogram(std::size_t bars) const {
    Histogram h;
    const auto& moved = result_.overall.repeatD.sorted;
    const auto& other = result_.nearestOtherD.sorted;
    if (bars == 0)
        return h;
    // The largest distance computed: one that could not be (+infinity) has
    // no place on the axis and stands in the last bar, as it ranks last.
    double top = 0.0;
    for (const auto* sorted : {&moved, &other})
        for (auto d = sorted->rbegin(); d != sorted->rend(); ++d)
            if (std::isfinite(*d)) {
                top = std::max(top, *d);
                break;
            }
    // All at 0: one bar's width still shows them.
    h.barWidth = top > 0.0 ? top / static_cast<double>(bars) : 1.0 / static_cast<double>(bars);
    const auto shares = [&](const std::vector<double>& sorted) {
        std::vector<double> out;
        if (sorted.empty())
            return out;
        out.assign(bars, 0.0);
        for (const double d : sorted) {
            // The largest distance closes the last bar.
            const auto bar = !std::isfinite(d) ? bars - 1
                             : d > 0.0
                                 ? std::min(bars - 1, static_cast<std::size_t>(d / h.barWidth))
                                 : 0;
            out[bar] += 1.0;
        }
        for (double& share : out)
            share /= static_cast<double>(sorted.size());
        return out;
    };
    h.repeatD = shares(moved);
    h.nearestOtherD = shares(other);
    return h;
}

} // namespace korvex
