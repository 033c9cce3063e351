// The guard of the open data file, through the main window's commands on the
// shared fake: the lock beside the file, and the check of the file on disk
// before a save over it. Another copy of the program or another program is
// played by writing the fake's files and locks directly.
#include "uilogic/FileGuard.h"

#include "MainWindowFixture.h"
#include "exchange/PhotoCompanion.h"
#include "exchange/TorFile.h"
#include "model/RecordLine.h"
#include "uilogic/PathText.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace korvex {
namespace {

const std::string kData = "/share/catalogue.tor";
const std::string kCompanion = "/share/catalogue.tor.photos.json";
const std::string kLock = "/share/.catalogue.tor.lock";

// A record line whose 28 values are all `value`.
std::string line(const std::string& code, const std::string& value = "0.1") {
    std::string text = code;
    for (int k = 0; k < 28; ++k)
        text += "\t" + value;
    return text;
}

DataSet dataSetOf(const std::vector<std::string>& codes) {
    DataSet data;
    for (const std::string& code : codes)
        data.AppendRecord(line(code));
    return data;
}

PhotoEntry photoOf(const std::string& code, const std::string& photo) {
    PhotoEntry entry;
    entry.recordLine = line(code);
    entry.photoPath = photo;
    entry.widthPixels = 60;
    entry.heightPixels = 40;
    entry.appendedAt = "2026-05-24T09:30:00Z";
    return entry;
}

Decision decisionOn(const std::string& query, const std::string& candidate) {
    return {{query, line(query), 1},
            {candidate, line(candidate), 1},
            Verdict::SameAnimal,
            "D1",
            "0.0000",
            "2026-05-24T10:00:00Z"};
}

class FileGuardTest : public test::MainWindowFixture {
protected:
    // The data file as another program writes it.
    void writeOnDisk(const std::vector<std::string>& codes,
                     const std::vector<PhotoEntry>& photos = {},
                     const std::vector<Decision>& decisions = {}) {
        services.writeFile(kData, TorFile::write(MeasurementSheet{}, dataSetOf(codes)));
        if (!photos.empty() || !decisions.empty())
            services.writeFile(kCompanion, PhotoCompanion::write(photos, "/share", decisions));
    }
    void load(const std::string& path = kData) {
        services.fileAnswers.push_back(path);
        window.LoadDataFile();
    }
    bool save(const std::string& path = kData) {
        services.fileAnswers.push_back(path);
        return window.SaveDataFile();
    }
    void append(const std::string& code) {
        // The sheet is the one the loaded file's line put there: all "0" but
        // for the values the codes are told apart by.
        for (std::size_t i = 0; i < 28; ++i)
            window.digitising().setBoxText(seamGroupOfValue(i), offsetOfValue(i), "0.1");
        services.inputAnswers.push_back(code);
        window.AppendToList();
    }
    static SeamGroupId seamGroupOfValue(std::size_t i) {
        for (const SeamGroup& g : kSeamGroups)
            if (i >= g.firstSheetIndex && i < g.firstSheetIndex + g.count)
                return g.id;
        return SeamGroupId::LeftMarginal;
    }
    static std::size_t offsetOfValue(std::size_t i) {
        return i - seamGroup(seamGroupOfValue(i)).firstSheetIndex;
    }
    // A fresh start for each case of a table: A and B loaded, M1 appended.
    void loadAAndBThenAppendM1() {
        services.files.clear();
        services.unreadable.clear();
        services.fileAnswers.clear();
        writeOnDisk({"A", "B"});
        services.choiceAnswers = {MainWindowModel::kDiscardThem}; // the case before's M1
        load();
        services.choiceAnswers.clear();
        services.messages.clear();
        append("M1");
    }
    std::string written(const std::vector<std::string>& codes) const {
        return TorFile::write(window.digitising().sheet(), dataSetOf(codes));
    }
    const PlatformServices::LockHolder bob{"bob", "fieldpc", "24 May 2026 09:30"};
};

TEST_F(FileGuardTest, TheOpenFileKeepsItsLockUntilAnotherOneIsOpened) {
    writeOnDisk({"A"});
    {
        MainWindowModel program(services);
        program.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
        services.fileAnswers = {kData};
        program.LoadDataFile();
        EXPECT_EQ(services.heldLocks, std::set<std::string>{kData});
        services.fileAnswers = {"/share/copy.tor"};
        ASSERT_TRUE(program.SaveDataFile());
        EXPECT_EQ(services.heldLocks, std::set<std::string>{"/share/copy.tor"});
    }
    EXPECT_TRUE(services.heldLocks.empty()); // the program ended
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(lockPathFor(kData), kLock);
    EXPECT_EQ(lockPathFor("catalogue.tor"), ".catalogue.tor.lock");
}

TEST_F(FileGuardTest, AFileAnotherCopyHasOpenIsOpenedOnlyWhenTheUserSaysSo) {
    writeOnDisk({"A", "B"});
    services.otherLocks[kData] = bob;
    services.choiceAnswers = {Document::kDoNotOpen};
    load();
    ASSERT_EQ(services.messages.size(), 1U);
    const auto& question = services.messages[0];
    for (const char* part : {"\"/share/catalogue.tor\"", "is open in another copy of KORVEX",
                             "by bob on fieldpc since 24 May 2026 09:30", "to read and compare"})
        EXPECT_NE(question.text.find(part), std::string::npos) << part << ": " << question.text;
    EXPECT_EQ(question.choices,
              (std::vector<std::string>{Document::kOpenAnyway, Document::kDoNotOpen}));
    EXPECT_EQ(window.dataSet().text(), "");
    EXPECT_FALSE(window.document().dataFilePath());

    services.choiceAnswers = {Document::kOpenAnyway};
    load();
    EXPECT_EQ(window.dataSet().text(), dataSetOf({"A", "B"}).text());
    EXPECT_TRUE(services.heldLocks.empty()); // the other copy keeps its lock

    // That copy saves first; the save here names it in its question.
    append("M1");
    writeOnDisk({"A", "B", "T1"});
    services.choiceAnswers = {Document::kMergeAndSave};
    ASSERT_TRUE(save());
    ASSERT_EQ(services.messages.size(), 3U);
    EXPECT_NE(services.messages[2].text.find(
                  "\n\nThe data file is open in another copy of KORVEX (by bob on fieldpc"),
              std::string::npos)
        << services.messages[2].text;
    EXPECT_EQ(services.files.at(kData), written({"A", "B", "M1", "T1"}));
}

TEST_F(FileGuardTest, AFolderThatCannotHoldALockIsSaidOnce) {
    writeOnDisk({"A"});
    services.unlockable[kData] = "its folder cannot be written";
    services.messageAnswers = {PlatformServices::Answer::Ok};
    load();
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].icon, PlatformServices::Icon::Information);
    for (const char* part : {"\"/share/catalogue.tor\" cannot be guarded",
                             "(its folder cannot be written)", "loaded and saved as usual"})
        EXPECT_NE(services.messages[0].text.find(part), std::string::npos) << part;
    EXPECT_EQ(window.dataSet().RecordCount(), 1U);
    append("M1");
    ASSERT_TRUE(save());
    services.choiceAnswers = {MainWindowModel::kDiscardThem};
    load();
    EXPECT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.files.at(kData), written({"A", "M1"}));
}

