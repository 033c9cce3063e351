#include "uilogic/Document.h"

#include "FakePlatformServices.h"
#include "exchange/PhotoCompanion.h"
#include "exchange/RecoverySnapshot.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
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
        // Alike lines of a text no mend touches keep their identities.
        {"alike lines of another text around a deletion", {kC, kA, kC, kA, kC, ""}, Delete, 2, ""},
        {"alike lines of another text around a new text", {kC, kA, kC, kA, kC, ""}, Replace, 4, kB},
        {"a line given its own text again", {kA, kB, kA, kC, kA, ""}, Replace, 3, kA},
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
             ASSERT_EQ(document.saveDataFile(path, MeasurementSheet()),
                       Document::SaveOutcome::Saved);
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

// An append that replaces a text too short to keep with the same bytes
// still ends the undo: taking the mend back would undo what came after it.
TEST_F(DocumentTest, AnAppendLeavingAShortTextAsItReadEndsTheUndoToo) {
    document.restore("T2\r\n", nullptr, false);
    ASSERT_TRUE(document.replaceRecord(1, "T1"));
    document.appendRecord("T1");
    EXPECT_EQ(document.dataSet().text(), "T1\r\n");
    EXPECT_FALSE(document.canUndo());
    EXPECT_FALSE(document.undo());
    EXPECT_EQ(document.dataSet().text(), "T1\r\n");
}

} // namespace
} // namespace korvex

namespace korvex {
namespace {

Encounter seenAt(const std::string& site, const std::string& date = "2019-05-01") {
    Encounter e;
    std::string error;
    EXPECT_TRUE(e.setDateText(date, error)) << error;
    e.site = site;
    return e;
}

RepeatMeasurement repeatOf(const std::string& line, std::size_t occurrence,
                           const std::string& who) {
    RepeatMeasurement r;
    r.recordLine = line;
    r.occurrence = occurrence;
    r.values = "\t0.5";
    r.measuredAt = "2026-06-01T10:00:00Z";
    r.operatorName = who;
    return r;
}

// What a state holds in its lists, copied out: copies of a state share their
// elements, so only this tells whether a state handed out changed.
struct Held {
    std::vector<PhotoEntry> entries;
    std::vector<Decision> decisions;
    std::vector<RepeatMeasurement> repeats;
    std::vector<RecordEncounter> encounters;

    static Held of(const CatalogueState& state) {
        return {state.entries.toVector(), state.decisions.all().toVector(),
                state.repeats.toVector(), state.encounters.toVector()};
    }
    bool operator==(const Held&) const = default;
};

} // namespace

// Every kind of change, then mends that move records and write their
// entries, decisions and encounters anew: no state handed out before a change
// shows it, and undo gives back each state as it held it.
TEST_F(DocumentTest, NoChangeShowsInAStateHandedOutBeforeItAndUndoGivesBackWhatWasHeld) {
    hold({kA, kB, kA, kC, ""});
    PhotoEntry newPhoto;
    newPhoto.photoPath = "new.jpg";
    const std::pair<const char*, std::function<bool()>> changes[] = {
        {"an encounter", [&] { return document.setEncounter(3, seenAt("Ridge")); }},
        {"another encounter", [&] { return document.setEncounter(1, seenAt("Dune")); }},
        {"an encounter changed", [&] { return document.setEncounter(3, seenAt("Marsh")); }},
        {"repeats", [&] { return document.addRepeats({repeatOf(kA, 2, "Ana")}) == 1; }},
        {"a decision",
         [&] {
             document.recordDecision({identityIn({kA, kB}, 0), identityIn({kA, kB}, 1),
                                      Verdict::DifferentAnimal, "D", "9", "t"});
             return true;
         }},
        {"an appended record with a photo",
         [&] {
             document.appendRecord(kA, newPhoto, seenAt("Pond"));
             return true;
         }},
        {"an encounter taken away", [&] { return document.setEncounter(1, Encounter{}); }},
        // From here on, mends: each is one step back.
        {"the first alike renamed", [&] { return document.replaceRecord(1, kB); }},
        {"a record given a new photo", [&] { return document.replaceRecord(3, kC, newPhoto); }},
        {"three made alike", [&] { return document.replaceRecords({{1, kC}, {2, kC}, {5, kC}}); }},
        {"a record deleted", [&] { return document.deleteRecord(1); }},
    };
    constexpr std::size_t kFirstMend = 7;
    std::vector<std::pair<std::shared_ptr<const CatalogueState>, Held>> handedOut;
    handedOut.emplace_back(document.state(), Held::of(*document.state()));
    for (const auto& [name, apply] : changes) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(apply());
        ASSERT_NE(document.state(), handedOut.back().first);
        EXPECT_NE(Held::of(*document.state()), handedOut.back().second);
        for (std::size_t k = 0; k < handedOut.size(); ++k)
            EXPECT_EQ(Held::of(*handedOut[k].first), handedOut[k].second) << k;
        handedOut.emplace_back(document.state(), Held::of(*document.state()));
    }
    for (std::size_t k = handedOut.size() - 1; k > kFirstMend; --k) {
        ASSERT_TRUE(document.undo()) << k;
        EXPECT_EQ(Held::of(*document.state()), handedOut[k - 1].second) << k;
    }
    EXPECT_FALSE(document.undo());
}

