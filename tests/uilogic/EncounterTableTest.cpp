#include "uilogic/EncounterTable.h"

#include "MainWindowFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace korvex {
namespace {

using Answer = PlatformServices::Answer;
using Table = EncounterTable;

const std::string kHeaderCsv = "Record,Code,Individual,Date,Site,Sites of the individual,"
                               "Latitude,Longitude,Observer,Note,Photo\r\n";

Encounter at(const char* date, const char* site = "", const char* latitude = "",
             const char* longitude = "") {
    Encounter e;
    std::string error;
    EXPECT_TRUE(e.setDateText(date, error)) << error;
    EXPECT_TRUE(e.setLatitudeText(latitude, error)) << error;
    EXPECT_TRUE(e.setLongitudeText(longitude, error)) << error;
    e.site = site;
    return e;
}

class EncounterTableTest : public test::MainWindowFixture {
protected:
    void add(const std::string& code, const Encounter& encounter = {}) {
        window.document().appendRecord(code + "\t1\t2", std::nullopt, encounter);
    }
    // The record numbers of the rows, in the order shown.
    static std::vector<std::size_t> order(const Table& table) {
        std::vector<std::size_t> numbers;
        for (const auto& row : table.rows())
            numbers.push_back(row.recordNumber);
        return numbers;
    }
    std::vector<std::string> column(const Table& table, Table::Column c) {
        std::vector<std::string> texts;
        for (std::size_t r = 0; r < table.rows().size(); ++r)
            texts.push_back(table.text(r, c));
        return texts;
    }
};

TEST_F(EncounterTableTest, CsvQuotesOnlyTheFieldsThatNeedIt) {
    const struct {
        const char* site;
        const char* field;
    } cases[] = {
        {"Pond", "Pond"},
        {"North, pond", "\"North, pond\""},
        {"the \"big\" pond", "\"the \"\"big\"\" pond\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"line\nfeed", "\"line\nfeed\""},
        {"Žabník", "Žabník"},
        // Bytes from an 8-bit file (Windows-1250) are shown, and written, as UTF-8.
        {"\216abn\355k", "Žabník"},
    };
    std::string want = kHeaderCsv;
    std::size_t record = 0;
    for (const auto& c : cases) {
        Encounter e = at("2021-05-24T14:18:10", c.site, "39.05", "-76.8");
        e.observer = "Ana";
        add("T" + std::to_string(++record), e);
        want += std::to_string(record) + ",T" + std::to_string(record) + ",t" +
                std::to_string(record) + ",2021-05-24 14:18:10," + c.field +
                ",1,39.05,-76.8,Ana,,\r\n";
    }
    Table table(services, window);
    EXPECT_EQ(table.csvText(), want);
    // The clipboard's rows are TAB-separated: a line break in a field becomes a blank.
    services.clipboard.clear();
    table.copyToClipboard();
    EXPECT_EQ(services.clipboard.substr(0, 7), "Record\t");
    EXPECT_NE(services.clipboard.find("\r\n4\tT4\tt4\t2021-05-24 14:18:10\ttwo  lines\t1\t"),
              std::string::npos)
        << services.clipboard;
}

TEST_F(EncounterTableTest, DatesAndNumbersSortAsDatesAndNumbers) {
    add("A", at("2021-05-24", "", "10", "1"));
    add("B", at("2019-12-31T08:00", "", "-5", "1"));
    add("C");
    add("D", at("2019-12-31", "", "9.5", "1"));
    add("E", at("2019-12-31T07:59:59", "", "", ""));
    for (int i = 0; i < 6; ++i)
        add("F");
    Table table(services, window);
    table.sort(Table::DateColumn, true);
    // Without a time a day comes first; records without a date come last, in record order.
    EXPECT_EQ(order(table), (std::vector<std::size_t>{4, 5, 2, 1, 3, 6, 7, 8, 9, 10, 11}));
    table.sort(Table::DateColumn, false);
    EXPECT_EQ(order(table), (std::vector<std::size_t>{1, 2, 5, 4, 3, 6, 7, 8, 9, 10, 11}));
    table.sort(Table::LatitudeColumn, true);
    const auto byLatitude = order(table);
    EXPECT_EQ((std::vector<std::size_t>(byLatitude.begin(), byLatitude.begin() + 3)),
              (std::vector<std::size_t>{2, 4, 1}));
    // Record 10 after record 9, not after record 1.
    table.sort(Table::RecordColumn, false);
    EXPECT_EQ(column(table, Table::RecordColumn)[0], "11");
    EXPECT_EQ(column(table, Table::RecordColumn)[1], "10");
    EXPECT_EQ(column(table, Table::RecordColumn)[2], "9");
    table.sort(Table::CodeColumn, false);
    EXPECT_EQ(column(table, Table::CodeColumn)[0], "F");
    EXPECT_EQ(column(table, Table::CodeColumn)[10], "A");
}

// One site spelt in the bytes of an 8-bit file and in UTF-8 is one site: the
// table shows both alike, and an animal seen there twice has not moved.
TEST_F(EncounterTableTest, ASiteIsTheSameSiteInEitherEncoding) {
    add("T1", at("2019-05-01", "\216abn\355k"));
    add("T1", at("2020-05-01", "Žabník"));
    Table table(services, window);
    EXPECT_EQ(column(table, Table::SiteColumn), (std::vector<std::string>{"Žabník", "Žabník"}));
    EXPECT_EQ(column(table, Table::SitesColumn), (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(table.individualsAtSeveralSites(), 0U);
}

TEST_F(EncounterTableTest, AnAnimalSeenAtTwoSitesIsShownAsSuch) {
    add("T1", at("2019-05-01", "Pond"));
    add("T1r2", at("2020-05-01", "Meadow"));
    add("T2", at("2019-05-01", "Pond"));
    add("T2", at("2020-05-01", "pond")); // a site named otherwise is another site
    add("T3", at("2019-05-01", "Pond"));
    add("T3", at("2020-05-01", ""));
    add("T3");
    add("", at("2019-05-01", "Pond"));
    add("", at("2019-05-01", "Meadow")); // empty codes are one animal like any other
    Table table(services, window);
    // Each code is one animal by default.
    EXPECT_EQ(column(table, Table::SitesColumn),
              (std::vector<std::string>{"1", "1", "2", "2", "1", "1", "1", "2", "2"}));
    EXPECT_EQ(table.individualsAtSeveralSites(), 2U);
    EXPECT_EQ(table.summary(), "9 records; 2 individuals were seen at more than one site");

    // The pattern given to the Catalogue commands makes T1 and T1r2 one animal.
    window.setIndividualPattern("^T[0-9]+");
    Table byPattern(services, window);
    EXPECT_EQ(column(byPattern, Table::IndividualColumn)[1], "t1");
    EXPECT_TRUE(byPattern.seenAtSeveralSites(0));
    EXPECT_TRUE(byPattern.seenAtSeveralSites(1));
    EXPECT_FALSE(byPattern.seenAtSeveralSites(6));
    EXPECT_EQ(byPattern.summary(), "9 records; 3 individuals were seen at more than one site");

    // "Individual Pattern…" changes it for the table and for the commands.
    services.inputAnswers.push_back("");
    ASSERT_TRUE(byPattern.changePattern());
    EXPECT_EQ(window.individualPattern(), "");
    EXPECT_EQ(byPattern.individualsAtSeveralSites(), 2U);
}

TEST_F(EncounterTableTest, AnEditGoesThroughTheRulesAndARefusedOneChangesNothing) {
    add("T1", at("2019-05-01", "Pond", "39.05", "-76.8"));
    add("T1", at("2019-05-02", "Pond"));
    add("T2");
    Table table(services, window);
    table.sort(Table::RecordColumn, false);
    const Encounter before = *window.document().encounterOf(3 - 1);
    const struct {
        std::size_t row;
        Table::Column column;
        const char* text;
        const char* says;
    } refused[] = {
        {2, Table::LatitudeColumn, "95", "Record 1, Latitude: The latitude '95' lies beyond"},
        {1, Table::DateColumn, "2019-02-30", "Record 2, Date: The date '2019-02-30' does not"},
        {1, Table::DateColumn, "2019-02-03 25:00", "Record 2, Time: "},
        {1, Table::LatitudeColumn, "10", "Record 2, Longitude: A position needs both"},
        {0, Table::LongitudeColumn, "10", "Record 3, Latitude: A position needs both"},
    };
    for (const auto& r : refused) {
        services.messageAnswers.push_back(Answer::Ok);
        EXPECT_FALSE(table.edit(r.row, r.column, r.text)) << r.text;
        ASSERT_FALSE(services.messages.empty());
        EXPECT_EQ(services.messages.back().text.rfind(r.says, 0), 0U)
            << services.messages.back().text;
        EXPECT_EQ(services.messages.back().title, Table::kTitle);
    }
    EXPECT_EQ(services.messages.size(), std::size(refused));
    EXPECT_EQ(*window.document().encounterOf(2), before);
    EXPECT_EQ(window.document().encounterOf(3), nullptr);
    EXPECT_EQ(table.text(1, Table::DateColumn), "2019-05-02");
    // Not an edited column: refused without a word.
    EXPECT_FALSE(table.edit(0, Table::CodeColumn, "X"));

    // A sound edit is stored, and the counts of the animal follow; the rows keep their order.
    EXPECT_TRUE(table.edit(1, Table::SiteColumn, " Meadow "));
    EXPECT_EQ(window.document().encounterOf(2)->site, "Meadow");
    EXPECT_EQ(order(table), (std::vector<std::size_t>{3, 2, 1}));
    EXPECT_EQ(column(table, Table::SitesColumn), (std::vector<std::string>{"0", "2", "2"}));
    EXPECT_TRUE(table.edit(1, Table::DateColumn, "2019-05-02 09:30"));
    EXPECT_EQ(window.document().encounterOf(2)->dateText(), "2019-05-02T09:30");
    EXPECT_TRUE(table.edit(0, Table::NoteColumn, "first seen"));
    EXPECT_EQ(window.document().encounterOf(3)->note, "first seen");
    EXPECT_EQ(table.summary(), "3 records; 1 individual was seen at more than one site");
}

// An edit reads again only the row edited and its animal's site count, while
// nothing else changed the document since the rows were read: after every
// edit the rows are those a table read afresh shows, in the same order.
TEST_F(EncounterTableTest, AnEditedTableShowsWhatATableReadAfreshShows) {
    add("T1", at("2019-05-01", "Pond"));
    add("t1", at("2020-05-01", "Meadow")); // the same animal: codes are folded
    add("T2");
    add("T1");
    add("T1", at("2021-05-01", "\216abn\355k"));
    Table table(services, window);
    table.sort(Table::SiteColumn, true);
    const struct {
        std::size_t record;
        Table::Column column;
        const char* text;
        // Changed in the document outside the table before the edit.
        std::function<void()> elsewhere;
    } edits[] = {
        {4, Table::SiteColumn, "Žabník", nullptr}, // the same site in the other encoding
        {1, Table::SiteColumn, "", nullptr},
        {3, Table::NoteColumn, "no site", nullptr},
        {2, Table::SiteColumn, "Meadow", nullptr},
        {1, Table::DateColumn, "2019-05-02 09:30", nullptr},
        {5, Table::ObserverColumn, "Ana",
         [this] { window.document().setEncounter(4, at("2022-05-01", "Ford")); }},
        {2, Table::SiteColumn, "Ford",
         [this] { window.document().appendRecord("T1\t1\t2", std::nullopt, at("2022-06-01")); }},
        {1, Table::SiteColumn, "Dune", [this] { window.document().replaceRecord(3, "T1\t1\t2"); }},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(std::to_string(e.record) + " " + e.text);
        if (e.elsewhere)
            e.elsewhere();
        std::size_t row = 0;
        while (table.rows()[row].recordNumber != e.record)
            ++row;
        ASSERT_TRUE(table.edit(row, e.column, e.text));
        table.sort(Table::RecordColumn, true);
        const Table afresh(services, window);
        EXPECT_EQ(table.csvText(), afresh.csvText());
        EXPECT_EQ(table.summary(), afresh.summary());
        table.sort(Table::SiteColumn, true);
    }
}

TEST_F(EncounterTableTest, SaveAsCsvAddsTheExtensionAndSaysWhenItCannotWrite) {
    add("T1", at("2019-05-01", "Pond"));
    Table table(services, window);
    services.fileAnswers.push_back(std::nullopt);
    EXPECT_FALSE(table.saveCsv());
    services.fileAnswers.push_back("/out/encounters");
    EXPECT_TRUE(table.saveCsv());
    EXPECT_EQ(services.files.at("/out/encounters.csv"), table.csvText());
    EXPECT_EQ(services.fileFilters.back(), "CSV files (*.csv)|*.csv");
    services.unwritable["/ro/e.csv"] = "permission denied";
    services.fileAnswers.push_back("/ro/e.csv");
    services.messageAnswers.push_back(Answer::Ok);
    EXPECT_FALSE(table.saveCsv());
    EXPECT_NE(services.messages.back().text.find("permission denied"), std::string::npos);
}

} // namespace
} // namespace korvex
