#include "uilogic/Document.h"

#include "exchange/PhotoCompanion.h"
#include "model/ByteHash.h"
#include "model/RecordLine.h"

#include "uilogic/PathText.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace korvex {

namespace {

using Icon = PlatformServices::Icon;
using LockHolder = PlatformServices::LockHolder;

SavedCompanion savedAs(const std::string& path, std::string_view bytes) {
    SavedCompanion saved;
    saved.path = path;
    saved.size = bytes.size();
    saved.hash = hashOfBytes(bytes);
    return saved;
}

// A record by the identity rule: its line and which occurrence of it it is.
using Identity = IdentityKey;
using Identities = std::unordered_set<Identity, IdentityKeyHash>;

// How many leading elements `a` and `b` have in common.
template <class T> std::size_t commonPrefix(const std::vector<T>& a, const std::vector<T>& b) {
    return static_cast<std::size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first -
                                    a.begin());
}

// The identities of the records of `pieces`. An empty last piece only ends
// the text; an empty piece before a CR LF is a record (a blank line), whose
// encounter and repeats are kept as any record's.
Identities identitiesOf(const std::vector<std::string_view>& pieces) {
    Identities records;
    OccurrenceCounter occurrences;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        if (!pieces[i].empty() || i + 1 < pieces.size())
            records.insert({pieces[i], occurrences.next(pieces[i])});
    return records;
}

// Those of `items` (repeats, encounters) whose record is one of `records`;
// those of a state's list stay shared with it.
template <class Item>
std::vector<Item> ofRecords(const std::vector<Item>& items, const Identities& records) {
    std::vector<Item> kept;
    for (const Item& item : items)
        if (records.contains({item.recordLine, item.occurrence}))
            kept.push_back(item);
    return kept;
}
template <class Item>
SharedList<Item> ofRecords(const SharedList<Item>& items, const Identities& records) {
    SharedList<Item> kept;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (records.contains({items[i].recordLine, items[i].occurrence}))
            kept.appendShared(items, i);
    return kept;
}

// Where the records a mend moves go: a new identity, or nothing when the
// record went. A mend moves few records of many; the others are told apart
// by the length of their line before any line is hashed.
struct Moves {
    IdentityMap<std::optional<Identity>> to;
    std::unordered_set<std::size_t> lengths;

    void add(const Identity& from, std::optional<Identity> where) {
        lengths.insert(from.first.size());
        to.emplace(from, where);
    }
    // Null when the record stays what it is.
    const std::optional<Identity>* find(std::string_view line, std::size_t occurrence) const {
        if (!lengths.contains(line.size()))
            return nullptr;
        const auto it = to.find({line, occurrence});
        return it == to.end() ? nullptr : &it->second;
    }
};

// `items` with each moved to its record's new identity, without those whose
// record went; what does not move stays shared.
template <class Item>
SharedList<Item> followRecords(const SharedList<Item>& items, const Moves& moves) {
    SharedList<Item> followed;
    followed.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto* where = moves.find(items[i].recordLine, items[i].occurrence);
        if (!where) {
            followed.appendShared(items, i);
        } else if (*where) {
            Item& item = followed.emplace_back(items[i]);
            item.recordLine = std::string((*where)->first);
            item.occurrence = (*where)->second;
        }
    }
    return followed;
}

bool holdsLineEnd(std::string_view line) {
    return line.find(DataSet::kLineEnd) != std::string_view::npos;
}

// " (by bob on fieldpc since ...)", or nothing when the lock does not say.
std::string heldBy(const LockHolder& holder) {
    std::string text;
    const auto add = [&text](const char* word, const std::string& part) {
        if (!part.empty())
            text += std::string(text.empty() ? "" : " ") + word + " " + part;
    };
    add("by", holder.user);
    add("on", holder.host);
    add("since", holder.since);
    return text.empty() ? text : " (" + text + ")";
}

// "3 records", "1 photo": a count and its noun.
std::string counted(std::size_t n, const std::string& noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// "3 records, 1 photo and 2 decisions", leaving out what is none.
std::string listed(const CatalogueMerge::Missing& missing) {
    std::vector<std::string> parts;
    if (!missing.records.empty())
        parts.push_back(counted(missing.records.size(), "record"));
    if (const std::size_t photos = missing.photoCount(); photos != 0)
        parts.push_back(counted(photos, "photo"));
    if (!missing.decisions.empty())
        parts.push_back(counted(missing.decisions.size(), "decision"));
    if (!missing.repeats.empty())
        parts.push_back(counted(missing.repeats.size(), "repeat measurement"));
    if (!missing.encounters.empty())
        parts.push_back(counted(missing.encounters.size(), "encounter"));
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
    return text;
}

} // namespace

Document::Document(PlatformServices& services, std::string title)
    : services_(services), title_(std::move(title)) {}

void Document::message(const std::string& text, Icon icon) {
    services_.messageBox(text, title_, icon, PlatformServices::Buttons::Ok);
}