// Another program added a record between the load and the save: each answer
// does what it says, and nothing is written before it.
TEST_F(FileGuardTest, ASaveOverAChangedFileAsksFirst) {
    const struct {
        const char* answer;
        bool saved;
        std::vector<std::string> onDisk, here;
    } cases[] = {
        {Document::kCancel, false, {"A", "B", "T1"}, {"A", "B", "M1"}},
        {Document::kSaveOver, true, {"A", "B", "M1"}, {"A", "B", "M1"}},
        {Document::kMergeAndSave, true, {"A", "B", "M1", "T1"}, {"A", "B", "M1", "T1"}},
        {Document::kSaveUnderAnotherName, true, {"A", "B", "T1"}, {"A", "B", "M1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        loadAAndBThenAppendM1();
        writeOnDisk({"A", "B", "T1"});
        const std::string other = services.files.at(kData);

        services.choiceAnswers = {c.answer};
        services.fileAnswers = {kData, "/share/mine.tor"};
        EXPECT_EQ(window.SaveDataFile(), c.saved);
        ASSERT_EQ(services.messages.size(), 1U); // a new name is not asked about
        const auto& question = services.messages[0];
        for (const char* part : {"The data file \"/share/catalogue.tor\" was changed on disk",
                                 "after it was loaded or last saved here",
                                 "It holds 1 record that is not here; saving over it loses it."})
            EXPECT_NE(question.text.find(part), std::string::npos) << part << ": " << question.text;
        EXPECT_EQ(question.choices,
                  (std::vector<std::string>{Document::kMergeAndSave, Document::kSaveOver,
                                            Document::kSaveUnderAnotherName, Document::kCancel}));
        const bool over = c.saved && c.answer != Document::kSaveUnderAnotherName;
        EXPECT_EQ(services.files.at(kData), over ? written(c.onDisk) : other);
        EXPECT_EQ(window.dataSet().text(), dataSetOf(c.here).text());
        EXPECT_EQ(window.display().countText, std::to_string(c.here.size()));
        EXPECT_EQ(services.fileAnswers.empty(), c.answer == Document::kSaveUnderAnotherName);
        if (c.answer == Document::kSaveUnderAnotherName) {
            EXPECT_EQ(services.files.at("/share/mine.tor"), written({"A", "B", "M1"}));
        }
        if (c.answer == Document::kMergeAndSave) {
            // Merged and saved: the file is this program's again.
            EXPECT_FALSE(window.document().holdsUnsavedChanges());
            ASSERT_TRUE(save());
            EXPECT_EQ(services.messages.size(), 1U);
        }
    }
}

TEST_F(FileGuardTest, MergeTakesTheRecordsPhotosAndDecisionsOfTheFileOnDisk) {
    writeOnDisk({"A", "B"}, {photoOf("A", "/share/a.jpg")}, {decisionOn("A", "B")});
    load();
    append("M1");
    window.LogDecision(decisionOn("M1", "A"));
    // Another copy appended T1 on a photo and decided on it, and gave B a
    // second record of the same values.
    PhotoEntry second = photoOf("B", "/share/b2.jpg");
    second.occurrence = 2;
    writeOnDisk({"A", "B", "T1", "B"},
                {photoOf("A", "/share/a.jpg"), photoOf("T1", "/share/t1.jpg"), second},
                {decisionOn("A", "B"), decisionOn("T1", "A")});

    services.choiceAnswers = {Document::kMergeAndSave};
    ASSERT_TRUE(save());
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_NE(services.messages[0].text.find("It holds 2 records, 2 photos and 1 decision"),
              std::string::npos)
        << services.messages[0].text;
    EXPECT_EQ(services.files.at(kData), written({"A", "B", "M1", "T1", "B"}));
    const auto back = PhotoCompanion::read(services.files.at(kCompanion), "/share");
    ASSERT_TRUE(back.ok) << back.error;
    std::vector<std::string> photos;
    for (const PhotoEntry& e : back.entries)
        photos.push_back(e.photoPath + "#" + std::to_string(e.occurrence));
    EXPECT_EQ(photos,
              (std::vector<std::string>{"/share/a.jpg#1", "/share/t1.jpg#1", "/share/b2.jpg#2"}));
    EXPECT_EQ(back.decisions, (std::vector<Decision>{decisionOn("A", "B"), decisionOn("M1", "A"),
                                                     decisionOn("T1", "A")}));
}

TEST_F(FileGuardTest, AChangedCompanionAloneIsAskedAboutByItsName) {
    writeOnDisk({"A", "B"}, {}, {decisionOn("A", "B")});
    load();
    append("M1");
    // Another copy only decided: the data file is as it was.
    services.writeFile(kCompanion, PhotoCompanion::write(
                                       {}, "/share", {decisionOn("A", "B"), decisionOn("B", "A")}));
    services.choiceAnswers = {Document::kMergeAndSave};
    ASSERT_TRUE(save());
    ASSERT_EQ(services.messages.size(), 1U);
    for (const char* part : {"The photos file \"/share/catalogue.tor.photos.json\" of the data "
                             "file \"/share/catalogue.tor\" was changed",
                             "It holds 1 decision that is not here"})
        EXPECT_NE(services.messages[0].text.find(part), std::string::npos)
            << part << ": " << services.messages[0].text;
    EXPECT_EQ(window.document().decisions().all(),
              (std::vector<Decision>{decisionOn("A", "B"), decisionOn("B", "A")}));
    EXPECT_EQ(services.files.at(kData), written({"A", "B", "M1"}));
}

// A file on disk that holds nothing this program lacks loses nothing when
// saved over; one that cannot be read cannot be told the same.
TEST_F(FileGuardTest, OnlyAFileThatHoldsMoreOrCannotBeReadIsAskedAbout) {
    // How the file on disk came to be: written whole, unreadable, or in a
    // form this program reads only in part (another program's line ends, or
    // cut short before the records its count line announces).
    enum Form { Whole, Unreadable, LfLineEnds, LfFirstLines, CutShort, CountTooSmall, CrCrLf };
    const std::vector<std::string> asked{Document::kSaveOver, Document::kSaveUnderAnotherName,
                                         Document::kCancel};
    const struct {
        const char* name;
        std::vector<std::string> onDisk;
        Form form;
        std::vector<std::string> choices;
        std::string reason;
    } cases[] = {
        {"unchanged", {"A", "B"}, Whole, {}, ""},
        {"rows reordered elsewhere", {"B", "A"}, Whole, {}, ""},
        {"a row removed elsewhere", {"B"}, Whole, {}, ""},
        {"cannot be read", {"A", "B", "T1"}, Unreadable, asked, "Permission denied"},
        {"saved elsewhere with LF line ends",
         {"A", "B", "T1"},
         LfLineEnds,
         asked,
         "it does not read as a whole data file"},
        // The count is read from "T1", as 0, and nothing is left unread.
        {"saved elsewhere with its first lines in LF",
         {"A", "B", "T1"},
         LfFirstLines,
         asked,
         "it does not read as a whole data file"},
        {"cut short before its last records",
         {"A", "B", "T1"},
         CutShort,
         asked,
         "it does not read as a whole data file"},
        {"a record appended elsewhere without counting it",
         {"A", "B", "T1"},
         CountTooSmall,
         asked,
         "it does not read as a whole data file"},
        {"saved elsewhere with CR CR LF line ends",
         {"A", "B", "T1"},
         CrCrLf,
         asked,
         "it does not read as a whole data file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        loadAAndBThenAppendM1();
        writeOnDisk(c.onDisk);
        std::string& bytes = services.files.at(kData);
        if (c.form == Unreadable)
            services.unreadable[kData] = "Permission denied";
        if (c.form == LfLineEnds)
            for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
                 at = bytes.find("\r\n", at))
                bytes.erase(at, 1);
        if (c.form == LfFirstLines)
            for (int at = 0; at < 3; ++at)
                bytes.erase(bytes.find("\r\n"), 1);
        if (c.form == CutShort)
            bytes.resize(bytes.find(line("T1")));
        if (c.form == CountTooSmall)
            bytes.replace(bytes.find("\r\n 3 \r\n"), 7, "\r\n 2 \r\n");
        if (c.form == CrCrLf)
            for (std::size_t at = bytes.find("\r\n"); at != std::string::npos;
                 at = bytes.find("\r\n", at + 3))
                bytes.insert(at, 1, '\r');
        const std::string before = bytes;
        if (!c.choices.empty())
            services.choiceAnswers = {Document::kCancel};
        EXPECT_EQ(save(), c.choices.empty());
        if (c.choices.empty()) {
            EXPECT_TRUE(services.messages.empty());
            EXPECT_EQ(services.files.at(kData), written({"A", "B", "M1"}));
        } else {
            ASSERT_EQ(services.messages.size(), 1U);
            EXPECT_EQ(services.messages[0].choices, c.choices);
            EXPECT_NE(
                services.messages[0].text.find("cannot be read to compare (" + c.reason + ")"),
                std::string::npos)
                << services.messages[0].text;
            EXPECT_EQ(services.files.at(kData), before);
        }
    }
}

// Lines after the records a file announces are never loaded, and the file
// on disk stays as it was loaded: the save over it is the last moment to
// keep them. Empty lines at its end hold nothing and ask nothing.
TEST_F(FileGuardTest, ASaveOverLinesLeftUnreadAsksUntilTheFileIsSavedOver) {
    const std::vector<std::string> asked{Document::kSaveOver, Document::kSaveUnderAnotherName,
                                         Document::kCancel};
    const auto loadWithTail = [&](const std::string& tail) {
        services.files.clear();
        services.messages.clear();
        writeOnDisk({"A"});
        services.files.at(kData) += tail;
        services.messageAnswers = {PlatformServices::Answer::Ok};
        services.choiceAnswers = {MainWindowModel::kDiscardThem};
        load();
        services.choiceAnswers.clear();
        services.messages.clear();
        return services.files.at(kData);
    };
    const std::string rowAdded = "\r\n" + line("Y") + "\r\n";

    std::string before = loadWithTail(rowAdded);
    services.choiceAnswers = {Document::kCancel};
    EXPECT_FALSE(save());
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].choices, asked);
    EXPECT_EQ(services.messages[0].text,
              "The data file \"" + kData + "\"" +
                  " holds lines after the records it announces, which were not loaded; saving "
                  "over it loses them.");
    EXPECT_EQ(services.files.at(kData), before);

    services.messages.clear();
    services.choiceAnswers = {Document::kSaveOver};
    EXPECT_TRUE(save());
    EXPECT_EQ(services.files.at(kData), written({"A"}));
    services.messages.clear();
    EXPECT_TRUE(save()); // what is on disk now is what is here
    EXPECT_TRUE(services.messages.empty());

    before = loadWithTail(rowAdded);
    services.choiceAnswers = {Document::kSaveUnderAnotherName};
    services.fileAnswers = {kData, "/share/kept.tor"};
    EXPECT_TRUE(window.SaveDataFile());
    EXPECT_EQ(services.files.at(kData), before);
    EXPECT_EQ(services.files.at("/share/kept.tor"), written({"A"}));
    // The file open is now the other one; choosing this one later still asks.
    services.messages.clear();
    services.choiceAnswers = {Document::kCancel};
    EXPECT_FALSE(save());
    EXPECT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.files.at(kData), before);

    loadWithTail("\r\n\r\n\r\n");
    EXPECT_TRUE(services.messages.empty()); // nor did the load warn
    EXPECT_TRUE(save());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(services.files.at(kData), written({"A"}));
}

