#include "uilogic/PhotoRecords.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace korvex {

namespace {

using Icon = PlatformServices::Icon;

std::string folderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

} // namespace

PhotoRecords::PhotoRecords(PlatformServices& services, DigitisingModel& digitising,
                           std::string title)
    : services_(services), digitising_(digitising), title_(std::move(title)) {}

PhotoRecords::Key PhotoRecords::keyOf(const std::vector<std::string_view>& pieces,
                                      std::size_t index) {
    return {std::string(pieces[index]), PhotoCompanion::occurrenceOf(pieces, index)};
}

const PhotoEntry* PhotoRecords::entryFor(const Key& key) const {
    for (const PhotoEntry& entry : state_->entries)
        if (entry.recordLine == key.line && entry.occurrence == key.occurrence)
            return &entry;
    return nullptr;
}

void PhotoRecords::message(const std::string& text, PlatformServices::Icon icon) {
    services_.messageBox(text, title_, icon, PlatformServices::Buttons::Ok);
}

void PhotoRecords::recordAppended(const DataSet& dataSet, std::string_view line) {
    const auto size = digitising_.photoSize();
    const auto& segments = digitising_.segments();
    if (!openPhoto_ || !size ||
        std::none_of(segments.begin(), segments.end(), [](const auto& s) { return s.has_value(); }))
        return;
    // The appended line ends the text, followed by CR LF; its record is the
    // piece it begins (a line holding a CR LF of its own spans two pieces).
    const std::string_view text = dataSet.text();
    const std::size_t start = text.size() - line.size() - DataSet::kLineEnd.size();
    const auto pieces = dataSet.pieces();
    const Key key = keyOf(pieces, DataSet::countLineEnds(text.substr(0, start)));
    PhotoEntry entry;
    entry.recordLine = key.line;
    entry.occurrence = key.occurrence;
    entry.photoPath = *openPhoto_;
    entry.widthPixels = size->width;
    entry.heightPixels = size->height;
    entry.segments = segments;
    entry.appendedAt = services_.currentTimeUtc();
    change([&](State& next) { next.entries.push_back(std::move(entry)); });
}

void PhotoRecords::recordShown(const DataSet& dataSet, long long recordNumber) {
    const auto pieces = dataSet.pieces();
    shown_.reset();
    if (recordNumber >= 1 && static_cast<unsigned long long>(recordNumber) <= pieces.size())
        shown_ = keyOf(pieces, static_cast<std::size_t>(recordNumber - 1));
}

void PhotoRecords::recordDecision(Decision decision) {
    change([&](State& next) { next.decisions.push_back(std::move(decision)); });
}

const Decision* PhotoRecords::latestDecisionFor(const RecordIdentity& query,
                                                const RecordIdentity& candidate) const {
    const auto samePair = [&](const Decision& d) {
        return (d.query == query && d.candidate == candidate) ||
               (d.query == candidate && d.candidate == query);
    };
    const auto& decisions = state_->decisions;
    const auto last = std::find_if(decisions.rbegin(), decisions.rend(), samePair);
    return last == decisions.rend() ? nullptr : &*last;
}

void PhotoRecords::forgetPhotos() {
    // The decisions stay: a log is history, and the next save to the data
    // file must not lose it.
    state_ = std::make_shared<const State>(State{{}, state_->decisions, state_->dataFilePath});
    shown_.reset();
}

void PhotoRecords::restore(std::shared_ptr<const State> state) {
    state_ = state ? std::move(state) : std::make_shared<const State>();
    shown_.reset();
}

void PhotoRecords::loadCompanion(const std::string& dataFilePath, const DataSet& dataSet) {
    State loaded;
    loaded.dataFilePath = dataFilePath;
    state_ = std::make_shared<const State>(loaded);
    shown_.reset();
    const std::string companion = PhotoCompanion::companionPathFor(dataFilePath);
    if (!services_.fileExists(companion))
        return;
    const auto file = services_.readFile(companion);
    const auto read = file.ok ? PhotoCompanion::read(file.bytes, folderOf(dataFilePath))
                              : PhotoCompanion::ReadResult{false, {}, file.error, {}};
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
    const auto pieces = dataSet.pieces();
    for (const PhotoEntry* entry : PhotoCompanion::entriesForPieces(pieces, read.entries))
        if (entry)
            loaded.entries.push_back(*entry);
    loaded.decisions = read.decisions;
    state_ = std::make_shared<const State>(std::move(loaded));
}

