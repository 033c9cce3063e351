#include "analysis/RecordSelection.h"
#include "analysis/ComparisonRun.h"
#include "analysis/ListColumns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace korvex;

namespace {

struct Entry {
    std::string code;
    std::int32_t itemData;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << '"' << e.code << "\"/" << e.itemData;
}

std::vector<Entry> entriesOf(const ResultList& list) {
    std::vector<Entry> entries;
    for (std::size_t p = 0; p < list.count(); ++p)
        entries.push_back({list.line(p), list.itemData(p)});
    return entries;
}

std::vector<Entry> selectionOf(std::string_view dataSet) {
    ResultList list(ResultList::Order::Distance);
    list.add("0.5   from a comparison");
    RecordSelection::fillList(dataSet, list);
    EXPECT_EQ(list.order(), ResultList::Order::Text);
    return entriesOf(list);
}

const std::string kCodes = "b2\t0.1\t0.2\r\nA1\t0.3\t0.4\r\na3\t0.5\t0.6\r\n";

TEST(RecordSelection, ListsTheCodesOfAllNonEmptyPiecesInTextOrder) {
    const struct {
        const char* name;
        std::string dataSet;
        std::vector<Entry> expected;
    } cases[] = {
        {"codes appended b2, A1, a3", kCodes, {{"A1", 1}, {"a3", 2}, {"b2", 0}}},
        {"empty data set", "", {}},
        {"empty pieces are skipped", "\r\nX\t1\r\n\r\nY\t2\r\n\r\n", {{"X", 1}, {"Y", 3}}},
        {"a line without a TAB is its own code", "no tab here\r\n", {{"no tab here", 0}}},
        {"the piece after the last CR LF is listed too", "B\t1\r\nA\t2", {{"A", 1}, {"B", 0}}},
        {"digits are text", "9\t1\r\n10\t1\r\n", {{"10", 1}, {"9", 0}}},
        {"an empty code lists as empty", "\t0.1\r\nZ\t0.2\r\n", {{"", 0}, {"Z", 1}}},
        {"same code twice", "T7\t0.1\r\nT7\t0.2\r\n", {{"T7", 0}, {"T7", 1}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(selectionOf(c.dataSet), c.expected) << c.name;
}

TEST(RecordSelection, APickTakesThePieceNamedByTheItemData) {
    const auto picked = RecordSelection::pick(kCodes, 2);
    ASSERT_TRUE(picked);
    EXPECT_EQ(picked->recordNumber, 3);
    EXPECT_EQ(picked->line, "a3\t0.5\t0.6");
    EXPECT_EQ(picked->code, "a3");

    // Equal codes: the item data, not the code, tells the records apart.
    const std::string twins = "T7\t0.1\r\nT7\t0.2\r\n";
    ResultList list;
    RecordSelection::fillList(twins, list);
    ASSERT_EQ(list.count(), 2u);
    std::vector<std::string> lines;
    for (std::size_t p = 0; p < list.count(); ++p) {
        const auto pick = RecordSelection::pick(twins, list.itemData(p));
        ASSERT_TRUE(pick);
        EXPECT_EQ(pick->recordNumber, list.itemData(p) + 1);
        lines.push_back(pick->line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"T7\t0.1", "T7\t0.2"}));

    const auto whole = RecordSelection::pick("no tab here\r\n", 0);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->code, "no tab here");
    EXPECT_EQ(whole->line, "no tab here");
}

TEST(RecordSelection, APickBeyondThePiecesTakesNothing) {
    // kCodes has four pieces, the last one empty.
    EXPECT_TRUE(RecordSelection::pick(kCodes, 3));
    EXPECT_EQ(RecordSelection::pick(kCodes, 3)->line, "");
    EXPECT_FALSE(RecordSelection::pick(kCodes, 4));
    EXPECT_FALSE(RecordSelection::pick(kCodes, -1));
    EXPECT_FALSE(RecordSelection::pick("", 1));
}

TEST(ListColumns, TheListCopySplitsAfterTheTenthCharacter) {
    constexpr std::size_t kCopyTail = 10;
    const std::string longCode(120, 'c');
    const struct {
        const char* name;
        std::string line;
        bool distanceList;
        const char* tail;
        const char* head;
    } cases[] = {
        {"ranked line", ComparisonRun::rankedLine("0.123", "T15"), true, "T15", "0.123"},
        {"ranked D line", ComparisonRun::rankedLine("2.2361", "k2"), true, "k2", "2.2361"},
        {"code of at most 10", "A1", false, "", "A1"},
        {"code of exactly 10", "ABCDEFGHIJ", false, "", "ABCDEFGHIJ"},
        {"code longer than 10", "ABCDEFGHIJKLM", false, "KLM", "ABCDEFGHIJ"},
        {"spaces around each part", "AB   CDEFG  HIJ  ", false, "HIJ", "AB   CDEFG"},
        // A wide distance keeps its last digit and the code stays clean.
        {"wide distance", ComparisonRun::rankedLine("1249975.000", "BIG"), true, "BIG",
         "1249975.000"},
        {"wide distance read as text", ComparisonRun::rankedLine("1249975.000", "BIG"), false,
         "0   BIG", "1249975.00"},
        {"empty line", "", true, "", ""},
    };
    for (const auto& c : cases) {
        const ListColumns columns = ListColumns::of(c.line, kCopyTail, c.distanceList);
        EXPECT_EQ(columns.tail, c.tail) << c.name;
        EXPECT_EQ(columns.head, c.head) << c.name;
    }

    // The tail holds at most 100 characters: 97 of a code that starts at the 14th.
    const ListColumns cut =
        ListColumns::of(ComparisonRun::rankedLine("0.500", longCode), kCopyTail, true);
    EXPECT_EQ(cut.tail, longCode.substr(0, 97));
    EXPECT_EQ(cut.head, "0.500");
}

TEST(ListColumns, CutsCountCharactersSoNoLetterIsSplit) {
    std::string zz; // 60 letters "ž", 120 bytes
    for (int k = 0; k < 60; ++k)
        zz += "\xC5\xBE";
    const std::string nbsp = "\xC2\xA0"; // a character, not a blank
    const struct {
        const char* name;
        std::string line;
        std::size_t tailStart;
        bool distanceList;
        std::string tail, head;
    } cases[] = {
        {"UTF-8 letter at the cut",
         "Hermanni-\xC5\xBD"
         "1",
         10, false, "1", "Hermanni-\xC5\xBD"},
        {"long UTF-8 code ranked", ComparisonRun::rankedLine("0.123", zz), 10, true, zz, "0.123"},
        {"summary column", ComparisonRun::rankedLine("0.123", zz), 11, true, zz, "0.123"},
        {"8-bit code, a byte each", "Kn\xEC\x9A\xEC\x9A\xEC\x9A\xEC\x9A\xEC\x9A", 10, false,
         "\xEC\x9A", "Kn\xEC\x9A\xEC\x9A\xEC\x9A\xEC\x9A"},
        {"wide distance, UTF-8 code", ComparisonRun::rankedLine("12345678.9012", "\xC5\xBD" + nbsp),
         10, true, "\xC5\xBD" + nbsp, "12345678.9012"},
    };
    for (const auto& c : cases) {
        const ListColumns columns = ListColumns::of(c.line, c.tailStart, c.distanceList);
        EXPECT_EQ(columns.tail, c.tail) << c.name;
        EXPECT_EQ(columns.head, c.head) << c.name;
    }
    // The 100-character limit counts letters too.
    std::string longCode;
    for (int k = 0; k < 120; ++k)
        longCode += "\xC4\x8D"; // č
    const ListColumns cut = ListColumns::of(ComparisonRun::rankedLine("0.5", longCode), 10, true);
    EXPECT_EQ(cut.tail, longCode.substr(0, 2 * 97));
}

TEST(ListColumns, RankedLinesPadTheDistanceToTenThenThreeSpaces) {
    EXPECT_EQ(ComparisonRun::rankedLine("0.123", "T15"), "0.123        T15");
    EXPECT_EQ(ComparisonRun::rankedLine("0.1234", ""), "0.1234       ");
    EXPECT_EQ(ComparisonRun::rankedLine("1249975.000", "X"), "1249975.000   X");
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("\ta\t"), "\ta\t");
    EXPECT_EQ(trimBlanks("   "), "");
}

} // namespace
