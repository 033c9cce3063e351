#include "uilogic/PhotoRecords.h"

#include "exchange/PhotoExif.h"
#include "model/SheetFill.h"
#include "uilogic/PathText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>

namespace korvex {

namespace {

using Icon = PlatformServices::Icon;

// The sheet may have changed since the record was shown (a value typed, a
// group clicked on the scheme, another record filled in): a junction goes
// back only beside a value that is still the record's own, so that moving
// it or measuring from it never rewrites what the user gave the sheet since;
// a group counts as measured from its junctions only while all its values are
// the record's.
void keepBesideOwnValues(const MeasurementSheet& sheet, std::string_view recordLine,
                         DigitisingModel::Segments& segments,
                         std::array<bool, kLabelledGroups.size()>& measured) {
    std::array<std::optional<std::string_view>, MeasurementSheet::kRecordValueCount> own{};
    fillRecordValues(recordLine, [&own](std::size_t at, std::string_view value) {
        if (at < own.size())
            own[at] = value;
    });
    for (std::size_t g = 0; g < kLabelledGroups.size(); ++g) {
        const SeamGroup& group = seamGroup(kLabelledGroups[g]);
        for (std::size_t i = 0; i < group.count; ++i) {
            const std::size_t at = group.firstSheetIndex + i;
            if (own[at] && sheet.cell(group.id, i) == *own[at])
                continue;
            segments[at].reset();
            measured[g] = false;
        }
    }
}

// "6000 × 4000 pixels".
std::string pixelsText(int width, int height) {
    return std::to_string(width) + " \xC3\x97 " + std::to_string(height) + " pixels";
}

} // namespace

PhotoRecords::PhotoRecords(PlatformServices& services, DigitisingModel& digitising,
                           const Document& document, std::string title)
    : services_(services), digitising_(digitising), document_(document), title_(std::move(title)) {}

void PhotoRecords::message(const std::string& text, PlatformServices::Icon icon) {
    services_.messageBox(text, title_, icon, PlatformServices::Buttons::Ok);
}

void PhotoRecords::photoOpened(const std::string& path, const std::string& damage) {
    openPhoto_ = path;
    originNote_.clear();
    damageNote_ =
        damage.empty() ? std::string() : "The photo " + quoted(path) + " is damaged: " + damage;
    if (const std::string refused = PhotoExif::read(path).problem; !refused.empty())
        damageNote_ += (damageNote_.empty() ? "" : " ") + refused +
                       " A record appended on this photo gets its encounter without that "
                       "value: give it with Catalogue › \"Encounter…\".";
}

std::optional<PhotoEntry> PhotoRecords::entryForAppend() const {
    const auto size = digitising_.photoSize();
    const auto& segments = digitising_.segments();
    if (!openPhoto_ || !size ||
        std::none_of(segments.begin(), segments.end(), [](const auto& s) { return s.has_value(); }))
        return std::nullopt;
    PhotoEntry entry;
    entry.photoPath = *openPhoto_;
    entry.widthPixels = size->width;
    entry.heightPixels = size->height;
    entry.segments = segments;
    for (std::size_t g = 0; g < kLabelledGroups.size(); ++g)
        entry.measuredInPixels[g] = digitising_.measuredInPhotoPixels(kLabelledGroups[g]);
    entry.appendedAt = services_.currentTimeUtc();
    return entry;
}

std::string PhotoRecords::originOf(const PhotoEntry& entry) {
    static constexpr std::array<const char*, 4> kNames = {"M1\xE2\x80\x93M8", "M9\xE2\x80\x93M16",
                                                          "C1\xE2\x80\x93"
                                                          "C6",
                                                          "C7\xE2\x80\x93"
                                                          "C12"};
    static_assert(kNames.size() == kLabelledGroups.size());
    std::vector<std::string> groups;
    for (std::size_t g = 0; g < kNames.size(); ++g)
        if (entry.measuredInPixels[g])
            groups.emplace_back(kNames[g]);
    if (groups.empty())
        return {};
    std::string list;
    for (std::size_t i = 0; i < groups.size(); ++i)
        list += (i == 0 ? "" : i + 1 == groups.size() ? " and " : ", ") + groups[i];
    return "This record's " + list + (groups.size() == 1 ? " was" : " were") +
           " measured in photo pixels from the junctions shown" +
           (groups.size() == kNames.size() ? "."
                                           : "; its other values were clicked on the picture "
                                             "as shown then.");
}

void PhotoRecords::recordShown(long long recordNumber) {
    shown_.reset();
    if (recordNumber >= 1 &&
        static_cast<unsigned long long>(recordNumber) <= document_.dataSet().pieceCount()) {
        const auto pieces = document_.dataSet().pieces();
        const auto index = static_cast<std::size_t>(recordNumber - 1);
        shown_ = RecordIdentity{"", std::string(pieces[index]), occurrenceOf(pieces, index)};
    }
}

std::vector<std::string> PhotoRecords::placesFor(const PhotoEntry& entry) const {
    std::vector<std::string> places{entry.photoPath};
    if (const auto& dataFile = document_.dataFilePath())
        places.push_back((std::filesystem::path(folderOf(*dataFile)) /
                          std::filesystem::path(entry.photoPath).filename())
                             .string());
    return places;
}

PhotoRecords::Located PhotoRecords::locate(const std::string& recordLine,
                                           std::size_t occurrence) const {
    Located located;
    located.entry = document_.photoEntryOf(recordLine, occurrence);
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

bool PhotoRecords::sameShape(const PhotoEntry& entry, int width, int height) {
    if (entry.widthPixels <= 0 || entry.heightPixels <= 0)
        return true;
    // A copy's sides are each rounded to a whole pixel.
    const double apart =
        std::abs(double(width) * entry.heightPixels - double(height) * entry.widthPixels);
    return apart <= double(entry.widthPixels) + entry.heightPixels;
}

DigitisingModel::Segments PhotoRecords::segmentsAtSize(const PhotoEntry& entry, int width,
                                                       int height) {
    DigitisingModel::Segments segments = entry.segments;
    // A copy saved at another size still shows the junctions in their places.
    if (entry.widthPixels <= 0 || entry.heightPixels <= 0 ||
        (width == entry.widthPixels && height == entry.heightPixels))
        return segments;
    if (!sameShape(entry, width, height))
        return {};
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
    const PhotoEntry* entry = document_.photoEntryOf(shown_->recordLine, shown_->occurrence);
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
    photoOpened(*path, picture.damage);
    const auto size = digitising_.photoSize();
    DigitisingModel::Segments segments =
        size ? segmentsAtSize(found, size->width, size->height) : found.segments;
    if (size && !sameShape(found, size->width, size->height) &&
        std::any_of(found.segments.begin(), found.segments.end(),
                    [](const auto& s) { return s.has_value(); }))
        message("The photo " + quoted(*path) + " is now " + pixelsText(size->width, size->height) +
                    ", not the " + pixelsText(found.widthPixels, found.heightPixels) +
                    " its junctions were clicked on: it was turned or cut since, so its "
                    "junctions are not shown.",
                Icon::Warning);
    std::array<bool, kLabelledGroups.size()> measured = found.measuredInPixels;
    keepBesideOwnValues(digitising_.sheet(), found.recordLine, segments, measured);
    digitising_.restoreSegments(segments, measured);
    originNote_ = originOf(found);
}

} // namespace korvex
