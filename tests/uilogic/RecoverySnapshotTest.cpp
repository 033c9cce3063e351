#include "uilogic/RecoverySnapshot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <variant>

namespace korvex {
namespace {

std::string everyByte() {
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes += char(c);
    return bytes;
}

RecoverySnapshot sample() {
    RecoverySnapshot s;
    s.dataSet = "T\xE9"
                "1\t0.1250\r\nLF\nonly\r\n" +
                everyByte() + "\r\n";
    for (std::size_t i = 0; i < s.values.size(); ++i)
        s.values[i] = std::to_string(i) + ".5";
    s.values[3] = "";
    s.values[7] = "check 16\n";
    s.values[41] = everyByte();
    s.display.countText = " 2 ";
    s.display.recordNumber = 12345678901LL;
    s.display.code = "\x8A\xE8\r\n";
    s.labelsLower = {true, false, true, false, false, false};
    s.commandEnabled = {false, true, true, false, true, true};
    // Points on hundredths of a pixel, as the companion keeps them; a record
    // line and a photo path that are not UTF-8.
    PhotoEntry entry;
    entry.recordLine = "T\xE9"
                       "1\t0.1250";
    entry.occurrence = 2;
    entry.photoPath = "/data/photos/\xE9t\xE9.jpg";
    entry.widthPixels = 6000;
    entry.heightPixels = 4000;
    entry.segments[0] = PhotoSegment{{12.25, 3.5}, {5999.99, 0.01}};
    entry.segments[27] = PhotoSegment{{-1.5, 4000}, {0, 0}};
    entry.appendedAt = "2026-05-24T09:30:00Z";
    PhotoRecords::State photos;
    photos.entries = {entry, entry};
    photos.entries[1].occurrence = 1;
    photos.entries[1].photoPath = "/elsewhere/b.jpg";
    photos.decisions = {{{"T\xE9"
                          "1",
                          entry.recordLine, 2},
                         {"", "NEW\t1", 0},
                         Verdict::DifferentAnimal,
                         "D2",
                         "0.0417",
                         "2026-05-24T09:31:00Z"}};
    photos.dataFilePath = "/data/cat\xE9.tor";
    s.photos = std::make_shared<const PhotoRecords::State>(std::move(photos));
    return s;
}

// The FNV-1a check line a copy ends with, over all of `body`.
std::string withCheck(const std::string& body) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : body) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return body + "check 16\n" + hex + "\n";
}

// A copy as the first version wrote it, which kept no photos.
std::string firstVersionBody() {
    std::string body = "KORVEX recovery copy 1\ndata-set 11\nT1\t3\t3\r\n\xE9\r\n\n"
                       "value 1\n3\nvalue 1\n7\n";
    for (int i = 2; i < 42; ++i)
        body += "value 1\n0\n";
    return body + "count 3\n 2 \nrecord 1\n2\ncode 2\nT1\nlabels 6\n100000\nbuttons 6\n011111\n";
}

bool unreadable(const std::string& bytes) {
    return std::holds_alternative<RecoverySnapshot::Unreadable>(RecoverySnapshot::read(bytes));
}

TEST(RecoverySnapshotTest, ReadsBackEveryByteOfWhatWasWritten) {
    for (const RecoverySnapshot& s : {RecoverySnapshot{}, sample()}) {
        const auto read = RecoverySnapshot::read(s.write());
        ASSERT_TRUE(std::holds_alternative<RecoverySnapshot>(read))
            << std::get<RecoverySnapshot::Unreadable>(read).reason;
        EXPECT_EQ(std::get<RecoverySnapshot>(read), s);
    }
}

TEST(RecoverySnapshotTest, ACopyOfTheFirstVersionReadsWithNoPhotos) {
    const std::string bytes = withCheck(firstVersionBody());
    // The check as that version wrote it.
    ASSERT_EQ(bytes.substr(bytes.size() - 17), "4d098ab86e0b1708\n");
    const auto read = RecoverySnapshot::read(bytes);
    ASSERT_TRUE(std::holds_alternative<RecoverySnapshot>(read))
        << std::get<RecoverySnapshot::Unreadable>(read).reason;
    RecoverySnapshot want;
    want.dataSet = "T1\t3\t3\r\n\xE9\r\n";
    want.values.fill("0");
    want.values[0] = "3";
    want.values[1] = "7";
    want.display = {" 2 ", 2, "T1"};
    want.labelsLower = {true, false, false, false, false, false};
    want.commandEnabled = {false, true, true, true, true, true};
    EXPECT_EQ(std::get<RecoverySnapshot>(read), want);
    EXPECT_TRUE(unreadable(bytes.substr(0, bytes.size() - 1)));
}

