#include "uilogic/EncounterForm.h"

#include "MainWindowFixture.h"
#include "testing/TaggedJpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace korvex {
namespace {

namespace fs = std::filesystem;
using Field = EncounterForm::Field;
using Fields = EncounterForm::Fields;
using Answer = PlatformServices::Answer;

Fields typed(const char* date, const char* time = "", const char* latitude = "",
             const char* longitude = "", const char* site = "") {
    return {date, time, site, latitude, longitude, "", ""};
}

TEST(EncounterForm, ReadsTheFieldsAndNamesTheFirstOneThatIsWrong) {
    const struct {
        Fields typed;
        std::optional<Field> wrong; // none: read
        const char* says;
    } cases[] = {
        {typed(""), std::nullopt, ""},
        {{" 2019-05-01 ", "", " Pond ", "", "", "A. B.", "dry"}, std::nullopt, ""},
        {typed("2019-05-01", "09:30:15"), std::nullopt, ""},
        {typed("2019-05-01T10:00"), std::nullopt, ""},
        {typed("", "", "-90", "180"), std::nullopt, ""},
        {typed("2019-02-29"), Field::Date, "Date: The date '2019-02-29' does not exist"},
        {typed("2019-5-1"), Field::Date, "Date: The date '2019-5-1' is not written as YYYY-MM-DD"},
        {typed("", "09:30"), Field::Time, "Time: A time of day needs a date."},
        {typed("2019-05-01", "25:00"), Field::Time, "Time: The time"},
        {typed("2019-05-01", "9:30"), Field::Time, "Time: The time"},
        {typed("", "", "95", "10"), Field::Latitude, "Latitude: The latitude '95' lies beyond"},
        {typed("", "", "north", "10"), Field::Latitude, "is no number of degrees"},
        {typed("", "", "10", "-180.5"), Field::Longitude, "Longitude: The longitude '-180.5'"},
        // Half a position: the half missing is the field to fill in.
        {typed("", "", "39.05", ""), Field::Longitude, "Longitude: A position needs both"},
        {typed("", "", "", "-76.8"), Field::Latitude, "Latitude: A position needs both"},
        // The first wrong field is named, the date before the position.
        {typed("2019-13-01", "", "", "95", ""), Field::Date, "Date:"},
    };
    for (const auto& c : cases) {
        const auto reading = EncounterForm::read(c.typed);
        const std::string label =
            c.typed.date + "|" + c.typed.time + "|" + c.typed.latitude + "|" + c.typed.longitude;
        EXPECT_EQ(reading.field, c.wrong) << label;
        EXPECT_EQ(reading.encounter.has_value(), !c.wrong.has_value()) << label;
        EXPECT_NE(reading.message.find(c.says), std::string::npos)
            << label << ": " << reading.message;
        if (c.wrong) {
            EXPECT_EQ(reading.message.rfind(std::string(EncounterForm::nameOf(*c.wrong)) + ": ", 0),
                      0U)
                << reading.message;
        }
    }
    const auto trimmed = EncounterForm::read(cases[1].typed).encounter;
    ASSERT_TRUE(trimmed);
    EXPECT_EQ(trimmed->site, "Pond");
    EXPECT_EQ(trimmed->date, (CalendarDate{2019, 5, 1}));
    EXPECT_EQ(EncounterForm::read(cases[3].typed).encounter->secondsOfDay, 36000);
}

TEST(EncounterForm, FieldsOfAnEncounterReadBackAsTheSameEncounter) {
    Encounter e;
    e.date = CalendarDate{2021, 5, 24};
    e.secondsOfDay = 14 * 3600 + 18 * 60 + 10;
    e.site = "North, pond";
    e.latitude = 39.050686111111114;
    e.longitude = -76.809075;
    e.observer = "Ana";
    e.note = "limping";
    const Fields fields = EncounterForm::fieldsOf(e);
    EXPECT_EQ(fields.date, "2021-05-24");
    EXPECT_EQ(fields.time, "14:18:10");
    EXPECT_EQ(EncounterForm::read(fields).encounter, e);
    e.secondsOfDay.reset();
    EXPECT_EQ(EncounterForm::fieldsOf(e).time, "");

    // Texts from an 8-bit file (Windows-1250) open as the UTF-8 the dialog
    // shows, so that OK stores the same words rather than replacement marks.
    e.site = "\216abn\355k";
    e.observer = "Du\232an";
    e.note = "\350erven\375";
    const Fields eightBit = EncounterForm::fieldsOf(e);
    EXPECT_EQ(eightBit.site, "Žabník");
    EXPECT_EQ(eightBit.observer, "Dušan");
    EXPECT_EQ(eightBit.note, "červený");
}

TEST(EncounterForm, EachSiteIsOfferedOnceAsTheDialogShowsIt) {
    test::FakePlatformServices services;
    Document document(services, "KORVEX");
    const char* sites[] = {"Pond", "\216abn\355k", "Žabník", ""};
    for (std::size_t i = 0; i < std::size(sites); ++i) {
        Encounter e;
        e.site = sites[i];
        document.appendRecord("T" + std::to_string(i) + "\t1\t2", std::nullopt, e);
    }
    const EncounterForm form(services, document, "T9", Encounter{}, std::nullopt);
    EXPECT_EQ(form.siteChoices(), (std::vector<std::string>{"Pond", "Žabník"}));
}

// A photo with Exif as a camera writes it, in a folder of its own; the
// fake services know it as a picture of 6000 x 4000 pixels.
class EncounterAppendTest : public test::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        const char* tmp = std::getenv("TMPDIR");
        folder_ = fs::path(tmp && *tmp ? tmp : "/tmp") /
                  ("korvex-encounter-form-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string photo(const std::string& name,
                      const std::vector<std::pair<const char*, const char*>>& tags) {
        const fs::path path = folder_ / name;
        fakes::writeTaggedJpeg(fs::path(TEST_DATA_DIR) / "exchange" / "tiny.jpg", path, tags);
        services.files[path.string()] = "jpeg";
        services.pictures.push_back(
            {path.string(), {true, 6000 * 15.0F, 4000 * 15.0F, {}, nullptr, {}}});
        return path.string();
    }
    std::string cameraPhoto() {
        return photo("camera.jpg", {{"Exif.Photo.DateTimeOriginal", "2021:05:24 14:18:10"},
                                    {"Exif.GPSInfo.GPSLatitude", "39/1 3/1 247/100"},
                                    {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                    {"Exif.GPSInfo.GPSLongitude", "76/1 48/1 3267/100"},
                                    {"Exif.GPSInfo.GPSLongitudeRef", "W"}});
    }
    // Opens the photo and clicks three junctions of the left marginals.
    void digitiseOn(const std::string& path) {
        services.fileAnswers.push_back(path);
        window.OpenPicture();
        d.setChecked(1, true);
        d.setChecked(1, true);
        for (int i = 0; i < 3; ++i)
            d.PointerDown(DigitisingModel::kLeftButton, 100.0F * float(i), 50.0F);
    }
    // Values from the clipboard, with no click on the photo: nothing of it is kept.
    void fillFromElsewhere() {
        services.setClipboardText("X\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12");
        window.Command9_Click();
    }
    const Encounter* encounterOf(std::size_t record) const {
        return window.document().encounterOf(record);
    }

    fs::path folder_;
};

const double kLatitude = 39.0 + 3.0 / 60 + 2.47 / 3600;
const double kLongitude = -(76.0 + 48.0 / 60 + 32.67 / 3600);

TEST_F(EncounterAppendTest, AppendOnAPhotoKeepsItsExifDateAndPosition) {
    int asked = 0;
    window.onAskEncounter = [&](const std::string&, const Encounter&,
                                const std::optional<std::string>&) {
        ++asked;
        return std::optional<Encounter>();
    };
    digitiseOn(cameraPhoto());
    appendAs("T1");
    ASSERT_EQ(window.document().photoEntries().size(), 1U);
    const Encounter* e = encounterOf(1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->dateText(), "2021-05-24T14:18:10");
    EXPECT_NEAR(e->latitude.value_or(0), kLatitude, 1e-12);
    EXPECT_NEAR(e->longitude.value_or(0), kLongitude, 1e-12);
    // Off by default: nothing is asked. A record without a photo has no encounter.
    EXPECT_EQ(asked, 0);
    fillFromElsewhere();
    appendAs("T2");
    EXPECT_EQ(encounterOf(2), nullptr);
    // Nor has one on a photo without Exif.
    digitiseOn(photo("plain.jpg", {}));
    EXPECT_EQ(window.photoRecords().damageNote(), "");
    appendAs("T3");
    EXPECT_EQ(window.document().photoEntries().size(), 2U);
    EXPECT_EQ(encounterOf(3), nullptr);
}

TEST_F(EncounterAppendTest, AnExifValueThatCannotBeRightIsSaidWhenThePhotoOpens) {
    digitiseOn(photo("leap.jpg", {{"Exif.Photo.DateTimeOriginal", "2019:02:29 09:30:15"},
                                  {"Exif.GPSInfo.GPSLatitude", "39/1 3/1 247/100"},
                                  {"Exif.GPSInfo.GPSLatitudeRef", "N"},
                                  {"Exif.GPSInfo.GPSLongitude", "76/1 48/1 3267/100"},
                                  {"Exif.GPSInfo.GPSLongitudeRef", "W"}}));
    const std::string& note = window.photoRecords().damageNote();
    EXPECT_NE(note.find("'2019:02:29 09:30:15' does not exist in the calendar"), std::string::npos)
        << note;
    EXPECT_NE(note.find("give it with Catalogue › \"Encounter…\""), std::string::npos) << note;
    appendAs("T1");
    const Encounter* e = encounterOf(1);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->dateText(), "") << "no date is guessed";
    EXPECT_NEAR(e->latitude.value_or(0), kLatitude, 1e-12);
    // A sound photo opened next says nothing.
    digitiseOn(cameraPhoto());
    EXPECT_EQ(window.photoRecords().damageNote(), "");
}

