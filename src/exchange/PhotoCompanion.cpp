#include "exchange/PhotoCompanion.h"
#include "exchange/PhotoCompanionTokens.h"
#include "version/Version.h"

#include "model/Characters.h"
#include "model/RecordIdentity.h"
#include "model/RecordLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <utility>

namespace korvex::PhotoCompanion {

namespace {

namespace fs = std::filesystem;

// Points are written as whole hundredths of a pixel: far finer than any click,
// and whole numbers read several times faster than decimals, which matters
// for a catalogue of ten thousand fully digitised records (over a million
// numbers). The document names the scale, so a reader never has to know it.
constexpr std::int64_t kPointsPerPixel = 100;

const VerdictName& nameOf(Verdict verdict) {
    for (const VerdictName& name : kVerdicts)
        if (name.verdict == verdict)
            return name;
    return kVerdicts.back();
}

std::string hexOf(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0F]);
    }
    return hex;
}

// The document is written by hand rather than through a document tree: a
// catalogue of ten thousand fully digitised records holds over a million
// numbers, and building a tree for them would cost more than the file's whole
// writing.

void putText(std::string& out, std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out.push_back('"');
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out.push_back(kDigits[byte >> 4]);
                out.push_back(kDigits[byte & 0x0F]);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

void putKey(std::string& out, std::string_view key) {
    putText(out, key);
    out.push_back(':');
}

// JSON texts are UTF-8; bytes that are not (8-bit record lines from older
// files) go under the key with "Hex" appended instead.
void putBytes(std::string& out, std::string_view key, std::string_view bytes) {
    if (Characters::isValidUtf8(bytes)) {
        putKey(out, key);
        putText(out, bytes);
    } else {
        putKey(out, std::string(key) + std::string(kHexSuffix));
        putText(out, hexOf(bytes));
    }
}

template <typename Integer> void putInteger(std::string& out, Integer value) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end);
}

// A coordinate in hundredths of a pixel; beyond any photo's size it is clamped
// rather than overflowing.
std::int64_t pointOf(double pixels) {
    constexpr double kLimit = 1e15;
    return static_cast<std::int64_t>(
        std::llround(std::clamp(pixels * double(kPointsPerPixel), -kLimit, kLimit)));
}

// A photo beneath the data file's folder travels with it when the folder is
// copied or moved; anything else keeps its absolute path.
std::string storedPath(const std::string& photoPath, const fs::path& folder) {
    const fs::path photo = fs::path(photoPath).lexically_normal();
    if (photo.is_absolute() && folder.is_absolute()) {
        const fs::path relative = photo.lexically_relative(folder);
        if (!relative.empty() && *relative.begin() != ".." && *relative.begin() != ".")
            return relative.generic_string();
    }
    return photoPath;
}

// The seam names as written before a segment, "\"M1\":".
const std::array<std::string, MeasurementSheet::kRecordValueCount>& seamKeys() {
    static const auto keys = [] {
        std::array<std::string, MeasurementSheet::kRecordValueCount> k;
        for (std::size_t i = 0; i < k.size(); ++i)
            k[i] = "\"" + SpecimenRecord::seamName(i) + "\":";
        return k;
    }();
    return keys;
}

// A record by the identity rule, as the first fields of an item:
// "line":…,"occurrence":N
void putRecord(std::string& out, std::string_view line, std::size_t occurrence) {
    putBytes(out, "line", line);
    out += ",\"occurrence\":";
    putInteger(out, occurrence);
}

// "segments":{"M1":[…],…}; segments are [from x, from y, to x, to y] in
// hundredths of a pixel.
void putSegments(std::string& out, const PhotoSegments& segments) {
    out += "\"segments\":{";
    bool first = true;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const auto& s = segments[i];
        if (!s)
            continue;
        if (!first)
            out.push_back(',');
        first = false;
        out += seamKeys()[i];
        const double c[4] = {s->from.x, s->from.y, s->to.x, s->to.y};
        for (std::size_t k = 0; k < 4; ++k) {
            out.push_back(k == 0 ? '[' : ',');
            putInteger(out, pointOf(c[k]));
        }
        out.push_back(']');
    }
    out.push_back('}');
}

