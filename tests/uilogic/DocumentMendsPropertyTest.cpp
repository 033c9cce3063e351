#include "uilogic/Document.h"

#include "FakePlatformServices.h"
#include "exchange/PhotoCompanion.h"
#include "exchange/RecoverySnapshot.h"
#include "model/RecordLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// Random short runs of every change a catalogue takes (appends, mends, undo,
// decisions, repeats, encounters, a save and a load, a save that fails, a
// text from the clipboard, a recovery copy taken back), each checked against
// a plain model of its own: an ordered list of records, each holding its line
// and what belongs to it. The model knows each record as itself, never by
// its identity, so a photo, repeat or encounter that follows the wrong twin
// through a mend shows at once. Decisions are history and keep naming the
// identity they were made on; the model moves that identity along with the
// record that holds it when a mend moves it, as the mending contract says.

namespace korvex {
namespace {

const std::string kPath = "/cat/catalogue.tor";
const std::string kStamp = "2026-05-24T09:30:00Z";
// Few texts, so that twins (records of the same text) are the rule; two of
// them share a code, so a rename between them keeps the code. A text of one
// record "T1" is too short to keep (an append replaces it), and an empty line
// is a blank record.
const std::vector<std::string> kLines = {"T1\t0.1\t0.2", "T1\t0.3\t0.4", "T2\t0.1\t0.2", "T1", ""};

struct ModelRecord {
    std::string line;
    std::optional<std::string> photo; // the photo's path
    std::vector<std::size_t> repeats; // each repeat's number, in the order kept
    std::optional<std::string> site;  // the encounter, by its site

    bool operator==(const ModelRecord&) const = default;
};

struct Model {
    std::vector<ModelRecord> records;
    std::vector<Decision> decisions;
    bool modified = false;
    // The data set as taken from the clipboard, until a save or a load.
    std::optional<std::string> clipboard;
    // Repeats or encounters changed since the companion was read or written.
    bool companionTouched = false;
    // How many of the decisions the companion holds.
    std::size_t savedDecisions = 0;
    // A last row without its line end, which is no record (a clipboard
    // text, or a row another program added after the records a file
    // announces): mends keep it, an append ends it and makes it one.
    std::optional<std::string> tail;

    std::string text() const {
        std::string text;
        for (const ModelRecord& record : records)
            text += record.line + "\r\n";
        return text + tail.value_or("");
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> lines;
        for (const ModelRecord& record : records)
            lines.push_back(record.line);
        return lines;
    }
    // The records' lines and the last row: a decision naming the row (as a
    // recovery copy may) follows it as it would a record.
    std::vector<std::string> pieces() const {
        auto pieces = lines();
        if (tail)
            pieces.push_back(*tail);
        return pieces;
    }
    RecordIdentity identityAt(std::size_t i) const {
        const auto all = pieces();
        return {std::string(SpecimenRecord::codeOf(all[i])), all[i], occurrenceOf(all, i)};
    }

