#include "uilogic/MainWindowModel.h"

#include "MainWindowFixture.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using Answer = PlatformServices::Answer;
constexpr auto LM = SeamGroupId::LeftMarginal;
constexpr auto RM = SeamGroupId::RightMarginal;
constexpr auto LC = SeamGroupId::LeftCentral;
constexpr auto RC = SeamGroupId::RightCentral;

// A record line whose value k (1..28) is `prefix` followed by k.
std::string record(const std::string& code, const std::string& prefix) {
    std::string line = code;
    for (int k = 1; k <= 28; ++k)
        line += "\t" + prefix + std::to_string(k);
    return line;
}

class RecordCommandsTest : public test::MainWindowFixture {
protected:
    const std::string& cell(SeamGroupId g, std::size_t i) { return d.sheet().cell(g, i); }
    void loadFromClipboard(const std::string& text) {
        services.setClipboardText(text);
        window.load_Click(MainWindowModel::LoadFromClipboard);
    }
};

TEST_F(RecordCommandsTest, FillTakesFieldsOneToTwentyEightAndSwitchesDigitisingOff) {
    d.setChecked(1, true);
    services.setClipboardText(record("T9", "v") + "\r\n");
    window.Command9_Click();
    EXPECT_EQ(cell(LM, 0), "v1");
    EXPECT_EQ(cell(RM, 7), "v16");
    EXPECT_EQ(cell(LC, 0), "v17");
    EXPECT_EQ(cell(RC, 5), "v28\r\n");    // the line break of a 29-field text stays with f28
    EXPECT_EQ(window.display().code, ""); // only showing a record sets the code
    for (int box = 1; box <= DigitisingModel::kCheckBoxCount; ++box)
        EXPECT_FALSE(d.checked(box)) << box;
    for (auto flag : d.state().groupActive)
        EXPECT_EQ(flag, 0);
}

TEST_F(RecordCommandsTest, FillWithTwelveToTwentyEightFieldsFillsTheBoxesItHas) {
    // A spreadsheet row of a code and the 16 marginal values.
    std::string row = "K1";
    for (int k = 1; k <= 16; ++k)
        row += "\t0.125";
    d.setBoxText(LC, 0, "0.3");
    services.setClipboardText(row);
    window.Command9_Click();
    EXPECT_EQ(cell(LM, 0), "0.125");
    EXPECT_EQ(cell(RM, 7), "0.125");
    EXPECT_EQ(cell(LC, 0), "0.3");
    // Each group's labels now say whether its values add up to 1.
    EXPECT_TRUE(d.sheet().labelsLower(LM));
    EXPECT_TRUE(d.sheet().labelsLower(RM));
    EXPECT_FALSE(d.sheet().labelsLower(LC));
}

// Too few fields keep the sheet; either way digitising ends.
TEST_F(RecordCommandsTest, FillKeepsTheSheetBelowTwelveFieldsAndTakesHugeTextsWithoutTrouble) {
    const struct {
        const char* name;
        std::string text;
        const char* m1;
    } cases[] = {
        {"eleven fields", "a\tb\tc\td\te\tf\tg\th\ti\tj\tk", "keep"},
        {"a megabyte of TABs", std::string(1 << 20, '\t'), ""},
        {"a megabyte without TAB", std::string(1 << 20, '7'), "keep"},
        {"NUL and 8-bit bytes", std::string("\0\t\xFF\xFE\t\t\t\t\t\t\t\t\t\t\t", 16), "\xFF\xFE"},
    };
    for (const auto& c : cases) {
        d.setBoxText(LM, 0, "keep");
        d.setChecked(5, true);
        services.setClipboardText(c.text);
        window.Command9_Click();
        EXPECT_EQ(cell(LM, 0), c.m1) << c.name;
        EXPECT_FALSE(d.checked(5)) << c.name;
        EXPECT_EQ(d.state().groupActive[2], 0) << c.name;
    }
}

