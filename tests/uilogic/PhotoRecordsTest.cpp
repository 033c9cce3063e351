#include "uilogic/MainWindowModel.h"

#include "MainWindowFixture.h"
#include "exchange/PhotoCompanion.h"
#include "exchange/TorFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace korvex {
namespace {

using Answer = PlatformServices::Answer;
constexpr auto LM = SeamGroupId::LeftMarginal;

const std::string kPhoto = "/data/photos/t.jpg";
const std::string kData = "/data/cat.tor";
const std::string kCompanion = "/data/cat.tor.photos.json";

class PhotoRecordsTest : public test::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        addPhoto(kPhoto);
    }
    void addPhoto(const std::string& path) {
        services.files[path] = "jpeg bytes";
        services.pictures.push_back({path, {true, 6000 * 15.0F, 4000 * 15.0F, {}, nullptr, {}}});
    }
    // Opens the photo and clicks the nine junctions of M1..M8.
    void digitiseOn(const std::string& path) {
        services.fileAnswers.push_back(path);
        window.OpenPicture();
        d.setChecked(1, true); // the first tick only unticks "Drag and Drop"
        d.setChecked(1, true);
        for (int i = 0; i <= 8; ++i)
            d.PointerDown(DigitisingModel::kLeftButton, 100.0F * float(i), 50.0F * float(i % 2));
    }
    void append(const std::string& code) { appendAs(code); }
    void save() { saveTo(kData); }
    void load() { loadFrom(kData); }
    // The companion keeps points to a hundredth of a pixel.
    static void expectSameJunctions(const DigitisingModel::Segments& got,
                                    const DigitisingModel::Segments& want) {
        for (std::size_t i = 0; i < want.size(); ++i) {
            ASSERT_EQ(got[i].has_value(), want[i].has_value()) << i;
            if (!want[i])
                continue;
            EXPECT_NEAR(got[i]->from.x, want[i]->from.x, 0.005) << i;
            EXPECT_NEAR(got[i]->from.y, want[i]->from.y, 0.005) << i;
            EXPECT_NEAR(got[i]->to.x, want[i]->to.x, 0.005) << i;
            EXPECT_NEAR(got[i]->to.y, want[i]->to.y, 0.005) << i;
        }
    }
    // Expects exactly one message, holding each of `parts`, and forgets it.
    void expectOneMessage(std::initializer_list<std::string> parts) {
        ASSERT_EQ(services.messages.size(), 1U);
        for (const std::string& part : parts)
            EXPECT_NE(services.messages[0].text.find(part), std::string::npos)
                << services.messages[0].text << "\nlacks: " << part;
        services.messages.clear();
    }
};

TEST_F(PhotoRecordsTest, AppendKeepsThePhotoAndSaveWritesItBesideAnUnchangedDataFile) {
    digitiseOn(kPhoto);
    const auto segments = d.segments();
    ASSERT_TRUE(segments[7]);
    append("T1");
    // Filled from elsewhere, with no click on the photo: nothing is kept.
    services.setClipboardText("X\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12");
    window.Command9_Click();
    append("T2");
    ASSERT_EQ(window.document().photoEntries().size(), 1U);
    const PhotoEntry& entry = window.document().photoEntries()[0];
    EXPECT_EQ(entry.recordLine.substr(0, 3), "T1\t");
    EXPECT_EQ(entry.photoPath, kPhoto);
    EXPECT_EQ(entry.widthPixels, 6000);
    EXPECT_EQ(entry.segments, segments);
    EXPECT_EQ(entry.appendedAt, services.now);

    save();
    EXPECT_EQ(services.files.at(kData), TorFile::write(d.sheet(), window.dataSet()));
    const std::string& companion = services.files.at(kCompanion);
    EXPECT_NE(companion.find("\"photo\":\"photos/t.jpg\""), std::string::npos) << companion;
    const auto back = PhotoCompanion::read(companion, "/data");
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.entries.at(0).photoPath, kPhoto);
}