    // `next[i]` is what record i becomes, nothing when it goes. A decision
    // naming a record that stays follows it; one naming a record that goes,
    // or none, stays as it was.
    void mend(const std::vector<std::optional<std::string>>& next) {
        std::vector<RecordIdentity> from;
        for (std::size_t i = 0; i < pieces().size(); ++i)
            from.push_back(identityAt(i));
        std::vector<ModelRecord> kept;
        std::vector<std::optional<std::size_t>> to(from.size());
        for (std::size_t i = 0; i < records.size(); ++i)
            if (next[i]) {
                to[i] = kept.size();
                kept.push_back(records[i]);
                kept.back().line = *next[i];
            }
        if (tail)
            to.back() = kept.size();
        records = std::move(kept);
        const auto follow = [&](RecordIdentity& named) {
            if (!named.isStored())
                return;
            for (std::size_t i = 0; i < from.size(); ++i)
                if (from[i].sameRecord(named.recordLine, named.occurrence)) {
                    if (!to[i])
                        return;
                    const RecordIdentity now = identityAt(*to[i]);
                    if (now.recordLine != named.recordLine)
                        named.code = now.code;
                    named.recordLine = now.recordLine;
                    named.occurrence = now.occurrence;
                    return;
                }
        };
        // The companion holds the decisions before the first one moved.
        for (std::size_t k = 0; k < decisions.size(); ++k) {
            const Decision was = decisions[k];
            follow(decisions[k].query);
            follow(decisions[k].candidate);
            if (decisions[k] != was)
                savedDecisions = std::min(savedDecisions, k);
        }
        modified = true;
    }
};

Encounter seenAt(const std::string& site) {
    Encounter e;
    std::string error;
    EXPECT_TRUE(e.setDateText("2019-05-01", error)) << error;
    e.site = site;
    return e;
}

PhotoEntry photoAt(const std::string& path) {
    PhotoEntry entry;
    entry.photoPath = path;
    entry.widthPixels = entry.heightPixels = 10; // as a photo that was opened has
    entry.appendedAt = kStamp;
    return entry;
}

// Each decision's records as "code|line#occurrence", for a message that
// tells which one went astray.
std::vector<std::string> namesOf(const std::vector<Decision>& decisions) {
    const auto name = [](const RecordIdentity& r) {
        return r.code + "|" + r.recordLine + "#" + std::to_string(r.occurrence);
    };
    std::vector<std::string> names;
    for (const Decision& d : decisions)
        names.push_back(d.distance + ": " + name(d.query) + " / " + name(d.candidate));
    return names;
}

std::string repeatTag(std::size_t number) {
    return "op" + std::to_string(number);
}

class DocumentMendsPropertyTest : public ::testing::Test {
protected:
    test::FakePlatformServices services;
    std::unique_ptr<Document> document;
    Model model;
    // Before each mend that undo may still take back, newest last.
    struct Before {
        Model model;
        std::string text;
        std::shared_ptr<const CatalogueState> state;
    };
    std::vector<Before> undoable;
    std::mt19937 random;
    std::size_t made = 0; // numbers the photos, repeats, sites and decisions made

    // Not a standard distribution: those may differ between libraries, and
    // a seed must name the same run everywhere.
    std::size_t below(std::size_t n) { return random() % n; }
    bool chance(int percent) { return int(below(100)) < percent; }
    const std::string& anyLine() { return kLines[below(kLines.size())]; }
    std::size_t count() const { return model.records.size(); }

    // Every change but a mend ends the steps undo could take back.
    void changed() {
        model.modified = true;
        undoable.clear();
    }
    // Every record as it is: what a mend starts from.
    std::vector<std::optional<std::string>> unchanged() const {
        const auto lines = model.lines();
        return {lines.begin(), lines.end()};
    }
    void beforeMend() {
        undoable.push_back({model, document->dataSet().text(), document->state()});
    }

    void append() {
        ModelRecord record{anyLine(), {}, {}, {}};
        std::optional<PhotoEntry> photo;
        std::optional<Encounter> encounter;
        if (chance(50)) {
            record.photo = "/cat/photos/p" + std::to_string(++made) + ".jpg";
            photo = photoAt(*record.photo);
        }
        if (chance(25)) {
            record.site = "site" + std::to_string(++made);
            encounter = seenAt(*record.site);
            model.companionTouched = true;
        }
        document->appendRecord(record.line, photo, encounter);
        // A text too short to hold a record and its line end is replaced;
        // a last row without its line end is given one first.
        if (model.text().size() < 5)
            model.records.clear();
        if (model.tail)
            model.records.push_back({*model.tail, {}, {}, {}});
        model.tail.reset();
        model.records.push_back(record);
        changed();
    }

    void replaceOne() {
        const std::size_t at = below(count());
        const std::string line = anyLine();
        std::optional<PhotoEntry> photo;
        beforeMend();
        auto next = unchanged();
        next[at] = line;
        if (chance(30)) {
            model.records[at].photo = "/cat/photos/p" + std::to_string(++made) + ".jpg";
            photo = photoAt(*model.records[at].photo);
        }
        ASSERT_TRUE(document->replaceRecord(at + 1, line, photo));
        model.mend(next);
    }

    void replaceSeveral() {
        std::map<std::size_t, std::string> lines;
        const std::size_t n = 1 + below(std::min<std::size_t>(count(), 3));
        while (lines.size() < n)
            lines[1 + below(count())] = anyLine();
        beforeMend();
        auto next = unchanged();
        for (const auto& [number, line] : lines)
            next[number - 1] = line;
        ASSERT_TRUE(document->replaceRecords(lines));
        model.mend(next);
    }