// A TAB, CR or LF in a code would shift every value of its record or split
// it; such a code is refused and asked for again, by both commands that ask.
TEST_F(RecordCommandsTest, ACodeThatWouldBreakItsRecordIsAskedForAgain) {
    d.setBoxText(LM, 0, "0.5");
    const std::string typed = " T-1 ;\xE9"; // everything else stays as typed
    const std::string wanted = SpecimenRecord::BuildRecordLine(typed, d.sheet());
    for (const char* bad : {"T\tCODE\tX", "T\rX", "T\nX", "\t"}) {
        SCOPED_TRACE(bad);
        for (const int command : {12, 3}) { // "Append to the List", "Save to the Clipboard"
            const std::size_t before = window.dataSet().RecordCount();
            services.messages.clear();
            services.inputAnswers = {bad, typed};
            services.messageAnswers = {Answer::Ok};
            window.Command_Click(command);
            ASSERT_EQ(services.messages.size(), 1U);
            EXPECT_EQ(services.messages[0].text, MainWindowModel::kCodeRefused);
            EXPECT_EQ(services.messages[0].icon, PlatformServices::Icon::Warning);
            EXPECT_TRUE(services.inputAnswers.empty()); // asked again
            if (command == 12) {
                ASSERT_EQ(window.dataSet().RecordCount(), before + 1);
                EXPECT_EQ(window.dataSet().piece(before), wanted);
                EXPECT_EQ(SpecimenRecord::splitFields(wanted).size(), SpecimenRecord::kFieldCount);
            } else {
                EXPECT_EQ(window.dataSet().RecordCount(), before);
                EXPECT_EQ(services.clipboardText(), wanted + "\r\n");
            }
        }
    }
    EXPECT_FALSE(SpecimenRecord::fitsAsCode("A\r"));
    EXPECT_TRUE(SpecimenRecord::fitsAsCode("")); // Cancel: the empty code, as ever
}

// A value holding a line break or a TAB would split the appended record: an
// empty piece after it stops every comparison there, and a TAB shifts its
// fields. "Save to the Clipboard" and "Fill from the Clipboard" leave the
// record form's closing CR LF in C12, so that is the everyday way to get one.
TEST_F(RecordCommandsTest, AppendRefusesASheetValueThatWouldBreakTheRecord) {
    loadFromClipboard(record("A", "0.") + "\r\n");
    const std::string before = window.dataSet().text();
    services.inputAnswers = {"A"};
    window.Command_Click(3); // "Save to the Clipboard"
    window.Command_Click(9); // "Fill from the Clipboard"
    ASSERT_EQ(cell(RC, 5), "0.28\r\n");
    const struct {
        SeamGroupId group;
        std::size_t index;
        std::string value;
        const char* seam;
    } cases[] = {{RC, 5, "0.28\r\n", "C12"},
                 {LM, 2, "0.1\t0.2", "M3"},
                 {LC, 0, "0.1\n", "C1"},
                 // the record would keep it, and every comparison read it as 0
                 {LM, 2, "0,0612", "M3"},
                 {RC, 5, "1,5", "C12"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seam);
        d.setBoxText(c.group, c.index, c.value);
        services.messages.clear();
        services.messageAnswers = {Answer::Ok};
        window.Command_Click(12); // no code is asked for
        ASSERT_EQ(services.messages.size(), 1U);
        EXPECT_NE(services.messages[0].text.find(std::string("the value of ") + c.seam),
                  std::string::npos)
            << services.messages[0].text;
        EXPECT_EQ(services.messages[0].icon, PlatformServices::Icon::Warning);
        EXPECT_EQ(window.dataSet().text(), before);
        EXPECT_EQ(window.display().countText, "1");
        EXPECT_EQ(cell(c.group, c.index), c.value); // the sheet keeps what it holds
        d.setBoxText(c.group, c.index, "0.5");
    }
    services.inputAnswers = {"B"};
    window.Command_Click(12);
    EXPECT_EQ(window.dataSet().text(),
              before + SpecimenRecord::BuildRecordLine("B", d.sheet()) + "\r\n");
    EXPECT_EQ(window.display().countText, "2");
}

// A box holding "0,0612" reads as 0: a comparison by a measure that reads it
// says so, so that its figures do not pass for those of the value typed.
TEST_F(RecordCommandsTest, CompareSaysASheetValueWithADecimalComma) {
    loadFromClipboard(record("A", "0.") + "\r\n");
    const struct {
        SeamGroupId group;
        std::size_t index;
        const char* value;
        int comp;
        const char* says; // nothing: no message
    } cases[] = {
        {LM, 2, "0,0612", MainWindowModel::MarginalD1,
         "The values on the sheet are compared as they read: the value of M3, \"0,0612\", has a "
         "decimal comma and reads as 0. Type it with \".\" as the decimal point."},
        {LM, 2, "0,0612", MainWindowModel::Combined, "the value of M3, \"0,0612\""},
        {LM, 2, "0,0612", MainWindowModel::CentralD2, nullptr},
        {RC, 0, "12,5", MainWindowModel::CentralD2,
         "the value of C7, \"12,5\", has a decimal comma and reads as 12."},
        {RC, 0, "12,5", MainWindowModel::Combined, "the value of C7"},
        {RC, 0, "12,5", MainWindowModel::MarginalD1, nullptr},
        {LM, 2, "0.0612", MainWindowModel::Combined, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " " + std::to_string(c.comp));
        d.setBoxText(c.group, c.index, c.value);
        services.setClipboardText("kept");
        services.messages.clear();
        if (c.says)
            services.messageAnswers = {Answer::Ok};
        window.comp_Click(c.comp);
        if (c.says) {
            ASSERT_EQ(services.messages.size(), 1U);
            EXPECT_NE(services.messages[0].text.find(c.says), std::string::npos)
                << services.messages[0].text;
            EXPECT_EQ(services.messages[0].icon, PlatformServices::Icon::Warning);
        } else {
            EXPECT_TRUE(services.messages.empty());
        }
        // Compared either way: the summary replaces what the clipboard held.
        EXPECT_TRUE(services.clipboardText().starts_with("\tTime-series\t"))
            << services.clipboardText();
        d.setBoxText(c.group, c.index, "0.5");
    }
}

