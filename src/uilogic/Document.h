#pragma once

#include "exchange/TorFile.h"
#include "model/CatalogueState.h"
#include "model/DataSet.h"
#include "model/MeasurementSheet.h"
#include "model/RecordIdentity.h"
#include "uilogic/PlatformServices.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The open catalogue, free of any window toolkit: the data-set text, the data
// file it was loaded from or saved to, what its records keep of their photos,
// the log of decisions, and whether any of it is not yet saved to a file. It
// reads and writes the `.tor` file and its photo companion through the
// exchange formats and the platform's file services.
//
// The main window's model owns the one Document and is the only one that
// changes it; the check window, the photo records and the recovery keeper
// read it through that model. The data-set text is changed only here, so the
// unsaved mark can be trusted.
class Document {
public:
    static constexpr std::string_view kBrokenSuffix = ".broken";

    // `title` is the title of the messages shown.
    Document(PlatformServices& services, std::string title);

    const DataSet& dataSet() const { return dataSet_; }
    // Valid until the next change.
    const std::vector<PhotoEntry>& photoEntries() const { return state_->entries; }
    // Every decision in the order made, also those of records no longer in
    // the data set: a log is history.
    const DecisionLog& decisions() const { return state_->decisions; }
    // The data file last loaded or saved.
    const std::optional<std::string>& dataFilePath() const { return state_->dataFilePath; }
    // Something was changed since the data set was last loaded from or saved
    // to a file (the start counts as saved: nothing is there to lose).
    bool isModified() const { return modified_; }

    // A state handed out never changes (each change makes a new one), so it
    // is shared rather than copied with every recovery copy, and may be read
    // by another thread.
    std::shared_ptr<const CatalogueState> state() const { return state_; }

    // The entry kept for record `line`, occurrence `occurrence`, or null.
    const PhotoEntry* photoEntryOf(std::string_view line, std::size_t occurrence) const;
    // Record number `recordNumber` (from 1) as a decision names it; occurrence
    // 0 when the data set has no such record.
    RecordIdentity identityOf(std::size_t recordNumber) const;

    // --- changes ------------------------------------------------------------
    // Empties the data set, as at start-up; nothing counts as unsaved.
    void clear();
    // Appends `line` as a record; with `photo`, the new record keeps it (its
    // record line and occurrence are set here).
    void appendRecord(std::string_view line, std::optional<PhotoEntry> photo = std::nullopt);
    // The data set becomes `text` from the clipboard, which carries no
    // photos: the photos are forgotten, the decisions made are kept.
    void takeClipboardText(std::string text);
    // Adds a decision to the log; an earlier one of the same pair stays.
    void recordDecision(Decision decision);
    // Takes back a data set and a state as a recovery copy kept them; a null
    // state is an empty one.
    void restore(std::string dataSetText, std::shared_ptr<const CatalogueState> state,
                 bool modified);

    // --- files --------------------------------------------------------------
    // Reads the data file at `path`, changing nothing yet; nothing, after a
    // message naming the file and the reason, when it cannot be read.
    std::optional<TorFile::ReadResult> readDataFile(const std::string& path);
    // The data set becomes `dataSetText`, just read from `path`, as saved
    // and as yet without photos or decisions.
    void takeDataFile(const std::string& path, std::string dataSetText);
    // Then the photos of the records still there and every decision, from
    // the companion of the data file taken. A missing companion is normal and
    // says nothing; one that cannot be read gives one message naming the file
    // and the reason, and the records stay without photos or decisions.
    void loadCompanion();
    // Writes the sheet line and the data set to `path`, then the companion
    // beside it when a record keeps a photo or a decision was made (keeping a
    // copy of a companion that could not be read aside before replacing it).
    // False, after a message, when either could not be written.
    bool saveDataFile(const std::string& path, const MeasurementSheet& sheet);

private:
    void message(const std::string& text, PlatformServices::Icon icon);
    bool keepAside(const std::string& companion);
    // A change is made on a copy that then replaces the state: one handed out
    // stays as it was.
    template <class Change> void change(Change&& apply) {
        CatalogueState next = *state_;
        apply(next);
        state_ = std::make_shared<const CatalogueState>(std::move(next));
    }

    PlatformServices& services_;
    std::string title_;
    DataSet dataSet_;
    // Replaced whole by every change, never null.
    std::shared_ptr<const CatalogueState> state_ = std::make_shared<const CatalogueState>();
    bool modified_ = false;
};

} // namespace korvex
