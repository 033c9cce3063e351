#pragma once

#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace korvex {

// A record of a data set is its line's exact bytes and which of the lines
// with that very text it is, counted from 1 in data-set order. A line number
// is not an identity: rows are reordered, added and removed by other programs,
// and two records may hold the same text. This is the one rule by which photo
// entries, decisions and checks find their records.
//
// Occurrence 0 names a specimen that was never stored (the sheet's specimen
// need not have been appended); its line is then only a reminder of its values.
struct RecordIdentity {
    std::string code;
    std::string recordLine;
    std::size_t occurrence = 0;

    bool isStored() const { return occurrence != 0; }
    // The same record, whatever code it is named by.
    bool sameRecord(std::string_view line, std::size_t n) const {
        return occurrence == n && recordLine == line;
    }
    bool operator==(const RecordIdentity&) const = default;
};

// Which occurrence of its text `lines[index]` is: 1 plus the number of earlier
// lines with exactly that text. `Lines` is any indexable sequence of texts.
template <class Lines> std::size_t occurrenceOf(const Lines& lines, std::size_t index) {
    const auto begin = std::begin(lines);
    return 1 + static_cast<std::size_t>(std::count(begin, begin + static_cast<long>(index),
                                                   lines[index]));
}

// The same rule for a walk through all the lines in order: next() gives each
// line's occurrence as occurrenceOf would, in one pass. The texts handed in
// must outlive the counter. Hashed: a walk through a catalogue of years
// counts every record, and record lines are long and alike at the start.
class OccurrenceCounter {
public:
    std::size_t next(std::string_view line) { return ++seen_[line]; }

private:
    std::unordered_map<std::string_view, std::size_t> seen_;
};

// A record's identity as a key of a lookup table: a view of its line and its
// occurrence. Hashed rather than ordered, since the lines of a large catalogue
// are long and alike at the start.
using IdentityKey = std::pair<std::string_view, std::size_t>;
struct IdentityKeyHash {
    std::size_t operator()(const IdentityKey& key) const {
        return std::hash<std::string_view>{}(key.first) ^ (key.second * 0x9E3779B97F4A7C15ULL);
    }
};
template <class Value> using IdentityMap = std::unordered_map<IdentityKey, Value, IdentityKeyHash>;

// The index of the line that is occurrence `occurrence` of `line`, or
// `lines.size()` when there is none.
template <class Lines>
std::size_t indexOfOccurrence(const Lines& lines, std::string_view line, std::size_t occurrence) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < std::size(lines); ++i)
        if (lines[i] == line && ++seen == occurrence)
            return i;
    return std::size(lines);
}

} // namespace korvex