// Filled from a record with its CR LF ("Save to the Clipboard" writes one),
// or from several lines, C12 holds the line end and what follows: a message
// quotes the value as it reads, not a line break and the next record. A box
// filled from an 8-bit record holds its bytes ("\xB5" is the micro sign): the
// message shows them as the box does.
TEST_F(RecordCommandsTest, ASheetValueWithADecimalCommaIsQuotedAsTheBoxShowsIt) {
    loadFromClipboard(record("A", "0.") + "\r\n");
    std::string c12 = record("S", "0.");
    c12.replace(c12.rfind("0.28"), 4, "0,28");
    std::string m3 = record("S", "0.");
    m3.replace(m3.find("0.3\t"), 3, "0,3\xB5");
    const char* c12Quoted = "the value of C12, \"0,28\", has a decimal comma and reads as 0.";
    const struct {
        std::string clipboard;
        SeamGroupId group;
        std::size_t index;
        const char* box; // what the box holds, as it begins
        int comp;
        int standardize;
        const char* quoted;
    } cases[] = {
        {c12 + "\r\n", RC, 5, "0,28\r\n", MainWindowModel::CentralD2, 6, c12Quoted},
        {c12 + "\r\n" + record("B", "0.") + "\r\n", RC, 5, "0,28\r\nB", MainWindowModel::CentralD2,
         6, c12Quoted},
        {m3, LM, 2, "0,3\xB5", MainWindowModel::MarginalD1, 1,
         "the value of M3, \"0,3\xC2\xB5\", has a decimal comma"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.quoted);
        services.setClipboardText(c.clipboard);
        window.Command9_Click();
        ASSERT_TRUE(cell(c.group, c.index).starts_with(c.box)) << cell(c.group, c.index);
        services.messages.clear();
        services.messageAnswers = {Answer::Ok, Answer::Ok};
        window.comp_Click(c.comp);
        window.Command_Click(c.standardize);
        ASSERT_EQ(services.messages.size(), 2U);
        for (const auto& message : services.messages)
            EXPECT_NE(message.text.find(c.quoted), std::string::npos) << message.text;
    }
}

