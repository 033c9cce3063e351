#pragma once

#include "analysis/DistancePasses.h"
#include "analysis/Measure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// What a comparison command needs from the windows: the message box, and the
// list window's caption and redraw.
class ComparisonHost {
public:
    virtual ~ComparisonHost() = default;
    virtual void message(std::string_view text) = 0;
    virtual void setListCaption(const std::string& caption) = 0;
    virtual void redrawList() = 0;
};

// The comparison state of the main window: the record lines taken just before
// the passes and the two distance tables by record number (entry 0 is never a
// record). An entry counts only when the current run wrote it (`fresh`).
struct ComparisonState {
    std::vector<std::string> recordLines; // pieces before the final CR LF
    std::vector<double> distanceTable1;
    std::vector<double> distanceTable2;
    std::vector<bool> fresh1;
    std::vector<bool> fresh2;
    // The measure of the Compare command whose ranked lines the list holds
    // (none: no such list), and
    // the record number behind each ranked line in the order they were
    // added: the list's sort never loses which record a line stands for.
    std::optional<Measure> rankedBy;
    // Counts the runs that took the record lines: a check made on one run's
    // list is told from the next run's.
    std::uint64_t run = 0;
    std::vector<std::size_t> rankedRecords;
    // The sheet as that command read it: what its distances were measured from,
    // whatever the sheet holds since.
    DistancePasses::ParsedRecord rankedSheet;
    // Its values as a record line with an empty code would hold them.
    std::string rankedSheetLine;

    // How a command treats the tables' earlier entries. The Compare commands
    // keep them: the tables keep their values between runs, and a run
    // overwrites only the records it reads back, so they only grow with the
    // data set. "auto" makes them anew, at the size of this data set, because
    // after it they hold the distances of its last step and nothing else.
    enum class Tables { Grow, Reset };

    // Takes the pieces of the data-set text before its final CR LF as the
    // record lines, readies the tables (every entry not fresh), forgets the
    // ranked records and returns
    // each record parsed once for the whole run, in record order.
    std::vector<DistancePasses::ParsedRecord> takeRecords(std::string_view dataSetText,
                                                          Tables tables);
};

} // namespace korvex
