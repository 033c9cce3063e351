#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace korvex {

// Which sheet values a text fills when it is taken as a record line: with at
// least 12 (RecordLayout::kFillMinimumFields) TAB-separated fields, field k (1..28) goes verbatim
// into sheet value k - 1, for every field the text has. A text with fewer fields fills nothing.
// `write` receives the sheet index and the field's text. Returns whether the
// text had enough fields to fill anything.
bool fillRecordValues(std::string_view text,
                      const std::function<void(std::size_t, std::string_view)>& write);
// How many sheet values (from value 0) a text of `fieldCount` fields fills.
std::size_t filledValueCount(std::size_t fieldCount);

} // namespace korvex