// Values such as "0,0612" in loaded records read as 0 and every distance to
// those records is wrong: a load says so once, whatever the count.
TEST_F(RecordCommandsTest, ALoadOfRecordsWithADecimalCommaSaysSoOnce) {
    const std::string comma = record("A", "0.");
    std::string t2 = record("T2", "0.");
    t2.replace(t2.find("0.3\t"), 3, "0,0612");
    std::string t4 = record("T4", "0.");
    t4.replace(t4.rfind("0.28"), 4, "0,28");
    const struct {
        const char* name;
        std::string records;
        bool fromFile;
        std::string says; // empty: no message
    } cases[] = {
        {"none", comma + "\r\n" + record("T,1", "0.") + "\r\n", true, ""},
        {"none on the clipboard", record("T,1", "0.") + "\r\n", false, ""},
        {"one", comma + "\r\n" + t2 + "\r\n", true,
         "The data file \"/data/c.tor\" holds 1 record with a decimal comma in a value: record 2 "
         "(\"T2\"), whose M3 is \"0,0612\". Such a value reads as the digits before the comma "
         "(\"0,0612\" as 0), so every distance to this record is wrong. The values must use \".\" "
         "as the decimal point."},
        {"several", comma + "\r\n" + t2 + "\r\n" + t4 + "\r\n" + t2 + "\r\n", false,
         "The data from the clipboard hold 3 records with a decimal comma in a value: the first is "
         "record 2 (\"T2\"), whose M3 is \"0,0612\". Such a value reads as the digits before the "
         "comma (\"0,0612\" as 0), so every distance to these records is wrong."},
        {"in the last value", t4 + "\r\n", true, "record 1 (\"T4\"), whose C12 is \"0,28\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        if (!c.says.empty())
            services.messageAnswers = {Answer::Ok};
        if (c.fromFile) {
            const std::size_t count = DataSet::countLineEnds(c.records);
            services.files["/data/c.tor"] =
                "\t1\r\n\r\n " + std::to_string(count) + " \r\n" + c.records + "\r\n";
            loadFrom("/data/c.tor");
        } else {
            loadFromClipboard(c.records);
        }
        EXPECT_EQ(window.dataSet().text(), c.records); // loaded as it is
        if (c.says.empty()) {
            EXPECT_TRUE(services.messages.empty());
            continue;
        }
        ASSERT_EQ(services.messages.size(), 1U);
        EXPECT_NE(services.messages[0].text.find(c.says), std::string::npos)
            << services.messages[0].text;
        EXPECT_EQ(services.messages[0].icon, PlatformServices::Icon::Warning);
    }
}

// Codes from an old 8-bit file are Windows-1250 bytes; the warning names the
// record as the window shows its code, beside a path typed in UTF-8.
TEST_F(RecordCommandsTest, TheDecimalCommaWarningShowsAnEightBitCodeAsTheWindowDoes) {
    std::string zelva = record("\x8E"
                               "elva",
                               "0.");
    zelva.replace(zelva.find("0.3\t"), 3, "0,3");
    services.files["/data/\xC5\xBE"
                   "elvy.tor"] = "\t1\r\n\r\n 1 \r\n" + zelva + "\r\n\r\n";
    services.messageAnswers = {Answer::Ok};
    loadFrom("/data/\xC5\xBE"
             "elvy.tor");
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_NE(services.messages[0].text.find("The data file \"/data/\xC5\xBE"
                                             "elvy.tor\" holds 1 record"),
              std::string::npos)
        << services.messages[0].text;
    EXPECT_NE(services.messages[0].text.find("record 1 (\"\xC5\xBD"
                                             "elva\"), whose M3 is \"0,3\""),
              std::string::npos)
        << services.messages[0].text;
}

// An open "Select Record" list picks by the place of a record in the data
// set: once a load has replaced the data set, it must name the records now
// loaded, or a double-click on a code would take whatever record stands there.
TEST_F(RecordCommandsTest, AnOpenPickListFollowsALoad) {
    loadFromClipboard(record("B", "0.") + "\r\n" + record("A", "1.") + "\r\n");
    saveTo("/data/other.tor"); // a file of B and A
    window.aha_Click(MainWindowModel::SelectRecord);
    services.choiceAnswers = {MainWindowModel::kDiscardThem};
    loadFromClipboard(record("Z", "2.") + "\r\n" + record("Y", "3.") + "\r\n");
    const ResultList& list = window.listWindow().list();
    ASSERT_EQ(window.selectMode(), 1);
    ASSERT_EQ(list.count(), 2U);
    EXPECT_EQ(list.line(0), "Y");
    window.List1_DblClick(0);
    EXPECT_EQ(window.display().code, "Y");
    EXPECT_EQ(window.display().recordNumber, 2);
    EXPECT_EQ(cell(LM, 0), "3.1");

    window.aha_Click(MainWindowModel::SelectRecord);
    services.choiceAnswers = {MainWindowModel::kDiscardThem};
    loadFrom("/data/other.tor");
    ASSERT_EQ(list.count(), 2U);
    EXPECT_EQ(list.line(0), "A");
    window.List1_DblClick(0);
    EXPECT_EQ(window.display().code, "A");
    EXPECT_EQ(cell(LM, 0), "1.1");
}

TEST_F(RecordCommandsTest, AppendWithCancelAddsARecordWithAnEmptyCode) {
    services.inputAnswers = {"T1", ""};
    window.Command_Click(12);
    window.Command_Click(12);
    const std::string zeros = [] {
        std::string s;
        for (int k = 0; k < 28; ++k)
            s += "\t0";
        return s;
    }();
    EXPECT_EQ(window.dataSet().text(), "T1" + zeros + "\r\n" + zeros + "\r\n");
    EXPECT_EQ(window.display().countText, "2");
    EXPECT_EQ(window.display().recordNumber, 1);
    EXPECT_FALSE(services.clipboardHasText);
}

TEST_F(RecordCommandsTest, StepsThroughTheDataSetAndStopsAtBothEnds) {
    loadFromClipboard(record("A", "a") + "\r\n" + record("B", "b") + "\r\n");
    EXPECT_EQ(window.display().code, "A"); // record 1 shown after the load
    EXPECT_EQ(cell(LM, 0), "a1");

    window.Command_Click(11); // "+"
    EXPECT_EQ(window.display().recordNumber, 2);
    EXPECT_EQ(window.display().code, "B");
    EXPECT_EQ(services.clipboardText(), record("B", "b"));
    window.Command_Click(11); // at the last record "+" shows it again
    EXPECT_EQ(window.display().recordNumber, 2);
    EXPECT_EQ(cell(LM, 0), "b1");

    window.Command_Click(10); // "-"
    window.Command_Click(10);
    EXPECT_EQ(window.display().recordNumber, 1);
    EXPECT_EQ(window.display().code, "A");
    EXPECT_EQ(cell(RC, 5), "a28");
}

TEST_F(RecordCommandsTest, EmptyDataSetMinusAndPlusChangeNothing) {
    d.setBoxText(LM, 0, "7");
    window.Command_Click(10);
    window.Command_Click(11);
    EXPECT_EQ(window.display().recordNumber, 1);
    EXPECT_EQ(cell(LM, 0), "7");
}

TEST_F(RecordCommandsTest, RecordNumberBeyondASmallerDataSet) {
    std::string three;
    for (const char* c : {"A", "B", "C"})
        three += record(c, c) + "\r\n";
    loadFromClipboard(three);
    window.Command_Click(11);
    window.Command_Click(11);
    ASSERT_EQ(window.display().recordNumber, 3);

    d.setBoxText(LM, 0, "kept");
    loadFromClipboard(record("X", "x") + "\r\n"); // one record: number 3 lies beyond it
    EXPECT_EQ(cell(LM, 0), "kept");
    EXPECT_EQ(window.display().code, "C");
    window.Command_Click(11); // "+" leaves it
    EXPECT_EQ(window.display().recordNumber, 3);
    window.Command_Click(10); // "-" to 2: the empty last piece shows nothing
    EXPECT_EQ(window.display().recordNumber, 2);
    EXPECT_EQ(cell(LM, 0), "kept");
    window.Command_Click(10);
    EXPECT_EQ(cell(LM, 0), "x1");
}

TEST_F(RecordCommandsTest, FromClipboardShowsARecordOnlyForRecordLikeText) {
    // Which texts are record-like is ClipboardFormsTest's; here a sheet line
    // that would fill the sheet if it were shown must not be.
    struct Case {
        const char* text;
        bool shows;
    } cases[] = {{"", false},
                 {"\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11", false},
                 {"  R\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11", true}};
    for (const Case& c : cases) {
        d.setBoxText(LM, 0, "before");
        services.messageAnswers = {Answer::Ok}; // a row without its line end
        loadFromClipboard(c.text);
        EXPECT_EQ(window.dataSet().text(), c.text);
        EXPECT_EQ(cell(LM, 0) != "before", c.shows) << '"' << c.text << '"';
    }
    EXPECT_EQ(window.display().code, "  R"); // the blanks stay part of the code
}

// Rows copied from an editor often lack the last line end, and that row is
// no record: without a word, the animal would be missing from every ranking.
TEST_F(RecordCommandsTest, FromClipboardSaysWhenTheLastRowHasNoLineEnd) {
    const std::string a = record("A", "a");
    services.messageAnswers = {Answer::Ok};
    loadFromClipboard(a + "\r\n" + record("B", "b"));
    EXPECT_EQ(window.display().countText, "1");
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].text,
              "The data from the clipboard end in a row without a line end (its code is \"B\"), "
              "which is not a record: it is not counted, listed or compared. Copy the rows with a "
              "line end after the last one, then load them again.");
    // Prose without a TAB is all code: the message quotes its start.
    services.messageAnswers = {Answer::Ok};
    loadFromClipboard(std::string(39, 'x') + "\xC3\xA9 and more");
    ASSERT_EQ(services.messages.size(), 2U);
    EXPECT_NE(
        services.messages[1].text.find("(its code is \"" + std::string(39, 'x') + "\u2026\")"),
        std::string::npos)
        << services.messages[1].text;
    for (const std::string& ended : {a + "\r\n", a + "\r\n \t\r", std::string()}) {
        services.messages.clear();
        loadFromClipboard(ended);
        EXPECT_TRUE(services.messages.empty()) << ended;
    }
}

