#include "exchange/PhotoExif.h"

#include "testing/TaggedJpeg.h"

#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace korvex {
namespace {

namespace fs = std::filesystem;
using Tags = std::vector<std::pair<const char*, const char*>>;

std::string fileBytes(const fs::path& path) {
    if (!fs::is_regular_file(path))
        return {};
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PhotoExifTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A temporary folder even where TMPDIR is set but empty.
        const char* tmp = std::getenv("TMPDIR");
        folder_ = fs::path(tmp && *tmp ? tmp : "/tmp") /
                  ("korvex-photo-exif-" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string written(const std::string& name, const std::string& bytes) const {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // The bytes of a 16 × 16 grey JPEG, which holds no Exif, with `tags`
    // written into it by exiv2.
    std::string photoWith(const Tags& tags) const {
        const fs::path path = folder_ / "tagged.jpg";
        fakes::writeTaggedJpeg(fs::path(TEST_DATA_DIR) / "exchange" / "tiny.jpg", path, tags);
        return fileBytes(path);
    }

    fs::path folder_;
};

constexpr const char* kOriginal = "Exif.Photo.DateTimeOriginal";
constexpr const char* kDigitized = "Exif.Photo.DateTimeDigitized";
constexpr const char* kLat = "Exif.GPSInfo.GPSLatitude";
constexpr const char* kLatRef = "Exif.GPSInfo.GPSLatitudeRef";
constexpr const char* kLon = "Exif.GPSInfo.GPSLongitude";
constexpr const char* kLonRef = "Exif.GPSInfo.GPSLongitudeRef";

// The tags whose value is given.
Tags given(std::initializer_list<std::pair<const char*, const char*>> tags) {
    Tags out;
    for (const auto& tag : tags)
        if (tag.second != nullptr)
            out.push_back(tag);
    return out;
}

void expectProblem(const PhotoExif::Found& found, const char* part, const std::string& label) {
    if (*part == '\0')
        EXPECT_EQ(found.problem, "") << label;
    else
        EXPECT_NE(found.problem.find(part), std::string::npos) << label << ": " << found.problem;
}

TEST_F(PhotoExifTest, ReadsTheMomentAndRefusesWhatCannotBeADate) {
    const char* const none = nullptr;
    const struct {
        const char* original;
        const char* digitized;
        const char* date;    // "" for none
        int seconds;         // -1 for none
        const char* problem; // a part of it; "" for no problem
    } rows[] = {
        {"2019:05:01 09:30:15", none, "2019-05-01", 34215, ""},
        {none, "2020:02:29 00:00:00", "2020-02-29", 0, ""},
        {"2019:05:01 09:30:15", "2018:01:01 10:00:00", "2019-05-01", 34215, ""},
        {"2019:05:01   :  :  ", none, "2019-05-01", -1, ""},
        // Clocks never set.
        {"0000:00:00 00:00:00", none, "", -1, ""},
        {"    :  :     :  :  ", none, "", -1, ""},
        {"2019:02:29 09:30:15", none, "", -1,
         "The photo's date '2019:02:29 09:30:15' does not exist in the calendar; it was left "
         "empty."},
        // A bad original is not made good by another stamp.
        {"2019:13:01 09:30:15", "2019:05:01 09:30:15", "", -1, "'2019:13:01 09:30:15' does not"},
        {"2019:05:01 24:00:00", none, "", -1, "The time in the photo's date"},
        {"2019:05:01 09:60:00", none, "", -1, "09:60:00"},
        {"2019-05-01 09:30:15", none, "", -1, "is not written as 2019:05:01 09:30:15"},
        {"2019:05:01", none, "", -1, "is not written as"},
    };
    for (const auto& r : rows) {
        const std::string label = std::string(r.original ? r.original : r.digitized);
        const auto found = PhotoExif::readBytes(
            photoWith(given({{kOriginal, r.original}, {kDigitized, r.digitized}})));
        EXPECT_EQ(found.date ? found.date->text() : "", r.date) << label;
        EXPECT_EQ(found.secondsOfDay.value_or(-1), r.seconds) << label;
        expectProblem(found, r.problem, label);
        EXPECT_FALSE(found.latitude || found.longitude) << label;
    }
    // Rewritten by editing software whenever it saves: not the moment of the photo.
    EXPECT_EQ(PhotoExif::readBytes(photoWith({{"Exif.Image.DateTime", "2019:05:01 09:30:15"}})),
              PhotoExif::Found{});
}

TEST_F(PhotoExifTest, ReadsThePositionAndRefusesWhatCannotBeOne) {
    const char* const none = nullptr;
    const char* const dms = "39/1 3/1 247/100"; // 39° 3' 2.47"
    const double d = 39.0 + 3.0 / 60 + 2.47 / 3600;
    const double no = 999;
    const struct {
        const char *lat, *latRef, *lon, *lonRef;
        double latitude, longitude;
        const char* problem;
    } rows[] = {
        {dms, "N", dms, "E", d, d, ""},
        {dms, "S", dms, "W", -d, -d, ""},
        {"90/1 0/1 0/1", "S", "180/1 0/1 0/1", "W", -90, -180, ""},
        {"39/0 3/1 0/1", "N", dms, "E", no, no, "zero or negative denominator"},
        {dms, "N", "76/1 48/0 0/1", "E", no, no, "its longitude '76/1 48/0 0/1' holds a zero"},
        {"90/1 0/1 1/1", "N", dms, "E", no, no,
         "lies beyond \xC2\xB1"
         "90 degrees"},
        {dms, "N", "180/1 0/1 1/100", "W", no, no,
         "lies beyond \xC2\xB1"
         "180 degrees"},
        {"39/1 60/1 0/1", "N", dms, "E", no, no, "60 or more"},
        {"39/1 3/1", "N", dms, "E", no, no, "not written as degrees, minutes and seconds"},
        {dms, none, dms, "E", no, no, "its latitude has no N or S reference"},
        {dms, "E", dms, "E", no, no, "no N or S reference"},
        {dms, "N", dms, "N", no, no, "its longitude has no E or W reference"},
        {dms, "N", none, none, no, no,
         "The photo's GPS position was left empty: it has a latitude but no longitude."},
        {none, none, none, "W", no, no, "a reference but no longitude"},
    };
    for (const auto& r : rows) {
        const std::string label = std::string(r.lat ? r.lat : "-") + " " +
                                  (r.latRef ? r.latRef : "-") + " " + (r.lon ? r.lon : "-") + " " +
                                  (r.lonRef ? r.lonRef : "-");
        const auto found = PhotoExif::readBytes(photoWith(
            given({{kLat, r.lat}, {kLatRef, r.latRef}, {kLon, r.lon}, {kLonRef, r.lonRef}})));
        EXPECT_NEAR(found.latitude.value_or(no), r.latitude, 1e-12) << label;
        EXPECT_NEAR(found.longitude.value_or(no), r.longitude, 1e-12) << label;
        expectProblem(found, r.problem, label);
    }
}

TEST_F(PhotoExifTest, AFileWithoutUsableExifGivesNothingAndSaysNothing) {
    const std::string photo =
        photoWith({{kOriginal, "2019:05:01 09:30:15"}, {kLat, "39/1 3/1 247/100"}});
    const fs::path samples(SAMPLES_DIR);
    const std::pair<const char*, std::string> files[] = {
        {"missing", (folder_ / "missing.jpg").string()},
        {"folder", folder_.string()},
        {"empty", written("empty.jpg", "")},
        {"text", written("notes.jpg", "2019:05:01 09:30:15\n")},
        {"record file", (samples / "tortoises.tor").string()},
        {"JPEG without Exif", (samples / "plastron-demo.jpg").string()},
        {"Exif cut short", written("cut.jpg", photo.substr(0, 60))},
    };
    for (const auto& [what, path] : files) {
        EXPECT_EQ(PhotoExif::read(path), PhotoExif::Found{}) << what;
        EXPECT_EQ(PhotoExif::readBytes(fileBytes(path)), PhotoExif::Found{}) << what;
    }
    // The same bytes from a file read the same.
    EXPECT_EQ(PhotoExif::read(written("dated.jpg", photo)), PhotoExif::readBytes(photo));
    EXPECT_TRUE(PhotoExif::readBytes(photo).date.has_value());
}

TEST_F(PhotoExifTest, ADamagedExifBlockKeepsWhatCanBeReachedAndLogsNothing) {
    std::string photo = photoWith({{kOriginal, "2019:05:01 09:30:15"},
                                   {kLat, "39/1 3/1 247/100"},
                                   {kLatRef, "N"},
                                   {kLon, "39/1 3/1 247/100"},
                                   {kLonRef, "W"}});
    // The pointer to the block holding the date (tag 0x8769, type long, one
    // value, little-endian as exiv2 writes) is sent far beyond the file.
    const std::string entry("\x69\x87\x04\x00\x01\x00\x00\x00", 8);
    const std::size_t at = photo.find(entry);
    ASSERT_NE(at, std::string::npos);
    photo.replace(at + entry.size(), 4, "\xFF\xFF\xFF\x7F");

    ::testing::internal::CaptureStderr();
    const PhotoExif::Found found = PhotoExif::readBytes(photo);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(found.date);
    EXPECT_TRUE(found.hasPosition());
    EXPECT_EQ(found.problem, "");
}

TEST_F(PhotoExifTest, FillsOnlyWhatTheEncounterLacks) {
    PhotoExif::Found found;
    found.date = CalendarDate{2021, 5, 24};
    found.secondsOfDay = 51490;
    found.latitude = 39.05;
    found.longitude = -76.8;

    Encounter blank;
    EXPECT_TRUE(found.fillBlanks(blank));
    EXPECT_EQ(blank.dateText(), "2021-05-24T14:18:10");
    EXPECT_EQ(blank.latitude, 39.05);
    EXPECT_EQ(blank.longitude, -76.8);

    Encounter typed;
    typed.date = CalendarDate{2021, 5, 25};
    typed.longitude = 10.0; // half a position typed: the user is not done with it
    typed.site = "Pond";
    Encounter kept = typed;
    EXPECT_FALSE(found.fillBlanks(kept));
    EXPECT_EQ(kept, typed);
    EXPECT_FALSE(PhotoExif::Found{}.fillBlanks(blank));
}

TEST_F(PhotoExifTest, ReadsTheRealPhonePhotos) {
    const fs::path shared(SHARED_PHOTOS_DIR);
    if (!fs::is_directory(shared))
        GTEST_SKIP() << "no shared photos at " << shared;
    // iPhone 6s, no GPS.
    const auto a = PhotoExif::read((shared / "511-2019-06-26-carapace.jpg").string());
    EXPECT_EQ(a.date, (CalendarDate{2019, 6, 26}));
    EXPECT_EQ(a.secondsOfDay, 16 * 3600 + 18 * 60 + 33);
    EXPECT_FALSE(a.latitude || a.longitude);
    EXPECT_EQ(a.problem, "");
    // iPhone 12: 39/1 3/1 247/100 N, 76/1 48/1 3267/100 W.
    const auto b = PhotoExif::read((shared / "511-2021-05-24-carapace.jpg").string());
    EXPECT_EQ(b.date, (CalendarDate{2021, 5, 24}));
    EXPECT_EQ(b.secondsOfDay, 14 * 3600 + 18 * 60 + 10);
    EXPECT_NEAR(b.latitude.value_or(0), 39.0 + 3.0 / 60 + 2.47 / 3600, 1e-12);
    EXPECT_NEAR(b.longitude.value_or(0), -(76.0 + 48.0 / 60 + 32.67 / 3600), 1e-12);
    EXPECT_EQ(b.problem, "");
}

} // namespace
} // namespace korvex