// The photo being digitised opened again (to see it whole after zooming or
// dragging it away) is the same photo: its junctions, and a group measured
// from them, stay, and a record appended then keeps them. Another photo, or
// the same file now of another size, keeps none.
TEST_F(PhotoRecordsTest, ReopeningThePhotoBeingDigitisedKeepsItsJunctions) {
    const std::string other = "/data/photos/other.jpg";
    addPhoto(other);
    const std::string resized = "/data/photos/resized.jpg";
    addPhoto(resized);
    const struct {
        const char* name;
        std::string reopened;
        float widthNow; // the reopened file's width in twips, 0 as it was
        bool kept;
    } cases[] = {
        {"the same photo", kPhoto, 0.0F, true},
        {"another photo", other, 0.0F, false},
        {"the same file, now of another size", resized, 3000 * 15.0F, false},
    };
    for (const auto& c : cases) {
        window.ClearSheet();
        digitiseOn(c.reopened == other ? kPhoto : c.reopened);
        ASSERT_TRUE(d.measureFromJunctions(LM)) << c.name;
        const auto segments = d.segments();
        if (c.widthNow > 0.0F)
            services.pictures.back().second.widthTwips = c.widthNow;
        services.fileAnswers.push_back(c.reopened);
        window.OpenPicture();
        ASSERT_EQ(d.caption(), c.reopened) << c.name;
        EXPECT_EQ(d.segments() == segments, c.kept) << c.name;
        EXPECT_EQ(d.measuredInPhotoPixels(LM), c.kept) << c.name;
        const auto entry = window.photoRecords().entryForAppend();
        ASSERT_EQ(entry.has_value(), c.kept) << c.name;
        if (entry) {
            EXPECT_EQ(entry->segments, segments) << c.name;
        }
    }
}

// A record's photo found at another size shows its junctions scaled to it
// when it is a copy of the same shape; turned or cut since, the junctions
// would lie off the seams (and a measuring from them would write distorted
// lengths), so none is shown, and the user is told why.
TEST_F(PhotoRecordsTest, ARecordsPhotoOfAnotherShapeOpensWithoutMisplacedJunctions) {
    digitiseOn(kPhoto);
    const auto segments = d.segments();
    append("T1");
    const struct {
        int width, height;
        bool shown;
    } cases[] = {{6000, 4000, true},
                 {3000, 2000, true},
                 {1000, 667, true},
                 {4000, 6000, false},
                 {6000, 3000, false}};
    for (const auto& c : cases) {
        services.pictures.back().second.widthTwips = float(c.width) * 15.0F;
        services.pictures.back().second.heightTwips = float(c.height) * 15.0F;
        if (!c.shown)
            services.messageAnswers.push_back(Answer::Ok);
        window.ShowRecord(1);
        window.OpenRecordPhoto();
        ASSERT_EQ(d.caption(), kPhoto);
        const double sx = double(c.width) / 6000, sy = double(c.height) / 4000;
        const std::size_t first = seamGroup(LM).firstSheetIndex;
        for (std::size_t i = first; i < first + seamGroup(LM).count; ++i) {
            ASSERT_EQ(d.segments()[i].has_value(), c.shown) << c.width << "x" << c.height;
            if (c.shown) {
                EXPECT_NEAR(d.segments()[i]->to.x, segments[i]->to.x * sx, 1e-9);
                EXPECT_NEAR(d.segments()[i]->to.y, segments[i]->to.y * sy, 1e-9);
            }
        }
        if (c.shown) {
            EXPECT_TRUE(services.messages.empty());
        } else {
            expectOneMessage({"now " + std::to_string(c.width) + " \xC3\x97 " +
                                  std::to_string(c.height) + " pixels",
                              "6000 \xC3\x97 4000", "not shown"});
        }
    }
}