// Rows ended by CR alone are no records either, every one of them: a word of
// one row without its line end would name the wrong row and advise nothing
// that helps.
TEST_F(RecordCommandsTest, FromClipboardSaysWhenRowsEndInCrAlone) {
    const std::string a = record("A", "a"), b = record("B", "b");
    const struct {
        const char* name;
        std::string text, count, code;
    } cases[] = {
        {"every row", a + "\r" + b + "\r", "0", "A"},
        {"after a record", a + "\r\n" + b + "\r" + a, "1", "B"},
        {"a code alone", a + "\r\nB\r", "1", "B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        services.messages.clear();
        services.messageAnswers = {Answer::Ok};
        loadFromClipboard(c.text);
        EXPECT_EQ(window.display().countText, c.count);
        ASSERT_EQ(services.messages.size(), 1U);
        EXPECT_EQ(services.messages[0].text,
                  "The data from the clipboard hold rows that end in CR alone, from the one with "
                  "the code \"" +
                      c.code +
                      "\" on: a record ends in CR LF, so they are not counted, listed or "
                      "compared. Copy the rows with CR LF or LF line ends, then load them again.");
    }
}

TEST_F(RecordCommandsTest, ClipboardFormsRoundTrip) {
    const std::string text = record("A", "a") + "\r\n" + record("B", "b") + "\r\n";
    loadFromClipboard(text);
    window.save_Click(MainWindowModel::SaveToClipboard);
    EXPECT_EQ(services.clipboardText(), text);
    loadFromClipboard(services.clipboardText());
    EXPECT_EQ(window.dataSet().text(), text);
    EXPECT_EQ(window.display().countText, "2");

    services.inputAnswers = {"Z"};
    window.Command_Click(3); // "Save to the Clipboard"
    EXPECT_EQ(services.clipboardText(), SpecimenRecord::BuildRecordLine("Z", d.sheet()) + "\r\n");
}

TEST_F(RecordCommandsTest, SaveAndLoadADataFile) {
    services.inputAnswers = {"A", "B"};
    d.setBoxText(LM, 0, "0.5");
    d.setBoxText(SeamGroupId::LeftCentral2, 6, "c2");
    window.Command_Click(12);
    window.Command_Click(12);
    services.fileAnswers = {"/data/k.tor"};
    window.save_Click(MainWindowModel::SaveToFile);
    EXPECT_EQ(services.fileFilters.at(0), "Data File (*.tor)|*.tor");
    const std::string saved = services.files.at("/data/k.tor");
    EXPECT_NE(saved.find("\r\n\r\n 2 \r\nA\t0.5"), std::string::npos);

    window.ClearSheet();
    d.setBoxText(SeamGroupId::LeftCentral2, 6, "kept");
    loadFromClipboard("");
    services.fileAnswers = {"/data/k.tor"};
    window.load_Click(MainWindowModel::LoadFromFile);
    EXPECT_EQ(window.dataSet().text().substr(0, 6), "A\t0.5\t");
    EXPECT_EQ(window.dataSet().RecordCount(), 2U);
    EXPECT_EQ(window.display().countText, " 2 ");
    EXPECT_EQ(cell(LM, 0), "0.5"); // the sheet line fills the sheet
    EXPECT_EQ(cell(SeamGroupId::LeftCentral2, 6), "kept");
    EXPECT_EQ(services.clipboardText().substr(0, 5), "\t0.5\t");
}

TEST_F(RecordCommandsTest, CancelledOrFailedFileCommandsChangeNothing) {
    loadFromClipboard(record("A", "a") + "\r\n");
    const std::string before = window.dataSet().text();
    services.files["/data/old.tor"] = "previous bytes";

    services.fileAnswers = {std::nullopt, std::nullopt};
    window.load_Click(MainWindowModel::LoadFromFile);
    window.save_Click(MainWindowModel::SaveToFile);
    EXPECT_EQ(window.dataSet().text(), before);

    services.unreadable["/data/locked.tor"] = "Permission denied";
    services.unwritable["/data/old.tor"] = "No space left on device";
    services.fileAnswers = {"/data/locked.tor", "/data/old.tor"};
    services.messageAnswers = {Answer::Ok, Answer::Ok};
    window.load_Click(MainWindowModel::LoadFromFile);
    window.save_Click(MainWindowModel::SaveToFile);
    EXPECT_EQ(window.dataSet().text(), before);
    EXPECT_EQ(services.files.at("/data/old.tor"), "previous bytes");
    ASSERT_EQ(services.messages.size(), 2U);
    EXPECT_NE(services.messages[0].text.find("/data/locked.tor"), std::string::npos);
    EXPECT_NE(services.messages[0].text.find("Permission denied"), std::string::npos);
    EXPECT_NE(services.messages[1].text.find("No space left on device"), std::string::npos);
}

// After an append, a load (from a file or the clipboard) asks before it
// replaces the data: each answer does what it says.
TEST_F(RecordCommandsTest, ALoadOverUnsavedChangesAsksFirst) {
    const std::string fromFile = record("F", "f") + "\r\n";
    const std::string fromClipboard = record("C", "c") + "\r\n";
    services.files["/data/other.tor"] = "\t1\r\n\r\n 1 \r\n" + fromFile;
    const struct {
        int load;
        const char* answer;
        bool replaced;
    } cases[] = {
        {MainWindowModel::LoadFromFile, MainWindowModel::kDiscardThem, true},
        {MainWindowModel::LoadFromFile, MainWindowModel::kCancel, false},
        {MainWindowModel::LoadFromFile, MainWindowModel::kSaveThem, true},
        {MainWindowModel::LoadFromClipboard, MainWindowModel::kDiscardThem, true},
        {MainWindowModel::LoadFromClipboard, MainWindowModel::kCancel, false},
        {MainWindowModel::LoadFromClipboard, MainWindowModel::kSaveThem, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.load) + " " + c.answer);
        window.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
        services.files.erase("/data/saved.tor");
        services.messages.clear();
        services.inputAnswers = {"M1"};
        window.Command_Click(12);
        const std::string appended = window.dataSet().text();
        services.setClipboardText(fromClipboard);
        const bool save = std::string(c.answer) == MainWindowModel::kSaveThem;
        if (c.load == MainWindowModel::LoadFromFile)
            services.fileAnswers.push_back("/data/other.tor");
        if (save)
            services.fileAnswers.push_back("/data/saved.tor");
        services.choiceAnswers = {c.answer};
        window.load_Click(c.load);

        ASSERT_EQ(services.messages.size(), 1U);
        EXPECT_EQ(services.messages[0].text,
                  "The data (1 record) hold changes that are not saved to a file, and loading "
                  "replaces them. Do you want to save them first?");
        EXPECT_EQ(
            services.messages[0].choices,
            (std::vector<std::string>{MainWindowModel::kSaveThem, MainWindowModel::kDiscardThem,
                                      MainWindowModel::kCancel}));
        EXPECT_TRUE(services.fileAnswers.empty());
        const std::string loaded =
            c.load == MainWindowModel::LoadFromFile ? fromFile : fromClipboard;
        EXPECT_EQ(window.dataSet().text(), c.replaced ? loaded : appended);
        EXPECT_EQ(services.files.count("/data/saved.tor"), save ? 1U : 0U);
        if (save) {
            EXPECT_NE(services.files.at("/data/saved.tor").find(appended), std::string::npos);
        }
    }
}

