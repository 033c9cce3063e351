#pragma once

#include "exchange/PhotoCompanion.h"
#include "model/DataSet.h"
#include "model/MeasurementSheet.h"
#include "model/PhotoEntry.h"
#include "model/RepeatMeasurement.h"
#include "model/SharedList.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Catalogue › "Measure Again…": records that keep a photo, picked at random
// from a seed the user sees and may give again, measured once more without
// their stored junctions. The window opens each target's photo with
// `photoToShow`, shows a cleared sheet, lets the user digitise and
// standardise as usual, and forwards "Keep the Repeat", "Skip" and "Stop"
// here. At the end it puts `userSheet` back and hands `kept` to the
// catalogue. The data set is never changed.
class MeasureAgainSession {
public:
    static constexpr std::size_t kDefaultCount = 10;

    struct Target {
        std::size_t recordNumber = 0; // in the data set, from 1
        const PhotoEntry* entry = nullptr;
    };

    // Up to `count` distinct records of `dataSet` that keep a photo in
    // `entries`, in a random order drawn from `seed` alone: the same seed,
    // data set and entries give the same targets on every machine. All of
    // them, in random order, when fewer keep a photo. The entries must
    // outlive the targets.
    static std::vector<Target> pick(const DataSet& dataSet, const std::vector<PhotoEntry>& entries,
                                    std::size_t count, std::uint64_t seed);
    // The same from a catalogue state's entries, which the targets then
    // point into (a template, so that `{}` still means no entries).
    template <class Entries>
    requires std::same_as<Entries, SharedList<PhotoEntry>>
    static std::vector<Target> pick(const DataSet& dataSet, const Entries& entries,
                                    std::size_t count, std::uint64_t seed) {
        return pickFrom(PhotoCompanion::entriesForPieces(recordPieces(dataSet), entries), count,
                        seed);
    }

    // `userSheet`: the sheet as the user had it, given back at the end.
    // `operatorName`: who measures, typed once per session; may be empty.
    MeasureAgainSession(std::vector<Target> targets, std::uint64_t seed, MeasurementSheet userSheet,
                        std::string operatorName);

    std::uint64_t seed() const { return seed_; }
    const std::vector<Target>& targets() const { return targets_; }
    // The target being measured (from 0), or targets().size() once finished.
    std::size_t position() const { return position_; }
    bool finished() const { return position_ >= targets_.size(); }
    // The current target; null once finished.
    const Target* current() const;

    // The current target's photo entry with every stored junction left out,
    // so the earlier clicks cannot guide the new ones.
    std::optional<PhotoEntry> photoToShow() const;

    // "Keep the Repeat": stores the repeat of the current target from the
    // sheet's 28 values and the junctions clicked, made at `measuredAt`
    // (UTC), then moves on. Does nothing once finished.
    void keep(const MeasurementSheet& sheet, const PhotoSegments& segments, std::string measuredAt);
    // "Skip": moves on without a repeat.
    void skip();
    // "Stop": ends the session; the repeats kept so far stay kept.
    void stop();

    const std::vector<RepeatMeasurement>& kept() const { return kept_; }
    const MeasurementSheet& userSheet() const { return userSheet_; }
    const std::string& operatorName() const { return operatorName_; }

private:
    // The pieces of `dataSet` that are records.
    static std::vector<std::string_view> recordPieces(const DataSet& dataSet);
    // `found[i]`: the entry of record i + 1, or null.
    static std::vector<Target> pickFrom(const std::vector<const PhotoEntry*>& found,
                                        std::size_t count, std::uint64_t seed);

    std::vector<Target> targets_;
    std::uint64_t seed_;
    MeasurementSheet userSheet_;
    std::string operatorName_;
    std::size_t position_ = 0;
    std::vector<RepeatMeasurement> kept_;
};

} // namespace korvex