// Lines ended by LF alone (an editor's or a checkout's line ends) make the
// whole file one line: its records are loaded as no record, yet they are
// all still on disk, and the save over it is the last moment to keep them.
TEST_F(FileGuardTest, ASaveOverAFileOfLfLineEndsAsksFirst) {
    const std::string whole = TorFile::write(MeasurementSheet{}, dataSetOf({"A", "B", "C"}));
    std::string lfOnly = whole;
    std::erase(lfOnly, '\r');
    // Only the first lines in LF: the count is read from "C", as 0, and
    // nothing of the file is left unread.
    std::string lfFirst = whole;
    for (int line = 0; line < 3; ++line)
        lfFirst.erase(lfFirst.find("\r\n"), 1);
    ASSERT_EQ(std::count(lfFirst.begin(), lfFirst.end(), '\r'), 4);
    for (const std::string& file : {lfFirst, lfOnly}) {
        services.files[kData] = file;
        services.messages.clear();
        services.messageAnswers = {PlatformServices::Answer::Ok};
        load();
        ASSERT_EQ(services.messages.size(), 1U); // the load's warning
        EXPECT_EQ(window.dataSet().RecordCount(), 0U);
        services.messages.clear();
        services.choiceAnswers = {Document::kCancel};
        EXPECT_FALSE(save());
        EXPECT_EQ(services.messages.size(), 1U);
        EXPECT_EQ(services.files.at(kData), file);
    }
    services.messages.clear();

    services.choiceAnswers = {Document::kCancel};
    EXPECT_FALSE(save());
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].choices,
              (std::vector<std::string>{Document::kSaveOver, Document::kSaveUnderAnotherName,
                                        Document::kCancel}));
    EXPECT_EQ(services.messages[0].text,
              "The data file \"" + kData +
                  "\" holds lines that end in LF alone, which were not loaded as records; "
                  "saving over it loses them.");
    EXPECT_EQ(services.files.at(kData), lfOnly);

    services.messages.clear();
    services.choiceAnswers = {Document::kSaveOver};
    EXPECT_TRUE(save());
    EXPECT_EQ(services.files.at(kData), written({}));
}