TEST_F(RecordCommandsTest, ALoadAsksNothingWhenNoChangeIsUnsaved) {
    services.files["/data/k.tor"] = "\t1\r\n\r\n 1 \r\n" + record("F", "f") + "\r\n";
    const auto loadFile = [&] {
        services.fileAnswers = {"/data/k.tor"};
        window.load_Click(MainWindowModel::LoadFromFile);
    };
    loadFile(); // at start
    loadFromClipboard(record("A", "a") + "\r\n");
    loadFromClipboard(record("B", "b") + "\r\n"); // data taken as they came count as loaded
    loadFile();
    services.inputAnswers = {"M1"};
    window.Command_Click(12);
    services.fileAnswers = {"/data/k.tor"};
    window.save_Click(MainWindowModel::SaveToFile);
    loadFromClipboard("");
    EXPECT_TRUE(services.messages.empty());

    // A decision is a change too, also after a load from the clipboard,
    // which keeps the log: loading a file would drop it.
    loadFromClipboard(record("A", "a") + "\r\n");
    window.LogDecision({{"A", "A", 1}, {"B", "B", 1}, Verdict::Unsure, "D1", "0.1", "t"});
    services.setClipboardText(record("C", "c") + "\r\n");
    services.choiceAnswers = {MainWindowModel::kCancel};
    window.load_Click(MainWindowModel::LoadFromClipboard);
    EXPECT_EQ(services.messages.size(), 1U);
    services.choiceAnswers = {MainWindowModel::kCancel};
    loadFile();
    EXPECT_EQ(services.messages.size(), 2U);
    EXPECT_EQ(window.dataSet().text(), record("A", "a") + "\r\n");
}