TEST_F(PhotoRecordsTest, ADataFileWithoutPhotosGetsNoCompanion) {
    services.setClipboardText("X\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12");
    window.Command9_Click();
    append("T2");
    save();
    EXPECT_EQ(services.files.count(kCompanion), 0U);
    load(); // and a missing companion loads in silence
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(PhotoRecordsTest, RowsReorderedElsewhereStillOpenTheirPhotoWithItsJunctions) {
    digitiseOn(kPhoto);
    const auto segments = d.segments();
    append("T1");
    save();
    // Another program puts a new row first.
    std::string& tor = services.files[kData];
    const std::size_t firstRecord = tor.find("T1\t");
    tor.insert(firstRecord, "NEW\t1\r\n");
    tor.replace(tor.find(" 1 "), 3, " 2 ");

    window.ClearSheet();
    services.fileAnswers.push_back("/elsewhere/other.jpg");
    addPhoto("/elsewhere/other.jpg");
    window.OpenPicture();
    load();
    ASSERT_EQ(window.document().photoEntries().size(), 1U);
    window.NextRecord(); // record 2, the one with the photo
    ASSERT_EQ(window.display().code, "T1");
    for (const auto& s : d.segments())
        EXPECT_FALSE(s); // showing a record fills its boxes from text
    window.OpenRecordPhoto();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(d.caption(), kPhoto);
    expectSameJunctions(d.segments(), segments);

    window.PreviousRecord(); // the new row keeps no photo
    services.messageAnswers.push_back(Answer::Ok);
    window.OpenRecordPhoto();
    expectOneMessage({"keeps no photo"});
}

// A group measured from its junctions is kept as such with the record, saved,
// and said again when the record's photo is opened: where its values came
// from is part of the record.
TEST_F(PhotoRecordsTest, AGroupMeasuredInPhotoPixelsIsKeptAndSaidWithItsRecord) {
    digitiseOn(kPhoto);
    ASSERT_TRUE(d.measureFromJunctions(SeamGroupId::LeftMarginal));
    append("T1");
    ASSERT_EQ(window.document().photoEntries().size(), 1U);
    EXPECT_EQ(window.document().photoEntries()[0].measuredInPixels,
              (std::array<bool, 4>{true, false, false, false}));
    save();
    load();
    ASSERT_EQ(window.document().photoEntries().size(), 1U);
    EXPECT_TRUE(window.document().photoEntries()[0].measuredInPixels[0]);

    window.NextRecord();
    window.OpenRecordPhoto();
    EXPECT_TRUE(d.measuredInPhotoPixels(SeamGroupId::LeftMarginal));
    EXPECT_FALSE(d.mixesScales(SeamGroupId::LeftMarginal));
    EXPECT_EQ(window.photoRecords().originNote(),
              "This record's M1\xE2\x80\x93M8 was measured in photo pixels from the junctions "
              "shown; its other values were clicked on the picture as shown then.");
    // Another photo opened: the note was about the record's own.
    services.fileAnswers.push_back(kPhoto);
    window.OpenPicture();
    EXPECT_TRUE(window.photoRecords().originNote().empty());

    PhotoEntry all;
    all.measuredInPixels = {true, true, true, true};
    EXPECT_EQ(PhotoRecords::originOf(all),
              "This record's M1\xE2\x80\x93M8, M9\xE2\x80\x93M16, C1\xE2\x80\x93"
              "C6 and "
              "C7\xE2\x80\x93"
              "C12 were measured in photo pixels from the junctions shown.");
}

// A record's photo opened after its values were changed on the sheet (typed,
// clicked on the scheme, filled from another record) puts its junctions back
// beside the values still its own only: moving a junction or measuring from
// them must never rewrite a value the user gave the sheet since.
TEST_F(PhotoRecordsTest, TheRecordsJunctionsComeBackOnlyBesideItsOwnValues) {
    digitiseOn(kPhoto);
    ASSERT_TRUE(d.measureFromJunctions(LM));
    append("T1");
    const auto segments = d.segments();
    window.ShowRecord(1);
    const std::string second = d.sheet().cell(LM, 1);
    const std::string third = d.sheet().cell(LM, 2);
    d.setBoxText(LM, 0, "123");
    window.OpenRecordPhoto();
    ASSERT_EQ(d.caption(), kPhoto);
    const std::size_t first = seamGroup(LM).firstSheetIndex;
    EXPECT_FALSE(d.segments()[first]);
    for (std::size_t i = 1; i < seamGroup(LM).count; ++i)
        EXPECT_EQ(d.segments()[first + i].has_value(), segments[first + i].has_value()) << i;
    // Its values are no longer all measured from the junctions.
    EXPECT_FALSE(d.measuredInPhotoPixels(LM));
    EXPECT_FALSE(d.canMeasureFromJunctions(LM));

    const PhotoPixel shared = segments[first]->to; // the end of M1, the start of M2
    EXPECT_TRUE(d.moveJunction(shared, {shared.x + 5.0, shared.y}));
    EXPECT_EQ(d.sheet().cell(LM, 0), "123");
    EXPECT_NE(d.sheet().cell(LM, 1), second);
    EXPECT_EQ(d.sheet().cell(LM, 2), third);
}

// A photo cut short opens, with a note beside it that says so, as long as it
// is the photo open: opened by the menu or as a record's photo.
TEST_F(PhotoRecordsTest, ADamagedPhotoOpensWithANoteAndNoQuestion) {
    const std::string cut = "/data/photos/cut.jpg";
    services.files[cut] = "jpeg bytes";
    services.pictures.push_back({cut,
                                 {true,
                                  6000 * 15.0F,
                                  4000 * 15.0F,
                                  {},
                                  nullptr,
                                  "its file ends early, and only about 40 % of the picture could "
                                  "be read; the rest shows grey."}});
    int told = 0;
    window.onPhotoChanged = [&] {
        ++told;
    };
    const std::string note = "The photo \"" + cut +
                             "\" is damaged: its file ends early, and only about 40 % of the "
                             "picture could be read; the rest shows grey.";
    const std::vector<std::pair<std::function<void()>, std::string>> steps = {
        {[] {}, ""},
        {[&] { digitiseOn(cut); }, note},
        {[&] {
             services.fileAnswers.push_back(kPhoto);
             window.OpenPicture();
         },
         ""},
        {[&] {
             services.fileAnswers.push_back(std::nullopt); // cancelled: the photo stays
             window.OpenPicture();
         },
         ""},
        {[&] {
             digitiseOn(cut);
             append("C1");
             save();
             window.ClearSheet();
             services.fileAnswers.push_back(kPhoto);
             window.OpenPicture();
             load();
             window.NextRecord();
             window.OpenRecordPhoto();
         },
         note},
    };
    for (std::size_t n = 0; n < steps.size(); ++n) {
        steps[n].first();
        EXPECT_EQ(window.photoRecords().damageNote(), steps[n].second) << "step " << n;
    }
    EXPECT_TRUE(services.messages.empty());
    EXPECT_GE(told, 4);
}

// Loading decodes; the window is handed the very picture decoded, once the
// model has taken it, and nothing when it failed to load.
TEST_F(PhotoRecordsTest, TheWindowIsHandedThePictureDecodedOnlyWhenItOpens) {
    struct Window : DigitisingListener {
        std::vector<const Picture*> shown;
        void pictureReplaced(const Picture& picture) override { shown.push_back(&picture); }
    } shownIn;
    d.setListener(&shownIn);
    const auto sheetPhoto = std::make_shared<fakes::FakePicture>(6000, 4000);
    services.pictures.at(0).second.picture = sheetPhoto;
    digitiseOn(kPhoto);
    EXPECT_EQ(shownIn.shown, std::vector<const Picture*>{sheetPhoto.get()});
    append("T1");
    save();

    services.fileAnswers.push_back("/data/photos/broken.jpg");
    services.messageAnswers.push_back(Answer::Ok);
    window.OpenPicture();
    expectOneMessage({"broken.jpg", "could not be opened"});
    EXPECT_EQ(shownIn.shown.size(), 1U);

    const auto recordPhoto = std::make_shared<fakes::FakePicture>(6000, 4000);
    services.pictures.at(0).second.picture = recordPhoto;
    load();
    window.NextRecord();
    window.OpenRecordPhoto();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(shownIn.shown, (std::vector<const Picture*>{sheetPhoto.get(), recordPhoto.get()}));
    d.setListener(nullptr);
}

TEST_F(PhotoRecordsTest, ACorruptCompanionLoadsTheDataAndIsKeptAsideWhenSaved) {
    digitiseOn(kPhoto);
    append("T1");
    save();
    for (const std::string& broken :
         {std::string("{\"format\": \"korvex-photos\", \"vers"),
          std::string("{\"format\": \"korvex-photos\", \"version\": 7, \"entries\": []}")}) {
        services.files[kCompanion] = broken;
        services.files.erase(kCompanion + ".broken");
        services.messageAnswers.push_back(Answer::Ok);
        load();
        expectOneMessage({kCompanion, broken.size() < 40 ? "not valid JSON" : "newer version"});
        EXPECT_EQ(window.dataSet().RecordCount(), 1U);
        EXPECT_TRUE(window.document().photoEntries().empty());
        EXPECT_EQ(services.files.at(kCompanion), broken); // untouched until saved

        save();
        EXPECT_EQ(services.files.at(kCompanion + ".broken"), broken);
        EXPECT_TRUE(PhotoCompanion::read(services.files.at(kCompanion), "/data").ok);
    }
    // A second broken copy does not replace the first one kept aside.
    services.files[kCompanion] = "junk";
    services.messageAnswers.push_back(Answer::Ok);
    load();
    services.messages.clear();
    save();
    EXPECT_EQ(services.files.at(kCompanion + ".broken-2"), "junk");
}

TEST_F(PhotoRecordsTest, AMovedPhotoIsLookedForBesideTheDataFile) {
    digitiseOn(kPhoto);
    append("T1");
    save();
    services.files.erase(kPhoto);
    addPhoto("/data/t.jpg");
    load();
    window.NextRecord();
    window.OpenRecordPhoto();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(d.caption(), "/data/t.jpg");

    services.files.erase("/data/t.jpg");
    services.messageAnswers.push_back(Answer::Ok);
    window.OpenRecordPhoto();
    expectOneMessage({kPhoto, "/data/t.jpg"});
}

TEST_F(PhotoRecordsTest, TheClipboardCarriesNoPhotos) {
    digitiseOn(kPhoto);
    append("T1");
    services.setClipboardText(window.dataSet().text());
    services.choiceAnswers.push_back(MainWindowModel::kDiscardThem); // the append is unsaved
    window.load_Click(MainWindowModel::LoadFromClipboard);
    services.messages.clear();
    EXPECT_TRUE(window.document().photoEntries().empty());
    services.messageAnswers.push_back(Answer::Ok);
    window.OpenRecordPhoto();
    expectOneMessage({"keeps no photo"});
}

TEST_F(PhotoRecordsTest, AStateHandedOutStaysAsItWasAndComesBackWhole) {
    digitiseOn(kPhoto);
    append("T1");
    Document& records = window.document();
    const auto before = records.state();
    const CatalogueState copy = *before;
    ASSERT_EQ(copy.entries.size(), 1U);
    // Every kind of change makes a new state and leaves the one handed out.
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"append",
         [&] {
             append("T2");
         }},
        {"decision",
         [&] {
             records.recordDecision(
                 {{"T1", "T1", 1}, {"X", "X", 0}, Verdict::Unsure, "D", "1", "t"});
         }},
        {"save",
         [&] {
             save();
         }},
        {"clipboard",
         [&] {
             services.setClipboardText("X\t1\r\n");
             window.load_Click(MainWindowModel::LoadFromClipboard);
         }},
        {"load",
         [&] {
             load();
         }},
    };
    for (const auto& [name, change] : changes) {
        const auto earlier = records.state();
        const CatalogueState was = *earlier;
        change();
        EXPECT_NE(records.state(), earlier) << name;
        EXPECT_NE(*records.state(), was) << name;
        EXPECT_EQ(*earlier, was) << name;
    }
    EXPECT_EQ(*before, copy);

    const std::string text(window.dataSet().text());
    records.restore(text, before, true);
    EXPECT_EQ(*records.state(), copy);
    EXPECT_EQ(records.state()->dataFilePath, std::nullopt);
    records.restore(text, nullptr, true);
    EXPECT_EQ(*records.state(), CatalogueState{});
}

