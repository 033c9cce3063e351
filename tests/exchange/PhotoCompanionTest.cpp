#include "exchange/PhotoCompanion.h"
#include "model/DataSet.h"
#include "model/RecordLine.h"
#include "version/Version.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace korvex;

namespace {

const std::string kFolder = "/data/turtles";

PhotoEntry entry(std::string line, std::size_t occurrence, std::string photo) {
    PhotoEntry e;
    e.recordLine = std::move(line);
    e.occurrence = occurrence;
    e.photoPath = std::move(photo);
    e.widthPixels = 3024;
    e.heightPixels = 4032;
    e.appendedAt = "2026-05-24T09:30:00Z";
    // Values on the stored grid (hundredths, exact in binary halves and quarters).
    e.segments[0] = PhotoSegment{{10.5, 20.25}, {110.75, 220.0}};
    e.segments[7] = PhotoSegment{{0.0, 0.0}, {3023.5, 4031.25}};
    e.segments[27] = PhotoSegment{{1500.0, 12.5}, {1500.0, 312.5}};
    return e;
}

std::string document(const std::string& version, const std::string& entries,
                     const std::string& scale = "100") {
    return "{\"format\": \"korvex-photos\", \"version\": " + version +
           ", \"pointsPerPixel\": " + scale + ", \"entries\": [" + entries + "]}";
}

const std::string kGoodEntry = R"({"line": "A1\t1", "occurrence": 1, "photo": "a.jpg",
    "width": 10, "height": 20, "appended": "2026-01-01T00:00:00Z", "segments": {"M1": [1, 2, 3, 4]}})";

} // namespace

TEST(PhotoCompanion, NamesTheCompanionAfterTheDataFile) {
    EXPECT_EQ(PhotoCompanion::companionPathFor("/d/catalogue.tor"), "/d/catalogue.tor.photos.json");
    EXPECT_EQ(SpecimenRecord::seamName(0), "M1");
    EXPECT_EQ(SpecimenRecord::seamName(15), "M16");
    EXPECT_EQ(SpecimenRecord::seamName(16), "C1");
    EXPECT_EQ(SpecimenRecord::seamName(27), "C12");
}

TEST(PhotoCompanion, RoundTripKeepsEveryEntryAndByte) {
    const std::vector<PhotoEntry> entries = {
        entry("TH-1\t0.1250", 1, kFolder + "/photos/2019/a.jpg"),
        entry("TH-1\t0.1250", 2, "/elsewhere/b.jpg"),
        // An 8-bit line from an older file: not UTF-8, every byte must survive.
        entry(std::string("\x8a\xe8\t0.5", 5), 1, kFolder + "/c d.jpg"),
        entry("\xc5\xa0umava\t1", 1, "/other/\xc5\xa0.jpg"),
    };
    const std::string text = PhotoCompanion::write(entries, kFolder);
    // Beneath the data folder the path is relative, elsewhere absolute.
    EXPECT_NE(text.find("\"photo\":\"photos/2019/a.jpg\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"photo\":\"/elsewhere/b.jpg\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"lineHex\":\"8ae8093"), std::string::npos) << text;
    EXPECT_NE(text.find("\"version\": 1"), std::string::npos);
    // The file says which program wrote it.
    EXPECT_NE(text.find("\"writtenBy\": \"KORVEX " + std::string(kVersion) + "\""),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"M8\":[0,0,302350,403125]"), std::string::npos) << text;

    const auto back = PhotoCompanion::read(text, kFolder);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.entries, entries);
}

TEST(PhotoCompanion, RelativePathsFollowTheDataFolder) {
    const auto text = PhotoCompanion::write({entry("x", 1, kFolder + "/p/a.jpg")}, kFolder);
    const auto moved = PhotoCompanion::read(text, "/mnt/copy");
    ASSERT_TRUE(moved.ok) << moved.error;
    EXPECT_EQ(moved.entries.at(0).photoPath, "/mnt/copy/p/a.jpg");
    // A sibling folder whose name begins like the data folder is not beneath it.
    const auto sibling = PhotoCompanion::write({entry("x", 1, kFolder + "2/a.jpg")}, kFolder);
    EXPECT_NE(sibling.find("\"photo\":\"/data/turtles2/a.jpg\""), std::string::npos) << sibling;
}

TEST(PhotoCompanion, PointsAreKeptToAHundredthOfAPixel) {
    PhotoEntry e = entry("x", 1, "/a.jpg");
    e.segments[3] = PhotoSegment{{1234.567891, 0.333333}, {2.0 / 3.0, 4031.999}};
    const auto back = PhotoCompanion::read(PhotoCompanion::write({e}, kFolder), kFolder);
    ASSERT_TRUE(back.ok) << back.error;
    const PhotoSegment& s = *back.entries.at(0).segments[3];
    EXPECT_NEAR(s.from.x, 1234.567891, 0.005);
    EXPECT_NEAR(s.from.y, 0.333333, 0.005);
    EXPECT_NEAR(s.to.x, 2.0 / 3.0, 0.005);
    EXPECT_NEAR(s.to.y, 4031.999, 0.005);
}