// "Save Them" over the very file that is loaded: the load reads what was saved.
TEST_F(RecordCommandsTest, SavingBeforeReloadingTheSameFileLoadsWhatWasSaved) {
    services.files["/data/k.tor"] = "\t1\r\n\r\n 1 \r\n" + record("F", "f") + "\r\n";
    services.fileAnswers = {"/data/k.tor"};
    window.load_Click(MainWindowModel::LoadFromFile);
    services.inputAnswers = {"M1"};
    window.Command_Click(12);
    const std::string appended = window.dataSet().text();
    services.fileAnswers = {"/data/k.tor", "/data/k.tor"};
    services.choiceAnswers = {MainWindowModel::kSaveThem};
    window.load_Click(MainWindowModel::LoadFromFile);
    EXPECT_EQ(window.dataSet().text(), appended);
    EXPECT_FALSE(window.document().holdsUnsavedChanges());
}

TEST_F(RecordCommandsTest, ACutShortDataFileLoadsWhatItHoldsAndSaysSo) {
    const std::string head = "\t1\r\n\r\n";
    const struct {
        std::string bytes, loaded, message;
    } cases[] = {
        {head + " 2 \r\nA\r\nB\r\n\r\n", "A\r\nB\r\n", ""}, // as written
        {head + " 2 \r\nA\r\nB\r\n", "A\r\nB\r\n", ""},     // last line lost
        {head + " 500 \r\nA\r\nB\r\n", "A\r\nB\r\n", "2 records were loaded."},
        {head + " 2 \r\nA", "A\r\n", "1 record was loaded."},
        {"", "", "0 records were loaded."},
        // Saved by an editor with LF line ends: the whole file is one line.
        {"\t1\n\n 1 \nA\n\n", "",
         std::string("0 records were loaded.") + MainWindowModel::kLfLineEnds},
    };
    for (const auto& c : cases) {
        services.files["/data/cut.tor"] = c.bytes;
        services.fileAnswers = {"/data/cut.tor"};
        services.messages.clear();
        if (!c.message.empty())
            services.messageAnswers = {Answer::Ok};
        window.load_Click(MainWindowModel::LoadFromFile);
        EXPECT_EQ(window.dataSet().text(), c.loaded) << c.bytes;
        if (c.message.empty()) {
            EXPECT_TRUE(services.messages.empty()) << c.bytes;
        } else {
            ASSERT_EQ(services.messages.size(), 1U) << c.bytes;
            EXPECT_NE(services.messages[0].text.find("\"/data/cut.tor\" is incomplete"),
                      std::string::npos);
            EXPECT_NE(services.messages[0].text.find(c.message), std::string::npos)
                << services.messages[0].text;
        }
    }
}