TEST_F(EncounterAppendTest, AskingAtAppendOffersTheExifAndCancelKeepsIt) {
    window.setAskEncounterAtAppend(true);
    std::optional<Encounter> answer;
    std::vector<std::pair<std::string, Encounter>> offers;
    window.onAskEncounter = [&](const std::string& code, const Encounter& offered,
                                const std::optional<std::string>& path) {
        offers.emplace_back(code, offered);
        EXPECT_EQ(path.has_value(), offered.date.has_value()) << code;
        return answer;
    };
    const std::string path = cameraPhoto();
    digitiseOn(path);
    appendAs("T1"); // Cancel
    Encounter typed;
    typed.site = "Pond";
    typed.date = CalendarDate{2021, 5, 25};
    answer = typed;
    appendAs("T2"); // OK with what was typed
    fillFromElsewhere();
    appendAs("T3"); // no photo: asked with nothing offered
    ASSERT_EQ(offers.size(), 3U);
    EXPECT_EQ(offers[0].first, "T1");
    EXPECT_EQ(offers[0].second.dateText(), "2021-05-24T14:18:10");
    EXPECT_EQ(offers[2].second, Encounter{});
    ASSERT_NE(encounterOf(1), nullptr);
    EXPECT_EQ(*encounterOf(1), offers[0].second);
    EXPECT_EQ(*encounterOf(2), typed);
    EXPECT_EQ(*encounterOf(3), typed);
    EXPECT_EQ(window.dataSet().RecordCount(), 3U);
}