// Moved away or deleted since the load, the file holds no lines to lose:
// a question saying it does would be false.
TEST_F(FileGuardTest, AFileWithLinesLeftUnreadThatIsGoneIsNotAskedAbout) {
    writeOnDisk({"A"});
    services.files.at(kData) += "\r\n" + line("Y") + "\r\n";
    services.messageAnswers = {PlatformServices::Answer::Ok};
    load();
    ASSERT_EQ(services.messages.size(), 1U); // the load's warning
    services.messages.clear();
    services.files.erase(kData);
    EXPECT_TRUE(save());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(services.files.at(kData), written({"A"}));
}

TEST_F(FileGuardTest, ANewNameIsNeverAskedAbout) {
    writeOnDisk({"A"});
    load();
    append("M1");
    writeOnDisk({"A", "T1"});
    services.files["/share/other.tor"] = "a file the dialog already asked to replace";
    ASSERT_TRUE(save("/share/other.tor"));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(services.files.at("/share/other.tor"), written({"A", "M1"}));
    // The file saved is now the one guarded; the one loaded no longer is.
    writeOnDisk({"A", "T2"});
    ASSERT_TRUE(save());
    EXPECT_TRUE(services.messages.empty());
    services.writeFile(kData, TorFile::write(MeasurementSheet{}, dataSetOf({"A", "T3"})));
    services.choiceAnswers = {Document::kCancel};
    EXPECT_FALSE(save());
    EXPECT_EQ(services.messages.size(), 1U);
}

} // namespace
} // namespace korvex