    void remove() {
        const std::size_t at = below(count());
        beforeMend();
        auto next = unchanged();
        next[at].reset();
        ASSERT_TRUE(document->deleteRecord(at + 1));
        model.mend(next);
    }

    void undo() {
        ASSERT_TRUE(document->undo());
        const Before before = undoable.back();
        undoable.pop_back();
        model = before.model;
        // Exactly as before the mend, also what the model does not look at
        // (the order of the lists, what the companion on disk is said to hold).
        EXPECT_EQ(document->dataSet().text(), before.text);
        EXPECT_EQ(*document->state(), *before.state);
    }

    // Refused mends change nothing, and leave the undo as it was.
    void refuse() {
        const auto state = document->state();
        const std::string text = document->dataSet().text();
        const std::size_t beyond = count() + 1;
        switch (below(4)) {
        case 0:
            EXPECT_FALSE(document->replaceRecord(chance(50) ? 0 : beyond, anyLine()));
            break;
        case 1:
            EXPECT_FALSE(document->replaceRecords({{1, anyLine() + "\r\n" + anyLine()}}));
            break;
        case 2:
            EXPECT_FALSE(document->replaceRecords({{1, anyLine()}, {beyond, anyLine()}}));
            break;
        default:
            EXPECT_FALSE(document->deleteRecord(beyond));
        }
        EXPECT_EQ(document->state(), state);
        EXPECT_EQ(document->dataSet().text(), text);
    }

    void decide() {
        RecordIdentity query = model.identityAt(below(count()));
        if (chance(15))
            query.occurrence = 0; // the sheet's specimen, never stored
        const Decision decision{query, model.identityAt(below(count())), Verdict(below(3)),
                                "D",   "d" + std::to_string(++made),     kStamp};
        document->recordDecision(decision);
        model.decisions.push_back(decision);
        changed();
    }

    void repeat() {
        std::vector<RepeatMeasurement> repeats;
        std::vector<std::size_t> owners;
        for (std::size_t k = 1 + below(2); k > 0; --k) {
            RepeatMeasurement r;
            r.values = "\t0.5";
            r.measuredAt = kStamp;
            r.operatorName = repeatTag(++made);
            if (chance(20)) {
                // A record not held: not kept.
                r.recordLine = "T9\t0.9";
                r.occurrence = 1;
            } else {
                const std::size_t at = below(count());
                const RecordIdentity id = model.identityAt(at);
                r.recordLine = id.recordLine;
                r.occurrence = id.occurrence;
                owners.push_back(at);
                model.records[at].repeats.push_back(made);
            }
            repeats.push_back(r);
        }
        EXPECT_EQ(document->addRepeats(repeats), owners.size());
        if (!owners.empty()) {
            changed();
            model.companionTouched = true;
        }
    }

    void encounter() {
        const std::size_t at = below(count());
        std::optional<std::string>& site = model.records[at].site;
        std::optional<std::string> now;
        if (chance(70))
            now = "site" + std::to_string(++made);
        else if (chance(50))
            now = site; // the same again changes nothing
        ASSERT_TRUE(document->setEncounter(at + 1, now ? seenAt(*now) : Encounter{}));
        if (now != site) {
            site = now;
            changed();
            model.companionTouched = true;
        }
    }

    void saveAndLoad() {
        // After a recovery the file on disk is compared first, and may hold
        // records deleted here since it was saved: they are saved over.
        services.choiceAnswers = {Document::kSaveOver};
        ASSERT_EQ(document->saveDataFile(kPath, MeasurementSheet{}), Document::SaveOutcome::Saved);
        services.choiceAnswers.clear();
        model.modified = false;
        model.clipboard.reset();
        model.companionTouched = false;
        model.savedDecisions = model.decisions.size();
        undoable.clear();
        check(*document, "after the save");
        // Loaded again, here or by another copy of the program, whose
        // document is then checked and goes on.
        if (chance(50))
            document = std::make_unique<Document>(services, "KORVEX");
        const auto read = document->readDataFile(kPath);
        ASSERT_TRUE(read.has_value());
        // A last row is written after the records and read back as it was.
        ASSERT_TRUE(read->allRead);
        document->takeDataFile(kPath, read->dataSetText);
        document->loadCompanion();
    }