TEST(PhotoCompanion, ReadsPointsAtTheScaleTheDocumentNames) {
    const auto result = PhotoCompanion::read(
        document("1", R"({"line": "a", "occurrence": 1, "photo": "p", "width": 9, "height": 9,
            "appended": "", "segments": {"C3": [15, 20, -5, 40000]}})",
                 "10"),
        kFolder);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.entries.at(0).segments[18], (PhotoSegment{{1.5, 2.0}, {-0.5, 4000.0}}));
    EXPECT_EQ(result.entries.at(0).photoPath, kFolder + "/p");
}

TEST(PhotoCompanion, EntriesFindTheirRowsInAReorderedDataFile) {
    std::vector<PhotoEntry> entries = {entry("A\t1", 1, "/a.jpg"), entry("B\t2", 1, "/b.jpg"),
                                       entry("A\t1", 2, "/a2.jpg"), entry("C\t3", 1, "/c.jpg")};
    const auto back = PhotoCompanion::read(PhotoCompanion::write(entries, kFolder), kFolder);
    ASSERT_TRUE(back.ok) << back.error;
    // Rows reordered elsewhere, C removed, D added, the empty last piece kept.
    const std::string reordered = "D\t4\r\nA\t1\r\nB\t2\r\nA\t1\r\n";
    const auto pieces = DataSet::splitPieces(reordered);
    const auto found = PhotoCompanion::entriesForPieces(pieces, back.entries);
    ASSERT_EQ(found.size(), 5U);
    EXPECT_EQ(found[0], nullptr);
    ASSERT_NE(found[1], nullptr);
    EXPECT_EQ(found[1]->photoPath, "/a.jpg");
    ASSERT_NE(found[2], nullptr);
    EXPECT_EQ(found[2]->photoPath, "/b.jpg");
    ASSERT_NE(found[3], nullptr);
    EXPECT_EQ(found[3]->photoPath, "/a2.jpg"); // the second "A" line keeps the second photo
    EXPECT_EQ(found[4], nullptr);
    EXPECT_EQ(occurrenceOf(pieces, 3), 2U);
    EXPECT_EQ(occurrenceOf(pieces, 1), 1U);
}

// A document, or a part of one, that must be refused.
struct Refused {
    const char* name;
    std::string bytes;
    const char* reason; // a part of the message
};

TEST(PhotoCompanion, RefusesCorruptDocumentsWithAReason) {
    const std::vector<Refused> cases = {
        {"empty file", "", "not valid JSON"},
        {"cut short", document("1", kGoodEntry).substr(0, 60), "not valid JSON"},
        {"not UTF-8", "{\"format\": \"\xff\"}", "not valid JSON"},
        {"a list", "[1, 2]", "not a photo companion"},
        {"other format", "{\"format\": \"x\", \"version\": 1, \"entries\": []}",
         "not a photo companion"},
        {"no version", "{\"format\": \"korvex-photos\", \"entries\": []}", "lacks \"version\""},
        {"text version", document("\"1\"", ""), "version is not a whole number"},
        {"version 0", document("0", ""), "version is too small"},
        {"entries not a list",
         "{\"format\": \"korvex-photos\", \"version\": 1, \"pointsPerPixel\": 100, \"entries\": "
         "{}}",
         "not a list"},
        {"no scale", "{\"format\": \"korvex-photos\", \"version\": 1, \"entries\": []}",
         "lacks \"pointsPerPixel\""},
        {"zero scale", document("1", "", "0"), "\"pointsPerPixel\" is not a whole number"},
        {"entry not an object", document("1", "3"), "entry 1 is not an object"},
        {"no line", document("1", R"({"occurrence": 1})"), "exactly one of \"line\""},
        {"both lines", document("1", R"({"line": "a", "lineHex": "61"})"), "exactly one of"},
        {"odd hex", document("1", R"({"lineHex": "616"})"), "hexadecimal digits"},
        {"bad hex", document("1", R"({"lineHex": "6g"})"), "hexadecimal digits"},
        {"occurrence 0", document("1", R"({"line": "a", "occurrence": 0})"),
         "\"occurrence\" is too small"},
        {"huge width",
         document("1", R"({"line": "a", "occurrence": 1, "photo": "p", "width": 1e9})"),
         "\"width\" is not a whole number"},
        {"negative height",
         document("1", R"({"line": "a", "occurrence": 1, "photo": "p", "width": 5, "height": -5})"),
         "\"height\" is too small"},
        {"empty photo", document("1", R"({"line": "a", "occurrence": 1, "photo": ""})"),
         "empty \"photo\""},
        {"unknown seam",
         document("1", kGoodEntry + std::string(",") +
                           R"({"line": "b", "occurrence": 1, "photo": "p",
            "width": 1, "height": 1, "appended": "", "segments": {"M17": [1, 2, 3, 4]}})"),
         "entry 2 segment \"M17\" names no seam"},
        {"three numbers",
         document("1", R"({"line": "b", "occurrence": 1, "photo": "p", "width": 1, "height": 1,
            "appended": "", "segments": {"C1": [1, 2, 3]}})"),
         "not four numbers"},
    };
    for (const Refused& c : cases) {
        const auto result = PhotoCompanion::read(c.bytes, kFolder);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_TRUE(result.entries.empty()) << c.name;
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << c.name << ": " << result.error;
    }
    EXPECT_TRUE(PhotoCompanion::read(document("1", kGoodEntry), kFolder).ok);
}

