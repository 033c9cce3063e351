#pragma once

#include "model/DataSetDisplay.h"
#include "model/MeasurementSheet.h"
#include "model/SeamGroup.h"
#include "model/CatalogueState.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace korvex {

// What the main window holds that a crash would lose: the data-set text, the
// 42 sheet values, the three data-set displays, per seam group the case of
// its labels and whether its standardise button is enabled, what the records
// keep of their photos and the log of decisions. Every text is kept as bytes,
// whatever its encoding.
//
// A copy grows with what is unsaved, not with the catalogue: the photo
// entries and decisions that stand in the companion file on disk (the
// state's `saved`) are kept as a reference to that file, and only those made
// since are written out. Reading such a copy gives `photosOnDisk`, and
// `takeSavedPhotos` then puts the file's part back in.
struct RecoverySnapshot {
    std::string dataSet;
    std::array<std::string, MeasurementSheet::kValueCount> values;
    DataSetDisplay display;
    std::array<bool, kSeamGroupCount> labelsLower{};
    std::array<bool, kSeamGroupCount> commandEnabled{};
    // Kept as a photo companion document with every photo path as it is in
    // memory (absolute), so a restore depends on no folder; like a saved
    // companion it keeps junctions to a hundredth of a pixel. Shared with
    // the document, never null.
    std::shared_ptr<const CatalogueState> photos = std::make_shared<const CatalogueState>();
    // Something was changed since the data set was last loaded or saved.
    // Copies of the versions before 3 did not say, and read as unsaved.
    bool unsaved = true;
    // Set by read() when the copy refers to a companion on disk: `photos`
    // then holds only what was made after it, until takeSavedPhotos.
    std::optional<SavedCompanion> photosOnDisk;

    // The photos compare by what they hold.
    bool operator==(const RecoverySnapshot& other) const;

    // The recovery copy's bytes: a heading line, then each field as
    // "name length LF bytes LF", ended by a check line over all that goes
    // before it, so a copy cut short or altered is told from a whole one.
    // The photos take two fields, the companion document and the data file
    // path (empty when none).
    //
    // The document is most of the copy's work and changes only with the
    // photos: given a cache, it is made again only for photos other than the
    // cache's, and the cache then keeps it.
    struct PhotosCache {
        std::shared_ptr<const CatalogueState> photos;
        std::string document;
    };
    std::string write(PhotosCache* cache = nullptr) const;

    // Why a copy could not be read, in words for the user.
    struct Unreadable {
        std::string reason;
        // Its heading names a version after this program's: that version
        // may read it, so it is no damage.
        bool ofLaterVersion = false;
    };
    // Reads a whole copy, or says why it cannot be read; a copy is taken
    // whole or not at all, also when only its photos cannot be read. A copy
    // of the first version, which kept no photos, reads with none; one of the
    // second keeps every photo itself.
    static std::variant<RecoverySnapshot, Unreadable> read(std::string_view bytes);

    // How the companion on disk that a copy refers to was found again.
    enum class SavedPhotos {
        Same,    // the very bytes the copy refers to: restored exactly
        Changed, // other bytes: its entries of rows still there that were given no
                 // entry since, and all its decisions, each taken once
        Missing  // none to read (nothing of it can come back)
    };
    // Puts the part of `photosOnDisk` back into `photos`, from `companion`,
    // the file's bytes as they are now (nothing: there is none, or it cannot
    // be read; `dataFolder` is its folder). A snapshot without photosOnDisk
    // is left as it is and counts as Same.
    SavedPhotos takeSavedPhotos(const std::optional<std::string>& companion,
                                const std::string& dataFolder);
};

} // namespace korvex