    // The recovery copy is written and read as after a crash, and a new
    // document takes it back, with the companion on disk it refers to.
    void recover() {
        RecoverySnapshot copy;
        copy.dataSet = document->dataSet().text();
        copy.photos = document->state();
        copy.unsaved = document->isModified();
        auto read = RecoverySnapshot::read(copy.write());
        ASSERT_TRUE(std::holds_alternative<RecoverySnapshot>(read));
        RecoverySnapshot& back = std::get<RecoverySnapshot>(read);
        const auto companion = services.files.find(PhotoCompanion::companionPathFor(kPath));
        ASSERT_EQ(back.takeSavedPhotos(companion == services.files.end()
                                           ? std::nullopt
                                           : std::optional(companion->second),
                                       "/cat"),
                  RecoverySnapshot::SavedPhotos::Same);
        document = std::make_unique<Document>(services, "KORVEX");
        document->restore(back.dataSet, back.photos, back.unsaved);
        model.clipboard.reset();
        undoable.clear();
    }

    // A save that cannot write the data file saves nothing and changes
    // nothing, the undo included.
    void failToSave() {
        services.unwritable[kPath] = "Disk full";
        services.messageAnswers.push_back(PlatformServices::Answer::Ok);
        services.choiceAnswers = {Document::kSaveOver}; // asked after a recovery
        services.messages.clear();
        EXPECT_EQ(document->saveDataFile(kPath, MeasurementSheet{}), Document::SaveOutcome::Failed);
        services.unwritable.clear();
        services.choiceAnswers.clear();
        ASSERT_FALSE(services.messages.empty());
        EXPECT_EQ(services.messages.back().text,
                  "The data could not be saved to \"" + kPath + "\": Disk full");
    }

    // The data set becomes a text from the clipboard, twins and all: the
    // records keep nothing, the decisions stay.
    void takeClipboard() {
        std::vector<ModelRecord> records(below(7));
        std::string text;
        for (ModelRecord& record : records) {
            record.line = anyLine();
            text += record.line + "\r\n";
        }
        std::optional<std::string> tail;
        if (chance(25)) {
            tail = kLines[below(3)]; // long enough that an append gives it its line end
            text += *tail;
        }
        document->takeClipboardText(text);
        model.records = std::move(records);
        model.tail = tail;
        model.clipboard = text;
        model.companionTouched = false;
        changed();
        // Taken as they are, they replace no work done here but decisions.
        EXPECT_EQ(document->holdsUnsavedChanges(), model.decisions.size() > model.savedDecisions);
    }