// The record `number` (from 1) of the model's data set, as a decision names it.
RecordIdentity identityOf(const MainWindowModel& model, std::size_t number) {
    const auto pieces = model.dataSet().pieces();
    const std::string line(pieces.at(number - 1));
    return {line.substr(0, line.find('\t')), line, occurrenceOf(pieces, number - 1)};
}

Decision decided(RecordIdentity query, RecordIdentity candidate, Verdict verdict, std::string at) {
    return {std::move(query), std::move(candidate), verdict, "D", "0.0417", std::move(at)};
}

TEST_F(PhotoRecordsTest, DecisionsAreSavedBesideTheDataAndFoundAgainAfterLoading) {
    // Two equal rows: the decision must name the second one, not just its text.
    for (const char* code : {"T1", "T2", "T2"}) {
        services.setClipboardText(std::string(code) + "\t1\t2\t3\t4\t5\t6\t7\t8");
        window.Command9_Click();
        append(code);
    }
    const RecordIdentity sheet{"NEW", "NEW\t1\t2", 0}; // never appended
    const RecordIdentity t1 = identityOf(window, 1);
    const RecordIdentity t2second = identityOf(window, 3);
    ASSERT_EQ(t2second.occurrence, 2U);
    Document& records = window.document();
    records.recordDecision(decided(sheet, t1, Verdict::Unsure, "2026-05-24T09:30:00Z"));
    records.recordDecision(
        decided(sheet, t2second, Verdict::DifferentAnimal, "2026-05-24T09:31:00Z"));
    // A changed mind: the log keeps both, the latest counts.
    records.recordDecision(decided(t1, sheet, Verdict::SameAnimal, "2026-05-24T09:32:00Z"));
    const std::vector<Decision> made = records.decisions().all().toVector();
    ASSERT_EQ(made.size(), 3U);

    save(); // no record keeps a photo, yet the decisions need a companion
    ASSERT_EQ(services.files.count(kCompanion), 1U);
    EXPECT_TRUE(PhotoCompanion::read(services.files.at(kCompanion), "/data").entries.empty());

    MainWindowModel again{services};
    again.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
    services.fileAnswers.push_back(kData);
    again.LoadDataFile();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(again.document().decisions().all(), made);
    const Decision* latest = again.document().decisions().latestFor(sheet, identityOf(again, 1));
    ASSERT_NE(latest, nullptr);
    EXPECT_EQ(latest->verdict, Verdict::SameAnimal);
    // Either orientation is the same pair.
    EXPECT_EQ(again.document().decisions().latestFor(identityOf(again, 1), sheet), latest);
    latest = again.document().decisions().latestFor(identityOf(again, 3), sheet);
    ASSERT_NE(latest, nullptr);
    EXPECT_EQ(latest->verdict, Verdict::DifferentAnimal);
    // The first of the two equal rows was never decided on.
    EXPECT_EQ(again.document().decisions().latestFor(sheet, identityOf(again, 2)), nullptr);
    EXPECT_EQ(again.document().decisions().latestFor(identityOf(again, 1), identityOf(again, 3)),
              nullptr);
}

