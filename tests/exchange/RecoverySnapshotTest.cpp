#include "exchange/RecoverySnapshot.h"

#include "exchange/PhotoCompanion.h"
#include "model/ByteHash.h"
#include "model/DataSet.h"
#include "version/Version.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
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
    CatalogueState photos;
    photos.entries = {entry, entry};
    photos.entries[1].occurrence = 1;
    photos.entries[1].photoPath = "/elsewhere/b.jpg";
    photos.decisions = DecisionLog({{{"T\xE9"
                                      "1",
                                      entry.recordLine, 2},
                                     {"", "NEW\t1", 0},
                                     Verdict::DifferentAnimal,
                                     "D2",
                                     "0.0417",
                                     "2026-05-24T09:31:00Z"}});
    photos.dataFilePath = "/data/cat\xE9.tor";
    // Kept whole in every copy, whatever the companion on disk holds.
    photos.entries[0].measuredInPixels = {false, true, false, false};
    RepeatMeasurement repeat;
    repeat.recordLine = entry.recordLine;
    repeat.values = "\t0.1\t\xE9";
    repeat.measuredAt = "2026-06-01T10:00:00Z";
    repeat.segments[5] = PhotoSegment{{1.25, 2.5}, {3.75, 4.0}};
    photos.repeats = {repeat};
    RecordEncounter seen{entry.recordLine, 2, {}};
    seen.encounter.date = CalendarDate{2019, 5, 1};
    seen.encounter.site = "Ridge";
    seen.encounter.latitude = -33.9249;
    seen.encounter.longitude = 18.4241;
    photos.encounters = {seen};
    s.photos = std::make_shared<const CatalogueState>(std::move(photos));
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

