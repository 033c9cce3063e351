#include "uilogic/MainWindowModel.h"

#include "FakePlatformServices.h"
#include "exchange/PhotoCompanion.h"
#include "exchange/TorFile.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"
#include "uilogic/CheckWindowModel.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace korvex {
namespace {

using test::FakePlatformServices;
using Answer = PlatformServices::Answer;
using Outcome = MainWindowModel::RecoveryOutcome;
constexpr auto LM = SeamGroupId::LeftMarginal;

const std::string kLine = "K\xE9"
                          "1\t3\t3\t3\t3\t3\t3\t3\t3\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0"
                          "\t0\t0\t0\t0\t0\t0";

class MainWindowRecoveryTest : public ::testing::Test {
protected:
    FakePlatformServices services;
    MainWindowModel window{services};
    DigitisingModel& d = window.digitising();
    int changes = 0;

    void SetUp() override {
        window.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
        window.onChanged = [this] {
            ++changes;
        };
    }
};

TEST_F(MainWindowRecoveryTest, EveryChangeOfTheDataSetOrTheSheetIsReported) {
    services.files["/data/one.tor"] = "\t1\r\n\r\n 1 \r\n" + kLine + "\r\n\r\n";
    const std::pair<const char*, std::function<void()>> actions[] = {
        {"box edit",
         [&] {
             d.setBoxText(LM, 2, "7");
         }},
        {"digitised value",
         [&] {
             d.setChecked(1, true);
             changes = 0;
             d.PointerDown(DigitisingModel::kLeftButton, 100, 100);
             d.PointerDown(DigitisingModel::kLeftButton, 400, 500);
             ASSERT_EQ(d.sheet().cell(LM, 0), "500");
         }},
        {"standardise",
         [&] {
             window.Command_Click(1);
         }},
        {"clear sheet",
         [&] {
             window.Command_Click(4);
         }},
        {"append",
         [&] {
             services.inputAnswers.push_back("A1");
             window.Command_Click(12);
         }},
        {"fill from the clipboard",
         [&] {
             services.setClipboardText(kLine);
             window.Command_Click(9);
         }},
        {"load from clipboard",
         [&] {
             services.setClipboardText(kLine + "\r\n" + kLine + "\r\n");
             services.choiceAnswers.push_back(MainWindowModel::kDiscardThem); // the append
             window.load_Click(MainWindowModel::LoadFromClipboard);
         }},
        {"next record",
         [&] {
             window.Command_Click(11);
         }},
        {"load from file",
         [&] {
             services.fileAnswers.push_back("/data/one.tor");
             window.load_Click(MainWindowModel::LoadFromFile);
         }},
        {"save to another file",
         [&] {
             services.fileAnswers.push_back("/data/two.tor");
             window.save_Click(MainWindowModel::SaveToFile);
         }},
    };
    for (const auto& [name, action] : actions) {
        changes = 0;
        action();
        EXPECT_GT(changes, 0) << name;
    }
}

TEST_F(MainWindowRecoveryTest, YesRestoresTheDataSetTheSheetAndTheDisplaysExactly) {
    FakePlatformServices otherServices;
    MainWindowModel crashed(otherServices);
    otherServices.setClipboardText(kLine + "\r\n\x8A\x9A\xE8\r\n");
    crashed.load_Click(MainWindowModel::LoadFromClipboard);
    crashed.PreviousRecord();
    crashed.digitising().setBoxText(SeamGroupId::RightCentral2, 6, "\xFF\x01");
    crashed.digitising().setBoxText(SeamGroupId::RightMarginal, 0, "2");
    crashed.Command_Click(2); // lower-case labels and a disabled button for M9..M16
    const RecoverySnapshot before = crashed.snapshot();
    ASSERT_EQ(before.display.code, "K\xE9"
                                   "1");
    ASSERT_TRUE(before.labelsLower[1]);

    services.messageAnswers.push_back(Answer::Yes);
    const auto outcome = window.OfferRecovery(
        before.write(), "9 December 2026 01:02:03",
        [] {
            ADD_FAILURE() << "a readable copy was moved aside";
            return std::string();
        },
        "/state/x.declined");
    EXPECT_EQ(outcome, Outcome::Restored);
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].title, "KORVEX");
    EXPECT_EQ(services.messages[0].buttons, PlatformServices::Buttons::YesNo);
    EXPECT_NE(services.messages[0].text.find("from 9 December 2026 01:02:03 (2 records"),
              std::string::npos)
        << services.messages[0].text;
    EXPECT_EQ(window.snapshot(), before);
    EXPECT_EQ(d.sheet().labelCaption(SeamGroupId::RightMarginal, 0), "m9");
    EXPECT_FALSE(d.commandEnabled(SeamGroupId::RightMarginal));
    EXPECT_GT(changes, 0); // the restored data are kept again at once
}