namespace korvex {
namespace {

// Merge and Save is one step: when the data file cannot be written, the data
// here are as they were before the answer, and the file on disk too; once the
// data file is written, the merge stays with it even if its companion is not.
TEST_F(FileGuardTest, AMergeWhoseSaveFailsLeavesBothCataloguesAsTheyWere) {
    writeOnDisk({"A", "B"}, {photoOf("A", "/share/a.jpg")}, {decisionOn("A", "B")});
    load();
    append("M1");
    window.LogDecision(decisionOn("M1", "A"));
    writeOnDisk({"A", "B", "T1"}, {photoOf("A", "/share/a.jpg"), photoOf("T1", "/share/t1.jpg")},
                {decisionOn("A", "B"), decisionOn("T1", "A")});
    const std::string dataOnDisk = services.files.at(kData);
    const std::string companionOnDisk = services.files.at(kCompanion);
    const std::string text = window.dataSet().text();
    const CatalogueState state = *window.document().state();

    services.unwritable[kData] = "No space left on device";
    services.choiceAnswers = {Document::kMergeAndSave};
    services.messageAnswers = {PlatformServices::Answer::Ok};
    EXPECT_FALSE(save());
    ASSERT_EQ(services.messages.size(), 2U);
    EXPECT_NE(services.messages[1].text.find("No space left on device"), std::string::npos);
    EXPECT_EQ(window.dataSet().text(), text);
    EXPECT_EQ(*window.document().state(), state);
    EXPECT_TRUE(window.document().holdsUnsavedChanges());
    EXPECT_EQ(window.display().countText, "3");
    EXPECT_EQ(services.files.at(kData), dataOnDisk);
    EXPECT_EQ(services.files.at(kCompanion), companionOnDisk);

    // The file is still another's: the next save asks again and merges once.
    services.unwritable.clear();
    services.unwritable[kCompanion] = "Permission denied";
    services.choiceAnswers = {Document::kMergeAndSave};
    services.messageAnswers = {PlatformServices::Answer::Ok};
    EXPECT_FALSE(save());
    ASSERT_EQ(services.messages.size(), 4U);
    EXPECT_NE(services.messages[2].text.find("It holds 1 record, 1 photo and 1 decision"),
              std::string::npos)
        << services.messages[2].text;
    EXPECT_EQ(services.files.at(kData), written({"A", "B", "M1", "T1"}));
    EXPECT_EQ(window.dataSet().text(), dataSetOf({"A", "B", "M1", "T1"}).text());
    EXPECT_EQ(window.document().decisions().size(), 3U);
    EXPECT_TRUE(window.document().holdsUnsavedChanges());

    services.unwritable.clear();
    ASSERT_TRUE(save());
    EXPECT_EQ(services.messages.size(), 4U);
    const auto back = PhotoCompanion::read(services.files.at(kCompanion), "/share");
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.entries.size(), 2U);
    EXPECT_EQ(back.decisions.size(), 3U);
}

} // namespace
} // namespace korvex