TEST(PhotoCompanion, RefusesANewerFormatVersionWithoutGuessing) {
    const auto result = PhotoCompanion::read(document("4", kGoodEntry), kFolder);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.entries.empty());
    EXPECT_NE(result.error.find("format version 4 by a newer version"), std::string::npos)
        << result.error;
}

namespace {

Decision decision(Verdict verdict, RecordIdentity query, RecordIdentity candidate) {
    return {std::move(query), std::move(candidate), verdict, "D", "0.1234", "2026-05-24T09:30:00Z"};
}

const std::string kGoodDecision =
    R"({"query": {"code": "A1", "line": "A1\t1", "occurrence": 0},
    "candidate": {"code": "B2", "line": "B2\t2", "occurrence": 2}, "verdict": "same",
    "measure": "D1", "distance": "0.012", "decided": "2026-05-24T09:30:00Z"})";

// A document with kGoodEntry and `decisions` as the value of "decisions".
std::string withDecisions(const std::string& version, const std::string& decisions) {
    std::string text = document(version, kGoodEntry);
    text.insert(text.size() - 1, ", \"decisions\": " + decisions);
    return text;
}

} // namespace

TEST(PhotoCompanion, VerdictsReadAsTheUserSeesThem) {
    EXPECT_EQ(verdictText(Verdict::SameAnimal), "Same Animal");
    EXPECT_EQ(verdictText(Verdict::DifferentAnimal), "Different Animal");
    EXPECT_EQ(verdictText(Verdict::Unsure), "Unsure");
}

TEST(PhotoCompanion, DecisionsRoundTripWithEveryByte) {
    const std::vector<PhotoEntry> entries = {entry("TH-1\t0.1250", 1, kFolder + "/a.jpg")};
    std::vector<Decision> decisions = {
        // The sheet's specimen, never appended, against a stored record.
        decision(Verdict::SameAnimal, {"new", "new\t0.5", 0}, {"TH-1", "TH-1\t0.1250", 1}),
        // 8-bit codes and lines from an older file, the second of two equal lines.
        decision(Verdict::DifferentAnimal,
                 {std::string("\x8a\xe8", 2), std::string("\x8a\xe8\t0.5", 5), 2},
                 {"\xc5\xa0umava", "\xc5\xa0umava\t1", 1}),
        decision(Verdict::Unsure, {"TH-1", "TH-1\t0.1250", 1}, {"x\"y\\z", "x\"y\\z\t1\r\n2", 3}),
    };
    decisions[1].measure = "D1";
    decisions[1].distance = "0.056";
    decisions[2].measure = "D2";
    decisions[2].distance = std::string("0\xff", 2);
    const std::string text = PhotoCompanion::write(entries, kFolder, decisions);
    EXPECT_NE(text.find("\"version\": 2,"), std::string::npos);
    EXPECT_NE(text.find("\"codeHex\":\"8ae8\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"verdict\":\"different\""), std::string::npos) << text;

    const auto back = PhotoCompanion::read(text, kFolder);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.entries, entries);
    EXPECT_EQ(back.decisions, decisions);

    // Decisions alone, with no photo entry, make a document of their own.
    const auto alone = PhotoCompanion::read(PhotoCompanion::write({}, kFolder, decisions), kFolder);
    ASSERT_TRUE(alone.ok) << alone.error;
    EXPECT_TRUE(alone.entries.empty());
    EXPECT_EQ(alone.decisions, decisions);
}

TEST(PhotoCompanion, WithoutDecisionsTheDocumentStaysVersionOne) {
    const std::vector<PhotoEntry> entries = {entry("A\t1", 1, "/a.jpg")};
    const std::string text = PhotoCompanion::write(entries, kFolder);
    EXPECT_EQ(text, PhotoCompanion::write(entries, kFolder, {}));
    EXPECT_NE(text.find("\"version\": 1,"), std::string::npos) << text;
    EXPECT_EQ(text.find("decisions"), std::string::npos) << text;
    EXPECT_EQ(text.substr(text.size() - 5), "\n]\n}\n");
    EXPECT_TRUE(PhotoCompanion::read(text, kFolder).decisions.empty());
}