TEST_F(MainWindowRecoveryTest, NoOrAnUnreadableCopyLeavesTheStartUpState) {
    const RecoverySnapshot fresh = window.snapshot();
    RecoverySnapshot s;
    s.dataSet = kLine + "\r\n";
    services.messageAnswers.push_back(Answer::No);
    EXPECT_EQ(window.OfferRecovery(
                  s.write(), "then", [] { return std::string(); }, "/state/x.declined"),
              Outcome::Declined);
    EXPECT_EQ(window.snapshot(), fresh);
    // A No must not be taken for "delete them" unannounced.
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_NE(services.messages[0].text.find("If you answer No, they are kept as "
                                             "\"/state/x.declined\" and not offered again."),
              std::string::npos)
        << services.messages[0].text;

    std::string copy = s.write();
    copy.resize(copy.size() - 3);
    int keptAside = 0;
    services.messageAnswers.push_back(Answer::Ok);
    EXPECT_EQ(window.OfferRecovery(
                  copy, "then",
                  [&] {
                      ++keptAside;
                      return std::string("/state/x.unreadable");
                  },
                  "/state/x.declined"),
              Outcome::Unreadable);
    EXPECT_EQ(keptAside, 1);
    ASSERT_EQ(services.messages.size(), 2U);
    EXPECT_EQ(services.messages[1].buttons, PlatformServices::Buttons::Ok);
    EXPECT_EQ(services.messages[1].title, "KORVEX");
    EXPECT_NE(services.messages[1].text.find("\"/state/x.unreadable\""), std::string::npos);
    EXPECT_EQ(window.snapshot(), fresh);
    EXPECT_EQ(changes, 0);
}

TEST_F(MainWindowRecoveryTest, ACopyOfALaterVersionIsLeftForThatVersion) {
    const RecoverySnapshot fresh = window.snapshot();
    RecoverySnapshot s;
    s.dataSet = kLine + "\r\n";
    std::string copy = s.write();
    copy[21] = '4';
    services.messageAnswers.push_back(Answer::Ok);
    EXPECT_EQ(window.OfferRecovery(
                  copy, "then",
                  [] {
                      ADD_FAILURE() << "a later version's copy was moved aside";
                      return std::string();
                  },
                  "/state/x.declined"),
              Outcome::Unreadable);
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].buttons, PlatformServices::Buttons::Ok);
    EXPECT_NE(services.messages[0].text.find("kept for recovery in a copy, but it was written by a "
                                             "later version of KORVEX"),
              std::string::npos)
        << services.messages[0].text;
    EXPECT_NE(services.messages[0].text.find("left for that version to offer"), std::string::npos);
    EXPECT_EQ(window.snapshot(), fresh);
}

// --- the photos of the records ---------------------------------------------

const std::string kData = "/data/cat.tor";
const std::string kCompanion = "/data/cat.tor.photos.json";

// A record line with M1 `m1` and every other value 0.1.
std::string recordLine(const std::string& code, double m1) {
    MeasurementSheet sheet;
    for (std::size_t i = 0; i < 28; ++i)
        sheet.setValue(i, i == 0 ? fixedText(m1, 4) : "0.1");
    return SpecimenRecord::BuildRecordLine(code, sheet);
}