const PhotoEntry* Document::photoEntryOf(std::string_view line, std::size_t occurrence) const {
    for (const PhotoEntry& entry : state_->entries)
        if (entry.occurrence == occurrence && entry.recordLine == line)
            return &entry;
    return nullptr;
}

const Encounter* Document::encounterOf(std::size_t recordNumber) const {
    const RecordIdentity record = identityOf(recordNumber);
    if (!record.isStored())
        return nullptr;
    for (const RecordEncounter& held : state_->encounters)
        if (record.sameRecord(held.recordLine, held.occurrence))
            return &held.encounter;
    return nullptr;
}

std::map<std::size_t, Encounter> Document::encountersByRecord() const {
    IdentityMap<const Encounter*> byIdentity;
    for (const RecordEncounter& held : state_->encounters)
        byIdentity.emplace(Identity{held.recordLine, held.occurrence}, &held.encounter);
    std::map<std::size_t, Encounter> byRecord;
    OccurrenceCounter occurrences;
    const auto pieces = dataSet_.pieces();
    for (std::size_t i = 0; i < pieces.size() && !byIdentity.empty(); ++i)
        if (const auto it = byIdentity.find({pieces[i], occurrences.next(pieces[i])});
            it != byIdentity.end())
            byRecord.emplace_hint(byRecord.end(), i + 1, *it->second); // in record order
    return byRecord;
}

std::vector<std::pair<std::size_t, const RepeatMeasurement*>> Document::repeatsByRecord() const {
    IdentityMap<std::size_t> numbers;
    OccurrenceCounter occurrences;
    const auto pieces = dataSet_.pieces();
    if (!state_->repeats.empty())
        for (std::size_t i = 0; i < pieces.size(); ++i)
            numbers.emplace(Identity{pieces[i], occurrences.next(pieces[i])}, i + 1);
    std::vector<std::pair<std::size_t, const RepeatMeasurement*>> byRecord;
    for (const RepeatMeasurement& repeat : state_->repeats)
        if (const auto it = numbers.find({repeat.recordLine, repeat.occurrence});
            it != numbers.end())
            byRecord.emplace_back(it->second, &repeat);
    return byRecord;
}

std::vector<std::string> Document::siteNames() const {
    std::set<std::string> names;
    for (const RecordEncounter& held : state_->encounters)
        if (!held.encounter.site.empty())
            names.insert(held.encounter.site);
    return {names.begin(), names.end()};
}

RecordIdentity Document::identityOf(std::size_t recordNumber) const {
    const auto pieces = dataSet_.pieces();
    if (recordNumber < 1 || recordNumber > dataSet_.RecordCount())
        return {};
    const std::string_view line = pieces[recordNumber - 1];
    return {std::string(SpecimenRecord::codeOf(line)), std::string(line),
            occurrenceOf(pieces, recordNumber - 1)};
}

void Document::clear() {
    dataSet_.clear();
    modified_ = false;
    fromClipboard_.reset();
}

bool Document::holdsUnsavedChanges() const {
    if (companionChanged_)
        return true;
    if (state_->decisions.size() > state_->savedDecisionCount())
        return true; // a clipboard load keeps the log, and a file load would drop it
    if (!modified_)
        return false;
    return !fromClipboard_ || !(*fromClipboard_ == FileGuard::Copy::of(dataSet_.text()));
}

void Document::appendRecord(std::string_view line, std::optional<PhotoEntry> photo,
                            std::optional<Encounter> encounter) {
    // A text too short to keep is replaced whole: what its records kept goes
    // with them, or an entry of theirs would claim a new record of their text.
    const bool replaced = dataSet_.AppendRecord(line);
    modified_ = true;
    // The text may then read as it did (a short record replaced by its own
    // text), which undo would take for no change since the last mend.
    if (replaced)
        undo_.clear();
    // An unsound encounter would be refused with all the others when the
    // companion is read again; the record is appended without it.
    if (encounter && (*encounter == Encounter{} || encounter->problem()))
        encounter.reset();
    const bool goneWithText = replaced && (!state_->entries.empty() || !state_->repeats.empty() ||
                                           !state_->encounters.empty());
    if (!photo && !encounter && !goneWithText)
        return;
    // The appended line ends the text, followed by CR LF; its record is the
    // piece it begins (a line holding a CR LF of its own spans two pieces).
    const std::string_view text = dataSet_.text();
    const std::size_t start = text.size() - line.size() - DataSet::kLineEnd.size();
    const auto pieces = dataSet_.pieces();
    const std::size_t index = DataSet::countLineEnds(text.substr(0, start));
    const std::string recordLine(pieces[index]);
    const std::size_t occurrence = occurrenceOf(pieces, index);
    if (encounter || (goneWithText && (!state_->repeats.empty() || !state_->encounters.empty())))
        companionChanged_ = true;
    change([&](CatalogueState& next) {
        if (goneWithText) {
            next.entries.clear();
            next.repeats.clear();
            next.encounters.clear();
            if (next.saved)
                next.saved->keptEntries.clear();
        }
        if (photo) {
            photo->recordLine = recordLine;
            photo->occurrence = occurrence;
            next.entries.push_back(std::move(*photo));
        }
        if (encounter)
            next.encounters.push_back({recordLine, occurrence, std::move(*encounter)});
    });
}