TEST_F(EncounterAppendTest, TheDialogOfTheShownRecordStoresOnlyWhatIsSound) {
    // No record shown yet.
    services.messageAnswers.push_back(Answer::Ok);
    EXPECT_FALSE(EncounterForm::forShownRecord(services, window));
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].text, EncounterForm::kNoRecordShown);
    services.messages.clear();

    digitiseOn(photo("plain.jpg", {}));
    appendAs("T1");
    window.ShowRecord(1);
    auto form = EncounterForm::forShownRecord(services, window);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->heading(), "Record 1 (\"T1\")");
    EXPECT_TRUE(form->hasPhoto());
    EXPECT_EQ(form->fields(), Fields{});

    Fields typed{"2019-02-29", "", "Pond", "95", "10", "Ana", ""};
    services.messageAnswers.push_back(Answer::Ok);
    EXPECT_FALSE(form->accept(typed));
    EXPECT_EQ(form->badField(), Field::Date);
    EXPECT_EQ(encounterOf(1), nullptr);
    typed.date = "2019-02-28";
    services.messageAnswers.push_back(Answer::Ok);
    EXPECT_FALSE(form->accept(typed));
    EXPECT_EQ(form->badField(), Field::Latitude);
    EXPECT_EQ(encounterOf(1), nullptr);
    ASSERT_EQ(services.messages.size(), 2U);
    EXPECT_EQ(services.messages[1].title, EncounterForm::kTitle);

    // The photo has no Exif: it says so and leaves the fields as typed.
    services.messageAnswers.push_back(Answer::Ok);
    EXPECT_EQ(form->fromPhoto(typed), typed);
    EXPECT_NE(services.messages.back().text.find("holds no date and no position"),
              std::string::npos);

    typed.latitude = "-33.5";
    EXPECT_TRUE(form->accept(typed));
    ASSERT_NE(encounterOf(1), nullptr);
    EXPECT_EQ(encounterOf(1)->site, "Pond");
    EXPECT_EQ(encounterOf(1)->latitude, -33.5);
    // Opened again, it shows what is stored.
    EXPECT_EQ(EncounterForm::forShownRecord(services, window)->fields().latitude, "-33.5");
}

