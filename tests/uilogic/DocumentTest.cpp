#include "uilogic/Document.h"

#include "FakePlatformServices.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvex {
namespace {

using Answer = PlatformServices::Answer;

const std::string kA = "T1\t0.1\t0.2";
const std::string kB = "T2\t0.3\t0.4";
const std::string kC = "T3\t0.5\t0.6";

std::string joined(const std::vector<std::string>& pieces) {
    std::string text;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        text += (i ? "\r\n" : "") + pieces[i];
    return text;
}

RecordIdentity identityIn(const std::vector<std::string>& pieces, std::size_t i) {
    return {std::string(SpecimenRecord::codeOf(pieces[i])), pieces[i], occurrenceOf(pieces, i)};
}

// A document holding `pieces`, each non-empty piece keeping a photo entry
// tagged with its place ("photo<i>") and being the query of one decision
// (its distance the same tag) against the next non-empty piece; one more
// decision has the sheet's specimen (never stored) as its query.
class DocumentTest : public ::testing::Test {
protected:
    test::FakePlatformServices services;
    Document document{services, "KORVEX"};

    void hold(const std::vector<std::string>& pieces) {
        CatalogueState state;
        std::vector<Decision> decisions;
        std::vector<std::size_t> used;
        for (std::size_t i = 0; i < pieces.size(); ++i)
            if (!pieces[i].empty())
                used.push_back(i);
        for (std::size_t k = 0; k < used.size(); ++k) {
            const std::size_t i = used[k];
            PhotoEntry entry;
            entry.recordLine = pieces[i];
            entry.occurrence = occurrenceOf(pieces, i);
            entry.photoPath = "photo" + std::to_string(i);
            state.entries.push_back(entry);
            decisions.push_back({identityIn(pieces, i),
                                 identityIn(pieces, used[(k + 1) % used.size()]),
                                 Verdict::SameAnimal, "D", std::to_string(i), "t"});
        }
        decisions.push_back(
            {{"T1", kA, 0}, identityIn(pieces, used[0]), Verdict::Unsure, "D", "sheet", "t"});
        state.decisions = DecisionLog(decisions);
        document.restore(joined(pieces), std::make_shared<const CatalogueState>(state), false);
    }
};

// Old piece i ends at place `to[i]` of `after` (nothing when deleted): its
// entry and its decisions name it there, by the occurrence counted anew; a
// deleted record's entry is gone and its decisions name it as before.
TEST_F(DocumentTest, PhotosAndDecisionsFollowTheirRecordsAndOccurrencesAreCountedAnew) {
    enum Op { Replace, Delete };
    const struct {
        const char* name;
        std::vector<std::string> pieces;
        Op op;
        std::size_t record;
        std::string line;
    } cases[] = {
        {"first of three alike gets a new text", {kA, kB, kA, kA, ""}, Replace, 1, kC},
        {"a line becomes one of three alike", {kA, kB, kA, kA, ""}, Replace, 2, kA},
        {"the last alike becomes another's text", {kA, kB, kA, kA, ""}, Replace, 4, kB},
        {"a new code only", {kA, kB, kA, ""}, Replace, 3, "T9\t0.1\t0.2"},
        {"first of three alike deleted", {kA, kB, kA, kA, ""}, Delete, 1, ""},
        {"middle one deleted", {kA, kB, kA, kA, ""}, Delete, 3, ""},
        {"the only record deleted", {kA, ""}, Delete, 1, ""},
        {"a last line without CR LF shifts too", {kA, kB, kA}, Replace, 1, kB},
        {"deleted before a last line without CR LF", {kA, kB, kA}, Delete, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        hold(c.pieces);
        const auto before = document.state();
        const std::string beforeText = document.dataSet().text();

        std::vector<std::string> after = c.pieces;
        std::vector<std::optional<std::size_t>> to(c.pieces.size());
        for (std::size_t i = 0, j = 0; i < c.pieces.size(); ++i)
            if (!(c.op == Delete && i + 1 == c.record))
                to[i] = j++;
        if (c.op == Replace) {
            after[c.record - 1] = c.line;
            ASSERT_TRUE(document.replaceRecord(c.record, c.line));
        } else {
            after.erase(after.begin() + long(c.record - 1));
            ASSERT_TRUE(document.deleteRecord(c.record));
        }
        EXPECT_EQ(document.dataSet().text(), joined(after));
        EXPECT_TRUE(document.isModified());

        const auto& entries = document.photoEntries();
        const auto& decisions = document.decisions().all();
        ASSERT_EQ(decisions.size(), before->decisions.size()); // a log loses nothing
        std::size_t kept = 0;
        for (std::size_t i = 0; i < c.pieces.size(); ++i) {
            if (c.pieces[i].empty())
                continue;
            const std::string tag = std::to_string(i);
            const PhotoEntry* entry = nullptr;
            for (const PhotoEntry& e : entries)
                if (e.photoPath == "photo" + tag)
                    entry = &e;
            const Decision* decision = nullptr;
            for (const Decision& d : decisions)
                if (d.distance == tag)
                    decision = &d;
            ASSERT_TRUE(decision) << tag;
            if (!to[i]) {
                EXPECT_FALSE(entry) << tag;
                EXPECT_EQ(decision->query, identityIn(c.pieces, i)) << tag;
                continue;
            }
            ++kept;
            ASSERT_TRUE(entry) << tag;
            const RecordIdentity now = identityIn(after, *to[i]);
            EXPECT_EQ(entry->recordLine, now.recordLine) << tag;
            EXPECT_EQ(entry->occurrence, now.occurrence) << tag;
            EXPECT_EQ(decision->query, now) << tag;
        }
        EXPECT_EQ(entries.size(), kept);
        // Each decision's candidate is the next record's identity, wherever it went.
        for (std::size_t k = 0; k + 1 < decisions.size(); ++k) {
            const Decision& was = before->decisions.all()[k];
            const auto i =
                indexOfOccurrence(c.pieces, was.candidate.recordLine, was.candidate.occurrence);
            ASSERT_LT(i, c.pieces.size());
            EXPECT_EQ(decisions[k].candidate, to[i] ? identityIn(after, *to[i]) : was.candidate)
                << k;
        }
        // The sheet's specimen names no stored record and stays as it was.
        EXPECT_EQ(decisions.back().query, before->decisions.all().back().query);

        ASSERT_TRUE(document.canUndo());
        ASSERT_TRUE(document.undo());
        EXPECT_EQ(document.dataSet().text(), beforeText);
        EXPECT_EQ(document.state(), before);
        EXPECT_FALSE(document.isModified());
        EXPECT_FALSE(document.canUndo());
    }
}

TEST_F(DocumentTest, EachMendIsOneStepAndUndoGoesBackThroughThemExactly) {
    hold({kA, kB, kA, kC, ""});
    struct Seen {
        std::string text;
        std::shared_ptr<const CatalogueState> state;
        bool modified;
    };
    std::vector<Seen> seen{{document.dataSet().text(), document.state(), false}};
    const std::function<bool()> mends[] = {
        [&] { return document.replaceRecord(1, kC); },
        [&] {
            return document.replaceRecords({{1, "X\t1"}, {3, "X\t1"}, {4, "X\t1"}});
        },
        [&] { return document.deleteRecord(2); },
    };
    for (const auto& mend : mends) {
        ASSERT_TRUE(mend());
        seen.push_back({document.dataSet().text(), document.state(), true});
    }
    // The rename made three records alike, counted in data-set order.
    EXPECT_EQ(document.dataSet().text(), "X\t1\r\nX\t1\r\nX\t1\r\n");
    EXPECT_EQ(document.photoEntries().size(), 3U);
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ(document.photoEntries()[k].occurrence, k + 1);

    for (std::size_t k = seen.size() - 1; k > 0; --k) {
        ASSERT_TRUE(document.undo()) << k;
        EXPECT_EQ(document.dataSet().text(), seen[k - 1].text) << k;
        EXPECT_EQ(document.state(), seen[k - 1].state) << k;
        EXPECT_EQ(document.isModified(), seen[k - 1].modified) << k;
    }
    EXPECT_FALSE(document.undo());
    EXPECT_EQ(document.dataSet().text(), seen[0].text);
}

TEST_F(DocumentTest, AReplacedRecordKeepsANewPhotoInItsOldEntrysPlace) {
    hold({kA, kB, ""});
    PhotoEntry photo;
    photo.photoPath = "new.jpg";
    photo.occurrence = 7; // set by the document
    ASSERT_TRUE(document.replaceRecord(1, kB, photo));
    ASSERT_EQ(document.photoEntries().size(), 2U);
    EXPECT_EQ(document.photoEntries()[0].photoPath, "new.jpg");
    EXPECT_EQ(document.photoEntries()[0].recordLine, kB);
    EXPECT_EQ(document.photoEntries()[0].occurrence, 1U);
    EXPECT_EQ(document.photoEntries()[1].photoPath, "photo1");
    EXPECT_EQ(document.photoEntries()[1].occurrence, 2U);

    // A record that kept no photo gets one.
    document.restore(joined({kA, kC, ""}), nullptr, false);
    ASSERT_TRUE(document.replaceRecord(2, kB, photo));
    ASSERT_EQ(document.photoEntries().size(), 1U);
    EXPECT_EQ(document.photoEntries()[0].recordLine, kB);
    EXPECT_EQ(document.photoEntries()[0].occurrence, 1U);
}

TEST_F(DocumentTest, NoRecordOrALineOfTwoRecordsChangesNothing) {
    hold({kA, kB, kC}); // the last piece, after the final CR LF, is no record
    const auto before = document.state();
    const std::string text = document.dataSet().text();
    const std::pair<const char*, std::function<bool()>> refused[] = {
        {"record 0",
         [&] {
             return document.replaceRecord(0, kC);
         }},
        {"the last piece",
         [&] {
             return document.replaceRecord(3, kA);
         }},
        {"a line holding CR LF",
         [&] {
             return document.replaceRecord(1, "X\t1\r\nY\t2");
         }},
        {"nothing to rename",
         [&] {
             return document.replaceRecords({});
         }},
        {"one bad among good",
         [&] {
             return document.replaceRecords({{1, kC}, {2, "X\r\n"}});
         }},
        {"one beyond among good",
         [&] {
             return document.replaceRecords({{1, kC}, {3, kC}});
         }},
        {"delete record 0",
         [&] {
             return document.deleteRecord(0);
         }},
        {"delete the last piece",
         [&] {
             return document.deleteRecord(3);
         }},
    };
    for (const auto& [name, mend] : refused) {
        EXPECT_FALSE(mend()) << name;
        EXPECT_EQ(document.state(), before) << name;
        EXPECT_EQ(document.dataSet().text(), text) << name;
        EXPECT_FALSE(document.isModified()) << name;
        EXPECT_FALSE(document.canUndo()) << name;
    }
}

// Undo never throws away what came after the mend: any other change ends it.
TEST_F(DocumentTest, AnyOtherChangeOrASaveEndsTheUndo) {
    const std::string path = "/data/cat.tor";
    const std::pair<const char*, std::function<void()>> others[] = {
        {"append",
         [&] {
             document.appendRecord(kC);
         }},
        {"append with a photo",
         [&] {
             document.appendRecord(kC, PhotoEntry{});
         }},
        {"decision",
         [&] {
             document.recordDecision(
                 {{"T1", kA, 1}, {"T2", kB, 1}, Verdict::Unsure, "D", "1", "t"});
         }},
        {"clipboard",
         [&] {
             document.takeClipboardText(kC + "\r\n");
         }},
        {"load",
         [&] {
             document.takeDataFile(path, kC + "\r\n");
         }},
        {"save",
         [&] {
             ASSERT_EQ(document.saveDataFile(path, MeasurementSheet()), Document::SaveOutcome::Saved);
         }},
    };
    for (const auto& [name, other] : others) {
        hold({kA, kB, ""});
        ASSERT_TRUE(document.replaceRecord(1, kC));
        other();
        const auto state = document.state();
        const std::string text = document.dataSet().text();
        EXPECT_FALSE(document.canUndo()) << name;
        EXPECT_FALSE(document.undo()) << name;
        EXPECT_EQ(document.state(), state) << name;
        EXPECT_EQ(document.dataSet().text(), text) << name;
    }

    // A save that could not write the data file saved nothing: the undo stays.
    hold({kA, kB, ""});
    ASSERT_TRUE(document.replaceRecord(1, kC));
    services.unwritable[path] = "Disk full";
    services.messageAnswers.push_back(Answer::Ok);
    EXPECT_EQ(document.saveDataFile(path, MeasurementSheet()), Document::SaveOutcome::Failed);
    EXPECT_TRUE(document.canUndo());
    // After a mend made with a step that can no longer be taken back, only
    // the new one is taken back.
    document.appendRecord(kC);
    ASSERT_TRUE(document.deleteRecord(1));
    const std::string appended = joined({kC, kB, kC, ""});
    ASSERT_TRUE(document.undo());
    EXPECT_EQ(document.dataSet().text(), appended);
    EXPECT_FALSE(document.undo());
}

} // namespace
} // namespace korvex