TEST(PhotoCompanion, VersionTwoEntriesAreReadByTheSameRules) {
    for (const char* version : {"1", "2"}) {
        // The same entries under either version give the same photos...
        const auto good = PhotoCompanion::read(document(version, kGoodEntry), kFolder);
        ASSERT_TRUE(good.ok) << version << ": " << good.error;
        ASSERT_EQ(good.entries.size(), 1U);
        EXPECT_EQ(good.entries[0].photoPath, kFolder + "/a.jpg");
        EXPECT_EQ(good.entries[0].segments[0], (PhotoSegment{{0.01, 0.02}, {0.03, 0.04}}));
        // ...and the same faults refuse them.
        const auto bad =
            PhotoCompanion::read(document(version, R"({"line": "a", "occurrence": 0})"), kFolder);
        EXPECT_FALSE(bad.ok);
        EXPECT_NE(bad.error.find("entry 1 \"occurrence\" is too small"), std::string::npos)
            << bad.error;
    }
    const auto both = PhotoCompanion::read(withDecisions("2", "[" + kGoodDecision + "]"), kFolder);
    ASSERT_TRUE(both.ok) << both.error;
    ASSERT_EQ(both.entries.size(), 1U);
    ASSERT_EQ(both.decisions.size(), 1U);
    const Decision& d = both.decisions[0];
    EXPECT_EQ(d.query, (RecordIdentity{"A1", "A1\t1", 0}));
    EXPECT_EQ(d.candidate, (RecordIdentity{"B2", "B2\t2", 2}));
    EXPECT_EQ(d.verdict, Verdict::SameAnimal);
    EXPECT_EQ(d.measure, "D1");
    EXPECT_EQ(d.distance, "0.012");
    EXPECT_EQ(d.decidedAt, "2026-05-24T09:30:00Z");
    // A field this version does not know is passed over, as in entries.
    std::string later = kGoodDecision;
    later.insert(1, R"("reviewer": {"name": "K"}, )");
    const auto passed = PhotoCompanion::read(withDecisions("2", "[" + later + "]"), kFolder);
    ASSERT_TRUE(passed.ok) << passed.error;
    EXPECT_EQ(passed.decisions, both.decisions);
}

TEST(PhotoCompanion, RefusesMalformedDecisionsWithAReason) {
    // kGoodDecision, in a list, with `from` replaced by `to`.
    const auto changed = [](const std::string& from, const std::string& to) {
        std::string text = kGoodDecision;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return "[" + (at == std::string::npos ? text : text.replace(at, from.size(), to)) + "]";
    };
    // The bytes are the value of "decisions".
    const std::vector<Refused> cases = {
        {"not a list", "{}", "its \"decisions\" are not a list"},
        {"a text", "\"none\"", "its \"decisions\" are not a list"},
        {"not an object", "[1]", "decision 1 is not an object"},
        {"second a list", "[" + kGoodDecision + ", []]", "decision 2 is not an object"},
        {"no query", changed(R"("query")", R"("q")"), "decision 1 lacks \"query\""},
        {"query a text", changed(R"({"code": "A1", "line": "A1\t1", "occurrence": 0})", "\"A1\""),
         "decision 1 \"query\" is not an object"},
        {"two queries", changed(R"("candidate")", R"("query")"), "\"query\" appears twice"},
        {"no candidate code", changed(R"("code": "B2")", R"("kode": "B2")"),
         "decision 1 candidate needs exactly one of \"code\" and \"codeHex\""},
        {"no query line", changed(R"("line": "A1\t1")", R"("lines": "A1\t1")"),
         "decision 1 query needs exactly one of \"line\" and \"lineHex\""},
        {"odd hex code", changed(R"("code": "B2")", R"("codeHex": "4")"),
         "decision 1 candidate \"codeHex\" is not an even number of hexadecimal digits"},
        {"negative occurrence", changed(R"("occurrence": 2)", R"("occurrence": -1)"),
         "decision 1 candidate \"occurrence\" is too small"},
        {"fractional occurrence", changed(R"("occurrence": 2)", R"("occurrence": 1.5)"),
         "candidate \"occurrence\" is not a whole number"},
        {"no occurrence", changed(R"(, "occurrence": 0)", ""),
         "decision 1 query lacks \"occurrence\""},
        {"occurrence a list", changed(R"("occurrence": 0)", R"("occurrence": [0])"),
         "query \"occurrence\" is not a whole number"},
        {"unknown verdict", changed(R"("same")", R"("Same Animal")"),
         "\"verdict\" is not \"same\", \"different\" or \"unsure\""},
        {"two verdicts",
         changed(R"("verdict": "same")", R"("verdict": "same", "verdict": "unsure")"),
         "\"verdict\" appears twice"},
        {"no verdict", changed(R"("verdict": "same",)", ""), "decision 1 lacks \"verdict\""},
        {"unknown measure", changed(R"("D1")", R"("D3")"),
         "\"measure\" is not \"D1\", \"D2\" or \"D\""},
        {"measure a number", changed(R"("D1")", "1"), "decision 1 \"measure\" is not a text"},
        {"no distance", changed(R"("distance")", R"("dist")"), "decision 1 lacks \"distance\""},
        {"two distances",
         changed(R"("distance": "0.012")", R"("distance": "0.012", "distanceHex": "30")"),
         "exactly one of \"distance\" and \"distanceHex\""},
        {"no time", changed(R"(, "decided": "2026-05-24T09:30:00Z")", ""),
         "decision 1 lacks \"decided\""},
        {"time an object", changed(R"("2026-05-24T09:30:00Z")", "{}"), "\"decided\" is not a text"},
    };
    for (const Refused& c : cases) {
        const auto result = PhotoCompanion::read(withDecisions("2", c.bytes), kFolder);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_TRUE(result.decisions.empty()) << c.name;
        EXPECT_TRUE(result.entries.empty()) << c.name;
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << c.name << ": " << result.error;
    }
    // A fault in a decision does not hide that the document is newer.
    const auto newer = PhotoCompanion::read(withDecisions("4", "[1]"), kFolder);
    EXPECT_NE(newer.error.find("newer version"), std::string::npos) << newer.error;
}