void Document::takeClipboardText(std::string text) {
    dataSet_.setText(std::move(text));
    modified_ = true;
    fromClipboard_ = FileGuard::Copy::of(dataSet_.text());
    // The decisions stay: a log is history, and the next save to the data
    // file must not lose it.
    companionChanged_ = false;
    change([](CatalogueState& next) {
        next.entries.clear();
        next.repeats.clear();
        next.encounters.clear();
        if (next.saved)
            next.saved->keptEntries.clear();
    });
}

void Document::recordDecision(Decision decision) {
    modified_ = true;
    change([&](CatalogueState& next) { next.decisions.recordDecision(std::move(decision)); });
}

std::size_t Document::addRepeats(const std::vector<RepeatMeasurement>& repeats) {
    std::vector<RepeatMeasurement> kept = ofRecords(repeats, identitiesOf(dataSet_.pieces()));
    if (kept.empty())
        return 0;
    modified_ = true;
    companionChanged_ = true;
    change([&](CatalogueState& next) { next.repeats.append(kept.begin(), kept.end()); });
    return kept.size();
}

bool Document::setEncounter(std::size_t recordNumber, const Encounter& encounter) {
    const RecordIdentity record = identityOf(recordNumber);
    if (!record.isStored() || encounter.problem())
        return false;
    const Encounter* held = encounterOf(recordNumber);
    if (held ? *held == encounter : encounter == Encounter{})
        return true; // nothing changes, so nothing is unsaved
    modified_ = true;
    companionChanged_ = true;
    change([&](CatalogueState& next) {
        auto& all = next.encounters;
        // Found reading, so that only the one changed is copied.
        const std::size_t at = static_cast<std::size_t>(
            std::find_if(std::as_const(all).begin(), std::as_const(all).end(),
                         [&](const RecordEncounter& e) {
                             return record.sameRecord(e.recordLine, e.occurrence);
                         })
                .index());
        if (encounter == Encounter{})
            all.erase(at);
        else if (at != all.size())
            all[at].encounter = encounter;
        else
            all.push_back({record.recordLine, record.occurrence, encounter});
    });
    return true;
}

void Document::restore(std::string dataSetText, std::shared_ptr<const CatalogueState> state,
                       bool modified) {
    dataSet_.setText(std::move(dataSetText));
    state_ = state ? std::move(state) : std::make_shared<const CatalogueState>();
    modified_ = modified;
    // A copy does not say whether its repeats and encounters were saved.
    companionChanged_ = modified && (!state_->repeats.empty() || !state_->encounters.empty());
    fromClipboard_.reset();
    sharedEncounters_.clear();
    restored_ = true;
    // A copy names its data file but not the bytes it held: another program
    // may have changed it since. Taken for a file that appeared, it and its
    // companion are compared before a save over them, which then asks only
    // when they hold what is not here.
    if (state_->dataFilePath) {
        // Another copy opening the file must learn that this one has it open,
        // as after a load; one gone since is locked once it is saved again.
        if (services_.fileStamp(*state_->dataFilePath))
            tellUnguarded(*state_->dataFilePath, guard_.open(*state_->dataFilePath));
        const auto unknown = FileGuard::Copy::of(std::nullopt);
        guard_.remember(*state_->dataFilePath, unknown);
        guard_.remember(PhotoCompanion::companionPathFor(*state_->dataFilePath), unknown);
    }
}

bool Document::replaceRecord(std::size_t recordNumber, std::string_view line,
                             std::optional<PhotoEntry> photo) {
    if (recordNumber < 1 || recordNumber > dataSet_.RecordCount() || holdsLineEnd(line))
        return false;
    const auto pieces = dataSet_.pieces();
    std::vector<std::optional<std::string_view>> next(pieces.begin(), pieces.end());
    next[recordNumber - 1] = line;
    std::optional<NewPhoto> kept;
    if (photo)
        kept = NewPhoto{recordNumber - 1, std::move(*photo)};
    mend(next, std::move(kept));
    return true;
}

bool Document::replaceRecords(const std::map<std::size_t, std::string>& lines) {
    const std::size_t count = dataSet_.RecordCount();
    if (lines.empty() || std::any_of(lines.begin(), lines.end(), [&](const auto& change) {
            return change.first < 1 || change.first > count || holdsLineEnd(change.second);
        }))
        return false;
    const auto pieces = dataSet_.pieces();
    std::vector<std::optional<std::string_view>> next(pieces.begin(), pieces.end());
    for (const auto& [recordNumber, line] : lines)
        next[recordNumber - 1] = line;
    mend(next, std::nullopt);
    return true;
}

