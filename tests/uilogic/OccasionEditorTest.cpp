#include "uilogic/OccasionEditor.h"

#include <gtest/gtest.h>

#include <string>

namespace korvex {
namespace {

Encounter dated(int year, int month, int day) {
    Encounter e;
    e.date = CalendarDate{year, month, day};
    return e;
}

TEST(OccasionEditor, ProposesOneOccasionPerYearOfTheDates) {
    OccasionEditor editor;
    std::map<std::size_t, Encounter> encounters{{1, dated(2021, 6, 8)},
                                                {2, dated(2019, 7, 13)},
                                                {3, Encounter{}}, // no date: no year
                                                {4, dated(2019, 5, 5)},
                                                {7, dated(2021, 5, 5)}};
    editor.propose(encounters);
    EXPECT_EQ(editor.rows(), (std::vector<OccasionEditor::Row>{{"2019-05-05", "2019-07-13"},
                                                               {"2021-05-05", "2021-06-08"}}));
    EXPECT_EQ(editor.text(), "2019-05-05..2019-07-13,2021-05-05..2021-06-08");
    editor.propose({});
    EXPECT_TRUE(editor.rows().empty());
}

TEST(OccasionEditor, AddOffersTheYearAfterTheLastRow) {
    OccasionEditor editor;
    editor.add();
    EXPECT_EQ(editor.rows().back(), (OccasionEditor::Row{"", ""}));
    editor.setFirst(0, "2019-05-01");
    editor.setLast(0, "2019-08-31");
    editor.add();
    EXPECT_EQ(editor.rows().back(), (OccasionEditor::Row{"2020-05-01", "2020-08-31"}));
    // 29 February has no day a year on: nothing is guessed.
    editor.setFirst(1, "2020-02-29");
    editor.add();
    EXPECT_EQ(editor.rows().back(), (OccasionEditor::Row{"", ""}));
    editor.remove(2);
    editor.remove(9); // no such row
    EXPECT_EQ(editor.rows().size(), 2U);
}

TEST(OccasionEditor, RowsReadInTimeOrderOrSayWhichRowIsWrong) {
    const struct {
        std::vector<OccasionEditor::Row> rows;
        const char* occasions; // the text read, or
        const char* error;     // the start of the message
    } cases[] = {
        {{{"2020-05-01", "2020-08-31"}, {"2019-05-01", "2019-08-31"}},
         "2019-05-01..2019-08-31,2020-05-01..2020-08-31",
         ""},
        {{{"2019-05-01", "2019-05-01"}}, "2019-05-01..2019-05-01", ""},
        {{}, "", "No occasion: add one"},
        {{{"2019-05-01", "2019-08-31"}, {"2019-02-29", "2019-03-01"}},
         "",
         "Occasion 2, first day: The date '2019-02-29' does not exist"},
        {{{"2019-05-01", "2019-13-01"}}, "", "Occasion 1, last day: The date '2019-13-01'"},
        {{{"2019-05-01", ""}}, "", "Occasion 1, last day: The date"},
        {{{"2019-5-1", "2019-08-31"}}, "", "Occasion 1, first day: The date '2019-5-1' is not"},
        {{{"2019-08-31", "2019-05-01"}},
         "",
         "Occasion 1 (2019-08-31..2019-05-01) ends before it begins."},
        {{{"2020-05-01", "2020-08-31"}, {"2019-05-01", "2019-08-31"}, {"2019-08-31", "2019-09-30"}},
         "",
         "Occasions 2 (2019-05-01..2019-08-31) and 3 (2019-08-31..2019-09-30) share days"},
    };
    for (const auto& c : cases) {
        OccasionEditor editor;
        for (const auto& row : c.rows) {
            editor.add();
            editor.setFirst(editor.rows().size() - 1, row.first);
            editor.setLast(editor.rows().size() - 1, row.last);
        }
        std::string error;
        const auto read = editor.occasions(error);
        if (*c.occasions) {
            ASSERT_TRUE(read) << error;
            EXPECT_EQ(CaptureHistories::occasionsText(*read), c.occasions);
            EXPECT_EQ(editor.text(), c.occasions);
        } else {
            EXPECT_FALSE(read) << c.error;
            EXPECT_TRUE(error.starts_with(c.error)) << error;
        }
    }
}

TEST(OccasionEditor, TheTextFormIsTheOneTheBatchToolTakes) {
    OccasionEditor editor;
    std::string error;
    ASSERT_TRUE(editor.setText("2019-05-01..2019-08-31,2020-05-01..2020-08-31", error));
    EXPECT_EQ(editor.rows(), (std::vector<OccasionEditor::Row>{{"2019-05-01", "2019-08-31"},
                                                               {"2020-05-01", "2020-08-31"}}));
    // A text the core refuses leaves the rows as they were, with its message.
    for (const char* bad : {"2019-05-01", "2020-05-01..2020-08-31,2019-05-01..2019-08-31",
                            "2019-02-30..2019-03-01", ""}) {
        error.clear();
        EXPECT_FALSE(editor.setText(bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
        EXPECT_EQ(editor.rows().size(), 2U) << bad;
    }
    // Rows that do not read are shown as typed.
    editor.setLast(1, "2020-02-30");
    EXPECT_EQ(editor.text(), "2019-05-01..2019-08-31,2020-05-01..2020-02-30");
}

} // namespace
} // namespace korvex
