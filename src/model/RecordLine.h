#pragma once

#include "model/MeasurementSheet.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// A record line: the identification code and the 28 record values in sheet
// order, joined by TAB. The file is named for what it holds, as the model
// folder reads (sheet, record line, data set); the namespace keeps the name
// the program's design gives the record, `SpecimenRecord`. Building a line
// validates nothing: a code holding a TAB would shift every value by one
// field, so the code prompt refuses such a code first (fitsAsCode). An empty
// code is allowed.
namespace SpecimenRecord {

inline constexpr char kFieldSeparator = '\t';
inline constexpr std::size_t kFieldCount = 29;
// What no field may hold: a TAB shifts the fields after it, a CR or LF may
// split the record.
inline constexpr std::string_view kFieldBreakers = "\t\r\n";
// Why a code holding one of them is refused, in words for a message.
inline constexpr const char* kCodeRefused =
    "An identification code cannot hold a TAB, CR or LF: the record would get more fields "
    "or lines than it has, and every value after the code would shift. "
    "Type the code again without them.";

// The record line for `code` and the sheet's 28 record values, copied unchanged.
std::string BuildRecordLine(std::string_view code, const MeasurementSheet& sheet);

// The record splitter: the parts of `line` between TABs, empty parts included
// ("" gives one empty field). The views point into `line`.
std::vector<std::string_view> splitFields(std::string_view line);

// Whether `code` can stand as field 0 of a record line: a TAB in it would
// start another field, a CR or LF another line.
bool fitsAsCode(std::string_view code);

// Field 0: the text before the first TAB, or the whole line without one.
std::string_view codeOf(std::string_view line);

// `line` with field 0 replaced by `code`, every other byte kept.
std::string withCode(std::string_view line, std::string_view code);

// Why `code` cannot be typed as a record's identification code, or nothing
// when it can: it holds one of kFieldBreakers, so a question for a code
// refuses it (an empty code is allowed, as it always was). The reason is a
// whole sentence for a message.
std::optional<std::string> codeProblem(std::string_view code);

// The first of the sheet's 28 record values (0..27) that holds one of
// kFieldBreakers, or nothing when a record line built from the sheet has
// exactly its 29 fields.
std::optional<std::size_t> valueBreakingLine(const MeasurementSheet& sheet);

// The seam a record value belongs to: "M1".."M16" for 0..15, "C1".."C12" for 16..27.
std::string seamName(std::size_t recordIndex);

} // namespace SpecimenRecord

} // namespace korvex