bool Document::deleteRecord(std::size_t recordNumber) {
    if (recordNumber < 1 || recordNumber > dataSet_.RecordCount())
        return false;
    const auto pieces = dataSet_.pieces();
    std::vector<std::optional<std::string_view>> next(pieces.begin(), pieces.end());
    next[recordNumber - 1].reset();
    mend(next, std::nullopt);
    return true;
}

void Document::mend(const std::vector<std::optional<std::string_view>>& next,
                    std::optional<NewPhoto> photo) {
    // Steps that can no longer be taken back are of no use under a new one.
    if (!canUndo())
        undo_.clear();
    UndoStep step{dataSet_.text(), state_, modified_, nullptr, 0, 0};

    // Joining the pieces kept with CR LF gives back every byte of the text
    // around them, also a last piece without its line end.
    std::string text;
    text.reserve(dataSet_.text().size());
    bool first = true;
    for (const auto& piece : next) {
        if (!piece)
            continue;
        if (!first)
            text += DataSet::kLineEnd;
        first = false;
        text += *piece;
    }

    // Where each record whose identity changes goes, or nothing when it goes.
    // Only a record whose text is the old or the new text of a piece mended
    // can move: the records of any other text keep their order among
    // themselves, and so their occurrences. Counting only those keeps a mend
    // of one record from hashing every line of a large catalogue twice.
    const auto old = dataSet_.pieces();
    const auto now = DataSet::splitPieces(text);
    std::unordered_set<std::string_view> mendedTexts;
    for (std::size_t i = 0; i < old.size(); ++i)
        if (!next[i] || *next[i] != old[i] || (photo && photo->at == i)) {
            mendedTexts.insert(old[i]);
            if (next[i])
                mendedTexts.insert(*next[i]);
        }
    Moves moved;
    std::optional<Identity> photoAt;
    OccurrenceCounter before;
    OccurrenceCounter after;
    for (std::size_t i = 0, j = 0; i < old.size(); ++i) {
        // A piece kept as it was has the same text before and after. An empty
        // last piece names no record: counted, it would carry a decision about
        // a blank record deleted before to a blank record's place.
        const bool mayMove =
            mendedTexts.contains(old[i]) && !(old[i].empty() && i + 1 == old.size());
        const std::size_t at = next[i] ? j++ : j;
        if (!mayMove)
            continue;
        const Identity from{old[i], before.next(old[i])};
        if (!next[i]) {
            moved.add(from, std::nullopt);
            continue;
        }
        const Identity to{now[at], after.next(now[at])};
        if (photo && photo->at == i)
            photoAt = to;
        if (to != from)
            moved.add(from, to);
    }

    change([&](CatalogueState& state) {
        // Only the entries and decisions of records that move are copied;
        // every other one stays shared with the state before.
        const SharedList<PhotoEntry>& was = state.entries;
        SharedList<PhotoEntry> entries;
        entries.reserve(was.size() + 1);
        bool photoPlaced = false;
        for (std::size_t i = 0; i < was.size(); ++i) {
            const auto* where = moved.find(was[i].recordLine, was[i].occurrence);
            if (where && !*where)
                continue; // gone with its record
            const Identity identity =
                where ? **where : Identity{was[i].recordLine, was[i].occurrence};
            if (photoAt && !photoPlaced && identity == *photoAt) {
                entries.push_back(photo->entry); // in the old one's place
                photoPlaced = true;
            } else if (where) {
                entries.push_back(was[i]);
            } else {
                entries.appendShared(was, i);
                continue;
            }
            PhotoEntry& entry = entries.back();
            entry.recordLine = std::string(identity.first);
            entry.occurrence = identity.second;
        }
        if (photoAt && !photoPlaced) {
            PhotoEntry& entry = entries.emplace_back(std::move(photo->entry));
            entry.recordLine = std::string(photoAt->first);
            entry.occurrence = photoAt->second;
        }

        const auto moves = [&](const RecordIdentity& record) {
            if (!record.isStored())
                return false;
            const auto* where = moved.find(record.recordLine, record.occurrence);
            return where && *where; // a deleted record's decisions keep naming it as they did
        };
        const auto follow = [&](RecordIdentity& record) {
            if (!moves(record))
                return;
            const Identity& to = **moved.find(record.recordLine, record.occurrence);
            if (record.recordLine != to.first) {
                record.recordLine = std::string(to.first);
                record.code = std::string(SpecimenRecord::codeOf(record.recordLine));
            }
            record.occurrence = to.second;
        };
        const SharedList<Decision>& log = state.decisions.all();
        SharedList<Decision> decisions;
        decisions.reserve(log.size());
        for (std::size_t i = 0; i < log.size(); ++i) {
            if (!moves(log[i].query) && !moves(log[i].candidate)) {
                decisions.appendShared(log, i);
                continue;
            }
            Decision& decision = decisions.emplace_back(log[i]);
            follow(decision.query);
            follow(decision.candidate);
        }

        // The companion on disk still holds what the first entries and
        // decisions were (state_ is still the state before this change); a
        // recovery copy must write out those that changed.
        if (state.saved) {
            auto& kept = state.saved->keptEntries;
            kept.resize(std::min(kept.size(), state_->entries.commonPrefix(entries)));
            state.saved->decisionCount = std::min(state.saved->decisionCount,
                                                  state_->decisions.all().commonPrefix(decisions));
        }
        state.entries = std::move(entries);
        state.decisions = DecisionLog::sharing(std::move(decisions));
        state.repeats = followRecords(state.repeats, moved);
        state.encounters = followRecords(state.encounters, moved);
    });
    dataSet_.setText(std::move(text));
    modified_ = true;
    step.after = state_;
    step.afterSize = dataSet_.text().size();
    step.afterHash = hashOfBytes(dataSet_.text());
    undo_.push_back(std::move(step));
}