PhotoEntry entryOf(const std::string& line, const std::string& photo, double x) {
    PhotoEntry entry;
    entry.recordLine = line;
    entry.photoPath = photo;
    entry.widthPixels = 6000;
    entry.heightPixels = 4000;
    entry.segments[0] = PhotoSegment{{x, 10.25}, {x + 300.5, 20}};
    entry.segments[16] = PhotoSegment{{1, 2}, {3, 4}};
    entry.appendedAt = "2026-05-20T08:00:00Z";
    return entry;
}

TEST_F(MainWindowRecoveryTest, ARestoreKeepsThePhotosAndDecisionsThatASaveWritesBack) {
    // A data file whose companion keeps the junctions of both records and a decision.
    DataSet onDisk;
    onDisk.AppendRecord(recordLine("A", 0.1));
    onDisk.AppendRecord(recordLine("B", 0.2));
    services.files[kData] = TorFile::write(MeasurementSheet{}, onDisk);
    const auto pieces = onDisk.pieces();
    const std::vector<PhotoEntry> entries = {
        entryOf(std::string(pieces[0]), "/data/photos/a.jpg", 100.5),
        entryOf(std::string(pieces[1]), "/elsewhere/b.jpg", 2000.75)};
    const Decision earlier{{"A", std::string(pieces[0]), 1},
                           {"B", std::string(pieces[1]), 1},
                           Verdict::Unsure,
                           "D1",
                           "0.1000",
                           "2026-05-20T08:10:00Z"};
    services.files[kCompanion] = PhotoCompanion::write(entries, "/data", {earlier});

    // The program that crashes loads it, appends a record digitised on a
    // photo and decides on a candidate, all unsaved.
    MainWindowModel crashed(services);
    crashed.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
    services.fileAnswers.push_back(kData);
    crashed.LoadDataFile();
    ASSERT_EQ(crashed.document().photoEntries(), entries);
    const std::string photo = "/data/photos/c.jpg";
    services.files[photo] = "jpeg bytes";
    services.pictures.push_back({photo, {true, 6000 * 15.0F, 4000 * 15.0F, {}, nullptr, {}}});
    services.fileAnswers.push_back(photo);
    crashed.OpenPicture();
    DigitisingModel& cd = crashed.digitising();
    cd.setChecked(1, true); // the first tick only unticks "Drag and Drop"
    cd.setChecked(1, true);
    cd.PointerDown(DigitisingModel::kLeftButton, 100, 100);
    cd.PointerDown(DigitisingModel::kLeftButton, 400, 500);
    services.inputAnswers.push_back("C");
    crashed.AppendToList();
    ASSERT_EQ(crashed.document().photoEntries().size(), 3U);
    crashed.FillSheetFromText(recordLine("", 0.3));
    crashed.comp_Click(MainWindowModel::Combined);
    CheckWindowModel checks(crashed, services);
    ASSERT_TRUE(checks.checkSelected(0));
    services.now = "2026-05-24T10:00:00Z";
    ASSERT_TRUE(checks.decide(Verdict::SameAnimal));
    const std::string copy = crashed.snapshot().write();

    services.messageAnswers.push_back(Answer::Yes);
    ASSERT_EQ(window.OfferRecovery(
                  copy, "then", [] { return std::string(); }, "/state/x.declined"),
              Outcome::Restored);
    const CatalogueState restored = *window.document().state();
    const CatalogueState lost = *crashed.document().state();
    EXPECT_EQ(restored.dataFilePath, kData);

    // Saved over the same file, the companion holds what the crashed
    // program would have written, byte for byte.
    services.fileAnswers.push_back(kData);
    ASSERT_TRUE(window.SaveDataFile());
    const std::string saved = services.files.at(kCompanion);
    const auto back = PhotoCompanion::read(saved, "/data");
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.entries.size(), 3U);
    EXPECT_EQ(back.decisions, lost.decisions.all());
    services.fileAnswers.push_back(kData);
    ASSERT_TRUE(crashed.SaveDataFile());
    EXPECT_EQ(saved, services.files.at(kCompanion));
    EXPECT_EQ(services.messages.size(), 1U); // the question, and nothing went wrong

    EXPECT_EQ(restored.decisions, lost.decisions);
    ASSERT_EQ(restored.entries.size(), 3U);
    EXPECT_EQ(restored.entries[0], entries[0]);
    EXPECT_EQ(restored.entries[1], entries[1]);
    EXPECT_EQ(restored.entries[2].photoPath, photo);
}

