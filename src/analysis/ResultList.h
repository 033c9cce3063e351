#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The ordered list of text lines behind the list window, each with a 32-bit
// item data. Distance order: by the number standing at the very start of the
// line (that number alone: no blanks are skipped, so the padding and record
// number after it never join it), ascending, then by the rest of the line
// without regard to case. Text order: by the whole line without regard to case.
// "Without regard to case" folds A-Z to a-z and compares bytes; lines with equal
// keys keep the order in which they were added.
//
// Lines are sorted when first read after an addition, so filling the list with
// 100,000 lines costs one sort, not 100,000 insertions.
class ResultList {
public:
    enum class Order { Distance, Text };

    explicit ResultList(Order order = Order::Distance) : order_(order) {}

    // Empties the list and sets the order for the lines that follow.
    void clear(Order order);
    void clear() { clear(order_); }
    Order order() const { return order_; }

    void add(std::string line, std::int32_t itemData = 0);

    std::size_t count() const { return entries_.size(); }
    // The line at position p; a position at or past the end gives an empty text.
    const std::string& line(std::size_t p) const;
    std::int32_t itemData(std::size_t p) const;
    void setItemData(std::size_t p, std::int32_t data);
    // How many lines were added before the line at position p since the list
    // was last cleared: ties and repeated texts are told apart by it.
    std::size_t addedAt(std::size_t p) const;

    // Visits every line in no particular order, without sorting: for readers
    // to whom the order does not matter.
    template <typename Visit> void forEachUnordered(Visit visit) const {
        for (const Entry& e : entries_)
            visit(e.line);
    }

    // The leading number of a distance or ranked line is its text up to the
    // first blank (a space, TAB or line feed) or the line's end; every reader
    // of a line's leading number cuts it here.
    static std::size_t leadingNumberEnd(std::string_view line);
    // That text read as a number ("12.5    3" gives 12.5; no number gives 0).
    static double leadingNumber(std::string_view line);

private:
    struct Entry {
        std::string line;
        std::int32_t itemData;
        double key;         // the leading number, in distance order
        std::size_t restAt; // where the rest of the line starts, in distance order
        std::size_t added;  // its place among the additions since the last clear
    };
    void sortIfNeeded() const;

    Order order_;
    mutable std::vector<Entry> entries_;
    mutable bool sorted_ = true;
};

} // namespace korvex