bool Document::canUndo() const {
    if (undo_.empty())
        return false;
    const UndoStep& last = undo_.back();
    return last.after == state_ && last.afterSize == dataSet_.text().size() &&
           last.afterHash == hashOfBytes(dataSet_.text());
}

bool Document::undo() {
    if (!canUndo()) {
        undo_.clear();
        return false;
    }
    UndoStep step = std::move(undo_.back());
    undo_.pop_back();
    dataSet_.setText(std::move(step.text));
    state_ = std::move(step.state);
    modified_ = step.modified;
    return true;
}

std::optional<TorFile::ReadResult> Document::readDataFile(const std::string& path) {
    const auto file = services_.readFile(path);
    if (!file.ok) {
        message("The data file " + quoted(path) + " could not be read: " + file.error,
                Icon::Critical);
        return std::nullopt;
    }
    lastRead_.emplace(path, FileGuard::Copy::of(file.bytes));
    TorFile::ReadResult read = TorFile::read(file.bytes);
    // Lines ended by LF alone are all one line here: the records they hold
    // stay on disk, unread, as lines after the announced ones do.
    lastReadLeft_ = read.lfLineEnds                    ? LinesLeft::EndedByLfAlone
                    : read.allRecords && !read.allRead ? LinesLeft::AfterRecords
                                                       : LinesLeft::None;
    return read;
}

bool Document::mayOpen(const std::string& path) {
    const auto holder = guard_.otherHolder(path);
    if (!holder)
        return true;
    const std::size_t answer = services_.choiceBox(
        "The data file " + quoted(path) + " is open in another copy of KORVEX" + heldBy(*holder) +
            ".\n\nYou can open it here too, to read and compare. A save here then asks first "
            "whenever the file was changed by that copy.",
        title_, Icon::Warning, {kOpenAnyway, kDoNotOpen});
    return answer == 0;
}

void Document::takeDataFile(const std::string& path, std::string dataSetText) {
    dataSet_.setText(std::move(dataSetText));
    modified_ = false;
    companionChanged_ = false;
    sharedEncounters_.clear();
    CatalogueState loaded;
    loaded.dataFilePath = path;
    state_ = std::make_shared<const CatalogueState>(std::move(loaded));
    fromClipboard_.reset();
    restored_ = false;
    tellUnguarded(path, guard_.open(path));
    linesLeftIn_.erase(path);
    if (lastRead_ && lastRead_->first == path) {
        guard_.remember(path, lastRead_->second);
        if (lastReadLeft_ != LinesLeft::None)
            linesLeftIn_[path] = {lastReadLeft_, lastRead_->second};
    }
    lastRead_.reset();
}

void Document::tellUnguarded(const std::string& path, const std::optional<std::string>& reason) {
    if (!reason)
        return;
    message("The data file " + quoted(path) +
                " cannot be guarded against other copies of KORVEX: no lock file can be kept "
                "beside it (" +
                *reason +
                "). It is loaded and saved as usual, and a save still asks first when the file "
                "was changed on disk.",
            Icon::Information);
}