TEST_F(EncounterAppendTest, FromThePhotoReplacesTheDateAndPositionOnly) {
    const std::string path = cameraPhoto();
    EncounterForm form(services, window.document(), "T9", Encounter{}, path);
    const Fields typed{"2000-01-01", "08:00", "Pond", "1", "2", "Ana", "note"};
    const Fields refilled = form.fromPhoto(typed);
    EXPECT_EQ(refilled.date, "2021-05-24");
    EXPECT_EQ(refilled.time, "14:18:10");
    EXPECT_NEAR(std::stod(refilled.latitude), kLatitude, 1e-12);
    EXPECT_NEAR(std::stod(refilled.longitude), kLongitude, 1e-12);
    EXPECT_EQ(refilled.site, "Pond");
    EXPECT_EQ(refilled.observer, "Ana");
    EXPECT_EQ(refilled.note, "note");
    // A form for a record to append stores nothing itself.
    EXPECT_TRUE(form.accept(refilled));
    EXPECT_EQ(form.accepted()->site, "Pond");
    EXPECT_TRUE(window.document().encounters().empty());
}

// A camera that wrote the day but blanked the time: the typed time belonged to
// the typed day, so it goes with it rather than standing beside another day.
TEST_F(EncounterAppendTest, FromThePhotoWithADayAloneLeavesNoTime) {
    const std::string path =
        photo("day.jpg", {{"Exif.Photo.DateTimeOriginal", "2021:05:24   :  :  "}});
    EncounterForm form(services, window.document(), "T9", Encounter{}, path);
    const Fields typed{"2000-01-01", "08:00", "Pond", "1", "2", "Ana", "note"};
    const Fields refilled = form.fromPhoto(typed);
    EXPECT_EQ(refilled.date, "2021-05-24");
    EXPECT_EQ(refilled.time, "");
    EXPECT_EQ(refilled.latitude, "1"); // the photo holds no position
    EXPECT_EQ(refilled.longitude, "2");
    EXPECT_TRUE(form.accept(refilled));
    EXPECT_EQ(form.accepted()->dateText(), "2021-05-24");
}

} // namespace
} // namespace korvex
