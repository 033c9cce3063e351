#include "uilogic/MainWindowModel.h"

#include "MainWindowFixture.h"
#include "exchange/PhotoCompanion.h"
#include "exchange/RecoverySnapshot.h"
#include "exchange/TorFile.h"
#include "model/RecordLine.h"
#include "uilogic/CatalogueCommands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace korvex {
namespace {

using Answer = PlatformServices::Answer;
using Model = MainWindowModel;

const std::string kPhoto = "/data/photos/t.jpg";
const std::string kData = "/data/cat.tor";
const std::string kCompanion = "/data/cat.tor.photos.json";

// A record line of `code` whose values start with `first`, as a clipboard fill takes it.
std::string lineOf(const std::string& code, int first) {
    std::string line = code;
    for (int i = 0; i < 28; ++i)
        line += "\t" + std::to_string(first + i);
    return line;
}

// The companion keeps junctions to a hundredth of a pixel.
bool sameJunctions(const PhotoSegments& a, const PhotoSegments& b) {
    const auto near = [](const PhotoPixel& p, const PhotoPixel& q) {
        return std::abs(p.x - q.x) < 0.005 && std::abs(p.y - q.y) < 0.005;
    };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].has_value() != b[i].has_value() ||
            (a[i] && !(near(a[i]->from, b[i]->from) && near(a[i]->to, b[i]->to))))
            return false;
    return true;
}

// Each entry's record and photo, which a recovery copy or a companion keeps exactly.
std::vector<std::string> recordsAndPhotos(const SharedList<PhotoEntry>& entries) {
    std::vector<std::string> out;
    for (const PhotoEntry& e : entries)
        out.push_back(e.recordLine + "#" + std::to_string(e.occurrence) + "@" + e.photoPath);
    return out;
}

class RecordMendingTest : public test::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        services.files[kPhoto] = "jpeg bytes";
        services.pictures.push_back({kPhoto, {true, 6000 * 15.0F, 4000 * 15.0F, {}, nullptr, {}}});
    }
    // Opens the photo and clicks `clicks` junctions from box M1 on, `shift`
    // pixels apart from any other round.
    void digitise(int clicks, float shift = 0.0F) {
        services.fileAnswers.push_back(kPhoto);
        window.OpenPicture();
        d.moveFocus(SeamGroupId::LeftMarginal, 0);
        d.setChecked(1, true); // the first tick only unticks "Drag and Drop"
        d.setChecked(1, true);
        for (int i = 0; i < clicks; ++i)
            d.PointerDown(DigitisingModel::kLeftButton, 100.0F * float(i) + shift,
                          50.0F * float(i % 2) + shift);
    }
    void fill(const std::string& line) {
        services.setClipboardText(line);
        window.Command9_Click();
    }
    void append(const std::string& code) { appendAs(code); }
    void save() { saveTo(kData); }
    void load() { loadFrom(kData); }
    void decide(std::size_t query, std::size_t candidate, const std::string& tag) {
        window.LogDecision({window.document().identityOf(query),
                            window.document().identityOf(candidate), Verdict::SameAnimal, "D", tag,
                            services.now});
    }
    const Decision* decisionTagged(const std::string& tag) const {
        for (const Decision& decision : window.document().decisions().all())
            if (decision.distance == tag)
                return &decision;
        return nullptr;
    }
    const PhotoEntry* photoOf(std::size_t record) const {
        const RecordIdentity id = window.document().identityOf(record);
        return window.document().photoEntryOf(id.recordLine, id.occurrence);
    }
    std::string tor() const {
        DataSet expected;
        expected.setText(window.dataSet().text());
        return TorFile::write(d.sheet(), expected);
    }
    // Records 1 and 2 alike (T1, each keeping the photo), record 3 T2 with no
    // photo; decisions "a" 1-3, "b" 2-3 and "c" 3-1; saved.
    void catalogue() {
        digitise(9);
        append("T1");
        append("T1");
        fill(lineOf("X", 5));
        append("T2");
        decide(1, 3, "a");
        decide(2, 3, "b");
        decide(3, 1, "c");
        save();
    }
};

