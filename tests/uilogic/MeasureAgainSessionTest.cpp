#include "uilogic/MeasureAgainSession.h"

#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <set>

namespace korvex {
namespace {

std::string recordLine(std::size_t n) {
    std::string line = "K" + std::to_string(n);
    for (int k = 0; k < 28; ++k)
        line += "\t0." + std::to_string(100 + n);
    return line;
}

PhotoEntry entryFor(const std::string& line, std::size_t occurrence = 1) {
    PhotoEntry entry;
    entry.recordLine = line;
    entry.occurrence = occurrence;
    entry.photoPath = "/photos/" + std::string(SpecimenRecord::codeOf(line)) + ".jpg";
    entry.widthPixels = 3000;
    entry.heightPixels = 2400;
    entry.segments[0] = PhotoSegment{{1.0, 2.0}, {30.0, 40.0}};
    entry.segments[27] = PhotoSegment{{5.0, 5.0}, {6.0, 9.0}};
    return entry;
}

// Thirty records; the even-numbered ones keep a photo. Record 31 repeats
// record 1's line and only that second occurrence keeps a photo.
struct Catalogue {
    DataSet dataSet;
    std::vector<PhotoEntry> entries;
    Catalogue() {
        std::string text;
        for (std::size_t n = 1; n <= 30; ++n) {
            text += recordLine(n) + "\r\n";
            if (n % 2 == 0)
                entries.push_back(entryFor(recordLine(n)));
        }
        text += recordLine(1) + "\r\n";
        entries.push_back(entryFor(recordLine(1), 2));
        // A last line without CR LF is no record, even with an entry.
        text += recordLine(40);
        entries.push_back(entryFor(recordLine(40)));
        dataSet.setText(text);
    }
};

std::vector<std::size_t> numbers(const std::vector<MeasureAgainSession::Target>& targets) {
    std::vector<std::size_t> out;
    for (const auto& t : targets)
        out.push_back(t.recordNumber);
    return out;
}

TEST(MeasureAgainSession, PicksDistinctRecordsWithAPhotoTheSameForTheSameSeed) {
    const Catalogue c;
    const auto picked = MeasureAgainSession::pick(c.dataSet, c.entries, 10, 7);
    ASSERT_EQ(picked.size(), 10u);
    std::set<std::size_t> seen;
    for (const auto& t : picked) {
        EXPECT_TRUE(t.recordNumber % 2 == 0 || t.recordNumber == 31) << t.recordNumber;
        EXPECT_EQ(t.entry->recordLine, recordLine(t.recordNumber == 31 ? 1 : t.recordNumber));
        EXPECT_TRUE(seen.insert(t.recordNumber).second) << "picked twice: " << t.recordNumber;
    }
    // The same seed gives the same records in the same order on every
    // machine: these are the records seed 7 picks.
    EXPECT_EQ(numbers(picked), numbers(MeasureAgainSession::pick(c.dataSet, c.entries, 10, 7)));
    EXPECT_EQ(numbers(picked), (std::vector<std::size_t>{16, 22, 6, 24, 30, 26, 10, 4, 20, 18}));
    EXPECT_NE(numbers(picked), numbers(MeasureAgainSession::pick(c.dataSet, c.entries, 10, 8)));

    struct Case {
        std::size_t count;
        std::size_t picked;
    };
    // Fifteen even records and record 31 keep a photo.
    for (const Case k : {Case{0, 0}, Case{1, 1}, Case{16, 16}, Case{100, 16}}) {
        const auto all = MeasureAgainSession::pick(c.dataSet, c.entries, k.count, 3);
        const auto picks = numbers(all);
        EXPECT_EQ(std::set<std::size_t>(picks.begin(), picks.end()).size(), k.picked) << k.count;
    }
    EXPECT_TRUE(MeasureAgainSession::pick(c.dataSet, {}, 10, 7).empty());
}

TEST(MeasureAgainSession, ThePhotoIsShownWithoutItsStoredJunctions) {
    const Catalogue c;
    MeasureAgainSession session(MeasureAgainSession::pick(c.dataSet, c.entries, 2, 1), 1, {}, "");
    const auto shown = session.photoToShow();
    ASSERT_TRUE(shown);
    const PhotoEntry& stored = *session.current()->entry;
    EXPECT_TRUE(stored.segments[0].has_value());
    EXPECT_EQ(shown->photoPath, stored.photoPath);
    EXPECT_EQ(shown->widthPixels, stored.widthPixels);
    for (const auto& segment : shown->segments)
        EXPECT_FALSE(segment.has_value());
}

// Each letter a button: K "Keep the Repeat", S "Skip", T "Stop".
TEST(MeasureAgainSession, KeepSkipAndStopThenTheUsersSheetComesBack) {
    const Catalogue c;
    MeasurementSheet userSheet;
    userSheet.setValue(0, "0.1234");
    userSheet.setValue(27, "on the sheet before");
    struct Case {
        const char* buttons;
        std::vector<std::size_t> keptTargets; // positions among the targets
        std::size_t position;
    };
    const Case cases[] = {
        {"KKKK", {0, 1, 2, 3}, 4},   {"SKSK", {1, 3}, 4}, {"KT", {0}, 4}, {"T", {}, 4},
        {"KKKKKK", {0, 1, 2, 3}, 4}, {"SS", {}, 2},
    };
    for (const Case& k : cases) {
        const auto targets = MeasureAgainSession::pick(c.dataSet, c.entries, 4, 11);
        MeasureAgainSession session(targets, 11, userSheet, "ann");
        int step = 0;
        for (const char* b = k.buttons; *b; ++b, ++step) {
            MeasurementSheet measured;
            for (std::size_t i = 0; i < MeasurementSheet::kRecordValueCount; ++i)
                measured.setValue(i, "0." + std::to_string(step) + std::to_string(i));
            PhotoSegments segments{};
            segments[3] = PhotoSegment{{1.0 * step, 2.0}, {3.0, 4.0}};
            if (*b == 'K')
                session.keep(measured, segments, "2026-12-09T13:00:0" + std::to_string(step) + "Z");
            else if (*b == 'S')
                session.skip();
            else
                session.stop();
        }
        EXPECT_EQ(session.position(), k.position) << k.buttons;
        EXPECT_EQ(session.finished(), k.position == 4) << k.buttons;
        ASSERT_EQ(session.kept().size(), k.keptTargets.size()) << k.buttons;
        for (std::size_t i = 0; i < k.keptTargets.size(); ++i) {
            const RepeatMeasurement& r = session.kept()[i];
            const auto& target = targets[k.keptTargets[i]];
            EXPECT_EQ(r.recordLine, target.entry->recordLine) << k.buttons;
            EXPECT_EQ(r.occurrence, target.entry->occurrence) << k.buttons;
            EXPECT_EQ(r.operatorName, "ann");
            // The values as a record line holds them: code, then the 28 values.
            const std::string line = "code" + r.values;
            const auto fields = SpecimenRecord::splitFields(line);
            ASSERT_EQ(fields.size(), SpecimenRecord::kFieldCount) << k.buttons;
            for (std::size_t f = 1; f < fields.size(); ++f)
                EXPECT_TRUE(fields[f].ends_with(std::to_string(f - 1))) << fields[f];
            EXPECT_TRUE(r.segments[3].has_value());
            EXPECT_FALSE(r.segments[0].has_value());
            EXPECT_TRUE(r.measuredAt.starts_with("2026-12-09T13:00:0"));
        }
        for (std::size_t i = 0; i < MeasurementSheet::kValueCount; ++i)
            EXPECT_EQ(session.userSheet().value(i), userSheet.value(i)) << k.buttons << " " << i;
        EXPECT_EQ(session.seed(), 11u);
    }
}

} // namespace
} // namespace korvex