void Document::loadCompanion() {
    if (!state_->dataFilePath)
        return;
    const std::string path = *state_->dataFilePath;
    CatalogueState loaded;
    loaded.dataFilePath = path;
    const std::string companion = PhotoCompanion::companionPathFor(path);
    if (!services_.fileExists(companion)) {
        guard_.remember(companion, FileGuard::Copy::of(std::nullopt));
        return;
    }
    const auto file = services_.readFile(companion);
    if (file.ok)
        guard_.remember(companion, FileGuard::Copy::of(file.bytes));
    PhotoCompanion::ReadResult read;
    if (file.ok)
        read = PhotoCompanion::read(file.bytes, folderOf(path));
    else
        read.error = file.error;
    if (!read.ok) {
        std::string reason = read.error;
        if (!reason.empty() && reason.back() != '.')
            reason += '.';
        message("The photos of the records could not be read from " + quoted(companion) + ": " +
                    reason +
                    " The data were loaded without them. The file stays as it is; when the data "
                    "are saved, a copy of it is kept as " +
                    quoted(companion + std::string(kBrokenSuffix)) + ".",
                Icon::Warning);
        return;
    }
    // Entries of rows that are no longer in the data file are dropped.
    SavedCompanion saved = savedAs(companion, file.bytes);
    for (const PhotoEntry* entry :
         PhotoCompanion::entriesForPieces(dataSet_.pieces(), read.entries))
        if (entry) {
            loaded.entries.push_back(*entry);
            saved.keptEntries.push_back(static_cast<std::size_t>(entry - read.entries.data()));
        }
    loaded.decisions = DecisionLog(std::move(read.decisions));
    saved.decisionCount = loaded.decisions.size();
    loaded.saved = std::move(saved);
    const auto records = identitiesOf(dataSet_.pieces());
    loaded.repeats = SharedList<RepeatMeasurement>(ofRecords(read.repeats, records));
    loaded.encounters = SharedList<RecordEncounter>(ofRecords(read.encounters, records));
    sharedEncounters_ = loaded.encounters;
    state_ = std::make_shared<const CatalogueState>(std::move(loaded));
    companionChanged_ = false;
    if (!read.leftOut.empty()) {
        std::string text = "Not all of " + quoted(companion) + " could be read.";
        for (const std::string& part : read.leftOut)
            text += " " + part;
        message(text +
                    " The photos of the records and the decisions were loaded. The file "
                    "stays as it is; when the data are saved, a copy of it is kept as " +
                    quoted(companion + std::string(kBrokenSuffix)) + ".",
                Icon::Warning);
    }
}

bool Document::keepAside(const std::string& companion) {
    const auto file = services_.readFile(companion);
    if (file.ok) {
        const auto read = PhotoCompanion::read(file.bytes, folderOf(companion));
        if (read.ok && read.leftOut.empty())
            return true; // a companion this program reads whole is simply replaced
    }
    std::string aside = companion + std::string(kBrokenSuffix);
    for (int n = 2; services_.fileExists(aside); ++n)
        aside = companion + std::string(kBrokenSuffix) + "-" + std::to_string(n);
    const auto copied = file.ok ? services_.writeFile(aside, file.bytes) : file;
    if (!copied.ok) {
        message("The photos of the records were not saved: " + quoted(companion) +
                    " could not be read and is not replaced until a copy of it can be kept (" +
                    copied.error + ").",
                Icon::Critical);
        return false;
    }
    return true;
}

Document::SaveOutcome Document::saveDataFile(const std::string& path,
                                             const MeasurementSheet& sheet) {
    if (restored_) {
        // The restored records may stand in a file moved or renamed since the
        // crash, with the photos the restore could not find: any file this
        // program knows nothing of is compared, as one that appeared.
        for (const std::string& file : {path, PhotoCompanion::companionPathFor(path)})
            if (!guard_.known(file))
                guard_.remember(file, FileGuard::Copy::of(std::nullopt));
    }
    const auto left = linesLeftIn_.find(path);
    // Saved under another name instead, it is no longer the open file and
    // nothing else is known of it; as loaded, it still held them.
    if (left != linesLeftIn_.end() && !guard_.known(path))
        guard_.remember(path, left->second.loaded);
    const auto data = guard_.onDisk(path);
    const auto photos = guard_.onDisk(PhotoCompanion::companionPathFor(path));
    // The load warned of them; the file is as it was loaded, so nothing else
    // here would tell that they are still there to lose. A file changed on
    // disk since is compared below, which asks as well; one gone since holds
    // nothing to lose.
    if (!data.changed && data.bytes && left != linesLeftIn_.end()) {
        const std::vector<std::string> choices{kSaveOver, kSaveUnderAnotherName, kCancel};
        const std::size_t answer =
            std::min(services_.choiceBox("The data file " + quoted(path) +
                                             (left->second.lines == LinesLeft::EndedByLfAlone
                                                  ? " holds lines that end in LF alone, which were "
                                                    "not loaded as records; saving over it loses "
                                                    "them."
                                                  : " holds lines after the records it announces, "
                                                    "which were not loaded; saving over it loses "
                                                    "them."),
                                         title_, Icon::Warning, choices),
                     choices.size() - 1);
        if (answer == 1)
            return SaveOutcome::AnotherName;
        if (answer == 2)
            return SaveOutcome::Cancelled;
    }
    if (!data.changed && !photos.changed)
        return writeDataFile(path, sheet) == Written::Whole ? SaveOutcome::Saved
                                                            : SaveOutcome::Failed;
    // What a merge changes, put back when the data file cannot be written:
    // Merge and Save is one step, and the file on disk is still another's.
    const std::string text = dataSet_.text();
    const auto state = state_;
    const bool modified = modified_;
    const bool companionChanged = companionChanged_;
    const SaveOutcome answer = askBeforeSavingOver(path, data, photos);
    if (answer != SaveOutcome::Saved)
        return answer;
    switch (writeDataFile(path, sheet)) {
    case Written::Whole:
        return SaveOutcome::Saved;
    case Written::Nothing:
        dataSet_.setText(text);
        state_ = state;
        modified_ = modified;
        companionChanged_ = companionChanged;
        return SaveOutcome::Failed;
    case Written::DataFileOnly:
        break; // the merge stays with the data file that holds it
    }
    return SaveOutcome::Failed;
}

