#include "exchange/RecoverySnapshot.h"
#include "model/CatalogueMerge.h"

#include "exchange/PhotoCompanion.h"
#include "model/ByteHash.h"
#include "model/DataSet.h"
#include "version/Version.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace korvex {

namespace {

constexpr std::string_view kHeading = "KORVEX recovery copy 3\n";
// The second version kept every photo itself, the first none; copies of both
// are still offered.
constexpr std::string_view kHeadingAllPhotos = "KORVEX recovery copy 2\n";
constexpr std::string_view kHeadingWithoutPhotos = "KORVEX recovery copy 1\n";
static_assert(kHeading.size() == kHeadingWithoutPhotos.size() &&
              kHeading.size() == kHeadingAllPhotos.size());

std::uint64_t checksum(std::string_view bytes) {
    return hashOfBytes(bytes);
}

// No companion holds this many entries; a run beyond it is damage.
constexpr std::size_t kMaxRun = 100'000'000;

// Kept entries as runs of consecutive places, "0-9999" or "4-7,0-3": a
// catalogue keeps nearly all of its file's entries, mostly in the file's
// order, so the list stays a few bytes long.
std::string runsOf(const std::vector<std::size_t>& indices) {
    std::string text;
    for (std::size_t i = 0; i < indices.size();) {
        std::size_t j = i;
        while (j + 1 < indices.size() && indices[j + 1] == indices[j] + 1)
            ++j;
        if (!text.empty())
            text += ',';
        text += std::to_string(indices[i]);
        if (j > i)
            text += '-' + std::to_string(indices[j]);
        i = j + 1;
    }
    return text;
}

template <class Number> std::optional<Number> wholeNumber(std::string_view text) {
    Number n{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return n;
}

// A heading of this kind with a version after the newest read here.
bool isOfLaterVersion(std::string_view bytes) {
    constexpr std::string_view kStem = kHeading.substr(0, kHeading.size() - 2);
    if (bytes.substr(0, kStem.size()) != kStem)
        return false;
    const std::string_view rest = bytes.substr(kStem.size());
    const std::size_t lineEnd = rest.find('\n');
    const std::string_view digits = rest.substr(0, lineEnd);
    if (lineEnd == std::string_view::npos || digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    // Beyond any count a number holds: later still.
    const auto version = wholeNumber<std::uint64_t>(digits);
    return !version || *version > 3;
}

// Runs read back; a place may stand only once.
std::optional<std::vector<std::size_t>> readRuns(std::string_view text) {
    std::vector<std::size_t> indices;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view run = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        if (comma != std::string_view::npos && text.empty())
            return std::nullopt;
        const std::size_t dash = run.find('-');
        const auto first = wholeNumber<std::size_t>(run.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : wholeNumber<std::size_t>(run.substr(dash + 1));
        if (!first || !last || *last < *first || *last - *first > kMaxRun - indices.size())
            return std::nullopt;
        for (std::size_t i = *first; i <= *last; ++i)
            indices.push_back(i);
    }
    std::vector<std::size_t> sorted = indices;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
        return std::nullopt;
    return indices;
}

std::string hex16(std::uint64_t value) {
    std::string text(16, '0');
    for (std::size_t i = 16; i-- > 0; value >>= 4)
        text[i] = "0123456789abcdef"[value & 0xF];
    return text;
}

void putField(std::string& out, std::string_view name, std::string_view bytes) {
    out.append(name).append(" ").append(std::to_string(bytes.size())).append("\n");
    out.append(bytes).append("\n");
}

std::string flags(const std::array<bool, kSeamGroupCount>& on) {
    std::string text;
    for (bool b : on)
        text += b ? '1' : '0';
    return text;
}

// Reads the fields in their fixed order; the first fault stops the reading.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t position() const { return pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

    std::optional<std::string_view> field(std::string_view name) {
        const std::size_t lineEnd = bytes_.find('\n', pos_);
        if (lineEnd == std::string_view::npos)
            return std::nullopt;
        const std::string_view line = bytes_.substr(pos_, lineEnd - pos_);
        if (line.size() <= name.size() || line.substr(0, name.size()) != name ||
            line[name.size()] != ' ')
            return std::nullopt;
        const std::string_view digits = line.substr(name.size() + 1);
        std::size_t length = 0;
        const auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), length);
        if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty())
            return std::nullopt;
        const std::size_t start = lineEnd + 1;
        if (length > bytes_.size() - start || bytes_.size() - start - length < 1 ||
            bytes_[start + length] != '\n')
            return std::nullopt;
        pos_ = start + length + 1;
        return bytes_.substr(start, length);
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::optional<std::array<bool, kSeamGroupCount>> readFlags(std::optional<std::string_view> text) {
    if (!text || text->size() != kSeamGroupCount)
        return std::nullopt;
    std::array<bool, kSeamGroupCount> on{};
    for (std::size_t i = 0; i < kSeamGroupCount; ++i) {
        if ((*text)[i] != '0' && (*text)[i] != '1')
            return std::nullopt;
        on[i] = (*text)[i] == '1';
    }
    return on;
}

} // namespace