TEST_F(MainWindowRecoveryTest, ACopyHoldsOnlyWhatIsNotSavedAndNothingOnDiskIsLost) {
    DataSet onDisk;
    std::vector<PhotoEntry> entries;
    for (int r = 0; r < 200; ++r) {
        onDisk.AppendRecord(recordLine("R" + std::to_string(r), 0.1 + r * 0.001));
        entries.push_back(entryOf(std::string(onDisk.pieces()[std::size_t(r)]),
                                  "/data/photos/r" + std::to_string(r) + ".jpg", r));
    }
    services.files[kData] = TorFile::write(MeasurementSheet{}, onDisk);
    services.files[kCompanion] = PhotoCompanion::write(entries, "/data", {});
    services.fileAnswers.push_back(kData);
    window.LoadDataFile();
    EXPECT_FALSE(window.document().isModified());
    const std::string clean = window.snapshot().write();
    // The photos saved beside the data file are named, not copied.
    EXPECT_EQ(clean.find("r17.jpg"), std::string::npos);
    EXPECT_LT(clean.size(), window.dataSet().text().size() + 2048);

    const auto offer = [&](MainWindowModel& program, const std::string& copy, int messages) {
        program.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
        services.messageAnswers.push_back(Answer::Yes);
        for (int i = 1; i < messages; ++i)
            services.messageAnswers.push_back(Answer::Ok);
        return program.OfferRecovery(
            copy, "then", [] { return std::string(); }, "/state/x.declined");
    };
    MainWindowModel back(services);
    ASSERT_EQ(offer(back, clean, 1), Outcome::Restored);
    EXPECT_EQ(*back.document().state(), *window.document().state());
    EXPECT_EQ(back.dataSet().text(), window.dataSet().text());
    EXPECT_FALSE(back.document().isModified());

    // One record appended: unsaved, and the copy grows by that record only.
    services.inputAnswers.push_back("NEW");
    window.AppendToList();
    EXPECT_TRUE(window.document().isModified());
    const std::string appended = window.snapshot().write();
    EXPECT_LT(appended.size(), clean.size() + 512);

    // The companion changed on disk since: what it holds now is taken, and said.
    services.files[kCompanion] = PhotoCompanion::write({entries[5]}, "/data", {});
    MainWindowModel later(services);
    const std::size_t messagesBefore = services.messages.size();
    ASSERT_EQ(offer(later, appended, 2), Outcome::Restored);
    EXPECT_EQ(later.document().photoEntries(), std::vector<PhotoEntry>{entries[5]});
    EXPECT_TRUE(later.document().isModified());
    ASSERT_EQ(services.messages.size(), messagesBefore + 2);
    EXPECT_NE(services.messages.back().text.find("changed after the unsaved data were kept"),
              std::string::npos);
}

} // namespace
} // namespace korvex

