#pragma once

#include <string>

namespace korvex {

// What the main window shows of the data set. The record count is kept as the
// text shown (a data file's count line is shown as read, blanks included); the
// record number is 1-based and may lie beyond the last record after a smaller
// data set was loaded.
struct DataSetDisplay {
    std::string countText = "0";
    long long recordNumber = 1;
    std::string code;

    bool operator==(const DataSetDisplay&) const = default;
};

} // namespace korvex
