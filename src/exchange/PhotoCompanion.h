#pragma once

#include "model/MeasurementSheet.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// A point on a photograph in the photo's own pixels, upright (as shown after
// its EXIF orientation is applied), origin at its top-left corner. Fractions
// are kept: a click falls between pixels whenever the photo is zoomed in.
struct PhotoPixel {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const PhotoPixel&) const = default;
};

// The two clicked junctions whose distance became one sheet value.
struct PhotoSegment {
    PhotoPixel from;
    PhotoPixel to;
    bool operator==(const PhotoSegment&) const = default;
};

// What a stored record remembers of the photo it was digitised on.
struct PhotoEntry {
    // The record's line in the data-set text, its exact bytes, and which of the
    // lines with that very text it is (1 for the first): the companion ties its
    // entries to records this way, so a data file whose rows were reordered,
    // added or removed elsewhere still finds the photos of the rows it kept.
    std::string recordLine;
    std::size_t occurrence = 1;
    // Absolute path in memory; the file stores it relative to the data file's
    // folder when the photo lies beneath that folder.
    std::string photoPath;
    int widthPixels = 0;
    int heightPixels = 0;
    // One slot per record value in sheet order (M1..M16, C1..C12); empty where
    // the value was not made by a click on this photo.
    std::array<std::optional<PhotoSegment>, MeasurementSheet::kRecordValueCount> segments;
    // When the record was appended: UTC, "2026-05-24T09:30:00Z".
    std::string appendedAt;

    bool operator==(const PhotoEntry&) const = default;
};

// What the researcher concluded on looking at a candidate beside the query.
enum class Verdict { SameAnimal, DifferentAnimal, Unsure };

// A record as a decision names it: its code and, as for a photo entry, its
// line's exact bytes and which of the lines with that text it is (1 for the
// first). Occurrence 0 means the specimen was never stored (the sheet's
// specimen need not have been appended); its line is then only a reminder.
struct RecordIdentity {
    std::string code;
    std::string recordLine;
    std::size_t occurrence = 0;

    bool operator==(const RecordIdentity&) const = default;
};

// One decision of the log: a query checked against a candidate of its ranked
// list. A log keeps every decision, also one that changes an earlier mind.
struct Decision {
    RecordIdentity query;
    RecordIdentity candidate;
    Verdict verdict = Verdict::Unsure;
    // The distance of the list the candidate came from: "D1", "D2" or "D";
    // a reader refuses any other.
    std::string measure;
    // The distance as the ranked line listed it.
    std::string distance;
    // UTC, "2026-05-24T09:30:00Z".
    std::string decidedAt;

    bool operator==(const Decision&) const = default;
};

// The companion file of a data file, "name.tor.photos.json": a JSON document
// with a format version, one entry per record that keeps its photo and the
// log of decisions. The data file itself never changes because of it.
namespace PhotoCompanion {

// Version 2 adds the decisions. A document without decisions is still
// written as version 1, so that copies of the program that read only version
// 1 keep reading the photos.
inline constexpr int kFormatVersion = 2;
inline constexpr int kFormatVersionWithoutDecisions = 1;
inline constexpr std::string_view kFormatName = "korvex-photos";
inline constexpr std::string_view kSuffix = ".photos.json";

// "Same Animal", "Different Animal", "Unsure": the verdict as the user reads it.
std::string_view verdictText(Verdict verdict);

// "catalogue.tor" gives "catalogue.tor.photos.json".
std::string companionPathFor(const std::string& dataFilePath);

// The seam a record value belongs to: "M1".."M16" for 0..15, "C1".."C12" for 16..27.
std::string seamName(std::size_t recordIndex);

// The document for `entries` and `decisions`; photo paths beneath
// `dataFolder` are written relative to it. Record lines and codes that are
// not UTF-8 (8-bit text from older files) are written as hexadecimal bytes,
// so every byte survives.
std::string write(const std::vector<PhotoEntry>& entries, const std::string& dataFolder,
                  const std::vector<Decision>& decisions = {});

struct ReadResult {
    bool ok = false;
    std::vector<PhotoEntry> entries; // photo paths made absolute against the data folder
    std::string error;               // why the document was refused, for a message
    std::vector<Decision> decisions; // in the order they were made
};

// Reads a document. Anything malformed, and any version newer than this
// program writes, refuses the whole document with a reason rather than
// guessing at part of it.
ReadResult read(std::string_view bytes, const std::string& dataFolder);

// Which of `pieces` (a data-set text split at CR LF) it is among the pieces
// with the same text: 1 for the first.
std::size_t occurrenceOf(const std::vector<std::string_view>& pieces, std::size_t index);

// For each piece, the entry tied to it by exact text and occurrence, or null.
// When two entries claim the same piece the first is taken.
std::vector<const PhotoEntry*> entriesForPieces(const std::vector<std::string_view>& pieces,
                                                const std::vector<PhotoEntry>& entries);

} // namespace PhotoCompanion

} // namespace korvex