// The recovery keeper writes its copy of a state on another thread while the
// window goes on changing the document and taking mends back: the copy reads
// as it was, there and once the keeper is done.
TEST_F(DocumentTest, AStateWrittenOnAnotherThreadReadsTheSameWhileTheDocumentChanges) {
    hold({kA, kB, kA, kC, ""});
    ASSERT_TRUE(document.setEncounter(1, seenAt("Ridge")));
    ASSERT_TRUE(document.setEncounter(3, seenAt("Dune")));
    RecoverySnapshot copy;
    copy.dataSet = document.dataSet().text();
    copy.photos = document.state();
    const std::string expected = copy.write();
    std::atomic<bool> started{false};
    std::atomic<bool> done{false};
    std::size_t differing = 0;
    std::size_t written = 0;
    std::thread keeper([&, copy] {
        do {
            if (copy.write() != expected)
                ++differing;
            ++written;
            started = true;
        } while (!done);
    });
    while (!started)
        std::this_thread::yield();
    const auto change = [&] {
        PhotoEntry photo;
        photo.photoPath = "new.jpg";
        for (int round = 0; round < 20; ++round) {
            const std::string tag = std::to_string(round);
            ASSERT_TRUE(document.setEncounter(1, seenAt("Marsh " + tag)));
            ASSERT_TRUE(document.setEncounter(3, round % 2 ? Encounter{} : seenAt("Dune " + tag)));
            ASSERT_TRUE(document.replaceRecord(1, kC, photo));
            ASSERT_TRUE(document.deleteRecord(2));
            ASSERT_TRUE(document.undo());
            ASSERT_TRUE(document.undo());
        }
    };
    change(); // the keeper is stopped whatever fails
    done = true;
    keeper.join();
    EXPECT_EQ(differing, 0U);
    EXPECT_GE(written, 1U);
    EXPECT_EQ(copy.write(), expected);
}

