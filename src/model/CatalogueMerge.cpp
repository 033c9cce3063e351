#include "model/CatalogueMerge.h"

#include "model/RecordIdentity.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace korvex::CatalogueMerge {

std::size_t Missing::photoCount() const {
    return photosOfHeld.size() + static_cast<std::size_t>(std::count_if(
                                     records.begin(), records.end(),
                                     [](const Record& r) { return r.photo.has_value(); }));
}

Missing missingHere(const std::vector<std::string_view>& heldPieces,
                    const std::vector<PhotoEntry>& heldEntries, const DecisionLog& held,
                    const std::vector<std::string_view>& otherPieces,
                    const std::vector<const PhotoEntry*>& otherPhotos,
                    const std::vector<Decision>& otherDecisions) {
    Missing missing;
    std::map<std::string_view, std::size_t> heldCount;
    for (const std::string_view piece : heldPieces)
        if (!piece.empty())
            ++heldCount[piece];
    const auto keepsPhotoHere = [&](std::string_view line, std::size_t occurrence) {
        return std::any_of(heldEntries.begin(), heldEntries.end(), [&](const PhotoEntry& e) {
            return e.occurrence == occurrence && e.recordLine == line;
        });
    };
    OccurrenceCounter occurrences;
    for (std::size_t i = 0; i < otherPieces.size(); ++i) {
        const std::string_view line = otherPieces[i];
        if (line.empty())
            continue;
        const std::size_t occurrence = occurrences.next(line);
        const PhotoEntry* photo = i < otherPhotos.size() ? otherPhotos[i] : nullptr;
        if (occurrence > heldCount[line]) {
            Missing::Record record{std::string(line), std::nullopt};
            if (photo)
                record.photo = *photo;
            missing.records.push_back(std::move(record));
        } else if (photo && !keepsPhotoHere(line, occurrence)) {
            missing.photosOfHeld.push_back(*photo);
        }
    }
    std::vector<bool> matched(held.size(), false);
    for (const Decision& decision : otherDecisions) {
        bool found = false;
        for (std::size_t k = 0; k < held.size() && !found; ++k)
            if (!matched[k] && held.all()[k] == decision)
                found = matched[k] = true;
        if (!found)
            missing.decisions.push_back(decision);
    }
    return missing;
}

void addRepeatsAndEncounters(Missing& missing, const std::vector<std::string_view>& otherPieces,
                             const std::vector<RepeatMeasurement>& heldRepeats,
                             const std::vector<RecordEncounter>& heldEncounters,
                             const std::vector<RepeatMeasurement>& otherRepeats,
                             const std::vector<RecordEncounter>& otherEncounters,
                             const std::vector<RecordEncounter>& sharedEncounters) {
    using Identity = std::pair<std::string_view, std::size_t>;
    std::set<Identity> records;
    OccurrenceCounter occurrences;
    for (const std::string_view piece : otherPieces)
        if (!piece.empty())
            records.insert({piece, occurrences.next(piece)});
    const auto sameRepeat = [](const RepeatMeasurement& a, const RepeatMeasurement& b) {
        return a.occurrence == b.occurrence && a.recordLine == b.recordLine &&
               a.values == b.values && a.measuredAt == b.measuredAt &&
               a.operatorName == b.operatorName;
    };
    for (const RepeatMeasurement& repeat : otherRepeats)
        if (records.contains({repeat.recordLine, repeat.occurrence}) &&
            std::none_of(heldRepeats.begin(), heldRepeats.end(),
                         [&](const RepeatMeasurement& held) { return sameRepeat(held, repeat); }))
            missing.repeats.push_back(repeat);
    const auto byRecord = [](const std::vector<RecordEncounter>& all) {
        std::map<Identity, const Encounter*> found;
        for (const RecordEncounter& e : all)
            found.emplace(Identity{e.recordLine, e.occurrence}, &e.encounter);
        return found;
    };
    const auto held = byRecord(heldEncounters);
    const auto shared = byRecord(sharedEncounters);
    for (const RecordEncounter& other : otherEncounters) {
        const Identity record{other.recordLine, other.occurrence};
        if (!records.contains(record))
            continue;
        const auto here = held.find(record);
        const auto before = shared.find(record);
        const Encounter* common = before == shared.end() ? nullptr : before->second;
        const bool take =
            here == held.end()
                // Not here: new there, or changed there since this copy removed it.
                ? !common || !(*common == other.encounter)
                // Here: taken only where this copy left it as it was.
                : !(*here->second == other.encounter) && common && *here->second == *common;
        if (take)
            missing.encounters.push_back(other);
    }
}

} // namespace korvex::CatalogueMerge