bool RecoverySnapshot::operator==(const RecoverySnapshot& other) const {
    return dataSet == other.dataSet && values == other.values && display == other.display &&
           labelsLower == other.labelsLower && commandEnabled == other.commandEnabled &&
           *photos == *other.photos && unsaved == other.unsaved &&
           photosOnDisk == other.photosOnDisk;
}

std::string RecoverySnapshot::write(PhotosCache* cache) const {
    PhotosCache own;
    PhotosCache& kept = cache ? *cache : own;
    // What the companion on disk holds is named, not copied: only what came
    // after it is put into words.
    const std::optional<SavedCompanion>& saved = photosOnDisk ? photosOnDisk : photos->saved;
    const std::size_t savedEntries = photosOnDisk ? 0 : photos->savedEntryCount();
    const std::size_t savedDecisions = photosOnDisk ? 0 : photos->savedDecisionCount();
    if (kept.photos != photos) {
        const auto& entries = photos->entries;
        const auto& decisions = photos->decisions.all();
        SharedList<PhotoEntry> entriesSince;
        for (std::size_t i = savedEntries; i < entries.size(); ++i)
            entriesSince.appendShared(entries, i);
        SharedList<Decision> decisionsSince;
        for (std::size_t i = savedDecisions; i < decisions.size(); ++i)
            decisionsSince.appendShared(decisions, i);
        // No folder: every path is written as it is held, absolute.
        kept.document = PhotoCompanion::writeLists(entriesSince, "", decisionsSince,
                                                   // Few, and changed one at a time: kept whole
                                                   // rather than referred to.
                                                   photos->repeats, photos->encounters);
        kept.photos = photos;
    }
    const std::string& companion = kept.document;
    const std::string dataFile = photos->dataFilePath.value_or("");
    const std::string savedPath = saved ? saved->path : std::string();
    std::string out(kHeading);
    putField(out, "written-by", "KORVEX " + std::string(kVersion));
    std::size_t size =
        out.size() + dataSet.size() + companion.size() + dataFile.size() + savedPath.size() + 768;
    for (const std::string& v : values)
        size += v.size() + 16;
    out.reserve(size + display.countText.size() + display.code.size());
    putField(out, "data-set", dataSet);
    for (const std::string& v : values)
        putField(out, "value", v);
    putField(out, "count", display.countText);
    putField(out, "record", std::to_string(display.recordNumber));
    putField(out, "code", display.code);
    putField(out, "labels", flags(labelsLower));
    putField(out, "buttons", flags(commandEnabled));
    putField(out, "photos", companion);
    putField(out, "data-file", dataFile);
    putField(out, "saved-photos", savedPath);
    putField(out, "saved-size", std::to_string(saved ? saved->size : 0));
    putField(out, "saved-hash", hex16(saved ? saved->hash : 0));
    putField(out, "saved-entries", saved ? runsOf(saved->keptEntries) : std::string());
    putField(out, "saved-log", std::to_string(saved ? saved->decisionCount : 0));
    putField(out, "unsaved", unsaved ? "1" : "0");
    putField(out, "check", hex16(checksum(out)));
    return out;
}

