#include "uilogic/Document.h"

#include "exchange/PhotoCompanion.h"
#include "model/ByteHash.h"
#include "model/RecordLine.h"

#include "uilogic/PathText.h"

#include <filesystem>
#include <utility>

namespace korvex {

namespace {

using Icon = PlatformServices::Icon;

SavedCompanion savedAs(const std::string& path, std::string_view bytes) {
    SavedCompanion saved;
    saved.path = path;
    saved.size = bytes.size();
    saved.hash = hashOfBytes(bytes);
    return saved;
}

} // namespace

Document::Document(PlatformServices& services, std::string title)
    : services_(services), title_(std::move(title)) {}

void Document::message(const std::string& text, Icon icon) {
    services_.messageBox(text, title_, icon, PlatformServices::Buttons::Ok);
}

const PhotoEntry* Document::photoEntryOf(std::string_view line, std::size_t occurrence) const {
    for (const PhotoEntry& entry : state_->entries)
        if (entry.occurrence == occurrence && entry.recordLine == line)
            return &entry;
    return nullptr;
}

RecordIdentity Document::identityOf(std::size_t recordNumber) const {
    const auto pieces = dataSet_.pieces();
    if (recordNumber < 1 || recordNumber > dataSet_.RecordCount())
        return {};
    const std::string_view line = pieces[recordNumber - 1];
    return {std::string(SpecimenRecord::codeOf(line)), std::string(line),
            occurrenceOf(pieces, recordNumber - 1)};
}

void Document::clear() {
    dataSet_.clear();
    modified_ = false;
}

void Document::appendRecord(std::string_view line, std::optional<PhotoEntry> photo) {
    dataSet_.AppendRecord(line);
    modified_ = true;
    if (!photo)
        return;
    // The appended line ends the text, followed by CR LF; its record is the
    // piece it begins (a line holding a CR LF of its own spans two pieces).
    const std::string_view text = dataSet_.text();
    const std::size_t start = text.size() - line.size() - DataSet::kLineEnd.size();
    const auto pieces = dataSet_.pieces();
    const std::size_t index = DataSet::countLineEnds(text.substr(0, start));
    photo->recordLine = std::string(pieces[index]);
    photo->occurrence = occurrenceOf(pieces, index);
    change([&](CatalogueState& next) { next.entries.push_back(std::move(*photo)); });
}

void Document::takeClipboardText(std::string text) {
    dataSet_.setText(std::move(text));
    modified_ = true;
    // The decisions stay: a log is history, and the next save to the data
    // file must not lose it.
    change([](CatalogueState& next) {
        next.entries.clear();
        if (next.saved)
            next.saved->keptEntries.clear();
    });
}

void Document::recordDecision(Decision decision) {
    modified_ = true;
    change([&](CatalogueState& next) { next.decisions.recordDecision(std::move(decision)); });
}

void Document::restore(std::string dataSetText, std::shared_ptr<const CatalogueState> state,
                       bool modified) {
    dataSet_.setText(std::move(dataSetText));
    state_ = state ? std::move(state) : std::make_shared<const CatalogueState>();
    modified_ = modified;
}

std::optional<TorFile::ReadResult> Document::readDataFile(const std::string& path) {
    const auto file = services_.readFile(path);
    if (!file.ok) {
        message("The data file " + quoted(path) + " could not be read: " + file.error,
                Icon::Critical);
        return std::nullopt;
    }
    return TorFile::read(file.bytes);
}

void Document::takeDataFile(const std::string& path, std::string dataSetText) {
    dataSet_.setText(std::move(dataSetText));
    modified_ = false;
    CatalogueState loaded;
    loaded.dataFilePath = path;
    state_ = std::make_shared<const CatalogueState>(std::move(loaded));
}

void Document::loadCompanion() {
    if (!state_->dataFilePath)
        return;
    const std::string path = *state_->dataFilePath;
    CatalogueState loaded;
    loaded.dataFilePath = path;
    const std::string companion = PhotoCompanion::companionPathFor(path);
    if (!services_.fileExists(companion))
        return;
    const auto file = services_.readFile(companion);
    const auto read = file.ok ? PhotoCompanion::read(file.bytes, folderOf(path))
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
    SavedCompanion saved = savedAs(companion, file.bytes);
    for (const PhotoEntry* entry : PhotoCompanion::entriesForPieces(dataSet_.pieces(), read.entries))
        if (entry) {
            loaded.entries.push_back(*entry);
            saved.keptEntries.push_back(static_cast<std::size_t>(entry - read.entries.data()));
        }
    loaded.decisions = DecisionLog(read.decisions);
    saved.decisionCount = read.decisions.size();
    loaded.saved = std::move(saved);
    state_ = std::make_shared<const CatalogueState>(std::move(loaded));
}

bool Document::keepAside(const std::string& companion) {
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

bool Document::saveDataFile(const std::string& path, const MeasurementSheet& sheet) {
    const auto written = services_.writeFile(path, TorFile::write(sheet, dataSet_));
    if (!written.ok) {
        message("The data could not be saved to " + quoted(path) + ": " + written.error,
                Icon::Critical);
        return false;
    }
    const std::string companion = PhotoCompanion::companionPathFor(path);
    std::vector<PhotoEntry> kept;
    for (const PhotoEntry* entry :
         PhotoCompanion::entriesForPieces(dataSet_.pieces(), state_->entries))
        if (entry)
            kept.push_back(*entry);
    const std::vector<Decision>& decisions = state_->decisions.all();
    const auto savedWithout = [&](CatalogueState& next) {
        next.dataFilePath = path;
        next.saved.reset();
    };
    const bool exists = services_.fileExists(companion);
    if (kept.empty() && decisions.empty() && !exists) {
        change(savedWithout); // nothing to remember: no companion beside the data file
        modified_ = false;
        return true;
    }
    if (exists && !keepAside(companion)) {
        change(savedWithout);
        return false;
    }
    const std::string bytes = PhotoCompanion::write(kept, folderOf(path), decisions);
    const auto companionWritten = services_.writeFile(companion, bytes);
    if (!companionWritten.ok) {
        change(savedWithout);
        message("The data were saved, but the photos of the records could not be saved to " +
                    quoted(companion) + ": " + companionWritten.error,
                Icon::Critical);
        return false;
    }
    change([&](CatalogueState& next) {
        next.dataFilePath = path;
        SavedCompanion saved = savedAs(companion, bytes);
        for (std::size_t i = 0; i < kept.size(); ++i)
            saved.keptEntries.push_back(i);
        saved.decisionCount = decisions.size();
        next.entries = std::move(kept);
        next.saved = std::move(saved);
    });
    modified_ = false;
    return true;
}

} // namespace korvex