    // What the document holds for each record is what the model says.
    void check(const Document& doc, const std::string& when) {
        SCOPED_TRACE(when);
        ASSERT_EQ(doc.dataSet().text(), model.text());
        ASSERT_EQ(doc.dataSet().RecordCount(), count());
        std::size_t photos = 0;
        std::size_t repeats = 0;
        std::map<std::size_t, Encounter> encounters;
        std::map<std::size_t, std::size_t> repeatOwners; // repeat number -> record number
        for (std::size_t i = 0; i < count(); ++i) {
            SCOPED_TRACE("record " + std::to_string(i + 1));
            const ModelRecord& record = model.records[i];
            const RecordIdentity id = model.identityAt(i);
            EXPECT_EQ(doc.identityOf(i + 1), id);
            const PhotoEntry* entry = doc.photoEntryOf(id.recordLine, id.occurrence);
            EXPECT_EQ(entry ? std::optional(entry->photoPath) : std::nullopt, record.photo);
            photos += record.photo ? 1 : 0;
            const Encounter* seen = doc.encounterOf(i + 1);
            EXPECT_EQ(seen ? std::optional(seen->site) : std::nullopt, record.site);
            if (record.site)
                encounters.emplace(i + 1, seenAt(*record.site));
            std::vector<std::string> held;
            for (const RepeatMeasurement& r : doc.repeats())
                if (id.sameRecord(r.recordLine, r.occurrence))
                    held.push_back(r.operatorName);
            std::vector<std::string> expected;
            for (const std::size_t number : record.repeats) {
                expected.push_back(repeatTag(number));
                repeatOwners.emplace(number, i + 1);
            }
            EXPECT_EQ(held, expected);
            repeats += record.repeats.size();
        }
        // Nothing held belongs to no record, or twice to one.
        EXPECT_EQ(doc.photoEntries().size(), photos);
        EXPECT_EQ(doc.repeats().size(), repeats);
        EXPECT_EQ(doc.encounters().size(), encounters.size());
        EXPECT_EQ(doc.encountersByRecord(), encounters);
        // Repeats stay in the order kept, each with its record's number.
        std::vector<std::pair<std::size_t, std::string>> byRecord;
        for (const auto& [number, record] : repeatOwners)
            byRecord.emplace_back(record, repeatTag(number));
        std::vector<std::pair<std::size_t, std::string>> heldByRecord;
        for (const auto& [record, r] : doc.repeatsByRecord())
            heldByRecord.emplace_back(record, r->operatorName);
        EXPECT_EQ(heldByRecord, byRecord);
        EXPECT_EQ(doc.decisions().all().toVector(), model.decisions);
        EXPECT_EQ(namesOf(doc.decisions().all().toVector()), namesOf(model.decisions));
        EXPECT_EQ(doc.isModified(), model.modified);
        // Data from the clipboard count as loaded; once the text is as taken
        // again, either answer loses nothing, so none is asked for.
        if (!model.clipboard) {
            EXPECT_EQ(doc.holdsUnsavedChanges(), model.modified);
        } else if (doc.dataSet().text() != *model.clipboard || model.companionTouched ||
                   model.decisions.size() > model.savedDecisions) {
            EXPECT_TRUE(doc.holdsUnsavedChanges());
        }
        EXPECT_EQ(doc.canUndo(), !undoable.empty());
    }

    void run(std::uint32_t seed, int steps) {
        random.seed(seed);
        document = std::make_unique<Document>(services, "KORVEX");
        services.files.clear();
        model = {};
        undoable.clear();
        made = 0;
        // How often each change comes, out of 100; undo only when there is a
        // mend to take back, else a refused mend instead.
        using Change = void (DocumentMendsPropertyTest::*)();
        static const struct {
            std::size_t weight;
            const char* name;
            Change apply;
        } kChanges[] = {
            {18, "append", &DocumentMendsPropertyTest::append},
            {14, "replace", &DocumentMendsPropertyTest::replaceOne},
            {8, "replace several", &DocumentMendsPropertyTest::replaceSeveral},
            {10, "delete", &DocumentMendsPropertyTest::remove},
            {12, "undo", &DocumentMendsPropertyTest::undo},
            {2, "refused mend", &DocumentMendsPropertyTest::refuse},
            {1, "clipboard", &DocumentMendsPropertyTest::takeClipboard},
            {1, "failed save", &DocumentMendsPropertyTest::failToSave},
            {8, "decision", &DocumentMendsPropertyTest::decide},
            {6, "repeat", &DocumentMendsPropertyTest::repeat},
            {8, "encounter", &DocumentMendsPropertyTest::encounter},
            {8, "save and load", &DocumentMendsPropertyTest::saveAndLoad},
            {4, "recovery", &DocumentMendsPropertyTest::recover},
        };
        constexpr std::size_t kUndo = 4;
        constexpr std::size_t kRefused = 5;
        constexpr std::size_t kClipboard = 6;
        if (chance(30))
            takeClipboard();
        for (int step = 0; step < steps; ++step) {
            std::size_t roll = below(100);
            std::size_t pick = 0;
            while (roll >= kChanges[pick].weight)
                roll -= kChanges[pick++].weight;
            if (count() == 0 && pick != kClipboard)
                pick = 0; // every other change needs a record
            else if (pick == kUndo && undoable.empty())
                pick = kRefused;
            const auto& change = kChanges[pick];
            (this->*change.apply)();
            check(*document, "step " + std::to_string(step) + ", " + change.name);
            if (HasFailure())
                return;
        }
    }
};

TEST_F(DocumentMendsPropertyTest, RandomChangesKeepEverythingWithItsRecord) {
    constexpr std::uint32_t kSeeds = 250;
    constexpr int kSteps = 40;
    for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        run(seed, kSteps);
        if (HasFailure())
            return; // the first failing run is the one to read
    }
}

} // namespace
} // namespace korvex
