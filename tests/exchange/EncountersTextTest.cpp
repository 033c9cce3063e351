#include "exchange/EncountersText.h"

#include <gtest/gtest.h>

using namespace korvex;

namespace {

TEST(EncountersText, ReadsEveryFieldAndWritesItBack) {
    const std::string text = "# record\tdate\tsite\tlat\tlon\tobserver\n"
                             "3\t2019-05-01\tOak Flat\t36.9478\t-5.315\tA. Moreau\r\n"
                             "\n"
                             "7\t2020-06-02T08:15\t\t\t\t\tnote \xC3\xA9t\xC3\xA9\n"
                             "9\n"
                             "12\t\tDry River\n";
    const auto read = EncountersText::read(text);
    ASSERT_TRUE(read.errors.empty()) << read.errors.front();
    ASSERT_EQ(read.byRecord.size(), 4u);
    const Encounter& e3 = read.byRecord.at(3);
    EXPECT_EQ(e3.dateText(), "2019-05-01");
    EXPECT_EQ(e3.site, "Oak Flat");
    EXPECT_EQ(*e3.latitude, 36.9478);
    EXPECT_EQ(*e3.longitude, -5.315);
    EXPECT_EQ(e3.observer, "A. Moreau");
    EXPECT_EQ(read.byRecord.at(7).note, "note \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(read.byRecord.at(7).dateText(), "2020-06-02T08:15");
    EXPECT_FALSE(read.byRecord.at(9).date);
    EXPECT_EQ(read.byRecord.at(12).site, "Dry River");

    const std::string written = EncountersText::write(read.byRecord);
    EXPECT_EQ(written.substr(0, written.find("\r\n")),
              "3\t2019-05-01\tOak Flat\t36.9478\t-5.315\tA. Moreau\t");
    const auto again = EncountersText::read(written);
    EXPECT_TRUE(again.errors.empty());
    EXPECT_EQ(again.byRecord, read.byRecord);
    // As an editor may save it, with a byte order mark before the first line.
    const auto marked = EncountersText::read("\xEF\xBB\xBF" + written);
    EXPECT_TRUE(marked.errors.empty()) << marked.errors.front();
    EXPECT_EQ(marked.byRecord, read.byRecord);
}

TEST(EncountersText, ABadLineGivesNothingAndSaysWhereItIs) {
    const struct {
        const char* line;
        const char* says;
    } cases[] = {
        {"x\t2019-05-01", "no record number"},
        {"0\t2019-05-01", "no record number"},
        {"-2\t2019-05-01", "no record number"},
        {"4\t2019-02-30", "does not exist"},
        {"4\t2019-05-01\tA\t95\t10", "beyond"},
        {"4\t2019-05-01\tA\t45\t-181", "beyond"},
        {"4\t2019-05-01\tA\t45\t\tobs", "both its latitude and its longitude"},
        {"4\t\t\t\t\t\t\t", "more than 7 fields"},
    };
    for (const auto& c : cases) {
        const auto read = EncountersText::read(std::string("1\t2019-05-01\n") + c.line + "\n");
        ASSERT_EQ(read.errors.size(), 1u) << c.line;
        EXPECT_EQ(read.errors[0].rfind("line 2: ", 0), 0u) << read.errors[0];
        EXPECT_NE(read.errors[0].find(c.says), std::string::npos) << read.errors[0];
        EXPECT_EQ(read.byRecord.size(), 1u) << c.line;
    }
    const auto twice = EncountersText::read("5\t2019-05-01\n5\t2019-05-02\n");
    ASSERT_EQ(twice.errors.size(), 1u);
    EXPECT_EQ(twice.byRecord.at(5).dateText(), "2019-05-01");
}

} // namespace