TEST_F(RecordMendingTest, ACodeChangedKeepsItsPhotoAndDecisionsThroughASaveAndAReload) {
    catalogue();
    const std::string saved = services.files.at(kData);
    const std::string first(window.dataSet().piece(0));
    const std::string third(window.dataSet().piece(2));
    const PhotoEntry kept = *photoOf(1);
    ASSERT_TRUE(window.ShowPickedRecord(1));
    services.inputAnswers.push_back("T7");
    window.ChangeCode();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(window.display().code, "T7");
    const std::string renamed = SpecimenRecord::withCode(first, "T7");
    EXPECT_EQ(window.dataSet().text(), renamed + "\r\n" + first + "\r\n" + third + "\r\n");
    EXPECT_TRUE(window.document().isModified());

    save();
    EXPECT_EQ(services.files.at(kData), tor());
    EXPECT_NE(services.files.at(kData), saved);
    load();
    ASSERT_EQ(window.dataSet().RecordCount(), 3U);
    // Record 1 is T7 and keeps its photo and junctions; record 2, the T1 left,
    // is now the first T1 and keeps its own.
    ASSERT_TRUE(photoOf(1));
    EXPECT_TRUE(sameJunctions(photoOf(1)->segments, kept.segments));
    EXPECT_EQ(photoOf(1)->recordLine, renamed);
    ASSERT_TRUE(photoOf(2));
    EXPECT_EQ(photoOf(2)->occurrence, 1U);
    EXPECT_FALSE(photoOf(3));
    const DecisionLog& log = window.document().decisions();
    const RecordIdentity r1 = window.document().identityOf(1);
    const RecordIdentity r2 = window.document().identityOf(2);
    const RecordIdentity r3 = window.document().identityOf(3);
    EXPECT_EQ(r1.code, "T7");
    ASSERT_TRUE(log.latestFor(r1, r3));
    EXPECT_EQ(log.latestFor(r1, r3)->distance, "c"); // the last of "a" and "c"
    EXPECT_EQ(decisionTagged("a")->query, r1);
    ASSERT_TRUE(log.latestFor(r2, r3));
    EXPECT_EQ(log.latestFor(r2, r3)->distance, "b");
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(RecordMendingTest, DeleteAsksFirstAndTheRecordsPhotoGoesWhileItsDecisionsStay) {
    catalogue();
    const std::string first(window.dataSet().piece(0));
    const std::string third(window.dataSet().piece(2));
    const RecordIdentity second = window.document().identityOf(2);
    window.aha_Click(Model::SelectRecord);
    ASSERT_TRUE(window.ShowPickedRecord(2));

    const RecoverySnapshot before = window.snapshot();
    services.messageAnswers.push_back(Answer::No);
    window.DeleteRecord();
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].buttons, PlatformServices::Buttons::YesNo);
    EXPECT_NE(services.messages[0].text.find("Delete record 2 (\"T1\")"), std::string::npos)
        << services.messages[0].text;
    EXPECT_EQ(window.snapshot(), before);

    services.messages.clear();
    services.messageAnswers.push_back(Answer::Yes);
    window.DeleteRecord();
    EXPECT_EQ(window.dataSet().text(), first + "\r\n" + third + "\r\n");
    EXPECT_EQ(window.display().countText, "2");
    EXPECT_EQ(window.listWindow().list().count(), 2U); // the pick list names what is left
    EXPECT_FALSE(window.recordShownNumber()); // record 2 is now another record, not yet shown

    save();
    EXPECT_EQ(services.files.at(kData), tor());
    load();
    ASSERT_TRUE(photoOf(1));
    EXPECT_FALSE(photoOf(2));
    ASSERT_EQ(window.document().photoEntries().size(), 1U);
    // Every decision is still in the log; those about the deleted record name
    // it as before, a record no longer in the data set.
    ASSERT_EQ(window.document().decisions().size(), 3U);
    EXPECT_EQ(decisionTagged("b")->query, second);
    EXPECT_EQ(indexOfOccurrence(window.dataSet().pieces(), second.recordLine, second.occurrence),
              window.dataSet().pieces().size());
    EXPECT_EQ(decisionTagged("a")->candidate, window.document().identityOf(2));
    EXPECT_EQ(decisionTagged("c")->query, window.document().identityOf(2));
}