bool anyMeasuredInPixels(const PhotoEntry& entry) {
    return std::find(entry.measuredInPixels.begin(), entry.measuredInPixels.end(), true) !=
           entry.measuredInPixels.end();
}

void putEntry(std::string& out, const PhotoEntry& entry, const fs::path& folder) {
    out.push_back('{');
    putRecord(out, entry.recordLine, entry.occurrence);
    out.push_back(',');
    putBytes(out, "photo", storedPath(entry.photoPath, folder));
    out += ",\"width\":";
    putInteger(out, entry.widthPixels);
    out += ",\"height\":";
    putInteger(out, entry.heightPixels);
    out += ",\"appended\":";
    putText(out, entry.appendedAt);
    out.push_back(',');
    putSegments(out, entry.segments);
    // Left out when no group was: an entry then reads as the older versions wrote it.
    if (anyMeasuredInPixels(entry)) {
        out += ",\"measuredInPixels\":[";
        bool first = true;
        for (std::size_t g = 0; g < kGroupNames.size(); ++g)
            if (entry.measuredInPixels[g]) {
                out += first ? "" : ",";
                first = false;
                putText(out, kGroupNames[g]);
            }
        out.push_back(']');
    }
    out.push_back('}');
}

void putRepeat(std::string& out, const RepeatMeasurement& repeat) {
    out.push_back('{');
    putRecord(out, repeat.recordLine, repeat.occurrence);
    out.push_back(',');
    putBytes(out, "values", repeat.values);
    out += ",\"measured\":";
    putText(out, repeat.measuredAt);
    out.push_back(',');
    putBytes(out, "operator", repeat.operatorName);
    out.push_back(',');
    putSegments(out, repeat.segments);
    out.push_back('}');
}

// A text field, left out when empty: ,"site":"…"
void putOptionalBytes(std::string& out, std::string_view key, std::string_view bytes) {
    if (bytes.empty())
        return;
    out.push_back(',');
    putBytes(out, key, bytes);
}

void putDegrees(std::string& out, std::string_view key, const std::optional<double>& degrees) {
    if (!degrees)
        return;
    out.push_back(',');
    putKey(out, key);
    // The shortest text that reads back as the same number.
    char buffer[32];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, *degrees).ptr);
}

void putEncounter(std::string& out, const RecordEncounter& held) {
    const Encounter& e = held.encounter;
    out.push_back('{');
    putRecord(out, held.recordLine, held.occurrence);
    putOptionalBytes(out, "date", e.dateText());
    putOptionalBytes(out, "site", e.site);
    putDegrees(out, "latitude", e.latitude);
    putDegrees(out, "longitude", e.longitude);
    putOptionalBytes(out, "observer", e.observer);
    putOptionalBytes(out, "note", e.note);
    out.push_back('}');
}

// ,\n"key": [\nitem,\nitem\n]; one item a line: readable, and a changed
// record shows as one changed line.
template <class Items, class Put>
void putList(std::string& out, std::string_view key, const Items& items, Put put) {
    out += ",\n";
    putKey(out, key);
    out += " [";
    for (std::size_t i = 0; i < items.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        put(out, items[i]);
    }
    out += "\n]";
}

void putIdentity(std::string& out, const RecordIdentity& identity) {
    out.push_back('{');
    putBytes(out, "code", identity.code);
    out.push_back(',');
    putBytes(out, "line", identity.recordLine);
    out += ",\"occurrence\":";
    putInteger(out, identity.occurrence);
    out.push_back('}');
}

void putDecision(std::string& out, const Decision& decision) {
    out += "{\"query\":";
    putIdentity(out, decision.query);
    out += ",\"candidate\":";
    putIdentity(out, decision.candidate);
    out += ",\"verdict\":";
    putText(out, nameOf(decision.verdict).token);
    out += ",\"measure\":";
    putText(out, decision.measure);
    out.push_back(',');
    putBytes(out, "distance", decision.distance);
    out += ",\"decided\":";
    putText(out, decision.decidedAt);
    out.push_back('}');
}

} // namespace