// Repeats and encounters belong to records by the identity rule, as photos
// do: they follow a mend, go with a deleted record and come back on undo.
TEST_F(DocumentTest, RepeatsAndEncountersFollowTheirRecords) {
    hold({kA, kB, kA, ""});                                 // each record ends in CR LF
    ASSERT_TRUE(document.setEncounter(3, seenAt("Ridge"))); // the second kA
    // A repeat of no record held is not kept.
    EXPECT_EQ(document.addRepeats({repeatOf(kB, 1, "Ana"), repeatOf(kC, 1, "Ana")}), 1U);
    EXPECT_TRUE(document.holdsUnsavedChanges());
    EXPECT_EQ(document.encounterOf(1), nullptr);
    ASSERT_NE(document.encounterOf(3), nullptr);

    ASSERT_TRUE(document.replaceRecord(1, kC)); // the second kA becomes the first
    ASSERT_NE(document.encounterOf(3), nullptr);
    EXPECT_EQ(document.encounterOf(3)->site, "Ridge");
    EXPECT_EQ(document.encounters().at(0).occurrence, 1U);
    ASSERT_TRUE(document.deleteRecord(2)); // kB, and its repeat with it
    EXPECT_TRUE(document.repeats().empty());
    EXPECT_EQ(document.encountersByRecord(),
              (std::map<std::size_t, Encounter>{{2, seenAt("Ridge")}}));

    ASSERT_TRUE(document.undo());
    ASSERT_EQ(document.repeatsByRecord().size(), 1U);
    EXPECT_EQ(document.repeatsByRecord()[0].first, 2U);
    ASSERT_TRUE(document.undo());
    EXPECT_EQ(document.encounters().at(0).occurrence, 2U);
}

// A record of a text too short to keep goes when a record is appended; its
// photo entry must not claim the new record of the same text, and what it
// kept is not saved for a record no longer there.
TEST_F(DocumentTest, AnAppendThatReplacesAShortTextTakesAwayWhatItsRecordKept) {
    const std::string path = "/field/catalogue.tor";
    const std::string shortLine = "T1"; // "T1" and CR LF: 4 characters
    PhotoEntry old;
    old.photoPath = "/field/old.jpg";
    old.widthPixels = old.heightPixels = 10;
    document.appendRecord(shortLine, old, seenAt("Ridge"));
    ASSERT_EQ(document.addRepeats({repeatOf(shortLine, 1, "Ana")}), 1U);
    document.recordDecision({document.identityOf(1), document.identityOf(1), Verdict::Unsure, "D",
                             "1", "t"});
    ASSERT_EQ(document.saveDataFile(path, MeasurementSheet{}), Document::SaveOutcome::Saved);

    PhotoEntry fresh = old;
    fresh.photoPath = "/field/new.jpg";
    document.appendRecord(shortLine, fresh);
    EXPECT_EQ(document.dataSet().text(), shortLine + "\r\n");
    ASSERT_EQ(document.photoEntries().size(), 1U);
    EXPECT_EQ(document.photoEntryOf(shortLine, 1)->photoPath, "/field/new.jpg");
    EXPECT_EQ(document.encounterOf(1), nullptr);
    EXPECT_TRUE(document.repeats().empty());
    EXPECT_EQ(document.decisions().size(), 1U); // a log is history
    EXPECT_TRUE(document.holdsUnsavedChanges());

    ASSERT_EQ(document.saveDataFile(path, MeasurementSheet{}), Document::SaveOutcome::Saved);
    const auto back = PhotoCompanion::read(services.files.at(path + ".photos.json"), "/field");
    ASSERT_TRUE(back.ok) << back.error;
    ASSERT_EQ(back.entries.size(), 1U);
    EXPECT_EQ(back.entries[0].photoPath, "/field/new.jpg");
    EXPECT_TRUE(back.encounters.empty());
    EXPECT_TRUE(back.repeats.empty());
}

// A blank line among the records is a record: what it is given is saved
// with it and read back, not dropped as belonging to no record.
TEST_F(DocumentTest, ABlankRecordKeepsItsEncounterAndRepeatsThroughASaveAndALoad) {
    const std::string path = "/field/catalogue.tor";
    document.restore(joined({kA, "", kB, ""}), nullptr, false);
    ASSERT_TRUE(document.setEncounter(2, seenAt("Ridge")));
    EXPECT_EQ(document.addRepeats({repeatOf("", 1, "Ana"), repeatOf("", 2, "Ana")}), 1U);
    ASSERT_EQ(document.saveDataFile(path, MeasurementSheet{}), Document::SaveOutcome::Saved);
    EXPECT_EQ(document.encounters().size(), 1U);
    EXPECT_EQ(document.repeats().size(), 1U);

    Document other{services, "KORVEX"};
    const auto read = other.readDataFile(path);
    ASSERT_TRUE(read.has_value());
    other.takeDataFile(path, read->dataSetText);
    other.loadCompanion();
    EXPECT_EQ(other.dataSet().text(), document.dataSet().text());
    ASSERT_NE(other.encounterOf(2), nullptr);
    EXPECT_EQ(other.encounterOf(2)->site, "Ridge");
    ASSERT_EQ(other.repeatsByRecord().size(), 1U);
    EXPECT_EQ(other.repeatsByRecord()[0].first, 2U);
    EXPECT_TRUE(services.messages.empty());
}

