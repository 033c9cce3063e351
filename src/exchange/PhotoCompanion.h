#pragma once

#include "model/Decision.h"
#include "model/Encounter.h"
#include "model/PhotoEntry.h"
#include "model/RepeatMeasurement.h"
#include "model/SharedList.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The companion file of a data file, "name.tor.photos.json": a JSON document
// with a format version, one entry per record that keeps its photo, the log
// of decisions, the records' repeat measurements and their encounters. The
// data file itself never changes because of it.
namespace PhotoCompanion {

// Version 2 adds the decisions; version 3 the repeats, the encounters and
// which groups of an entry were measured in photo pixels. A document is
// written in the lowest version that holds what it holds, so that copies of
// the program that read only an older version keep reading it.
inline constexpr int kFormatVersion = 3;
inline constexpr int kFormatVersionWithDecisions = 2;
inline constexpr int kFormatVersionWithoutDecisions = 1;
inline constexpr std::string_view kFormatName = "korvex-photos";
inline constexpr std::string_view kSuffix = ".photos.json";

// "catalogue.tor" gives "catalogue.tor.photos.json".
std::string companionPathFor(const std::string& dataFilePath);

// The document for `entries` and `decisions`; photo paths beneath
// `dataFolder` are written relative to it. Record lines and codes that are
// not UTF-8 (8-bit text from older files) are written as hexadecimal bytes,
// so every byte survives.
std::string write(const std::vector<PhotoEntry>& entries, const std::string& dataFolder,
                  const std::vector<Decision>& decisions = {},
                  const std::vector<RepeatMeasurement>& repeats = {},
                  const std::vector<RecordEncounter>& encounters = {});
// The same, of lists a catalogue state holds.
std::string writeLists(const SharedList<PhotoEntry>& entries, const std::string& dataFolder,
                       const SharedList<Decision>& decisions,
                       const SharedList<RepeatMeasurement>& repeats,
                       const SharedList<RecordEncounter>& encounters);

struct ReadResult {
    bool ok = false;
    std::vector<PhotoEntry> entries;        // photo paths made absolute against the data folder
    std::string error;                      // why the document was refused, for a message
    std::vector<Decision> decisions;        // in the order they were made
    std::vector<RepeatMeasurement> repeats; // in the order kept
    std::vector<RecordEncounter> encounters;
    // Why the repeats or the encounters were left out, one message per
    // section; empty when nothing was.
    std::vector<std::string> leftOut;
};

// Reads a document. Anything malformed in the JSON, the photo entries or the
// decisions, and any version newer than this program writes, refuses the
// whole document with a reason rather than guessing at part of it. A fault
// in the repeats or in the encounters leaves out only that section (said in
// `leftOut`): the photos and decisions do not depend on them.
ReadResult read(std::string_view bytes, const std::string& dataFolder);

// For each piece, the entry tied to it by exact text and occurrence, or null.
// When two entries claim the same piece the first is taken.
std::vector<const PhotoEntry*> entriesForPieces(const std::vector<std::string_view>& pieces,
                                                const std::vector<PhotoEntry>& entries);
std::vector<const PhotoEntry*> entriesForPieces(const std::vector<std::string_view>& pieces,
                                                const SharedList<PhotoEntry>& entries);

} // namespace PhotoCompanion

} // namespace korvex
