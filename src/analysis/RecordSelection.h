#pragma once

#include "analysis/ResultList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// "Select Record": the identification codes of the loaded records, in text
// order, each carrying the position of its record's piece.
namespace RecordSelection {

inline constexpr std::string_view kCaption = "List of loaded specimen";

// Fills `list` with the code (field 0) of every non-empty piece of the text.
void fillList(std::string_view dataSetText, ResultList& list);

// The record picked by an entry's item data: its line, number and code.
struct Pick {
    std::string line;
    long long recordNumber = 0;
    std::string code;
};
// Nothing when the item data names no piece of the text.
std::optional<Pick> pick(std::string_view dataSetText, std::int32_t itemData);

} // namespace RecordSelection

} // namespace korvex