// The empty piece after the final CR LF is no record, so no mend moves a
// decision by it: one about a blank record deleted stays as it was made.
TEST_F(DocumentTest, ADecisionAboutADeletedBlankRecordStaysAsItWasWhenARecordBecomesBlank) {
    document.restore(joined({"", kA, ""}), nullptr, false);
    const RecordIdentity blank = document.identityOf(1);
    document.recordDecision({blank, document.identityOf(2), Verdict::Unsure, "D", "1", "t"});
    ASSERT_TRUE(document.deleteRecord(1));
    ASSERT_TRUE(document.replaceRecord(1, ""));
    ASSERT_EQ(document.decisions().size(), 1U);
    EXPECT_EQ(document.decisions().all()[0].query, blank);
    EXPECT_EQ(document.decisions().all()[0].candidate, document.identityOf(1)); // it follows
}

TEST_F(DocumentTest, AnEncounterIsSetOnlyWhenSoundAndAnEmptyOneTakesItAway) {
    hold({kA, kB, ""});
    Encounter half = seenAt("Ridge");
    half.latitude = 12.0; // no longitude
    Encounter beyond = seenAt("Ridge");
    beyond.latitude = 91.0;
    beyond.longitude = 0.0;
    EXPECT_FALSE(document.setEncounter(1, half));
    EXPECT_FALSE(document.setEncounter(1, beyond));
    EXPECT_FALSE(document.setEncounter(3, seenAt("Ridge"))); // no record 3
    EXPECT_TRUE(document.encounters().empty());
    EXPECT_FALSE(document.isModified());

    ASSERT_TRUE(document.setEncounter(1, seenAt("Ridge")));
    ASSERT_TRUE(document.setEncounter(2, seenAt("Marsh")));
    ASSERT_TRUE(document.setEncounter(1, seenAt("Marsh", "2020-06-02")));
    EXPECT_EQ(document.siteNames(), (std::vector<std::string>{"Marsh"}));
    ASSERT_TRUE(document.setEncounter(1, Encounter{}));
    EXPECT_EQ(document.encounterOf(1), nullptr);
    EXPECT_EQ(document.encounters().size(), 1U);
}

// Saved beside the data file, read back by another document; a companion
// whose repeats cannot be read still gives its photos, says what was left
// out and is kept aside before a save replaces it.
TEST_F(DocumentTest, RepeatsAndEncountersAreSavedAndAFaultInThemLosesNothingElse) {
    const std::string path = "/field/catalogue.tor";
    const std::string companion = path + ".photos.json";
    hold({kA, kB, ""});
    CatalogueState photos = *document.state();
    for (PhotoEntry& entry : photos.entries)
        entry.widthPixels = entry.heightPixels = 10; // as a photo that was opened has
    document.restore(document.dataSet().text(), std::make_shared<const CatalogueState>(photos),
                     false);
    ASSERT_TRUE(document.setEncounter(2, seenAt("Ridge")));
    document.addRepeats({repeatOf(kA, 1, "Ana")});
    ASSERT_EQ(document.saveDataFile(path, MeasurementSheet{}), Document::SaveOutcome::Saved);
    EXPECT_FALSE(document.holdsUnsavedChanges());

    const auto loadInto = [&](Document& other) {
        const auto read = other.readDataFile(path);
        ASSERT_TRUE(read.has_value());
        other.takeDataFile(path, read->dataSetText);
        other.loadCompanion();
    };
    Document other{services, "KORVEX"};
    loadInto(other);
    EXPECT_EQ(other.repeats(), document.repeats());
    EXPECT_EQ(other.encounters(), document.encounters());
    EXPECT_EQ(other.photoEntries().size(), 2U);
    EXPECT_TRUE(services.messages.empty());

    std::string& bytes = services.files.at(companion);
    const std::size_t values = bytes.find("\"values\"");
    ASSERT_NE(values, std::string::npos) << bytes;
    bytes.replace(values, 8, "\"vaIues\"");
    const std::string damaged = bytes;
    Document third{services, "KORVEX"};
    services.messageAnswers.push_back(Answer::Ok);
    loadInto(third);
    EXPECT_EQ(third.photoEntries().size(), 2U);
    EXPECT_EQ(third.encounters().size(), 1U);
    EXPECT_TRUE(third.repeats().empty());
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_NE(services.messages[0].text.find("The repeat measurements were left out: repeat 1 "
                                             "lacks \"values\""),
              std::string::npos)
        << services.messages[0].text;
    ASSERT_EQ(third.saveDataFile(path, MeasurementSheet{}), Document::SaveOutcome::Saved);
    EXPECT_EQ(services.files.at(companion + std::string(Document::kBrokenSuffix)), damaged);
}