TEST_F(RecordMendingTest, ReplacedValuesTakeThePhotoClickedOnOrKeepTheOneTheRecordHad) {
    catalogue();
    const PhotoEntry old = *photoOf(1);

    // Values typed by hand: the record keeps its photo entry as it was.
    ASSERT_TRUE(window.ShowPickedRecord(1));
    d.setBoxText(SeamGroupId::RightCentral, 5, "0.5");
    window.ReplaceValuesFromSheet();
    const std::string typed = SpecimenRecord::BuildRecordLine("T1", d.sheet());
    EXPECT_EQ(window.dataSet().piece(0), typed);
    ASSERT_TRUE(photoOf(1));
    EXPECT_EQ(photoOf(1)->segments, old.segments);
    EXPECT_EQ(photoOf(1)->recordLine, typed);
    EXPECT_EQ(decisionTagged("a")->query, window.document().identityOf(1));
    // Record 2 was the second of two alike and is now the only one.
    EXPECT_EQ(window.document().identityOf(2).occurrence, 1U);
    ASSERT_TRUE(photoOf(2));
    EXPECT_EQ(decisionTagged("b")->query, window.document().identityOf(2));

    // Three seams clicked again on the same photo: they take the new junctions,
    // the others keep theirs.
    ASSERT_TRUE(window.ShowPickedRecord(1));
    digitise(4, 7.0F);
    const auto clicked = d.segments();
    ASSERT_TRUE(clicked[0] && clicked[2] && !clicked[3]);
    window.ReplaceValuesFromSheet();
    ASSERT_TRUE(photoOf(1));
    for (std::size_t i = 0; i < clicked.size(); ++i)
        EXPECT_EQ(photoOf(1)->segments[i], clicked[i] ? clicked[i] : old.segments[i]) << i;
    EXPECT_EQ(photoOf(1)->appendedAt, old.appendedAt);

    // A record that kept no photo gets the one clicked on.
    ASSERT_TRUE(window.ShowPickedRecord(3));
    digitise(3, 3.0F);
    const auto onThird = d.segments();
    window.ReplaceValuesFromSheet();
    EXPECT_EQ(SpecimenRecord::codeOf(window.dataSet().piece(2)), "T2");
    ASSERT_TRUE(photoOf(3));
    EXPECT_EQ(photoOf(3)->segments, onThird);
    EXPECT_EQ(photoOf(3)->photoPath, kPhoto);
    EXPECT_EQ(decisionTagged("c")->query, window.document().identityOf(3));

    // The same values again change nothing, and say so.
    ASSERT_TRUE(window.ShowPickedRecord(3));
    const RecoverySnapshot before = window.snapshot();
    services.messageAnswers.push_back(Answer::Ok);
    window.ReplaceValuesFromSheet();
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].text, "Record 3 holds the values on the sheet already.");
    EXPECT_EQ(window.snapshot(), before);

    save();
    EXPECT_EQ(services.files.at(kData), tor());
    load();
    ASSERT_TRUE(photoOf(1) && photoOf(2) && photoOf(3));
    EXPECT_TRUE(sameJunctions(photoOf(3)->segments, onThird));
}

TEST_F(RecordMendingTest, RenamingAnAnimalGivesEveryRecordOfItTheCodeByThePattern) {
    const std::vector<std::string> codes = {"T001", "T001r2", "t001", "T002", "T0010", " T001 "};
    const struct {
        std::string pattern;
        std::size_t shown;
        std::set<std::size_t> renamed;
    } cases[] = {
        {"^[A-Za-z]+[0-9]+", 2, {1, 2, 3, 6}},
        {"", 1, {1, 3, 6}}, // each code one animal, blanks and case aside
        {"^[A-Za-z]+[0-9]+", 5, {5}},
    };
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern + " from record " + std::to_string(c.shown));
        // The log keeps the decisions of the rounds before.
        const std::string a = "a" + std::to_string(++round);
        const std::string b = "b" + std::to_string(round);
        std::string text;
        for (std::size_t i = 0; i < codes.size(); ++i)
            text += lineOf(codes[i], int(i)) + "\r\n";
        services.setClipboardText(text);
        // The rounds before left changes that are not saved: this load asks first.
        if (round > 1)
            services.choiceAnswers.push_back(Model::kDiscardThem);
        window.load_Click(Model::LoadFromClipboard);
        services.messages.clear();
        decide(1, 4, a);
        decide(4, c.shown, b);
        const auto before = window.document().state();

        ASSERT_TRUE(window.ShowPickedRecord(c.shown));
        services.inputAnswers.push_back(c.pattern);
        services.inputAnswers.push_back("T9");
        window.RenameAnimal();
        EXPECT_TRUE(services.messages.empty());
        EXPECT_EQ(window.individualPattern(), c.pattern);
        const auto pieces = window.dataSet().pieces();
        for (std::size_t i = 0; i < codes.size(); ++i)
            EXPECT_EQ(pieces[i], lineOf(c.renamed.count(i + 1) ? "T9" : codes[i], int(i))) << i;
        EXPECT_EQ(window.display().code, "T9");
        EXPECT_EQ(decisionTagged(a)->query, window.document().identityOf(1));
        EXPECT_EQ(decisionTagged(b)->candidate, window.document().identityOf(c.shown));
        EXPECT_EQ(decisionTagged(b)->candidate.code, "T9");

        // One step takes all of it back.
        window.UndoRecordChange();
        EXPECT_EQ(window.dataSet().text(), text);
        EXPECT_EQ(window.document().state(), before);
        EXPECT_EQ(window.display().code, codes[c.shown - 1]);
        EXPECT_EQ(window.recordShownNumber(), c.shown);
    }
}