bool PhotoRecords::keepAside(const std::string& companion) {
    const auto file = services_.readFile(companion);
    if (file.ok && PhotoCompanion::read(file.bytes, folderOf(companion)).ok)
        return true; // a companion this program reads is simply replaced
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

bool PhotoRecords::saveCompanion(const std::string& dataFilePath, const DataSet& dataSet) {
    if (state_->dataFilePath != dataFilePath)
        change([&](State& next) { next.dataFilePath = dataFilePath; });
    const std::vector<PhotoEntry>& entries = state_->entries;
    const std::vector<Decision>& decisions = state_->decisions;
    const std::string companion = PhotoCompanion::companionPathFor(dataFilePath);
    std::vector<PhotoEntry> kept;
    for (const PhotoEntry* entry : PhotoCompanion::entriesForPieces(dataSet.pieces(), entries))
        if (entry)
            kept.push_back(*entry);
    const bool exists = services_.fileExists(companion);
    if (kept.empty() && decisions.empty() && !exists)
        return true; // nothing to remember: no companion beside the data file
    if (exists && !keepAside(companion))
        return false;
    const auto written = services_.writeFile(
        companion, PhotoCompanion::write(kept, folderOf(dataFilePath), decisions));
    if (!written.ok) {
        message("The data were saved, but the photos of the records could not be saved to " +
                    quoted(companion) + ": " + written.error,
                Icon::Critical);
        return false;
    }
    return true;
}

std::vector<std::string> PhotoRecords::placesFor(const PhotoEntry& entry) const {
    std::vector<std::string> places{entry.photoPath};
    if (const auto& dataFile = state_->dataFilePath)
        places.push_back((std::filesystem::path(folderOf(*dataFile)) /
                          std::filesystem::path(entry.photoPath).filename())
                             .string());
    return places;
}

PhotoRecords::Located PhotoRecords::locate(const std::string& recordLine,
                                           std::size_t occurrence) const {
    Located located;
    located.entry = entryFor({recordLine, occurrence});
    if (!located.entry)
        return located;
    for (const std::string& place : placesFor(*located.entry)) {
        located.tried.push_back(place);
        if (services_.fileExists(place)) {
            located.path = place;
            break;
        }
    }
    return located;
}

std::optional<std::string> PhotoRecords::findPhoto(const PhotoEntry& entry) {
    const auto places = placesFor(entry);
    for (const std::string& place : places)
        if (services_.fileExists(place))
            return place;
    std::string text = "The photo of the record was not found at " + quoted(places.front());
    if (places.size() > 1)
        text += " nor beside the data file at " + quoted(places.back());
    message(text + ".", Icon::Warning);
    return std::nullopt;
}

DigitisingModel::Segments PhotoRecords::segmentsAtSize(const PhotoEntry& entry, int width,
                                                       int height) {
    DigitisingModel::Segments segments = entry.segments;
    // A copy saved at another size still shows the junctions in their places.
    if (entry.widthPixels <= 0 || entry.heightPixels <= 0 ||
        (width == entry.widthPixels && height == entry.heightPixels))
        return segments;
    const double sx = double(width) / entry.widthPixels;
    const double sy = double(height) / entry.heightPixels;
    for (auto& s : segments)
        if (s)
            s = PhotoSegment{{s->from.x * sx, s->from.y * sy}, {s->to.x * sx, s->to.y * sy}};
    return segments;
}

void PhotoRecords::openRecordPhoto() {
    if (!shown_) {
        message("No record has been shown yet. Show one with \"-\", \"+\" or Select Record, then "
                "open its photo.",
                Icon::Information);
        return;
    }
    const PhotoEntry* entry = entryFor(*shown_);
    if (!entry) {
        message("The record shown last keeps no photo.", Icon::Information);
        return;
    }
    const PhotoEntry found = *entry;
    const auto path = findPhoto(found);
    if (!path)
        return;
    const auto picture = services_.loadPicture(*path);
    if (!picture.ok) {
        message("The photo " + quoted(*path) + " could not be opened: " + picture.error,
                Icon::Critical);
        return;
    }
    if (!digitising_.OpenPicture(*path, picture.widthTwips, picture.heightTwips, picture.picture))
        return;
    photoOpened(*path);
    const auto size = digitising_.photoSize();
    digitising_.restoreSegments(size ? segmentsAtSize(found, size->width, size->height)
                                     : found.segments);
}

} // namespace korvex