Document::SaveOutcome Document::askBeforeSavingOver(const std::string& path,
                                                    const FileGuard::OnDisk& data,
                                                    const FileGuard::OnDisk& photos) {
    const std::string companion = PhotoCompanion::companionPathFor(path);
    // What the files on disk hold that is not here. Records come only from a
    // changed data file (an unchanged one holds none that this program did
    // not have), photos and decisions only from a changed companion.
    std::string otherText;
    std::string dataError = data.error;
    if (data.bytes) {
        TorFile::ReadResult read = TorFile::read(*data.bytes);
        // Read in part (another program's line ends, records beyond its
        // count, cut short), it may hold records that cannot be told from here.
        // Lines ended by LF alone that ran into its first lines may leave
        // nothing unread, yet none of its records was read.
        if (data.changed && (!read.allRead || read.lfLineEnds))
            dataError = "it does not read as a whole data file";
        otherText = std::move(read.dataSetText);
    }
    const auto otherPieces = DataSet::splitPieces(otherText);
    PhotoCompanion::ReadResult other;
    std::string photosError = photos.error;
    if (photos.changed && photos.bytes) {
        other = PhotoCompanion::read(*photos.bytes, folderOf(path));
        // Damaged or of a newer version, it may hold what cannot be seen here.
        if (!other.ok) {
            photosError = other.error;
            if (!photosError.empty() && photosError.back() == '.')
                photosError.pop_back();
        }
    }
    // The comparison keeps nothing of the lists held here (what it finds
    // missing it copies from the other side), so copies of them do.
    auto missing = CatalogueMerge::missingHere(
        dataSet_.pieces(), state_->entries.toVector(), state_->decisions, otherPieces,
        PhotoCompanion::entriesForPieces(otherPieces, other.entries), other.decisions);
    CatalogueMerge::addRepeatsAndEncounters(missing, otherPieces, state_->repeats.toVector(),
                                            state_->encounters.toVector(), other.repeats,
                                            other.encounters, sharedEncounters_.toVector());
    if (!data.changed) {
        // An unchanged data file adds no records: what belongs to records
        // removed here stays removed.
        missing.records.clear();
        const auto held = identitiesOf(dataSet_.pieces());
        missing.repeats = ofRecords(missing.repeats, held);
        missing.encounters = ofRecords(missing.encounters, held);
    }
    // The question names the file that holds what is missing, or else the
    // one that cannot be read to compare.
    const bool aboutData =
        data.changed && (!missing.empty() || !dataError.empty() || photosError.empty());
    const FileGuard::OnDisk& changed = aboutData ? data : photos;
    const std::string& error = aboutData ? dataError : photosError;
    // Files that hold nothing this program lacks (rows reordered or removed
    // elsewhere, a save of the same data by another copy) lose nothing when
    // saved over. A companion that cannot be read is kept aside by the save.
    if (missing.empty() && error.empty())
        return SaveOutcome::Saved;
    // A merge of what could be read of a file read only in part would still
    // lose the rest: it is not offered as if it kept everything.
    const bool canMerge = !missing.empty() && error.empty();

    const auto holder = guard_.otherHolder(path);
    // After a restore the file was never read in this run: it cannot be said
    // to have changed since.
    const auto seen = guard_.known(aboutData ? path : companion);
    const bool sinceRestore = restored_ && seen && !seen->present;
    const std::string changedAt = changed.changedAt.empty() ? "" : " (" + changed.changedAt + ")";
    std::string text =
        (aboutData ? "The data file " + quoted(path)
                   : "The photos file " + quoted(companion) + " of the data file " + quoted(path)) +
        (sinceRestore
             ? " has not been loaded or saved here since the unsaved data were restored" +
                   (changedAt.empty() ? "" : "; it was last changed" + changedAt) + "."
             : " was changed on disk" + changedAt + " after it was loaded or last saved here.") +
        (holder ? "\n\nThe data file is open in another copy of KORVEX" + heldBy(*holder) + "."
                : std::string()) +
        "\n\n";
    if (canMerge)
        text += "It holds " + listed(missing) +
                (missing.records.size() + missing.photoCount() + missing.decisions.size() +
                             missing.repeats.size() + missing.encounters.size() ==
                         1
                     ? " that is not here; saving over it loses it."
                     : " that are not here; saving over it loses them.") +
                " Merge and Save adds what is missing to the data here, then saves.";
    else
        text += "It cannot be read to compare (" + error +
                "); saving over it replaces what it holds now.";

    std::vector<std::string> choices;
    if (canMerge)
        choices.push_back(kMergeAndSave);
    for (const char* choice : {kSaveOver, kSaveUnderAnotherName, kCancel})
        choices.push_back(choice);
    // An answer out of range is taken for the last, Cancel.
    const std::string& answer = choices[std::min(
        services_.choiceBox(text, title_, Icon::Warning, choices), choices.size() - 1)];
    if (answer == kMergeAndSave)
        merge(missing);
    else if (answer == kSaveUnderAnotherName)
        return SaveOutcome::AnotherName;
    else if (answer == kCancel)
        return SaveOutcome::Cancelled;
    return SaveOutcome::Saved;
}

