#pragma once

#include "model/Encounter.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The encounters of a catalogue as a plain text, one line per record:
//   record number TAB date TAB site TAB latitude TAB longitude TAB observer [TAB note]
// Any field after the record number may be empty or left off; the date is
// YYYY-MM-DD, optionally with a time (Encounter::setDateText), positions are
// WGS84 decimal degrees. Lines end in LF or CR LF; empty lines and lines
// beginning with '#' are passed over. Text is UTF-8 and kept as it is; a
// byte order mark before the first line is no part of it.
namespace EncountersText {

struct ReadResult {
    std::map<std::size_t, Encounter> byRecord; // by record number, from 1
    // One message per refused line, with its line number; a refused line
    // gives no encounter at all rather than part of one.
    std::vector<std::string> errors;
};

ReadResult read(std::string_view text);

// The text `read` reads back to `byRecord`, CR LF after every line. Tabs and
// line ends inside a text field are written as blanks.
std::string write(const std::map<std::size_t, Encounter>& byRecord);

} // namespace EncountersText

} // namespace korvex
