#include "analysis/ResultList.h"

#include "analysis/DistancePasses.h"
#include "analysis/ListColumns.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace korvex;

namespace {

std::vector<std::string> linesOf(const ResultList& list) {
    std::vector<std::string> lines;
    for (std::size_t p = 0; p < list.count(); ++p)
        lines.push_back(list.line(p));
    return lines;
}

std::vector<std::int32_t> itemDataOf(const ResultList& list) {
    std::vector<std::int32_t> data;
    for (std::size_t p = 0; p < list.count(); ++p)
        data.push_back(list.itemData(p));
    return data;
}

ResultList filled(ResultList::Order order, const std::vector<std::string>& lines) {
    ResultList list(order);
    std::int32_t data = 0;
    for (const std::string& line : lines)
        list.add(line, data++);
    return list;
}

TEST(ResultListOrder, DistanceLinesStandInOrderOfTheirLeadingNumberThenTheirRestWithoutCase) {
    const struct {
        const char* name;
        std::vector<std::string> added;
        std::vector<std::string> expected;
    } cases[] = {
        // Text order would put "12.5" first.
        {"numeric, not textual", {"12.5    1", "2.5     2"}, {"2.5     2", "12.5    1"}},
        // Skipping the padding would read the first line as 0.50007.
        {"padding never joins the record number",
         {"0.50005    1", "0.5000    7"},
         {"0.5000    7", "0.50005    1"}},
        {"a TAB or line feed also ends the number",
         {"0.6\t1", "0.5\t9", "0.55\n0"},
         {"0.5\t9", "0.55\n0", "0.6\t1"}},
        {"equal numbers: rest of the line without case",
         {"0.100   b2", "0.100   A1", "0.1   a0"},
         {"0.1   a0", "0.100   A1", "0.100   b2"}},
        // Case folding covers A-Z only, so 'B' (folded to 'b') sorts after '['.
        {"folding is A-Z only", {"1   B", "1   ["}, {"1   [", "1   B"}},
        {"negative and missing numbers",
         {"x   1", "-0.5   2", "0.25   3"},
         {"-0.5   2", "x   1", "0.25   3"}},
        // Bytes from 0x80 up are compared as unsigned, after plain ASCII.
        {"high bytes after ASCII", {"1   \xE9t", "1   z"}, {"1   z", "1   \xE9t"}},
    };
    for (const auto& c : cases) {
        const ResultList list = filled(ResultList::Order::Distance, c.added);
        EXPECT_EQ(linesOf(list), c.expected) << c.name;
    }
}

TEST(ResultListOrder, TextLinesStandInOrderOfTheWholeLineWithoutCase) {
    const struct {
        const char* name;
        std::vector<std::string> added;
        std::vector<std::string> expected;
    } cases[] = {
        {"codes", {"b2", "A1", "a3"}, {"A1", "a3", "b2"}},
        {"leading digits are text", {"9", "10", "2.5", "12.5"}, {"10", "12.5", "2.5", "9"}},
        {"a prefix first", {"ab", "A", "abc"}, {"A", "ab", "abc"}},
        {"high bytes after ASCII", {"\xC4rger", "Zebra", "apple"}, {"apple", "Zebra", "\xC4rger"}},
    };
    for (const auto& c : cases) {
        const ResultList list = filled(ResultList::Order::Text, c.added);
        EXPECT_EQ(linesOf(list), c.expected) << c.name;
    }
}

TEST(ResultListOrder, LinesEqualInTheirKeysKeepTheOrderTheyWereAddedIn) {
    for (const auto order : {ResultList::Order::Distance, ResultList::Order::Text}) {
        // Equal without regard to case, so only the order of adding tells them apart.
        const ResultList forward = filled(order, {"0.5   ab", "0.5   AB", "0.5   Ab"});
        EXPECT_EQ(itemDataOf(forward), (std::vector<std::int32_t>{0, 1, 2}));
        const ResultList backward = filled(order, {"0.5   Ab", "0.5   AB", "0.5   ab"});
        EXPECT_EQ(linesOf(backward),
                  (std::vector<std::string>{"0.5   Ab", "0.5   AB", "0.5   ab"}));
    }
    // Enough equal lines that an unstable sort would show, as a full ranked list does.
    for (const auto order : {ResultList::Order::Distance, ResultList::Order::Text}) {
        ResultList many(order);
        for (std::int32_t i = 0; i < 300; ++i)
            many.add(i % 3 == 0 ? "1.5   Same" : i % 3 == 1 ? "0.5   same" : "1.5   SAME", i);
        std::int32_t previous = -1;
        for (std::size_t p = 0; p < many.count(); ++p) {
            const std::int32_t data = many.itemData(p);
            if (p == 100)
                previous = -1;
            EXPECT_GT(data, previous) << p;
            previous = data;
        }
    }
    // A line added after the list was read still goes behind its equals.
    ResultList list(ResultList::Order::Distance);
    list.add("1.0   x", 1);
    list.add("0.5   x", 2);
    ASSERT_EQ(list.line(0), "0.5   x");
    list.add("1.0   X", 3);
    list.add("0.5   X", 4);
    list.add("0.2   y", 5);
    EXPECT_EQ(itemDataOf(list), (std::vector<std::int32_t>{5, 2, 4, 1, 3}));
}

TEST(ResultListItems, ItemDataTravelsWithItsLineUntilTheListIsCleared) {
    ResultList list(ResultList::Order::Text);
    list.add("b2", 0);
    list.add("A1", 1);
    list.add("a3", 2);
    EXPECT_EQ(itemDataOf(list), (std::vector<std::int32_t>{1, 2, 0}));

    // Set at a position, the data stays with that line when later lines move it.
    list.setItemData(0, 42);
    list.add("0", 7);
    EXPECT_EQ(linesOf(list), (std::vector<std::string>{"0", "A1", "a3", "b2"}));
    EXPECT_EQ(itemDataOf(list), (std::vector<std::int32_t>{7, 42, 2, 0}));

    // A line added without item data carries 0; positions past the end hold nothing.
    list.add("zz");
    EXPECT_EQ(list.itemData(4), 0);
    EXPECT_EQ(list.line(5), "");
    EXPECT_EQ(list.itemData(5), 0);
    list.setItemData(5, 9);
    EXPECT_EQ(list.count(), 5u);

    // Clearing empties the list and sets the order for what follows; without
    // an order named it keeps its own.
    list.clear();
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.order(), ResultList::Order::Text);
    list.clear(ResultList::Order::Distance);
    list.add("12.5   a");
    list.add("2.5   b");
    EXPECT_EQ(linesOf(list), (std::vector<std::string>{"2.5   b", "12.5   a"}));
}

} // namespace

namespace korvex {
namespace {

// The list's sort key, the read-back of a distance line and the list columns
// all cut a line's leading number at the same place.
TEST(LeadingNumber, EveryReaderCutsItAtTheFirstSpaceTabOrLineFeed) {
    const struct {
        const char* line;
        std::size_t end;
        double number;
    } cases[] = {
        {"0.5000    7", 6, 0.5}, {"0.5000\t7", 6, 0.5},
        {"0.5000\n7", 6, 0.5},   {"12345678901.5   T1", 13, 12345678901.5},
        {"0.25", 4, 0.25},       {"", 0, 0.0},
        {" 0.5", 0, 0.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ResultList::leadingNumberEnd(c.line), c.end) << c.line;
        EXPECT_EQ(ResultList::leadingNumber(c.line), c.number) << c.line;
        EXPECT_EQ(DistancePasses::readBack(c.line).distance, c.number) << c.line;
    }
    // A distance wider than the head column is the head whole, wherever it ends.
    for (const char* line : {"12345678901.5   T1", "12345678901.5\tT1", "12345678901.5\nT1"})
        EXPECT_EQ(ListColumns::of(line, ListColumns::kHeadWidth, true).head, "12345678901.5")
            << line;
}

} // namespace
} // namespace korvex
