#include "model/CatalogueMerge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace korvex;

namespace {

using Views = std::vector<std::string_view>;

PhotoEntry photoOf(const std::string& line, std::size_t occurrence, const std::string& photo) {
    PhotoEntry entry;
    entry.recordLine = line;
    entry.occurrence = occurrence;
    entry.photoPath = photo;
    return entry;
}

Decision decisionOn(const std::string& a, const std::string& b, Verdict verdict) {
    return {{a, a, 1}, {b, b, 1}, verdict, "D1", "0.1", "2026-05-24T09:30:00Z"};
}

std::vector<std::string> linesOf(const CatalogueMerge::Missing& missing) {
    std::vector<std::string> lines;
    for (const auto& record : missing.records)
        lines.push_back(record.line);
    return lines;
}

// Which records of the other copy are missing here goes by line text and
// occurrence, never by position.
TEST(CatalogueMerge, ARecordIsMissingWhenItsOccurrenceIsNotHeld) {
    const struct {
        const char* name;
        Views held, other;
        std::vector<std::string> missing;
    } cases[] = {
        {"the same", {"A", "B", ""}, {"A", "B", ""}, {}},
        {"appended there", {"A", ""}, {"A", "B", "C", ""}, {"B", "C"}},
        {"reordered there", {"A", "B", ""}, {"B", "A", ""}, {}},
        {"removed there", {"A", "B", "C", ""}, {"C", ""}, {}},
        {"a second line of the same text", {"A", ""}, {"A", "A", ""}, {"A"}},
        {"both added different", {"A", "X", ""}, {"A", "Y", ""}, {"Y"}},
        {"empty pieces are no records", {"A", ""}, {"", "A", "", ""}, {}},
        {"nothing here", {""}, {"A", "B", "A"}, {"A", "B", "A"}},
        {"a value edited there", {"A\t1", ""}, {"A\t2", ""}, {"A\t2"}},
    };
    for (const auto& c : cases) {
        const auto missing = CatalogueMerge::missingHere(c.held, {}, {}, c.other, {}, {});
        EXPECT_EQ(linesOf(missing), c.missing) << c.name;
        EXPECT_EQ(missing.empty(), c.missing.empty()) << c.name;
    }
}

TEST(CatalogueMerge, PhotosGoWithTheirRecordsOrToHeldRecordsWithoutOne) {
    const Views held{"A", "B", ""};
    const Views other{"A", "B", "C", "A", ""};
    const PhotoEntry b = photoOf("B", 1, "/p/b.jpg");
    const PhotoEntry c = photoOf("C", 1, "/p/c.jpg");
    const PhotoEntry a2 = photoOf("A", 2, "/p/a2.jpg");
    const PhotoEntry aThere = photoOf("A", 1, "/p/a-there.jpg");
    // A keeps a photo here already: the other copy's photo of it is not taken.
    const std::vector<PhotoEntry> heldEntries{photoOf("A", 1, "/p/a.jpg")};
    const auto missing = CatalogueMerge::missingHere(held, heldEntries, {}, other,
                                                     {&aThere, &b, &c, &a2, nullptr}, {});
    EXPECT_EQ(linesOf(missing), (std::vector<std::string>{"C", "A"}));
    ASSERT_TRUE(missing.records[0].photo && missing.records[1].photo);
    EXPECT_EQ(*missing.records[0].photo, c);
    EXPECT_EQ(*missing.records[1].photo, a2);
    EXPECT_EQ(missing.photosOfHeld, std::vector<PhotoEntry>{b});
    EXPECT_EQ(missing.photoCount(), 3U);
}

TEST(CatalogueMerge, DecisionsNotInTheLogAreMissingEachAsOftenAsMade) {
    const Decision ab = decisionOn("A", "B", Verdict::SameAnimal);
    const Decision abChanged = decisionOn("A", "B", Verdict::DifferentAnimal);
    const Decision ac = decisionOn("A", "C", Verdict::Unsure);
    const DecisionLog held({ab, ac});
    const auto missing =
        CatalogueMerge::missingHere({""}, {}, held, {""}, {}, {ab, abChanged, ab, ac});
    EXPECT_EQ(missing.decisions, (std::vector<Decision>{abChanged, ab}));
    EXPECT_TRUE(missing.records.empty());
}

} // namespace