// Two copies of the program save the same file in turn: what the other saved
// is taken, once, and what was changed here stays.
TEST_F(DocumentTest, ASaveOverAnotherCopysSaveTakesItsEncounterEditsAndNoRepeatTwice) {
    const std::string path = "/field/catalogue.tor";
    hold({kA, kB, kC, ""});
    CatalogueState photos = *document.state();
    for (PhotoEntry& entry : photos.entries)
        entry.widthPixels = entry.heightPixels = 10;
    document.restore(document.dataSet().text(), std::make_shared<const CatalogueState>(photos),
                     false);
    RepeatMeasurement clicked = repeatOf(kA, 1, "Ana");
    clicked.segments[0] = PhotoSegment{{1.234567, 2.0}, {3.0, 4.0}}; // finer than the file keeps
    document.addRepeats({clicked});
    ASSERT_TRUE(document.setEncounter(1, seenAt("Ridge")));
    ASSERT_TRUE(document.setEncounter(2, seenAt("Ridge")));
    ASSERT_EQ(document.saveDataFile(path, MeasurementSheet{}), Document::SaveOutcome::Saved);

    Document other{services, "KORVEX"};
    const auto read = other.readDataFile(path);
    ASSERT_TRUE(read.has_value());
    other.takeDataFile(path, read->dataSetText);
    other.loadCompanion();
    ASSERT_TRUE(other.setEncounter(2, seenAt("Marsh")));
    ASSERT_TRUE(other.setEncounter(3, seenAt("Marsh")));
    ASSERT_EQ(other.saveDataFile(path, MeasurementSheet{}), Document::SaveOutcome::Saved);

    // Here record 1 changes; record 3 goes, its encounter there with it.
    ASSERT_TRUE(document.setEncounter(1, seenAt("Dune")));
    ASSERT_TRUE(document.deleteRecord(3));
    services.choiceAnswers = {Document::kMergeAndSave};
    ASSERT_EQ(document.saveDataFile(path, MeasurementSheet{}), Document::SaveOutcome::Saved);
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_NE(services.messages[0].text.find("It holds 1 encounter that is not here"),
              std::string::npos)
        << services.messages[0].text;
    EXPECT_EQ(document.repeats().size(), 1U);
    ASSERT_NE(document.encounterOf(1), nullptr);
    EXPECT_EQ(document.encounterOf(1)->site, "Dune");  // changed here: kept
    EXPECT_EQ(document.encounterOf(2)->site, "Marsh"); // changed there only: taken
    EXPECT_EQ(document.encounters().size(), 2U);
    const auto back = PhotoCompanion::read(services.files.at(path + ".photos.json"), "/field");
    ASSERT_TRUE(back.ok) << back.error;
    EXPECT_EQ(back.repeats.size(), 1U);
    EXPECT_EQ(back.encounters, document.encounters());
}

} // namespace korvex