namespace {

// A document with kGoodEntry and `field` ("\"key\": value") added at its end.
std::string withField(const std::string& field) {
    std::string text = document("1", kGoodEntry);
    text.insert(text.size() - 1, ", " + field);
    return text;
}

// An entry with every field, `key` given `value` instead of its own; an empty
// value leaves the field out.
std::string entryWith(const std::string& key, const std::string& value) {
    const std::vector<std::pair<std::string, std::string>> fields = {
        {"line", "\"a\""},
        {"occurrence", "1"},
        {"photo", "\"p.jpg\""},
        {"width", "10"},
        {"height", "20"},
        {"appended", "\"\""},
        {"segments", R"({"M1": [1, 2, 3, 4]})"}};
    std::string text;
    for (const auto& [k, v] : fields)
        if (k != key || !value.empty())
            text += (text.empty() ? "{\"" : ", \"") + k + "\": " + (k == key ? value : v);
    return text + "}";
}

// The one entry of a document of `entry`, or the reason it was refused.
PhotoCompanion::ReadResult readEntry(const std::string& entry) {
    return PhotoCompanion::read(document("1", entry), kFolder);
}

} // namespace

// The parser checks only what the reader reads, so every value is read, also
// one the program has no use for; and it stops where the document ends.
TEST(PhotoCompanion, RefusesWhatIsNotJsonWhereverItLies) {
    const std::string good = document("1", kGoodEntry);
    const std::vector<Refused> cases = {
        {"comma missing where passed over", withField(R"("later": [1 2])"), "comma, colon"},
        {"misspelt literal where passed over", withField(R"("later": {"a": tru})"),
         "none of a text, a number"},
        {"bad escape where passed over", withField(R"("later": "\x")"), "malformed escape"},
        {"leading zero where passed over", withField(R"("later": 01)"), "number is malformed"},
        {"bad escape in a key passed over", withField(R"("\q": 1)"), "malformed escape"},
        {"number beyond a double", entryWith("segments", R"({"M1": [1e400, 2, 3, 4]})"),
         "number is malformed or out of range"},
        {"lone high surrogate", entryWith("line", R"("\ud800")"), "malformed escape"},
        {"lone low surrogate", entryWith("line", R"("\udc00")"), "malformed escape"},
        {"high surrogate without its low half", entryWith("line", R"("\ud800\u0041")"),
         "malformed escape"},
        {"raw tab in a text", entryWith("line", "\"a\tb\""), "control character"},
        {"a second document", good + " {}", "something follows the document"},
        {"a closing brace too many", good + "}", "something follows the document"},
        {"words after the document", good + " x", "not valid JSON"},
        {"object left open", good.substr(0, good.size() - 1), "not closed"},
        {"a lone scalar with more after it", "null x", "not valid JSON"},
        {"a misspelt lone scalar", "nul", "not valid JSON"},
        {"a lone scalar and a control character", "null\x01\t", "not valid JSON"},
        {"two scalars", "3, 4", "not valid JSON"},
        {"nested too deep",
         withField("\"later\": " + std::string(2000, '[') + std::string(2000, ']')),
         "nest more than 1024 deep"},
        {"where a fault lies", "{\n  \"format\": x}", "line 2, column 13"},
        {"where bytes are not UTF-8", "{\n\"format\":\n\"\xff\"}", "(line 3: "},
        {"format given again, as no text",
         R"({"format": "korvex-photos", "version": 1, "pointsPerPixel": 100, "entries": [],
            "format": {}})",
         "not a photo companion"},
    };
    for (const Refused& c : cases) {
        const auto result = PhotoCompanion::read(c.bytes, kFolder);
        EXPECT_FALSE(result.ok) << c.name;
        EXPECT_TRUE(result.entries.empty()) << c.name;
        EXPECT_NE(result.error.find(c.reason), std::string::npos) << c.name << ": " << result.error;
    }
    // A document that is a lone valid scalar is JSON, just not a companion.
    for (const char* scalar : {"3", " \"x\" ", "true", "null", "-0.5e3"})
        EXPECT_NE(PhotoCompanion::read(scalar, kFolder).error.find("not a photo companion"),
                  std::string::npos)
            << scalar;
}