namespace korvex {
namespace {

// A program loads kData, appends record "C" and is killed: its recovery copy,
// and the line of the record it appended.
struct Crashed {
    std::string copy;
    std::string appended;
};
Crashed crashAfterAppendingTo(FakePlatformServices& services) {
    MainWindowModel crashed(services);
    crashed.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
    services.fileAnswers.push_back(kData);
    crashed.LoadDataFile();
    crashed.FillSheetFromText(recordLine("", 0.3));
    services.inputAnswers.push_back("C");
    crashed.AppendToList();
    return {crashed.snapshot().write(), std::string(crashed.dataSet().pieces()[2])};
}

// After a crash the data file may be changed by another program before the
// copy is restored: a save over it must not lose what that program added,
// nor ask when nothing was added.
TEST_F(MainWindowRecoveryTest, ASaveAfterARestoreComparesTheDataFileOnDisk) {
    const std::string a = recordLine("A", 0.1);
    const std::string b = recordLine("B", 0.2);
    const std::string added = recordLine("T", 0.4);
    const struct {
        const char* name;
        std::vector<std::string> onDiskAfterCrash;
        bool asked;
    } cases[] = {
        {"unchanged since", {a, b}, false},
        {"a record added since", {a, b, added}, true},
        {"a record removed since", {a}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        services.files.clear();
        services.messages.clear();
        DataSet onDisk;
        onDisk.AppendRecord(a);
        onDisk.AppendRecord(b);
        services.files[kData] = TorFile::write(MeasurementSheet{}, onDisk);

        const auto [copy, appended] = crashAfterAppendingTo(services);

        DataSet later;
        for (const std::string& line : c.onDiskAfterCrash)
            later.AppendRecord(line);
        services.files[kData] = TorFile::write(MeasurementSheet{}, later);

        MainWindowModel restarted(services);
        restarted.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
        services.messageAnswers.push_back(Answer::Yes);
        ASSERT_EQ(restarted.OfferRecovery(
                      copy, "then", [] { return std::string(); }, "/state/x.declined"),
                  Outcome::Restored);
        if (c.asked)
            services.choiceAnswers.push_back(Document::kMergeAndSave);
        services.fileAnswers.push_back(kData);
        ASSERT_TRUE(restarted.SaveDataFile());
        ASSERT_EQ(services.messages.size(), c.asked ? 2U : 1U);
        if (c.asked) {
            // Not "changed after it was loaded": this run never loaded it.
            for (const char* part : {"has not been loaded or saved here since the unsaved data "
                                     "were restored",
                                     "It holds 1 record that is not here"})
                EXPECT_NE(services.messages[1].text.find(part), std::string::npos)
                    << services.messages[1].text;
        }
        std::vector<std::string> expected{a, b, appended};
        if (c.asked)
            expected.push_back(added);
        const auto saved = TorFile::read(services.files.at(kData));
        std::vector<std::string> lines;
        for (const std::string_view piece : DataSet::splitPieces(saved.dataSetText))
            if (!piece.empty())
                lines.emplace_back(piece);
        EXPECT_EQ(lines, expected);
    }
}

// A restored catalogue has its data file open as a loaded one has: another
// copy opening it must be told, unless that copy had it first.
TEST_F(MainWindowRecoveryTest, ARestoredCatalogueLocksItsDataFileAsALoadDoes) {
    const PlatformServices::LockHolder other{"bob", "fieldpc", "24 May 2026 09:30"};
    const struct {
        const char* name;
        bool onDisk, heldElsewhere, lockedHere;
    } cases[] = {
        {"the file is there", true, false, true},
        {"another copy has it open", true, true, false},
        {"the file is gone", false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        services.files.clear();
        services.otherLocks.clear();
        DataSet onDisk;
        onDisk.AppendRecord(recordLine("A", 0.1));
        services.files[kData] = TorFile::write(MeasurementSheet{}, onDisk);
        const std::string copy = crashAfterAppendingTo(services).copy;
        ASSERT_TRUE(services.heldLocks.empty());
        if (!c.onDisk)
            services.files.erase(kData);
        if (c.heldElsewhere)
            services.otherLocks[kData] = other;
        services.messages.clear();
        {
            MainWindowModel restarted(services);
            restarted.StartUp([] {
                return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120};
            });
            services.messageAnswers.push_back(Answer::Yes);
            ASSERT_EQ(restarted.OfferRecovery(
                          copy, "then", [] { return std::string(); }, "/state/x.declined"),
                      Outcome::Restored);
            EXPECT_EQ(services.heldLocks.count(kData), c.lockedHere ? 1U : 0U);
            EXPECT_EQ(services.messages.size(), 1U); // only the question
        }
        EXPECT_TRUE(services.heldLocks.empty());
    }
}

// A copy that names no data file (one of the first version, or of data taken
// from the clipboard) saved over the user's catalogue: the companion there
// keeps its photos unless the user chooses otherwise.
TEST_F(MainWindowRecoveryTest, ACopyNamingNoDataFileSavedOverACatalogueKeepsItsPhotos) {
    DataSet onDisk;
    onDisk.AppendRecord(recordLine("A", 0.1));
    services.files[kData] = TorFile::write(MeasurementSheet{}, onDisk);
    const std::vector<PhotoEntry> entries = {
        entryOf(std::string(onDisk.pieces()[0]), "/data/photos/a.jpg", 100.5)};
    services.files[kCompanion] = PhotoCompanion::write(entries, "/data", {});
    RecoverySnapshot left;
    left.dataSet = onDisk.text() + recordLine("C", 0.3) + "\r\n";
    services.messageAnswers.push_back(Answer::Yes);
    ASSERT_EQ(window.OfferRecovery(
                  left.write(), "then", [] { return std::string(); }, "/x"),
              Outcome::Restored);
    services.choiceAnswers.push_back(Document::kMergeAndSave);
    services.fileAnswers.push_back(kData);
    ASSERT_TRUE(window.SaveDataFile());
    ASSERT_EQ(services.messages.size(), 2U);
    const auto back = PhotoCompanion::read(services.files.at(kCompanion), "/data");
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.entries, entries);
}

// The catalogue was moved or renamed with its companion after the crash: the
// restore cannot find the photos, and the save the user then makes over the
// file at its new place must not drop the junctions it holds.
TEST_F(MainWindowRecoveryTest, ASaveAfterARestoreOverTheMovedCatalogueKeepsItsPhotos) {
    DataSet onDisk;
    onDisk.AppendRecord(recordLine("A", 0.1));
    onDisk.AppendRecord(recordLine("B", 0.2));
    const auto pieces = onDisk.pieces();
    const std::vector<PhotoEntry> entries = {
        entryOf(std::string(pieces[0]), "/data/photos/a.jpg", 100.5),
        entryOf(std::string(pieces[1]), "/elsewhere/b.jpg", 2000.75)};
    for (const std::string moved : {"/moved/cat.tor", "/data/renamed.tor"}) {
        SCOPED_TRACE(moved);
        services.files.clear();
        services.messages.clear();
        services.files[kData] = TorFile::write(MeasurementSheet{}, onDisk);
        services.files[kCompanion] = PhotoCompanion::write(entries, "/data", {});
        const std::string copy = crashAfterAppendingTo(services).copy;
        const std::string movedCompanion = PhotoCompanion::companionPathFor(moved);
        services.files[moved] = services.files.at(kData);
        services.files[movedCompanion] = services.files.at(kCompanion);
        services.files.erase(kData);
        services.files.erase(kCompanion);

        MainWindowModel restarted(services);
        restarted.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
        services.messageAnswers.push_back(Answer::Yes);
        services.messageAnswers.push_back(Answer::Ok); // the photos file cannot be read
        ASSERT_EQ(restarted.OfferRecovery(
                      copy, "then", [] { return std::string(); }, "/x"),
                  Outcome::Restored);
        ASSERT_EQ(services.messages.size(), 2U);
        services.choiceAnswers.push_back(Document::kMergeAndSave);
        services.fileAnswers.push_back(moved);
        ASSERT_TRUE(restarted.SaveDataFile());
        ASSERT_EQ(services.messages.size(), 3U); // asked, as the companion holds photos not here
        EXPECT_NE(services.messages[2].text.find("It holds 2 photos that are not here"),
                  std::string::npos)
            << services.messages[2].text;
        const auto back = PhotoCompanion::read(services.files.at(movedCompanion), "/moved");
        ASSERT_TRUE(back.ok) << back.error;
        ASSERT_EQ(back.entries.size(), 2U);
        EXPECT_EQ(back.entries[0].segments, entries[0].segments);
        EXPECT_EQ(back.entries[1].photoPath, entries[1].photoPath);
        EXPECT_EQ(DataSet::countLineEnds(TorFile::read(services.files.at(moved)).dataSetText), 3U);

        // Once saved, the files are this program's own: the next save asks nothing.
        services.fileAnswers.push_back(moved);
        ASSERT_TRUE(restarted.SaveDataFile());
        EXPECT_EQ(services.messages.size(), 3U);
    }
}

} // namespace
} // namespace korvex
