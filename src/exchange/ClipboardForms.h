#pragma once

#include "model/MeasurementSheet.h"

#include <string>
#include <string_view>

namespace korvex {

// The texts that go to and come from the clipboard for records and data sets.
namespace ClipboardForms {

// "Save to the Clipboard": the record line for `code` followed by CR LF.
std::string recordForm(std::string_view code, const MeasurementSheet& sheet);

// "from Clipboard" shows the current record afterwards only when the loaded
// text, with the blanks at both ends removed, is not empty and does not start
// with a character below 32 (a TAB, CR or LF, for instance).
bool showsRecordAfterLoad(std::string_view text);

// Text that another program put on the clipboard, with CR LF line ends: rows
// copied from an editor or a spreadsheet often end in a bare LF, and the
// program splits records at CR LF only. CR LF pairs and lone CRs stay as
// they are.
std::string withCrLfLineEnds(std::string_view text);

} // namespace ClipboardForms

} // namespace korvex