// Lines after the records a file announces are not loaded, and a save over
// the file would lose them, so the load says so.
TEST_F(RecordCommandsTest, ADataFileWithLinesLeftUnreadLoadsWhatItAnnouncesAndSaysSo) {
    const std::string head = "\t1\r\n\r\n";
    const struct {
        const char* name;
        std::string bytes, loaded, message;
    } cases[] = {
        {"records beyond the count", head + " 1 \r\nA\r\nB\r\nC\r\n\r\n", "A\r\nB",
         "1 record was loaded."},
        {"CR CR LF line ends", "\t1\r\r\n\r\r\n 2 \r\r\nA\r\r\nB\r\r\n\r\r\n", "",
         std::string("0 records were loaded. Saving over the file would lose the lines not "
                     "loaded.") +
             MainWindowModel::kCrCrLfLineEnds},
        {"bytes after the last line", head + " 1 \r\nA\r\n\r\nrest", "A\r\n",
         "1 record was loaded."},
    };
    for (const auto& c : cases) {
        services.files["/data/more.tor"] = c.bytes;
        services.fileAnswers = {"/data/more.tor"};
        services.messages.clear();
        services.messageAnswers = {Answer::Ok};
        window.load_Click(MainWindowModel::LoadFromFile);
        EXPECT_EQ(window.dataSet().text(), c.loaded) << c.name;
        ASSERT_EQ(services.messages.size(), 1U) << c.name;
        const std::string& text = services.messages[0].text;
        EXPECT_NE(text.find("\"/data/more.tor\" holds lines after the records it announces"),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
    }
}

// An editor's LF line ends before the first CR LF run the first lines
// together: the count is read from a record, here as 0, and nothing is left
// unread, yet none of the records was loaded.
TEST_F(RecordCommandsTest, ADataFileWhoseFirstLinesEndInLfAloneSaysSo) {
    services.files["/data/lf.tor"] = "\t1\n\n 3 \nA\r\nB\r\nC\r\n";
    services.fileAnswers = {"/data/lf.tor"};
    services.messageAnswers = {Answer::Ok};
    window.load_Click(MainWindowModel::LoadFromFile);
    EXPECT_EQ(window.dataSet().text(), "");
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].text,
              std::string("The data file \"/data/lf.tor\" holds lines that end in LF alone, which "
                          "were not read as lines of their own. 0 records were loaded. Saving "
                          "over the file would lose the lines not loaded.") +
                  MainWindowModel::kLfLineEndsAdvice);
}

TEST_F(RecordCommandsTest, ClosingPromptKeepsTheWindowWhenTheDataWasNotSaved) {
    const auto prompt = [&] {
        services.messages.clear();
        const bool closes = window.QueryClose();
        EXPECT_EQ(services.messages.at(0).text, "Do you want to save the data?");
        EXPECT_EQ(services.messages.at(0).title, "Program KORVEX");
        EXPECT_EQ(services.messages.at(0).buttons, PlatformServices::Buttons::YesNo);
        return closes;
    };
    services.messageAnswers = {Answer::No};
    EXPECT_TRUE(prompt());

    services.messageAnswers = {Answer::Yes};
    services.fileAnswers = {std::nullopt};
    EXPECT_FALSE(prompt()); // save dialog cancelled

    services.unwritable["/ro/k.tor"] = "Read-only file system";
    services.messageAnswers = {Answer::Yes, Answer::Ok};
    services.fileAnswers = {"/ro/k.tor"};
    EXPECT_FALSE(prompt());

    services.messageAnswers = {Answer::Yes};
    services.fileAnswers = {"/data/k.tor"};
    EXPECT_TRUE(prompt());
    EXPECT_EQ(services.files.count("/data/k.tor"), 1U);
}

} // namespace
} // namespace korvex