std::string companionPathFor(const std::string& dataFilePath) {
    return dataFilePath + std::string(kSuffix);
}

namespace {

template <class Entries, class Decisions, class Repeats, class Encounters>
std::string writeDocument(const Entries& entries, const std::string& dataFolder,
                          const Decisions& decisions, const Repeats& repeats,
                          const Encounters& encounters) {
    const fs::path folder = fs::path(dataFolder).lexically_normal();
    std::size_t size = 128;
    for (const PhotoEntry& entry : entries)
        size += 160 + 2 * entry.recordLine.size() + entry.photoPath.size() +
                entry.appendedAt.size() + 48 * entry.segments.size();
    for (const Decision& decision : decisions)
        size += 200 + 2 * (decision.query.recordLine.size() + decision.candidate.recordLine.size());
    for (const RepeatMeasurement& repeat : repeats)
        size += 160 + 2 * (repeat.recordLine.size() + repeat.values.size()) +
                48 * repeat.segments.size();
    for (const RecordEncounter& held : encounters)
        size += 200 + 2 * held.recordLine.size() + held.encounter.site.size() +
                held.encounter.note.size();
    std::string out;
    out.reserve(size);
    out += "{\n\"format\": ";
    putText(out, kFormatName);
    const bool third = !repeats.empty() || !encounters.empty() ||
                       std::any_of(entries.begin(), entries.end(), anyMeasuredInPixels);
    const int version = third                ? kFormatVersion
                        : !decisions.empty() ? kFormatVersionWithDecisions
                                             : kFormatVersionWithoutDecisions;
    // Which program wrote the file; readers, older ones too, pass over it.
    out += ",\n\"writtenBy\": ";
    putText(out, "KORVEX " + std::string(kVersion));
    out += ",\n\"version\": " + std::to_string(version) +
           ",\n\"pointsPerPixel\": " + std::to_string(kPointsPerPixel) + ",\n\"entries\": [";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        putEntry(out, entries[i], folder);
    }
    out += "\n]";
    if (!decisions.empty())
        putList(out, "decisions", decisions, putDecision);
    // After the photos and decisions, which a fault in these leaves readable.
    if (!repeats.empty())
        putList(out, "repeats", repeats, putRepeat);
    if (!encounters.empty())
        putList(out, "encounters", encounters, putEncounter);
    out += "\n}\n";
    return out;
}

template <class Entries>
std::vector<const PhotoEntry*> entriesOf(const std::vector<std::string_view>& pieces,
                                         const Entries& entries) {
    IdentityMap<const PhotoEntry*> byKey;
    for (const PhotoEntry& entry : entries)
        byKey.emplace(std::pair{std::string_view(entry.recordLine), entry.occurrence}, &entry);
    std::vector<const PhotoEntry*> found(pieces.size(), nullptr);
    OccurrenceCounter occurrences;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::size_t occurrence = occurrences.next(pieces[i]);
        if (const auto it = byKey.find({pieces[i], occurrence}); it != byKey.end())
            found[i] = it->second;
    }
    return found;
}

} // namespace

std::string write(const std::vector<PhotoEntry>& entries, const std::string& dataFolder,
                  const std::vector<Decision>& decisions,
                  const std::vector<RepeatMeasurement>& repeats,
                  const std::vector<RecordEncounter>& encounters) {
    return writeDocument(entries, dataFolder, decisions, repeats, encounters);
}

std::string writeLists(const SharedList<PhotoEntry>& entries, const std::string& dataFolder,
                       const SharedList<Decision>& decisions,
                       const SharedList<RepeatMeasurement>& repeats,
                       const SharedList<RecordEncounter>& encounters) {
    return writeDocument(entries, dataFolder, decisions, repeats, encounters);
}

std::vector<const PhotoEntry*> entriesForPieces(const std::vector<std::string_view>& pieces,
                                                const std::vector<PhotoEntry>& entries) {
    return entriesOf(pieces, entries);
}

std::vector<const PhotoEntry*> entriesForPieces(const std::vector<std::string_view>& pieces,
                                                const SharedList<PhotoEntry>& entries) {
    return entriesOf(pieces, entries);
}

} // namespace korvex::PhotoCompanion
