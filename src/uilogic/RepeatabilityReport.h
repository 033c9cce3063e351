#pragma once

#include "analysis/Repeatability.h"
#include "uilogic/Document.h"
#include "uilogic/PlatformServices.h"

#include <cstddef>
#include <string>
#include <vector>

namespace korvex {

// The "Repeatability" window's logic, free of any window toolkit: the
// report of the Document's repeats over its data set, as `korvex-batch
// repeatability` gives it for the same data (the window's figures, its
// sentence and its clipboard text come from the same core), laid out as the
// window's tables. A snapshot: it does not follow later changes.
class RepeatabilityReport {
public:
    static constexpr const char* kTitle = "Repeatability";
    static constexpr const char* kNoRepeats =
        "No record has been measured again yet: use Catalogue › Measure Again…";

    // The Document's repeats as the batch tool's --repeats-text and
    // --operators-text take them (Repeatability::textsOf), in the order kept.
    using BatchTexts = Repeatability::Texts;
    static BatchTexts batchTexts(const Document& document);

    // The report on `document`, its records' animals read by `pattern` (the
    // individual pattern the Catalogue checks were given last; empty: each
    // code is one animal). A pattern that is no regular expression is read
    // as empty, which `animalsText` says.
    RepeatabilityReport(const Document& document, const std::string& pattern);

    const Repeatability& result() const { return result_; }
    // Repeats the Document holds; not all need be readable.
    std::size_t repeatCount() const { return repeatCount_; }
    // Repeats left out, each with why (as the batch tool says on stderr);
    // those of records cut short in one sentence at the end.
    const std::vector<std::string>& problems() const { return problems_; }
    // How the records' animals were told apart.
    const std::string& animalsText() const { return animals_; }

    // The core's sentence when it has both medians; otherwise what can be
    // said: kNoRepeats without a repeat, or the repeats' median alone.
    std::string sentence() const;
    // "Copy to the Clipboard": exactly the lines the batch tool prints.
    std::string clipboardText() const { return result_.report(); }
    void copyToClipboard(PlatformServices& services) const;

    using Rows = std::vector<std::vector<std::string>>;
    // Header row first. Figures with 4 decimals as the report gives them,
    // empty where they cannot be computed.
    // "Seam", "Mean", "SD within", "Repeatability": one row per seam.
    static Rows seamRows(const Repeatability::Table& table);
    // "D from the original", "Median", "95th percentile", "Count": the
    // repeat-D of `table` ("To its repeats"), then for the overall table the
    // nearest-other-D ("To the nearest other animal").
    Rows spreadRows(const Repeatability::Table& table) const;
    // "Seam", then a column per pair of operators ("ann − bo, 3 records"):
    // the mean difference of the first's values from the second's.
    Rows biasRows() const;
    // "5 records measured again (n), 12 measurements with their originals (N)".
    static std::string measuredText(const Repeatability::Table& table);
    // "Ratio of the medians (repeat-D / nearest-other-D): 0.1123", or that it
    // cannot be computed.
    std::string ratioText() const;

    // Both distributions of D as shares of their distances in `bars` equal
    // bars from 0 to the largest distance of either, for one chart; a
    // distance that could not be computed (+infinity) is in the last bar.
    struct Histogram {
        double barWidth = 0.0;
        std::vector<double> repeatD;       // empty without a repeat
        std::vector<double> nearestOtherD; // empty without another animal
    };
    Histogram histogram(std::size_t bars) const;

private:
    Repeatability result_;
    std::size_t repeatCount_ = 0;
    std::vector<std::string> problems_;
    std::string animals_;
};

} // namespace korvex
