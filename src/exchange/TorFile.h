#pragma once

#include "model/DataSet.h"
#include "model/MeasurementSheet.h"

#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The .tor data file, as bytes: the sheet line (TAB and the 42 sheet values),
// an empty line, the count line (blank, record count, blank), then every piece
// of the data-set text, each line ended by CR LF. Opening and writing the file
// itself belongs to the window layer.
namespace TorFile {

inline constexpr std::string_view kFilterDescription = "Data File (*.tor)";
inline constexpr std::string_view kFilterPattern = "*.tor";

// The whole file for the sheet and the data set.
std::string write(const MeasurementSheet& sheet, const DataSet& dataSet);

// What reading a file gave, step by step. A file that ends early still gives
// everything before the point where it ended.
struct ReadResult {
    std::optional<std::string> sheetLine; // line 1, when it was read
    std::optional<std::string> countLine; // line 3 as read, when it was read
    std::string dataSetText;              // the data lines read, as the new data-set text
    bool complete = false;                // every expected line was there
    bool allRecords = false;              // the count line and every record it announces were there
    // Those, and no line after the one that follows them (but empty ones
    // after an empty one: an editor's blank lines at the end): nothing of the
    // file was left unread.
    bool allRead = false;
    // Lines ended as editors on other systems end them, which this format
    // does not take for line ends: no CR anywhere but an LF somewhere, or
    // such lines run together into the first three.
    bool lfLineEnds = false;
    // Lines ended by CR CR LF, as a second conversion to CR LF leaves them
    // (the sheet line's tells): each reads as a line and an empty one.
    bool crCrLfLineEnds = false;
};

// Reads a file's bytes. Lines end at CR LF or at a lone CR; a lone LF stays in
// its line; the last line may lack its end. The count line is read by the
// numeric reading; no memory is reserved by its value.
ReadResult read(std::string_view bytes);

// Whether `bytes` begin as a data file does, lines ended as read() ends them:
// a sheet line (a TAB first: no code), an empty line, and a count line (a
// whole number, blanks around it allowed). Rows of a data set do not begin
// so: a row without a code, then an empty row, then one of a bare number.
bool beginsAsDataFile(std::string_view bytes);

} // namespace TorFile

} // namespace korvex
