#pragma once

#include "model/Decision.h"
#include "model/PhotoEntry.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

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

// "catalogue.tor" gives "catalogue.tor.photos.json".
std::string companionPathFor(const std::string& dataFilePath);

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

// For each piece, the entry tied to it by exact text and occurrence, or null.
// When two entries claim the same piece the first is taken.
std::vector<const PhotoEntry*> entriesForPieces(const std::vector<std::string_view>& pieces,
                                                const std::vector<PhotoEntry>& entries);

} // namespace PhotoCompanion

} // namespace korvex