void Document::merge(const CatalogueMerge::Missing& missing) {
    for (const auto& record : missing.records)
        appendRecord(record.line, record.photo);
    if (missing.photosOfHeld.empty() && missing.decisions.empty() && missing.repeats.empty() &&
        missing.encounters.empty())
        return;
    modified_ = true;
    companionChanged_ = true;
    change([&](CatalogueState& next) {
        next.entries.append(missing.photosOfHeld.begin(), missing.photosOfHeld.end());
        for (const Decision& decision : missing.decisions)
            next.decisions.recordDecision(decision);
        next.repeats.append(missing.repeats.begin(), missing.repeats.end());
        // An encounter taken replaces the one its record has here.
        const SharedList<RecordEncounter>& held = next.encounters;
        for (const RecordEncounter& taken : missing.encounters) {
            const auto it = std::find_if(held.begin(), held.end(), [&](const RecordEncounter& e) {
                return e.occurrence == taken.occurrence && e.recordLine == taken.recordLine;
            });
            if (it != held.end())
                next.encounters[it.index()].encounter = taken.encounter;
            else
                next.encounters.push_back(taken);
        }
    });
}

Document::Written Document::writeDataFile(const std::string& path, const MeasurementSheet& sheet) {
    const std::string dataBytes = TorFile::write(sheet, dataSet_);
    const auto written = services_.writeFile(path, dataBytes);
    if (!written.ok) {
        message("The data could not be saved to " + quoted(path) + ": " + written.error,
                Icon::Critical);
        return Written::Nothing;
    }
    fromClipboard_.reset();
    linesLeftIn_.erase(path);
    const std::string companion = PhotoCompanion::companionPathFor(path);
    // Until it is written, the companion on disk is what it was: a change
    // made to it meanwhile must still be noticed.
    const auto companionKnown = guard_.known(companion);
    restored_ = false;
    tellUnguarded(path, guard_.open(path));
    guard_.remember(path, FileGuard::Copy::of(dataBytes));
    if (companionKnown)
        guard_.remember(companion, *companionKnown);
    // What is saved stays shared with the state before.
    const SharedList<PhotoEntry>& entries = state_->entries;
    std::unordered_map<const PhotoEntry*, std::size_t> places;
    places.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        places.emplace(&entries[i], i);
    SharedList<PhotoEntry> kept;
    for (const PhotoEntry* entry : PhotoCompanion::entriesForPieces(dataSet_.pieces(), entries))
        if (entry)
            kept.appendShared(entries, places.at(entry));
    const SharedList<Decision>& decisions = state_->decisions.all();
    const auto records = identitiesOf(dataSet_.pieces());
    SharedList<RepeatMeasurement> repeats = ofRecords(state_->repeats, records);
    SharedList<RecordEncounter> encounters = ofRecords(state_->encounters, records);
    const auto savedWithout = [&](CatalogueState& next) {
        next.dataFilePath = path;
        next.saved.reset();
    };
    const bool exists = services_.fileExists(companion);
    if (kept.empty() && decisions.empty() && repeats.empty() && encounters.empty() && !exists) {
        change(savedWithout); // nothing to remember: no companion beside the data file
        guard_.remember(companion, FileGuard::Copy::of(std::nullopt));
        modified_ = false;
        companionChanged_ = false;
        return Written::Whole;
    }
    if (exists && !keepAside(companion)) {
        change(savedWithout);
        return Written::DataFileOnly;
    }
    const std::string bytes =
        PhotoCompanion::writeLists(kept, folderOf(path), decisions, repeats, encounters);
    const auto companionWritten = services_.writeFile(companion, bytes);
    if (!companionWritten.ok) {
        change(savedWithout);
        message("The data were saved, but the photos of the records could not be saved to " +
                    quoted(companion) + ": " + companionWritten.error,
                Icon::Critical);
        return Written::DataFileOnly;
    }
    change([&](CatalogueState& next) {
        next.dataFilePath = path;
        SavedCompanion saved = savedAs(companion, bytes);
        for (std::size_t i = 0; i < kept.size(); ++i)
            saved.keptEntries.push_back(i);
        saved.decisionCount = decisions.size();
        next.entries = std::move(kept);
        next.repeats = std::move(repeats);
        sharedEncounters_ = encounters;
        next.encounters = std::move(encounters);
        next.saved = std::move(saved);
    });
    guard_.remember(companion, FileGuard::Copy::of(bytes));
    modified_ = false;
    companionChanged_ = false;
    return Written::Whole;
}

} // namespace korvex