namespace korvex {
namespace {

// A companion changed on disk that this program cannot read (damaged, or
// written by a newer version) may hold photos and decisions it cannot see:
// the save asks, naming that file, also when the data file changed as well.
TEST_F(FileGuardTest, AChangedCompanionThatCannotBeReadIsAskedAbout) {
    const struct {
        const char* name;
        bool dataChanged;
        std::string companion;
        std::string reason;
    } cases[] = {
        {"damaged", false, "{", "it is not valid JSON"},
        {"newer, with the data file reordered", true,
         R"({"format": "korvex-photos", "version": 99, "entries": []})",
         "it was written in format version 99 by a newer version of the program"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        services.files.clear();
        services.messages.clear();
        writeOnDisk({"A", "B"}, {photoOf("A", "/share/a.jpg")}, {decisionOn("A", "B")});
        services.choiceAnswers = {MainWindowModel::kDiscardThem}; // the case before's M1
        load();
        services.choiceAnswers.clear();
        services.messages.clear();
        append("M1");
        if (c.dataChanged)
            services.writeFile(kData, TorFile::write(MeasurementSheet{}, dataSetOf({"B", "A"})));
        services.writeFile(kCompanion, c.companion);
        const std::string data = services.files.at(kData);

        services.choiceAnswers = {Document::kCancel};
        EXPECT_FALSE(save());
        ASSERT_EQ(services.messages.size(), 1U);
        const auto& question = services.messages[0];
        for (const std::string& part :
             {std::string("The photos file \"/share/catalogue.tor.photos.json\""),
              "It cannot be read to compare (" + c.reason})
            EXPECT_NE(question.text.find(part), std::string::npos) << part << ": " << question.text;
        EXPECT_EQ(question.choices,
                  (std::vector<std::string>{Document::kSaveOver, Document::kSaveUnderAnotherName,
                                            Document::kCancel}));
        EXPECT_EQ(services.files.at(kData), data);
        EXPECT_EQ(services.files.at(kCompanion), c.companion);

        // Saved over by choice, the file is kept aside first.
        services.choiceAnswers = {Document::kSaveOver};
        ASSERT_TRUE(save());
        EXPECT_EQ(services.files.at(kCompanion + std::string(Document::kBrokenSuffix)),
                  c.companion);
    }
}

} // namespace
} // namespace korvex

namespace korvex {
namespace {

// A save whose companion could not be written leaves that file as it was on
// disk, and still known as such: a change another copy makes to it before
// the next save is asked about, not saved over.
TEST_F(FileGuardTest, ACompanionNotWrittenIsStillComparedAtTheNextSave) {
    writeOnDisk({"A", "B"}, {photoOf("A", "/share/a.jpg")}, {decisionOn("A", "B")});
    load();
    append("M1");
    services.unwritable[kCompanion] = "Permission denied";
    services.messageAnswers = {PlatformServices::Answer::Ok};
    EXPECT_FALSE(save());
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_NE(services.messages[0].text.find("could not be saved to"), std::string::npos);
    services.unwritable.clear();

    services.writeFile(kCompanion,
                       PhotoCompanion::write({photoOf("A", "/share/a.jpg")}, "/share",
                                             {decisionOn("A", "B"), decisionOn("B", "A")}));
    services.choiceAnswers = {Document::kMergeAndSave};
    ASSERT_TRUE(save());
    ASSERT_EQ(services.messages.size(), 2U);
    EXPECT_NE(services.messages[1].text.find("It holds 1 decision that is not here"),
              std::string::npos)
        << services.messages[1].text;
    const auto back = PhotoCompanion::read(services.files.at(kCompanion), "/share");
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.decisions, (std::vector<Decision>{decisionOn("A", "B"), decisionOn("B", "A")}));
}

} // namespace
} // namespace korvex