namespace {

std::optional<SavedCompanion> readSaved(FieldReader& in, bool& ok) {
    const auto path = in.field("saved-photos");
    const auto size = in.field("saved-size");
    const auto hash = in.field("saved-hash");
    const auto entries = in.field("saved-entries");
    const auto decisions = in.field("saved-log");
    ok = path && size && hash && entries && decisions;
    if (!ok)
        return std::nullopt;
    const auto sizeValue = wholeNumber<std::uint64_t>(*size);
    const auto decisionCount = wholeNumber<std::size_t>(*decisions);
    std::uint64_t hashValue = 0;
    const auto [end, ec] =
        std::from_chars(hash->data(), hash->data() + hash->size(), hashValue, 16);
    auto kept = readRuns(*entries);
    ok = sizeValue && decisionCount && kept && hash->size() == 16 && ec == std::errc() &&
         end == hash->data() + hash->size();
    if (!ok || path->empty())
        return std::nullopt;
    SavedCompanion saved;
    saved.path = std::string(*path);
    saved.size = *sizeValue;
    saved.hash = hashValue;
    saved.keptEntries = std::move(*kept);
    saved.decisionCount = *decisionCount;
    return saved;
}

} // namespace

std::variant<RecoverySnapshot, RecoverySnapshot::Unreadable>
RecoverySnapshot::read(std::string_view bytes) {
    const std::string_view heading = bytes.substr(0, kHeading.size());
    const int version = heading == kHeading                ? 3
                        : heading == kHeadingAllPhotos     ? 2
                        : heading == kHeadingWithoutPhotos ? 1
                                                           : 0;
    if (version == 0) {
        if (isOfLaterVersion(bytes))
            return Unreadable{"it was written by a later version of KORVEX", true};
        return Unreadable{"it is not a recovery copy of this program"};
    }
    const Unreadable damaged{"it is damaged or cut short"};
    FieldReader in(bytes.substr(kHeading.size()));
    // Which program wrote the copy: told, not needed to read it.
    if (version >= 3 && !in.field("written-by"))
        return damaged;
    RecoverySnapshot s;
    CatalogueState photosRead;
    const auto dataSet = in.field("data-set");
    if (!dataSet)
        return damaged;
    s.dataSet = std::string(*dataSet);
    for (std::string& v : s.values) {
        const auto value = in.field("value");
        if (!value)
            return damaged;
        v = std::string(*value);
    }
    const auto count = in.field("count");
    const auto record = in.field("record");
    const auto code = in.field("code");
    if (!count || !record || !code)
        return damaged;
    s.display.countText = std::string(*count);
    s.display.code = std::string(*code);
    const auto [end, ec] =
        std::from_chars(record->data(), record->data() + record->size(), s.display.recordNumber);
    if (ec != std::errc() || end != record->data() + record->size() || s.display.recordNumber < 1)
        return damaged;
    const auto labels = readFlags(in.field("labels"));
    const auto buttons = readFlags(in.field("buttons"));
    if (!labels || !buttons)
        return damaged;
    s.labelsLower = *labels;
    s.commandEnabled = *buttons;
    std::optional<std::string_view> photos;
    if (version >= 2) {
        photos = in.field("photos");
        const auto dataFile = in.field("data-file");
        if (!photos || !dataFile)
            return damaged;
        if (!dataFile->empty())
            photosRead.dataFilePath = std::string(*dataFile);
    }
    if (version >= 3) {
        bool ok = false;
        s.photosOnDisk = readSaved(in, ok);
        const auto unsaved = in.field("unsaved");
        if (!ok || !unsaved || (*unsaved != "0" && *unsaved != "1"))
            return damaged;
        s.unsaved = *unsaved == "1";
    }
    const std::size_t checked = kHeading.size() + in.position();
    const auto check = in.field("check");
    if (!check || !in.atEnd() || *check != hex16(checksum(bytes.substr(0, checked))))
        return damaged;
    if (photos) {
        // Read once the check has passed: a damaged copy says so, not why
        // its photos are unreadable.
        auto companion = PhotoCompanion::read(*photos, "");
        if (!companion.ok) {
            std::string reason = std::move(companion.error);
            if (!reason.empty() && reason.back() == '.')
                reason.pop_back();
            return Unreadable{"the photos and decisions it keeps cannot be read (" + reason + ")"};
        }
        photosRead.entries = SharedList<PhotoEntry>(std::move(companion.entries));
        photosRead.decisions = DecisionLog(std::move(companion.decisions));
        if (!companion.leftOut.empty())
            return Unreadable{"the repeat measurements or encounters it keeps cannot be read"};
        photosRead.repeats = SharedList<RepeatMeasurement>(std::move(companion.repeats));
        photosRead.encounters = SharedList<RecordEncounter>(std::move(companion.encounters));
    }
    s.photos = std::make_shared<const CatalogueState>(std::move(photosRead));
    return s;
}