TEST(PhotoCompanion, ReadsWhatJsonAllows) {
    const auto line = [](const PhotoCompanion::ReadResult& r) {
        return r.ok ? r.entries.at(0).recordLine : "refused: " + r.error;
    };
    EXPECT_EQ(line(PhotoCompanion::read("\xEF\xBB\xBF" + document("1", kGoodEntry), kFolder)),
              "A1\t1")
        << "a byte order mark before the document";
    std::string escapedKey = document("1", kGoodEntry);
    escapedKey.replace(escapedKey.find("\"format\""), 8, R"("\u0066ormat")");
    EXPECT_EQ(line(PhotoCompanion::read(escapedKey, kFolder)), "A1\t1");
    // Keys are mostly read where they lie; one with an escape means the same.
    std::string escapedInEntry = kGoodEntry;
    escapedInEntry.replace(escapedInEntry.find("\"M1\""), 4, R"("M\u0031")");
    escapedInEntry.replace(escapedInEntry.find("\"photo\""), 7, R"("phot\u006f")");
    const auto escapedRead = readEntry(escapedInEntry);
    ASSERT_TRUE(escapedRead.ok) << escapedRead.error;
    EXPECT_EQ(escapedRead.entries, readEntry(kGoodEntry).entries);
    EXPECT_EQ(
        line(PhotoCompanion::read(
            withField("\"later\": " + std::string(100, '[') + std::string(100, ']')), kFolder)),
        "A1\t1");
    EXPECT_EQ(line(PhotoCompanion::read(
                  withField(R"("later": {"a": [true, false, null, -0.5e-3, "\u00e9", {}, []]})"),
                  kFolder)),
              "A1\t1");
    EXPECT_EQ(line(readEntry(entryWith("line", R"("a\u0009\"\\\/b\ud83d\ude00")"))),
              "a\t\"\\/b\xF0\x9F\x98\x80");
    EXPECT_EQ(line(readEntry(R"({"lineHex": "4A6b", )" + entryWith("line", "").substr(1))), "Jk");
    // Any JSON number is a coordinate; the file's own are whole hundredths.
    const auto points = readEntry(
        entryWith("segments", R"({"C12": [1.5, -0, 1e-400, 123456789012345678901234567890]})"));
    ASSERT_TRUE(points.ok) << points.error;
    const PhotoSegment& s = *points.entries.at(0).segments[27];
    EXPECT_DOUBLE_EQ(s.from.x, 0.015);
    EXPECT_EQ(s.from.y, 0.0);
    EXPECT_EQ(s.to.x, 0.0);
    EXPECT_DOUBLE_EQ(s.to.y, 1.2345678901234568e27);
}

TEST(PhotoCompanion, WholeNumbersFitTheirRanges) {
    struct Row {
        const char* key;
        const char* value;
        const char* reason; // a part of the message, or nothing when read
    };
    const std::vector<Row> rows = {
        {"occurrence", "9223372036854775807", nullptr},
        {"occurrence", "9223372036854775808", "\"occurrence\" is too large"},
        {"occurrence", "18446744073709551615", "\"occurrence\" is too large"},
        {"occurrence", "18446744073709551616", "\"occurrence\" is not a whole number"},
        {"occurrence", "-9223372036854775809", "\"occurrence\" is not a whole number"},
        {"occurrence", "1.0", "\"occurrence\" is not a whole number"},
        {"occurrence", "1e0", "\"occurrence\" is not a whole number"},
        {"occurrence", "-0", "\"occurrence\" is too small"},
        {"occurrence", "\"1\"", "\"occurrence\" is not a whole number"},
        {"occurrence", "null", "\"occurrence\" is not a whole number"},
        {"occurrence", "[1]", "\"occurrence\" is not a whole number"},
        {"width", "1000000", nullptr},
        {"width", "1000001", "\"width\" is too large"},
        {"height", "true", "\"height\" is not a whole number"},
        {"appended", "{}", "\"appended\" is not a text"},
        {"segments", "[]", "\"segments\" is not an object"},
    };
    for (const Row& row : rows) {
        const auto result = readEntry(entryWith(row.key, row.value));
        const std::string name = std::string(row.key) + " " + row.value;
        if (!row.reason) {
            EXPECT_TRUE(result.ok) << name << ": " << result.error;
            continue;
        }
        EXPECT_FALSE(result.ok) << name;
        EXPECT_NE(result.error.find(std::string("entry 1 ") + row.reason), std::string::npos)
            << name << ": " << result.error;
    }
    for (const char* scale : {"1000001", "1.5", "{}"})
        EXPECT_NE(PhotoCompanion::read(document("1", kGoodEntry, scale), kFolder)
                      .error.find("\"pointsPerPixel\" is not a whole number from 1 to 1000000"),
                  std::string::npos)
            << scale;
    EXPECT_TRUE(PhotoCompanion::read(document("1", kGoodEntry, "1000000"), kFolder).ok);
}

TEST(PhotoCompanion, SegmentsNameTheSeamsExactly) {
    const std::vector<std::pair<const char*, std::size_t>> seams = {
        {"M1", 0}, {"M9", 8}, {"M10", 9}, {"M16", 15}, {"C1", 16}, {"C9", 24}, {"C12", 27}};
    for (const auto& [seam, index] : seams) {
        const auto result =
            readEntry(entryWith("segments", "{\"" + std::string(seam) + "\": [1, 2, 3, 4]}"));
        ASSERT_TRUE(result.ok) << seam << ": " << result.error;
        EXPECT_TRUE(result.entries.at(0).segments[index].has_value()) << seam;
        EXPECT_EQ(SpecimenRecord::seamName(index), seam);
    }
    for (const char* seam : {"M0", "M01", "M17", "M99", "C0", "C13", "m1", "M1 ", "X1", "M", ""}) {
        const auto result =
            readEntry(entryWith("segments", "{\"" + std::string(seam) + "\": [1, 2, 3, 4]}"));
        EXPECT_NE(result.error.find("segment \"" + std::string(seam) + "\" names no seam"),
                  std::string::npos)
            << seam << ": " << result.error;
    }
}

TEST(PhotoCompanion, PhotoPathsAreMadeAbsoluteAgainstTheFolder) {
    struct Row {
        const char* folder;
        const char* stored;
        const char* path;
    };
    const std::vector<Row> rows = {
        {"/data/turtles", "p/a.jpg", "/data/turtles/p/a.jpg"},
        {"/data/turtles/", "a.jpg", "/data/turtles/a.jpg"},
        {"/data/./turtles", "a.jpg", "/data/turtles/a.jpg"},
        {"/", "a.jpg", "/a.jpg"},
        {".", "a.jpg", "a.jpg"},
        {"", "a.jpg", "a.jpg"},
        {"rel/dir", "a.jpg", "rel/dir/a.jpg"},
        {"/data/turtles", "../b.jpg", "/data/b.jpg"},
        {"/data/turtles", "./p//a.jpg", "/data/turtles/p/a.jpg"},
        {"/data/turtles", "p/./../a.jpg", "/data/turtles/a.jpg"},
        {"/data/turtles", ".hidden/...", "/data/turtles/.hidden/..."},
        {"/data/turtles", "/elsewhere/a.jpg", "/elsewhere/a.jpg"},
    };
    for (const Row& row : rows) {
        const auto result = PhotoCompanion::read(
            document("1", entryWith("photo", "\"" + std::string(row.stored) + "\"")), row.folder);
        ASSERT_TRUE(result.ok) << row.stored << ": " << result.error;
        EXPECT_EQ(result.entries.at(0).photoPath, row.path) << row.folder << " + " << row.stored;
    }
}

namespace {

RepeatMeasurement repeatOf(std::string line, std::string values, std::string who) {
    RepeatMeasurement r;
    r.recordLine = std::move(line);
    r.values = std::move(values);
    r.measuredAt = "2026-06-01T10:00:00Z";
    r.operatorName = std::move(who);
    r.segments[3] = PhotoSegment{{1.5, 2.25}, {101.75, 3.0}};
    return r;
}

RecordEncounter encounterOf(std::string line, std::size_t occurrence, std::string date) {
    RecordEncounter held{std::move(line), occurrence, {}};
    std::string error;
    EXPECT_TRUE(held.encounter.setDateText(date, error)) << error;
    return held;
}

} // namespace

TEST(PhotoCompanion, RepeatsEncountersAndPixelGroupsComeBackExactlyAndOnlyThenAsVersionThree) {
    PhotoEntry pixels = entry("TH-1\t0.1250", 1, kFolder + "/a.jpg");
    pixels.measuredInPixels = {true, false, false, true};
    std::string values;
    for (int i = 0; i < 28; ++i)
        values += "\t0.0" + std::to_string(i);
    const std::vector<RepeatMeasurement> repeats = {
        repeatOf("TH-1\t0.1250", values, "Ana"),
        // 8-bit text from an older sheet, and no operator given.
        repeatOf("TH-2", std::string("\t\xe8", 2), ""),
    };
    RecordEncounter full = encounterOf("TH-1\t0.1250", 1, "2019-05-01T09:30:15");
    full.encounter.site = "Ridge \"north\"";
    full.encounter.latitude = -33.9249;
    full.encounter.longitude = 1e-05; // a shortest text with an exponent reads back too
    full.encounter.observer = "Bo";
    full.encounter.note = "limping\nleft fore";
    const std::vector<RecordEncounter> encounters = {full, encounterOf("TH-2", 3, "2020-02-29")};

    const std::string text = PhotoCompanion::write({pixels}, kFolder, {}, repeats, encounters);
    EXPECT_NE(text.find("\"version\": 3"), std::string::npos) << text;
    EXPECT_NE(text.find("\"measuredInPixels\":[\"M1-M8\",\"C7-C12\"]"), std::string::npos) << text;
    const auto back = PhotoCompanion::read(text, kFolder);
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_TRUE(back.leftOut.empty());
    EXPECT_EQ(back.entries, std::vector<PhotoEntry>{pixels});
    EXPECT_EQ(back.repeats, repeats);
    EXPECT_EQ(back.encounters, encounters);

    // Without any of them the older versions are written, byte for byte as before.
    const std::string plain = PhotoCompanion::write({entry("x", 1, "/p.jpg")}, kFolder);
    EXPECT_NE(plain.find("\"version\": 1"), std::string::npos);
    EXPECT_EQ(plain.find("measuredInPixels"), std::string::npos);
    EXPECT_EQ(plain.find("repeats"), std::string::npos);
}

TEST(PhotoCompanion, AFaultInTheRepeatsOrEncountersLeavesOutThatSectionOnly) {
    const std::string head = R"({"format": "korvex-photos", "version": 3, "pointsPerPixel": 100,
        "entries": [)" + kGoodEntry +
                             R"(], "decisions": [],)";
    const std::string goodRepeats = R"("repeats": [{"line": "A1\t1", "occurrence": 1,
        "values": "\t1", "measured": "t", "operator": "", "segments": {}}])";
    const std::string goodEncounters =
        R"("encounters": [{"line": "A1\t1", "occurrence": 1, "date": "2019-05-01", "site": "x"}])";
    struct Case {
        const char* name;
        std::string body;
        std::size_t repeats, encounters;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"repeat lacks values",
         R"("repeats": [{"line": "A1\t1", "occurrence": 1, "measured": "t", "operator": "",
            "segments": {}}], )" +
             goodEncounters,
         0, 1, "repeat 1 lacks \"values\""},
        {"repeats not a list", R"("repeats": 5, )" + goodEncounters, 0, 1, "are not a list"},
        {"date that does not exist",
         goodRepeats +
             R"(, "encounters": [{"line": "A1\t1", "occurrence": 1, "date": "2019-02-29"}])",
         1, 0, "encounter 1 \"date\""},
        {"latitude beyond 90",
         goodRepeats + R"(, "encounters": [{"line": "A", "occurrence": 1, "latitude": 91,
            "longitude": 0}])",
         1, 0, "latitude"},
        {"half a position",
         goodRepeats + R"(, "encounters": [{"line": "A", "occurrence": 1, "latitude": 9}])", 1, 0,
         "both its latitude and its longitude"},
        {"two encounters of one record",
         goodRepeats + R"(, "encounters": [{"line": "A", "occurrence": 1},
            {"line": "A", "occurrence": 1}])",
         1, 0, "the second of its record"},
        // Broken JSON in the last section: what stands before it is kept.
        {"JSON fault in the encounters",
         goodRepeats + R"(, "encounters": [{"line": "A" "occurrence": 1}]})", 1, 0,
         "are not valid JSON (line"},
        {"JSON fault in the repeats",
         R"("repeats": [{"line": "A1\t1", "occurrence": 1,, }], )" + goodEncounters, 0, 0,
         "and anything after them"},
    };
    for (const Case& c : cases) {
        const auto result = PhotoCompanion::read(head + c.body + "}", kFolder);
        ASSERT_TRUE(result.ok) << c.name << ": " << result.error;
        EXPECT_EQ(result.entries.size(), 1u) << c.name;
        EXPECT_EQ(result.repeats.size(), c.repeats) << c.name;
        EXPECT_EQ(result.encounters.size(), c.encounters) << c.name;
        ASSERT_FALSE(result.leftOut.empty()) << c.name;
        EXPECT_NE(result.leftOut.front().find(c.reason), std::string::npos)
            << c.name << ": " << result.leftOut.front();
    }
    const auto good =
        PhotoCompanion::read(head + goodRepeats + ", " + goodEncounters + "}", kFolder);
    ASSERT_TRUE(good.ok) << good.error;
    EXPECT_TRUE(good.leftOut.empty()) << good.leftOut.front();
    EXPECT_EQ(good.encounters.at(0).encounter.site, "x");
}
