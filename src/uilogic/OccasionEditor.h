#pragma once

#include "analysis/CaptureHistories.h"
#include "model/Encounter.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// The occasions of the export and estimates window as the user edits them:
// rows of two date texts, first and last day (both included), kept as typed
// until they are read. Rows may be typed in any order; they are read in time
// order, and a row that does not read (no real day, last before first, two
// occasions sharing a day) gives a message naming it.
class OccasionEditor {
public:
    struct Row {
        std::string first;
        std::string last;
        bool operator==(const Row&) const = default;
    };

    const std::vector<Row>& rows() const { return rows_; }

    // One occasion per calendar year among the dates (the year's first to
    // last date seen); no row when no encounter has a date.
    void propose(const std::map<std::size_t, Encounter>& encounters);
    // A row after the others: the year after the last row's, when that row
    // reads and its days exist a year on; empty texts otherwise.
    void add();
    // Removes row `index`; nothing for a row that is not there.
    void remove(std::size_t index);
    void setFirst(std::size_t index, std::string text);
    void setLast(std::size_t index, std::string text);

    // The rows as one text, "2019-05-01..2019-08-31,2020-05-01..2020-08-31",
    // in time order when they read, as typed otherwise.
    std::string text() const;
    // The rows become those of `text`; false, with a message in `error` and
    // the rows as they were, when the text does not read as occasions.
    bool setText(const std::string& text, std::string& error);

    // The occasions in time order, or nothing with a message in `error`.
    std::optional<std::vector<Occasion>> occasions(std::string& error) const;

private:
    std::vector<Row> rows_;
};

} // namespace korvex