RecoverySnapshot::SavedPhotos
RecoverySnapshot::takeSavedPhotos(const std::optional<std::string>& companion,
                                  const std::string& dataFolder) {
    if (!photosOnDisk)
        return SavedPhotos::Same;
    const SavedCompanion saved = std::move(*photosOnDisk);
    photosOnDisk.reset();
    CatalogueState whole;
    whole.dataFilePath = photos->dataFilePath;
    const auto read =
        companion ? PhotoCompanion::read(*companion, dataFolder) : PhotoCompanion::ReadResult{};
    SavedPhotos found = SavedPhotos::Missing;
    std::vector<Decision> decisions;
    std::vector<Decision> decisionsSince = photos->decisions.all().toVector();
    // The copy keeps every repeat and encounter itself.
    whole.repeats = photos->repeats;
    whole.encounters = photos->encounters;
    if (read.ok) {
        const bool same = companion->size() == saved.size &&
                          hashOfBytes(*companion) == saved.hash &&
                          saved.decisionCount <= read.decisions.size() &&
                          std::all_of(saved.keptEntries.begin(), saved.keptEntries.end(),
                                      [&](std::size_t i) { return i < read.entries.size(); });
        SavedCompanion now = saved;
        if (same) {
            found = SavedPhotos::Same;
            for (const std::size_t i : saved.keptEntries)
                whole.entries.push_back(read.entries[i]);
            decisions.assign(read.decisions.begin(),
                             read.decisions.begin() + static_cast<long>(saved.decisionCount));
        } else {
            // Nothing the file holds now is dropped: its entries of rows the
            // data set still has, and every decision, come before those made since.
            // A record given an entry since keeps that one: the first found wins.
            found = SavedPhotos::Changed;
            now.size = companion->size();
            now.hash = hashOfBytes(*companion);
            now.keptEntries.clear();
            std::set<std::pair<std::string_view, std::size_t>> madeSince;
            for (const PhotoEntry& entry : photos->entries)
                madeSince.insert({entry.recordLine, entry.occurrence});
            for (const PhotoEntry* entry :
                 PhotoCompanion::entriesForPieces(DataSet::splitPieces(dataSet), read.entries))
                if (entry && !madeSince.contains({entry->recordLine, entry->occurrence})) {
                    whole.entries.push_back(*entry);
                    now.keptEntries.push_back(
                        static_cast<std::size_t>(entry - read.entries.data()));
                }
            decisions = read.decisions;
            now.decisionCount = decisions.size();
            // Those the copy kept only because a mend changed one before them
            // are the file's own: each decision is taken once.
            decisionsSince = CatalogueMerge::missingHere({}, {}, DecisionLog(read.decisions), {},
                                                         {}, decisionsSince)
                                 .decisions;
            CatalogueMerge::Missing added;
            // It keeps nothing of the lists it compares: copies of them do.
            CatalogueMerge::addRepeatsAndEncounters(
                added, DataSet::splitPieces(dataSet), whole.repeats.toVector(),
                whole.encounters.toVector(), read.repeats, read.encounters);
            whole.repeats.append(added.repeats.begin(), added.repeats.end());
            whole.encounters.append(added.encounters.begin(), added.encounters.end());
        }
        whole.saved = std::move(now);
    }
    whole.entries.appendShared(photos->entries);
    decisions.insert(decisions.end(), decisionsSince.begin(), decisionsSince.end());
    whole.decisions = DecisionLog(std::move(decisions));
    photos = std::make_shared<const CatalogueState>(std::move(whole));
    return found;
}

} // namespace korvex