// Refresh by writing sample photos with the program that wrote version 2
// copies; it is the bytes such a program left behind, never rewritten.
TEST(RecoverySnapshotTest, ACopyOfTheSecondVersionKeepsEveryPhotoItself) {
    std::ifstream in(TEST_DATA_DIR "/exchange/version-2.recovery", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(bytes.rfind("KORVEX recovery copy 2\n", 0), 0U);
    auto read = RecoverySnapshot::read(bytes);
    ASSERT_TRUE(std::holds_alternative<RecoverySnapshot>(read))
        << std::get<RecoverySnapshot::Unreadable>(read).reason;
    RecoverySnapshot& s = std::get<RecoverySnapshot>(read);
    EXPECT_EQ(s.dataSet, "T1\t0.1250\t3\r\nT\xE9"
                         "2\t1\r\n");
    EXPECT_EQ(s.values[41], "41.25");
    EXPECT_EQ(s.display.code, "T\xE9"
                              "2");
    EXPECT_TRUE(s.unsaved);
    EXPECT_EQ(s.photosOnDisk, std::nullopt);
    ASSERT_EQ(s.photos->entries.size(), 1U);
    EXPECT_EQ(s.photos->entries[0].segments[0], (PhotoSegment{{10.25, 20.5}, {30, 40}}));
    ASSERT_EQ(s.photos->decisions.size(), 1U);
    EXPECT_EQ(s.photos->decisions.all()[0].verdict, Verdict::SameAnimal);
    EXPECT_EQ(s.photos->dataFilePath, "/data/catalogue.tor");
    // Nothing on disk to take: the copy is whole by itself.
    const CatalogueState before = *s.photos;
    EXPECT_EQ(s.takeSavedPhotos(std::nullopt, "/data"), RecoverySnapshot::SavedPhotos::Same);
    EXPECT_EQ(*s.photos, before);
}

// A state whose first entries and decisions stand in the companion `bytes`.
RecoverySnapshot savedAndMore(const std::string& bytes) {
    RecoverySnapshot s = sample();
    const auto file = PhotoCompanion::read(bytes, "/data");
    EXPECT_TRUE(file.ok) << file.error;
    CatalogueState state;
    state.dataFilePath = "/data/cat.tor";
    state.entries = {file.entries[1], file.entries[0]}; // as the data set's rows have them
    std::vector<Decision> log = file.decisions;
    state.saved = SavedCompanion{
        "/data/cat.tor.photos.json", bytes.size(), hashOfBytes(bytes), {1, 0}, log.size()};
    PhotoEntry made = file.entries[0];
    made.recordLine = "NEW\t1";
    made.photoPath = "/photos/new.jpg";
    state.entries.push_back(made);
    log.push_back(log[0]);
    log.back().verdict = Verdict::Unsure;
    state.decisions = DecisionLog(log);
    s.photos = std::make_shared<const CatalogueState>(std::move(state));
    s.unsaved = false;
    return s;
}

TEST(RecoverySnapshotTest, ACopyKeepsOnlyWhatCameAfterTheCompanionOnDisk) {
    const RecoverySnapshot whole = sample();
    const std::string companion =
        PhotoCompanion::write(whole.photos->entries.toVector(), "/data",
                              whole.photos->decisions.all().toVector());
    const RecoverySnapshot s = savedAndMore(companion);
    const std::string bytes = s.write();
    EXPECT_EQ(bytes.rfind("KORVEX recovery copy 3\nwritten-by ", 0), 0U);
    EXPECT_NE(bytes.find("\nKORVEX " + std::string(kVersion) + "\n"), std::string::npos);
    // The saved photos are named, not copied: one entry and one decision are.
    EXPECT_EQ(bytes.find("/elsewhere/b.jpg"), std::string::npos);
    EXPECT_NE(bytes.find("/photos/new.jpg"), std::string::npos);

    const auto copy = RecoverySnapshot::read(bytes);
    ASSERT_TRUE(std::holds_alternative<RecoverySnapshot>(copy))
        << std::get<RecoverySnapshot::Unreadable>(copy).reason;
    auto read = std::get<RecoverySnapshot>(copy);
    ASSERT_TRUE(read.photosOnDisk);
    EXPECT_EQ(read.photosOnDisk->keptEntries, (std::vector<std::size_t>{1, 0}));
    EXPECT_EQ(read.photos->entries.size(), 1U);
    EXPECT_FALSE(read.unsaved);
    // What a copy read back writes is the same copy.
    EXPECT_EQ(read.write(), bytes);

    // The very bytes on disk: the state comes back exactly.
    RecoverySnapshot same = read;
    EXPECT_EQ(same.takeSavedPhotos(companion, "/data"), RecoverySnapshot::SavedPhotos::Same);
    EXPECT_EQ(*same.photos, *s.photos);
    EXPECT_EQ(same, s);

    // Changed on disk: all it holds now for rows still there, then what came after.
    const std::string changed = PhotoCompanion::write({whole.photos->entries[1]}, "/data", {});
    RecoverySnapshot other = read;
    EXPECT_EQ(other.takeSavedPhotos(changed, "/data"), RecoverySnapshot::SavedPhotos::Changed);
    ASSERT_EQ(other.photos->entries.size(), 2U);
    EXPECT_EQ(other.photos->entries[0], whole.photos->entries[1]);
    EXPECT_EQ(other.photos->entries[1].photoPath, "/photos/new.jpg");
    EXPECT_EQ(other.photos->decisions.size(), 1U);
    EXPECT_EQ(other.photos->saved->hash, hashOfBytes(changed));

    // Gone or unreadable: only what came after it.
    for (const std::optional<std::string>& gone :
         {std::optional<std::string>(), std::optional<std::string>("{")}) {
        RecoverySnapshot lost = read;
        EXPECT_EQ(lost.takeSavedPhotos(gone, "/data"), RecoverySnapshot::SavedPhotos::Missing);
        EXPECT_EQ(lost.photos->entries.size(), 1U);
        EXPECT_EQ(lost.photos->decisions.size(), 1U);
        EXPECT_EQ(lost.photos->saved, std::nullopt);
    }
}

// A record whose photo was replaced after the save keeps the new one when the
// companion changed on disk meanwhile: the file's older entry of that record
// would otherwise be the one found first.
TEST(RecoverySnapshotTest, AnEntryMadeSinceOutranksTheChangedCompanionsEntryOfItsRecord) {
    const auto entryOf = [](const std::string& line, const std::string& photo) {
        PhotoEntry entry;
        entry.recordLine = line;
        entry.occurrence = 1;
        entry.photoPath = photo;
        entry.widthPixels = 6000;
        entry.heightPixels = 4000;
        return entry;
    };
    const PhotoEntry a = entryOf("A\t1", "/data/a.jpg");
    const PhotoEntry b = entryOf("B\t2", "/data/b.jpg");
    const PhotoEntry c = entryOf("C\t3", "/data/c.jpg");
    const PhotoEntry replaced = entryOf("A\t1", "/data/a-again.jpg");
    const std::string companion = PhotoCompanion::write({a, b, c}, "/data", {});
    RecoverySnapshot s = sample();
    s.dataSet = "A\t1\r\nB\t2\r\nC\t3\r\n";
    CatalogueState state;
    state.dataFilePath = "/data/cat.tor";
    // The photo of A was replaced in its entry's place: the entries from it on
    // are no longer the file's.
    state.entries = {replaced, b, c};
    state.saved = SavedCompanion{
        "/data/cat.tor.photos.json", companion.size(), hashOfBytes(companion), {}, 0};
    s.photos = std::make_shared<const CatalogueState>(std::move(state));
    auto copy = RecoverySnapshot::read(s.write());
    ASSERT_TRUE(std::holds_alternative<RecoverySnapshot>(copy));

    const Decision decided{
        {"B", "B\t2", 1},      {"C", "C\t3", 1}, Verdict::SameAnimal, "D1", "0.1",
        "2026-05-24T09:31:00Z"};
    const std::string changed = PhotoCompanion::write({a, b, c}, "/data", {decided});
    RecoverySnapshot read = std::get<RecoverySnapshot>(copy);
    EXPECT_EQ(read.takeSavedPhotos(changed, "/data"), RecoverySnapshot::SavedPhotos::Changed);
    const auto found =
        PhotoCompanion::entriesForPieces(DataSet::splitPieces(read.dataSet), read.photos->entries);
    ASSERT_TRUE(found[0] && found[1] && found[2]);
    EXPECT_EQ(found[0]->photoPath, "/data/a-again.jpg");
    EXPECT_EQ(read.photos->entries.size(), 3U); // one entry for each record
    EXPECT_EQ(read.photos->decisions.all(), std::vector<Decision>{decided});
    EXPECT_EQ(read.photos->savedEntryCount(), 0U);
}

// Decisions the copy kept itself only because a mend changed one before them
// are the file's too: a companion changed on disk meanwhile gives each of its
// decisions once, then those made since, each as often as made.
TEST(RecoverySnapshotTest, DecisionsOfTheChangedCompanionAreNotTakenTwice) {
    const auto decided = [](const std::string& query, Verdict verdict, const std::string& at) {
        return Decision{{query, query + "\t1", 1}, {"B", "B\t2", 1}, verdict, "D1", "0.1", at};
    };
    const Decision first = decided("A", Verdict::SameAnimal, "2026-05-24T09:31:00Z");
    const Decision second = decided("C", Verdict::Unsure, "2026-05-24T09:32:00Z");
    const Decision elsewhere = decided("C", Verdict::SameAnimal, "2026-05-24T09:40:00Z");
    Decision followed = first; // its record's line was mended here
    followed.query = {"A", "A\t9", 1};
    const Decision madeSince = decided("C", Verdict::DifferentAnimal, "2026-05-24T09:35:00Z");
    const std::string companion = PhotoCompanion::write({}, "/data", {first, second});

    RecoverySnapshot s = sample();
    s.dataSet = "A\t9\r\nB\t2\r\nC\t1\r\n";
    CatalogueState state;
    state.dataFilePath = "/data/cat.tor";
    state.decisions = DecisionLog({followed, second, madeSince, madeSince});
    state.saved = SavedCompanion{
        "/data/cat.tor.photos.json", companion.size(), hashOfBytes(companion), {}, 0};
    s.photos = std::make_shared<const CatalogueState>(std::move(state));
    auto copy = RecoverySnapshot::read(s.write());
    ASSERT_TRUE(std::holds_alternative<RecoverySnapshot>(copy));

    RecoverySnapshot read = std::get<RecoverySnapshot>(copy);
    const std::string changed = PhotoCompanion::write({}, "/data", {first, second, elsewhere});
    EXPECT_EQ(read.takeSavedPhotos(changed, "/data"), RecoverySnapshot::SavedPhotos::Changed);
    EXPECT_EQ(read.photos->decisions.all(),
              (std::vector<Decision>{first, second, elsewhere, followed, madeSince, madeSince}));
    EXPECT_EQ(read.photos->savedDecisionCount(), 3U);
}

TEST(RecoverySnapshotTest, AReferenceToTheCompanionThatMakesNoSenseIsRefused) {
    const RecoverySnapshot whole = sample();
    const std::string companion =
        PhotoCompanion::write(whole.photos->entries.toVector(), "/data",
                              whole.photos->decisions.all().toVector());
    const std::string bytes = savedAndMore(companion).write();
    const std::size_t at = bytes.find("saved-entries 3\n1,0\n");
    ASSERT_NE(at, std::string::npos);
    const std::string body = bytes.substr(0, bytes.rfind("check 16\n"));
    for (const char* runs : {"1,1", "0-2,2", "3-1", "0,", ",0", "a", "0-", "1-2-3", "-1"}) {
        std::string bad = body;
        bad.replace(at, std::string("saved-entries 3\n1,0\n").size(),
                    "saved-entries " + std::to_string(std::strlen(runs)) + "\n" + runs + "\n");
        EXPECT_TRUE(unreadable(withCheck(bad))) << runs;
    }
    std::string good = body;
    good.replace(at, std::string("saved-entries 3\n1,0\n").size(), "saved-entries 5\n7,0-2\n");
    const auto read = RecoverySnapshot::read(withCheck(good));
    ASSERT_TRUE(std::holds_alternative<RecoverySnapshot>(read));
    EXPECT_EQ(std::get<RecoverySnapshot>(read).photosOnDisk->keptEntries,
              (std::vector<std::size_t>{7, 0, 1, 2}));
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
    CatalogueState fewer = *s.photos;
    fewer.decisions = {};
    s.photos = std::make_shared<const CatalogueState>(fewer);
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

// A copy left by a later version of the program (the same folder serves both)
// is that version's to offer: it is told apart from damage, so it can be left
// where that version looks for it.
TEST(RecoverySnapshotTest, ACopyOfALaterVersionIsToldApart) {
    const std::string body = RecoverySnapshot{}.write().substr(23);
    const struct {
        std::string heading;
        bool later;
    } cases[] = {
        {"KORVEX recovery copy 4\n", true},
        {"KORVEX recovery copy 12\n", true},
        {"KORVEX recovery copy 0\n", false},
        {"KORVEX recovery copy 4x\n", false},
        {"KORVEX recovery copy \n", false},
        {"KORVEX recovery copy 99999999999999999999999\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.heading);
        const auto read = RecoverySnapshot::read(c.heading + body);
        ASSERT_TRUE(std::holds_alternative<RecoverySnapshot::Unreadable>(read));
        const auto& bad = std::get<RecoverySnapshot::Unreadable>(read);
        EXPECT_EQ(bad.ofLaterVersion, c.later);
        EXPECT_EQ(bad.reason, c.later ? "it was written by a later version of KORVEX"
                                      : "it is not a recovery copy of this program");
    }
    const auto damaged = RecoverySnapshot::read(RecoverySnapshot{}.write().substr(0, 40));
    EXPECT_FALSE(std::get<RecoverySnapshot::Unreadable>(damaged).ofLaterVersion);
}

} // namespace
} // namespace korvex