TEST_F(PhotoRecordsTest, DecisionsOutliveTheirRecordsAndAClipboardLoad) {
    digitiseOn(kPhoto);
    append("T1");
    const RecordIdentity t1 = identityOf(window, 1);
    const RecordIdentity gone{"OLD", "OLD\t9", 1};
    window.document().recordDecision(decided(t1, gone, Verdict::DifferentAnimal, "t"));
    save();
    // Another program removes the row: its photo goes, the decision stays.
    std::string& tor = services.files[kData];
    tor.erase(tor.find("T1\t"));
    tor.replace(tor.find(" 1 "), 3, " 0 ");
    load();
    EXPECT_EQ(window.dataSet().RecordCount(), 0U);
    EXPECT_TRUE(window.document().photoEntries().empty());
    ASSERT_EQ(window.document().decisions().all().size(), 1U);
    save();
    const auto kept = PhotoCompanion::read(services.files.at(kCompanion), "/data");
    ASSERT_TRUE(kept.ok) << kept.error;
    EXPECT_EQ(kept.decisions, window.document().decisions().all());

    // Data from the clipboard carry no photos, but saving them over the file
    // must not lose the log.
    services.setClipboardText("X\t1\r\n");
    window.load_Click(MainWindowModel::LoadFromClipboard);
    ASSERT_EQ(window.document().decisions().all().size(), 1U);
    save();
    const auto after = PhotoCompanion::read(services.files.at(kCompanion), "/data");
    ASSERT_TRUE(after.ok) << after.error;
    EXPECT_EQ(after.decisions, kept.decisions);
}

} // namespace
} // namespace korvex
