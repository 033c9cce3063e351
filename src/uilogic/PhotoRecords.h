#pragma once

#include "model/PhotoEntry.h"
#include "model/RecordIdentity.h"
#include "uilogic/Document.h"
#include "uilogic/DigitisingModel.h"
#include "uilogic/PlatformServices.h"

#include <optional>
#include <string>
#include <vector>

namespace korvex {

// What the records remember of their photos, on the screen's side, free of
// any window toolkit: the photo open now, the photo entry a record appended
// with it keeps, the record shown last, and opening a record's photo again
// with its junctions. The entries themselves belong to the Document.
class PhotoRecords {
public:
    // `title` is the title of the messages shown.
    PhotoRecords(PlatformServices& services, DigitisingModel& digitising, const Document& document,
                 std::string title);

    // The photo the user opened last, while it is shown.
    const std::optional<std::string>& openPhoto() const { return openPhoto_; }

    // A photo was opened and is shown; the scheme or a failed open says
    // nothing. `damage` says how its file is damaged (PictureResult), empty
    // for a whole file.
    void photoOpened(const std::string& path, const std::string& damage = {});
    // What the window says beside the photo open now while its file is
    // damaged, so that its grey part is not taken for the shell: "The photo
    // “…” is damaged: its file ends early, …". Then, when its Exif holds a
    // date or position that cannot be right, what a record appended on it
    // will lack, so that it is noticed before rather than found missing in a
    // capture history. Empty for a whole photo with sound Exif or none.
    const std::string& damageNote() const { return damageNote_; }
    // Where the values of the record whose photo was opened came from, while
    // that photo is open: which groups were measured in photo pixels from its
    // junctions. Empty when every value was clicked on the picture as shown.
    const std::string& originNote() const { return originNote_; }

    // What a record appended now keeps: with a photo open and at least one
    // length clicked on it, the photo and its segments (the Document ties
    // the entry to the record); nothing otherwise.
    std::optional<PhotoEntry> entryForAppend() const;

    // The sheet shows record `recordNumber` (from 1) of the document's data set.
    void recordShown(long long recordNumber);
    // No record counts as shown until one is (the data set was replaced).
    void forgetShown() { shown_.reset(); }
    // The record shown last, by its identity when it was shown (no code), or
    // nothing.
    const std::optional<RecordIdentity>& shown() const { return shown_; }

    // "Open the Record's Photo": the photo of the record shown last, with its
    // remembered junctions beside those of the sheet's values that are still
    // the record's own (a value changed since it was shown keeps none). A
    // photo that is no longer at its path is looked for by file name beside
    // the data file; every failure is a message.
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
    // The entry's segments on a copy of its photo `width` x `height` pixels;
    // none on a photo of another shape (turned or cut since), where they
    // would lie off the seams.
    static DigitisingModel::Segments segmentsAtSize(const PhotoEntry& entry, int width, int height);
    // The origin note for `entry` (originNote()).
    static std::string originOf(const PhotoEntry& entry);
    // A photo `width` x `height` pixels has the entry's shape, its sides
    // scaled alike but for rounding (true when the entry keeps no size).
    static bool sameShape(const PhotoEntry& entry, int width, int height);

private:
    void message(const std::string& text, PlatformServices::Icon icon);
    // The photo's path, or nothing after a message naming the places tried.
    std::optional<std::string> findPhoto(const PhotoEntry& entry);
    // The path stored, then the same file name beside the data file.
    std::vector<std::string> placesFor(const PhotoEntry& entry) const;

    PlatformServices& services_;
    DigitisingModel& digitising_;
    const Document& document_;
    std::string title_;
    std::optional<std::string> openPhoto_;
    std::string damageNote_;
    std::string originNote_;
    std::optional<RecordIdentity> shown_;
};

} // namespace korvex