TEST_F(RecordMendingTest, WithoutARecordShownEachCommandSaysSoAndChangesNothing) {
    const std::pair<const char*, std::function<void()>> commands[] = {
        {Model::kChangeCodeTitle,
         [&] {
             window.ChangeCode();
         }},
        {Model::kReplaceValuesTitle,
         [&] {
             window.ReplaceValuesFromSheet();
         }},
        {Model::kDeleteRecordTitle,
         [&] {
             window.DeleteRecord();
         }},
        {Model::kRenameAnimalTitle,
         [&] {
             window.RenameAnimal();
         }},
    };
    const std::pair<const char*, std::function<void()>> situations[] = {
        {"at start-up",
         [] {
         }},
        {"after a file was loaded",
         [&] {
             fill(lineOf("X", 1));
             append("T1");
             save();
             ASSERT_TRUE(window.ShowPickedRecord(1));
             load();
         }},
        {"on the piece after the last record",
         [&] {
             window.ShowRecord(2);
             ASSERT_EQ(window.photoRecords().shown()->recordLine, "");
         }},
        {"after the record shown was deleted",
         [&] {
             ASSERT_TRUE(window.ShowPickedRecord(1));
             services.messageAnswers.push_back(Answer::Yes);
             window.DeleteRecord();
             services.messages.clear();
             ASSERT_EQ(window.dataSet().RecordCount(), 0U);
         }},
    };
    for (const auto& [situation, reach] : situations) {
        reach();
        for (const auto& [title, command] : commands) {
            SCOPED_TRACE(std::string(situation) + ": " + title);
            services.messages.clear();
            const RecoverySnapshot before = window.snapshot();
            services.messageAnswers.push_back(Answer::Ok);
            command();
            ASSERT_EQ(services.messages.size(), 1U);
            EXPECT_EQ(services.messages[0].text, Model::kNoRecordShown);
            EXPECT_EQ(services.messages[0].title, title);
            EXPECT_EQ(window.snapshot(), before);
        }
    }
}

TEST_F(RecordMendingTest, ACodeThatWouldBreakTheRecordIsRefusedAndCancelChangesNothing) {
    fill(lineOf("X", 1));
    append("T1");
    ASSERT_TRUE(window.ShowPickedRecord(1));
    const RecoverySnapshot before = window.snapshot();
    const std::string refused = *SpecimenRecord::codeProblem("\t");
    const std::pair<const char*, std::function<void()>> tries[] = {
        {"a TAB",
         [&] {
             services.inputAnswers.push_back("T\t2");
             window.ChangeCode();
         }},
        {"a CR",
         [&] {
             services.inputAnswers.push_back("T2\r");
             window.ChangeCode();
         }},
        {"an LF",
         [&] {
             services.inputAnswers.push_back("\nT2");
             window.ChangeCode();
         }},
        {"a TAB in a rename",
         [&] {
             services.inputAnswers.push_back("");
             services.inputAnswers.push_back("T\t2");
             window.RenameAnimal();
         }},
    };
    for (const auto& [name, attempt] : tries) {
        services.messages.clear();
        services.messageAnswers.push_back(Answer::Ok);
        attempt();
        ASSERT_EQ(services.messages.size(), 1U) << name;
        EXPECT_EQ(services.messages[0].text, refused) << name;
        EXPECT_EQ(window.snapshot(), before) << name;
    }
    // Cancel at the code question, or at the pattern question of a rename.
    services.messages.clear();
    for (const auto& command : {&Model::ChangeCode, &Model::RenameAnimal}) {
        services.cancelNextQuestion = true;
        (window.*command)();
        EXPECT_EQ(window.snapshot(), before);
    }
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(window.document().canUndo());

    // A sheet value holding a TAB would shift the fields after it.
    d.setBoxText(SeamGroupId::LeftMarginal, 2, "1\t2");
    const RecoverySnapshot withTab = window.snapshot();
    services.messageAnswers.push_back(Answer::Ok);
    window.ReplaceValuesFromSheet();
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_NE(services.messages[0].text.find("M3"), std::string::npos);
    EXPECT_EQ(window.snapshot(), withTab);
}

