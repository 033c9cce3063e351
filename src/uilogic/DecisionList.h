#pragma once

#include "model/Decision.h"
#include "model/DataSet.h"
#include "uilogic/PlatformServices.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The "Decisions" list, free of any window toolkit: one row per decision of
// the log, oldest first, giving the numbers the two records have in the data
// set now, and the same rows as TAB-separated text for the clipboard. Texts
// are the program's bytes: codes from older files may be 8-bit.
class DecisionList {
public:
    static constexpr std::size_t kColumnCount = 8;
    using Row = std::array<std::string, kColumnCount>;
    static constexpr std::array<std::string_view, kColumnCount> kHeader = {
        "Decided at",     "Verdict",          "Query code", "Query record",
        "Candidate code", "Candidate record", "Measure",    "Distance"};

    // A record's number is empty when it was never stored (occurrence 0) or
    // its line is no longer in `dataSet`.
    DecisionList(const std::vector<Decision>& decisions, const DataSet& dataSet);

    const std::vector<Row>& rows() const { return rows_; }

    // The header row, then one row per decision; fields are TAB-separated and
    // every row ends with CR LF. A TAB, CR or LF inside a field becomes a
    // blank, so that no field breaks its row.
    std::string copyText() const;
    // "Copy to the Clipboard": clears the clipboard, then puts copyText on it.
    void copyToClipboard(PlatformServices& services) const;

private:
    std::vector<Row> rows_;
};

} // namespace korvex
