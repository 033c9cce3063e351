#include "uilogic/DecisionList.h"

#include "FakePlatformServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvex {
namespace {

const std::string kHeaderRow = "Decided at\tVerdict\tQuery code\tQuery record\tCandidate code\t"
                               "Candidate record\tMeasure\tDistance\r\n";

Decision decision(RecordIdentity query, RecordIdentity candidate, Verdict verdict,
                  std::string measure, std::string distance, std::string at) {
    return {std::move(query),   std::move(candidate), verdict,
            std::move(measure), std::move(distance),  std::move(at)};
}

TEST(DecisionList, RowsNameTheRecordsByTheirNumbersNow) {
    // Two equal lines, an 8-bit code, and the empty piece after the last CR LF.
    DataSet dataSet;
    dataSet.setText(std::string("A\t1\r\nB\t2\r\nA\t1\r\n\x8a\xe8\t3\r\n", 22));
    const std::string oldCode("\x8a\xe8", 2);
    const std::vector<Decision> log = {
        // The sheet's specimen, never stored, against the second "A" line.
        decision({"NEW", "NEW\t1", 0}, {"A", "A\t1", 2}, Verdict::SameAnimal, "D", "0.0123",
                 "2026-05-24T09:30:00Z"),
        // A record that has left the data set keeps its code but has no number.
        decision({"B", "B\t2", 1}, {"GONE", "GONE\t9", 1}, Verdict::DifferentAnimal, "D1", "0.250",
                 "2026-05-24T09:31:00Z"),
        decision({oldCode, oldCode + "\t3", 1}, {"A", "A\t1", 1}, Verdict::Unsure, "D2", "0.50000",
                 "2026-05-24T09:32:00Z"),
        // An empty line is no record, not even the piece after the last CR LF.
        decision({"", "", 1}, {"A", "A\t1", 3}, Verdict::Unsure, "D", "1\t2",
                 "2026-05-24T09:33:00Z"),
    };
    const DecisionList list(log, dataSet);
    ASSERT_EQ(list.rows().size(), 4U);
    EXPECT_EQ(list.rows()[0], (DecisionList::Row{"2026-05-24T09:30:00Z", "Same Animal", "NEW", "",
                                                 "A", "3", "D", "0.0123"}));
    EXPECT_EQ(list.rows()[1][3], "2");
    EXPECT_EQ(list.rows()[1][5], "");
    EXPECT_EQ(list.rows()[2][2], oldCode);
    EXPECT_EQ(list.rows()[2][3], "4");
    EXPECT_EQ(list.rows()[2][5], "1");
    EXPECT_EQ(list.rows()[3][3], "");
    EXPECT_EQ(list.rows()[3][5], "");

    EXPECT_EQ(list.copyText(),
              kHeaderRow +
                  "2026-05-24T09:30:00Z\tSame Animal\tNEW\t\tA\t3\tD\t0.0123\r\n"
                  "2026-05-24T09:31:00Z\tDifferent Animal\tB\t2\tGONE\t\tD1\t0.250\r\n"
                  "2026-05-24T09:32:00Z\tUnsure\t" +
                  oldCode +
                  "\t4\tA\t1\tD2\t0.50000\r\n"
                  // A TAB in a field would shift every column after it.
                  "2026-05-24T09:33:00Z\tUnsure\t\t\tA\t\tD\t1 2\r\n");
}

TEST(DecisionList, CopyClearsTheClipboardThenPutsTheRows) {
    test::FakePlatformServices services;
    services.setClipboardText("earlier");
    DataSet empty;
    const DecisionList none({}, empty);
    EXPECT_TRUE(none.rows().empty());
    none.copyToClipboard(services);
    EXPECT_EQ(services.clipboardClears, 1);
    EXPECT_EQ(services.clipboardText(), kHeaderRow);

    const DecisionList one(
        {decision({"X", "X\t1", 0}, {"Y", "Y\t1", 1}, Verdict::Unsure, "D", "0.1", "t")}, empty);
    one.copyToClipboard(services);
    EXPECT_EQ(services.clipboardClears, 2);
    EXPECT_EQ(services.clipboardText(), kHeaderRow + "t\tUnsure\tX\t\tY\t\tD\t0.1\r\n");
}

} // namespace
} // namespace korvex