TEST_F(RecordMendingTest, AFindingShownFromCheckTheCatalogueIsTheRecordTheCommandsMend) {
    const std::string a = lineOf("T1", 1);
    const std::string b = lineOf("T2", 40);
    services.setClipboardText(a + "\r\n" + b + "\r\n" + a + "\r\n");
    window.load_Click(Model::LoadFromClipboard);
    CatalogueCommands commands(services, window);
    services.inputAnswers.push_back("");
    const auto check = commands.start(CatalogueCommands::Command::Check);
    ASSERT_TRUE(check);
    ASSERT_EQ(check->run(), CatalogueCommands::Outcome::Done);
    const auto& findings = check->audit()->findings;
    ASSERT_FALSE(findings.empty());
    ASSERT_EQ(findings[0].type, CatalogueAudit::Type::DuplicateLine);
    ASSERT_TRUE(commands.show(*check, 0));
    ASSERT_EQ(window.recordShownNumber(), findings[0].record);

    services.messageAnswers.push_back(Answer::Yes);
    window.DeleteRecord();
    std::vector<std::string> left = {a, b, a};
    left.erase(left.begin() + long(findings[0].record - 1));
    EXPECT_EQ(window.dataSet().text(), left[0] + "\r\n" + left[1] + "\r\n");
}

TEST_F(RecordMendingTest, UndoGoesBackToTheSavedFilesAndEndsWithTheNextSave) {
    catalogue();
    const std::string tor = services.files.at(kData);
    const std::string companion = services.files.at(kCompanion);
    ASSERT_TRUE(window.ShowPickedRecord(1));
    services.inputAnswers.push_back("T7");
    window.ChangeCode();
    ASSERT_TRUE(window.ShowPickedRecord(3));
    services.messageAnswers.push_back(Answer::Yes);
    window.DeleteRecord();
    ASSERT_EQ(window.dataSet().RecordCount(), 2U);

    window.UndoRecordChange();
    EXPECT_EQ(window.display().countText, "3");
    EXPECT_EQ(window.recordShownNumber(), 3U); // the record number display's record is back
    window.UndoRecordChange();
    EXPECT_FALSE(window.document().isModified());
    EXPECT_TRUE(services.messages.size() == 1U); // only the delete question
    save();
    EXPECT_EQ(services.files.at(kData), tor);
    EXPECT_EQ(services.files.at(kCompanion), companion);

    // Nothing before a save can be taken back after it.
    ASSERT_TRUE(window.ShowPickedRecord(1));
    services.inputAnswers.push_back("T8");
    window.ChangeCode();
    save();
    services.messages.clear();
    services.messageAnswers.push_back(Answer::Ok);
    window.UndoRecordChange();
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].text, Model::kNothingToUndo);
    EXPECT_EQ(SpecimenRecord::codeOf(window.dataSet().piece(0)), "T8");
}

// The recovery copy names the companion on disk for what it still holds; the
// entries and decisions a mend changed must come back as mended.
TEST_F(RecordMendingTest, ARecoveryCopyAfterAMendRestoresTheMendedPhotosAndDecisions) {
    catalogue();
    ASSERT_TRUE(window.ShowPickedRecord(1));
    services.inputAnswers.push_back("T7");
    window.ChangeCode();
    const CatalogueState mended = *window.document().state();

    auto read = RecoverySnapshot::read(window.snapshot().write());
    ASSERT_TRUE(std::holds_alternative<RecoverySnapshot>(read));
    RecoverySnapshot& copy = std::get<RecoverySnapshot>(read);
    ASSERT_EQ(copy.takeSavedPhotos(services.files.at(kCompanion), "/data"),
              RecoverySnapshot::SavedPhotos::Same);
    EXPECT_EQ(recordsAndPhotos(copy.photos->entries), recordsAndPhotos(mended.entries));
    ASSERT_EQ(copy.photos->entries.size(), 2U);
    EXPECT_TRUE(sameJunctions(copy.photos->entries[0].segments, mended.entries[0].segments));
    EXPECT_EQ(copy.photos->decisions, mended.decisions);
}

} // namespace
} // namespace korvex