TEST(RecoverySnapshotTest, ACopyWhosePhotosCannotBeReadIsRefusedWhole) {
    const std::string whole = sample().write();
    const std::size_t start = whole.find("\nphotos ") + 1;
    const std::size_t end = whole.find("\ndata-file ", start) + 1;
    ASSERT_LT(start, end);
    const auto withPhotos = [&](const std::string& photos) {
        return withCheck(whole.substr(0, start) + "photos " + std::to_string(photos.size()) + "\n" +
                         photos + "\n" + whole.substr(end, whole.rfind("check 16\n") - end));
    };
    // The helper rebuilds the very copy from its own photos field.
    const std::size_t length = whole.find('\n', start) + 1;
    ASSERT_EQ(withPhotos(whole.substr(length, end - 1 - length)), whole);

    const std::string entries = "\"entries\": [{\"line\": \"T1\"}]}";
    for (const std::string& photos :
         {std::string("{\"format\": \"korvex-photos\", \"vers"),
          std::string("{\"format\": \"korvex-photos\", \"version\": 9, \"pointsPerPixel\": "
                      "100, \"entries\": []}"),
          "{\"format\": \"korvex-photos\", \"version\": 1, \"pointsPerPixel\": 100, " + entries,
          std::string()}) {
        const auto read = RecoverySnapshot::read(withPhotos(photos));
        ASSERT_TRUE(std::holds_alternative<RecoverySnapshot::Unreadable>(read)) << photos;
        const std::string& reason = std::get<RecoverySnapshot::Unreadable>(read).reason;
        EXPECT_EQ(reason.rfind("the photos and decisions it keeps cannot be read (", 0), 0U)
            << reason;
        EXPECT_EQ(reason.back(), ')') << reason;
    }
}

TEST(RecoverySnapshotTest, AWriterCacheMakesThePhotosAgainOnlyForOtherPhotos) {
    RecoverySnapshot s = sample();
    RecoverySnapshot::PhotosCache cache;
    EXPECT_EQ(s.write(&cache), s.write());
    EXPECT_EQ(cache.photos, s.photos);
    s.values[0] = "9"; // the sheet changed, the photos did not
    EXPECT_EQ(s.write(&cache), s.write());
    // Photos of another state, even one equal in all but a decision, are made again.
    PhotoRecords::State fewer = *s.photos;
    fewer.decisions.clear();
    s.photos = std::make_shared<const PhotoRecords::State>(fewer);
    const std::string bytes = s.write(&cache);
    EXPECT_EQ(bytes, s.write());
    EXPECT_EQ(bytes.find("decisions"), std::string::npos);
    // The same state: the document kept is the one written.
    cache.document = "kept";
    EXPECT_NE(s.write(&cache).find("\nphotos 4\nkept\n"), std::string::npos);
}

TEST(RecoverySnapshotTest, EveryCutShortCopyIsRefusedWhole) {
    const std::string bytes = sample().write();
    for (std::size_t length = 0; length < bytes.size(); ++length)
        EXPECT_TRUE(unreadable(bytes.substr(0, length))) << "cut at " << length;
    EXPECT_TRUE(unreadable(bytes + "x"));
}

TEST(RecoverySnapshotTest, EveryChangedByteIsRefused) {
    const std::string bytes = sample().write();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::string changed = bytes;
        changed[i] = char(changed[i] ^ 0x01);
        EXPECT_TRUE(unreadable(changed)) << "byte " << i;
    }
}

TEST(RecoverySnapshotTest, SaysWhyACopyCannotBeRead) {
    const auto reason = [](const std::string& bytes) {
        const auto read = RecoverySnapshot::read(bytes);
        return std::holds_alternative<RecoverySnapshot::Unreadable>(read)
                   ? std::get<RecoverySnapshot::Unreadable>(read).reason
                   : std::string("read");
    };
    EXPECT_EQ(reason(""), "it is not a recovery copy of this program");
    EXPECT_EQ(reason("\tT1\t0\r\n\r\n 1 \r\n"), "it is not a recovery copy of this program");
    const std::string bytes = RecoverySnapshot{}.write();
    EXPECT_EQ(reason(bytes.substr(0, bytes.size() / 2)), "it is damaged or cut short");
}

} // namespace
} // namespace korvex
