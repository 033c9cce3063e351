#pragma once

#include "model/DataSetDisplay.h"
#include "model/MeasurementSheet.h"
#include "model/SeamGroup.h"
#include "uilogic/PhotoRecords.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace korvex {

// What the main window holds that a crash would lose: the data-set text, the
// 42 sheet values, the three data-set displays, per seam group the case of
// its labels and whether its standardise button is enabled, and what the
// records keep of their photos. Every text is kept as bytes, whatever its
// encoding.
struct RecoverySnapshot {
    std::string dataSet;
    std::array<std::string, MeasurementSheet::kValueCount> values;
    DataSetDisplay display;
    std::array<bool, kSeamGroupCount> labelsLower{};
    std::array<bool, kSeamGroupCount> commandEnabled{};
    // Kept as a photo companion document with every photo path as it is in
    // memory (absolute), so a restore depends on no folder; like a saved
    // companion it keeps junctions to a hundredth of a pixel. Shared with
    // the records, never null.
    std::shared_ptr<const PhotoRecords::State> photos =
        std::make_shared<const PhotoRecords::State>();

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
        std::shared_ptr<const PhotoRecords::State> photos;
        std::string document;
    };
    std::string write(PhotosCache* cache = nullptr) const;

    // Why a copy could not be read, in words for the user.
    struct Unreadable {
        std::string reason;
    };
    // Reads a whole copy, or says why it cannot be read; a copy is taken
    // whole or not at all, also when only its photos cannot be read. A copy
    // of the first version, which kept no photos, reads with none.
    static std::variant<RecoverySnapshot, Unreadable> read(std::string_view bytes);
};

} // namespace korvex
