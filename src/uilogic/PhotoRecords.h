#pragma once

#include "exchange/PhotoCompanion.h"
#include "model/DataSet.h"
#include "uilogic/DigitisingModel.h"
#include "uilogic/PlatformServices.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvex {

// What the records of the data set remember of their photos, free of any
// window toolkit: the entry made when a record is appended with a photo open,
// the log of decisions made on checking candidates, the companion file beside
// the data file, and opening a record's photo again with its junctions. The
// data file itself is never touched here.
class PhotoRecords {
public:
    static constexpr std::string_view kBrokenSuffix = ".broken";

    // `title` is the title of the messages shown.
    PhotoRecords(PlatformServices& services, DigitisingModel& digitising, std::string title);

    // The entries and decisions are valid until the next change.
    const std::vector<PhotoEntry>& entries() const { return state_->entries; }
    // Every decision in the order made, also those of records no longer in
    // the data set: a log is history.
    const std::vector<Decision>& decisions() const { return state_->decisions; }

    // Adds a decision to the log; an earlier one of the same pair stays.
    void recordDecision(Decision decision);
    // The last decision of the pair, in either orientation (the query checked
    // against the candidate or the other way round), or null.
    const Decision* latestDecisionFor(const RecordIdentity& query,
                                      const RecordIdentity& candidate) const;
    // What a recovery copy keeps of the photos: the entries, the log of
    // decisions and the data file last loaded or saved. The open photo is
    // left out: it belongs to the picture on screen, which a restore does not
    // open again, and keeping its path would tie the next record appended to
    // a photo that is not shown.
    //
    // A state handed out never changes (each change makes a new one), so it
    // is shared rather than copied with every recovery copy, and may be read
    // by another thread.
    struct State {
        std::vector<PhotoEntry> entries;
        std::vector<Decision> decisions;
        std::optional<std::string> dataFilePath;

        bool operator==(const State&) const = default;
    };
    std::shared_ptr<const State> state() const { return state_; }
    // Takes back a state handed out by state(), as it was; the open photo
    // stays, and no record counts as shown until one is.
    void restore(std::shared_ptr<const State> state);

    // The photo the user opened last, while it is shown.
    const std::optional<std::string>& openPhoto() const { return openPhoto_; }

    // A photo was opened and is shown; the scheme or a failed open says nothing.
    void photoOpened(const std::string& path) { openPhoto_ = path; }

    // `line` was just appended to `dataSet`. With a photo open and at least
    // one length clicked on it, the new record keeps the photo and segments.
    void recordAppended(const DataSet& dataSet, std::string_view line);

    // The sheet shows record `recordNumber` (from 1) of `dataSet`.
    void recordShown(const DataSet& dataSet, long long recordNumber);

    // The data set was replaced by one that carries no photos (the
    // clipboard); the decisions made are kept.
    void forgetPhotos();

    // `dataSet` was just loaded from `dataFilePath`: reads its companion, the
    // photos of the records still there and every decision. A missing
    // companion is normal and says nothing; one that cannot be read gives one
    // message naming the file and the reason, and the records load without
    // photos or decisions.
    void loadCompanion(const std::string& dataFilePath, const DataSet& dataSet);

    // The data file `dataFilePath` was just written from `dataSet`: writes the
    // companion beside it, when a record keeps a photo or a decision was made,
    // keeping a copy of a companion that could not be read aside before
    // replacing it. Returns false, after a message, when the photos could not
    // be saved.
    bool saveCompanion(const std::string& dataFilePath, const DataSet& dataSet);

    // "Open the Record's Photo": the photo of the record shown last, with its
    // remembered junctions. A photo that is no longer at its path is looked
    // for by file name beside the data file; every failure is a message.
    void openRecordPhoto();

    // Where the photo of a record is, looked for as openRecordPhoto looks but
    // without a message: the entry of the line (nothing when it keeps no
    // photo), the path found and every place tried.
    struct Located {
        const PhotoEntry* entry = nullptr;
        std::optional<std::string> path;
        std::vector<std::string> tried;
    };
    Located locate(const std::string& recordLine, std::size_t occurrence) const;
    // The entry's segments on a copy of its photo `width` x `height` pixels.
    static DigitisingModel::Segments segmentsAtSize(const PhotoEntry& entry, int width, int height);

private:
    struct Key {
        std::string line;
        std::size_t occurrence = 1;
    };
    static Key keyOf(const std::vector<std::string_view>& pieces, std::size_t index);
    const PhotoEntry* entryFor(const Key& key) const;
    void message(const std::string& text, PlatformServices::Icon icon);
    // The photo's path, or nothing after a message naming the places tried.
    std::optional<std::string> findPhoto(const PhotoEntry& entry);
    // The path stored, then the same file name beside the data file.
    std::vector<std::string> placesFor(const PhotoEntry& entry) const;
    bool keepAside(const std::string& companion);
    // A change is made on a copy that then replaces the state: one handed
    // out stays as it was.
    template <class Change> void change(Change&& apply) {
        State next = *state_;
        apply(next);
        state_ = std::make_shared<const State>(std::move(next));
    }

    PlatformServices& services_;
    DigitisingModel& digitising_;
    std::string title_;
    // Replaced whole by every change, never null. Its data file is the one
    // last loaded or saved: relative photo paths and the search for a moved
    // photo start from its folder.
    std::shared_ptr<const State> state_ = std::make_shared<const State>();
    std::optional<std::string> openPhoto_;
    std::optional<Key> shown_;
};

} // namespace korvex
