#include "uilogic/MeasureAgainSession.h"

#include "exchange/PhotoCompanion.h"
#include "model/RecordLine.h"

#include <algorithm>
#include <utility>

namespace korvex {

namespace {

// SplitMix64: a generator fully defined here, since the standard library's
// distributions and shuffle may draw differently from one library to another,
// and a seed is only worth showing if it picks the same records everywhere.
class SeedSequence {
public:
    explicit SeedSequence(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 .. bound - 1; the bias of the remainder is below 2^-40 for any
    // catalogue this program can hold.
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }

private:
    std::uint64_t state_;
};

} // namespace

std::vector<std::string_view> MeasureAgainSession::recordPieces(const DataSet& dataSet) {
    auto pieces = dataSet.pieces();
    // The piece after the final CR LF is no record.
    if (!pieces.empty())
        pieces.pop_back();
    return pieces;
}

std::vector<MeasureAgainSession::Target>
MeasureAgainSession::pickFrom(const std::vector<const PhotoEntry*>& found, std::size_t count,
                              std::uint64_t seed) {
    std::vector<Target> candidates;
    for (std::size_t i = 0; i < found.size(); ++i)
        if (found[i])
            candidates.push_back({i + 1, found[i]});
    // The first `count` places of a Fisher-Yates shuffle.
    SeedSequence random(seed);
    const std::size_t take = std::min(count, candidates.size());
    for (std::size_t i = 0; i < take; ++i)
        std::swap(candidates[i], candidates[i + random.below(candidates.size() - i)]);
    candidates.resize(take);
    return candidates;
}

std::vector<MeasureAgainSession::Target>
MeasureAgainSession::pick(const DataSet& dataSet, const std::vector<PhotoEntry>& entries,
                          std::size_t count, std::uint64_t seed) {
    return pickFrom(PhotoCompanion::entriesForPieces(recordPieces(dataSet), entries), count, seed);
}

MeasureAgainSession::MeasureAgainSession(std::vector<Target> targets, std::uint64_t seed,
                                         MeasurementSheet userSheet, std::string operatorName)
    : targets_(std::move(targets)), seed_(seed), userSheet_(std::move(userSheet)),
      operatorName_(std::move(operatorName)) {}

const MeasureAgainSession::Target* MeasureAgainSession::current() const {
    return finished() ? nullptr : &targets_[position_];
}

std::optional<PhotoEntry> MeasureAgainSession::photoToShow() const {
    const Target* target = current();
    if (!target)
        return std::nullopt;
    PhotoEntry shown = *target->entry;
    shown.segments = {};
    return shown;
}

void MeasureAgainSession::keep(const MeasurementSheet& sheet, const PhotoSegments& segments,
                               std::string measuredAt) {
    const Target* target = current();
    if (!target)
        return;
    RepeatMeasurement repeat;
    repeat.recordLine = target->entry->recordLine;
    repeat.occurrence = target->entry->occurrence;
    // The record line of an empty code is the values with their TABs.
    repeat.values = SpecimenRecord::BuildRecordLine("", sheet);
    repeat.segments = segments;
    repeat.measuredAt = std::move(measuredAt);
    repeat.operatorName = operatorName_;
    kept_.push_back(std::move(repeat));
    ++position_;
}

void MeasureAgainSession::skip() {
    if (!finished())
        ++position_;
}

void MeasureAgainSession::stop() {
    position_ = targets_.size();
}

} // namespace korvex
