#pragma once

#include "analysis/ComparisonState.h"
#include "analysis/DistancePasses.h"
#include "analysis/ResultList.h"
#include "model/Decision.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// What the check window shows of one ranked line, free of any window toolkit:
// which record the line stands for, the distance it lists, the seam terms the
// distance of the command that made the list is the sum of, and the values of
// the sheet (as the comparison read them) beside the record's.
struct CandidateCheck {
    // One bar of the contributions: a seam's term of D1 ("M5") or a
    // junction's of D2 ("J2 C2/C8"), and the record values (sheet order) whose
    // segments it stands for on the photos.
    struct Bar {
        std::string label;
        double value = 0.0;
        std::string valueText;
        std::vector<std::size_t> seams;
    };
    // A row of the values side by side: a seam, the sheet's value and the
    // record's as the pass rounds them, and the term the seam adds (for a
    // central seam, that of the junction it ends at).
    struct Row {
        std::string seam;
        std::string sheetValue;
        std::string recordValue;
        std::string term;
        std::size_t seamIndex = 0; // record value index, sheet order
    };

    std::size_t position = 0; // in the list, from 0
    std::size_t lineCount = 0;
    std::size_t recordNumber = 0; // from 1
    std::string recordLine;       // its exact bytes in the compared data set
    std::size_t occurrence = 1;   // among the compared lines with that text
    std::string code;
    Measure measure = Measure::D; // of the Compare command that made the list
    std::string listedText;   // the distance as the ranked line shows it
    std::string distanceText; // the command's distance before the list rounds it
    DistancePasses::SeamTerms terms;
    std::vector<Bar> marginalBars; // D1's sixteen, for D1 and D
    std::vector<Bar> centralBars;  // D2's five, for D2 and D
    std::vector<Row> rows;
    // The comparison run whose list the line is of.
    std::uint64_t run = 0;
    // The sheet's specimen the distances were measured from, as the decision
    // log names it; set by the main window when the check is made, and kept
    // while stepping through the same list.
    RecordIdentity query;

    RecordIdentity candidate() const { return {code, recordLine, occurrence}; }
    // The candidate is the sheet's own record: nothing to decide.
    bool isSelf() const {
        return query.isStored() && query.sameRecord(recordLine, occurrence);
    }

    // The ranked line at `position` of the list the last Compare command left;
    // nothing when the list no longer holds that command's lines.
    static std::optional<CandidateCheck> of(const ComparisonState& state, const ResultList& list,
                                            std::size_t position);

    // "D1 = 0.1234: the sum of the 16 bars", and for D the product rule.
    std::string sumText() const;

    // The specimen the comparison measured from: the compared record whose
    // values are exactly the sheet's (the one shown last when several are,
    // else the latest), or, for a sheet never stored, none.
    struct Specimen {
        std::size_t recordNumber = 0; // 0: not a compared record
        std::string code;
        std::string recordLine;
        std::size_t occurrence = 0;
    };
    static Specimen sheetSpecimen(const ComparisonState& state, long long shownRecord);

    // A line's record values as a sheet never stored is named by them: from
    // the TAB before the first value to the end of the last, so without the
    // code and without any field another program wrote after the values.
    // Empty for a line without a TAB.
    static std::string_view valuesOf(std::string_view line);
};

} // namespace korvex
