#pragma once

#include "exchange/TorFile.h"
#include "model/CatalogueState.h"
#include "model/DataSet.h"
#include "model/MeasurementSheet.h"
#include "model/RecordIdentity.h"
#include "uilogic/PlatformServices.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

    // --- mending records ----------------------------------------------------
    // A record is a piece before the final CR LF, numbered from 1. When its
    // line changes or it goes, the records of its old and its new text change
    // their occurrence too: every record's photo entry, and every decision
    // naming a record (as query or candidate), follows its record to its new
    // line and occurrence; a decision whose record's line changed takes the
    // new line's code, since the record is still the same animal's record.
    // A deleted record's photo entry goes with it; the decisions about it stay
    // in the log as they were: a log is history. Each mend is one step that
    // undo() takes back.
    //
    // Record `recordNumber` becomes `line`. With `photo`, the record keeps it
    // instead of the entry it had (its record line and occurrence are set
    // here). False, changing nothing, when there is no such record or `line`
    // holds a CR LF (it would be two records).
    bool replaceRecord(std::size_t recordNumber, std::string_view line,
                       std::optional<PhotoEntry> photo = std::nullopt);
    // Several records in one step: record number -> its new line. False,
    // changing nothing, when any of them is no record or any line holds a
    // CR LF, or there is none.
    bool replaceRecords(const std::map<std::size_t, std::string>& lines);
    // Takes record `recordNumber` and its CR LF out of the data set. False,
    // changing nothing, when there is no such record.
    bool deleteRecord(std::size_t recordNumber);
    // Whether undo() has a mend to take back: the last one made, or the one
    // before it once that was taken back, while nothing else has changed the
    // document since it. Anything else (an append, a decision, loading,
    // saving the data file) ends every step before it, so taking one back
    // never loses what came after it.
    bool canUndo() const;
    // The data set, the photo entries, the decisions and the unsaved mark
    // exactly as they were before that mend. False, changing nothing, when
    // there is none to take back.
    bool undo();

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

    // The one mend every public mend is: `next[i]` is what piece i becomes,
    // nothing when it goes; `photo` the entry the record at piece `at` keeps.
    struct NewPhoto {
        std::size_t at = 0;
        PhotoEntry entry;
    };
    void mend(const std::vector<std::optional<std::string_view>>& next,
              std::optional<NewPhoto> photo);

    // What undo() puts back, and the document the mend left, by which it
    // tells whether anything changed after it: every other change makes a
    // new state or another data-set text.
    struct UndoStep {
        std::string text;
        std::shared_ptr<const CatalogueState> state;
        bool modified = false;
        std::shared_ptr<const CatalogueState> after;
        std::size_t afterSize = 0;
        std::uint64_t afterHash = 0;
    };

    PlatformServices& services_;
    std::string title_;
    DataSet dataSet_;
    // Replaced whole by every change, never null.
    std::shared_ptr<const CatalogueState> state_ = std::make_shared<const CatalogueState>();
    bool modified_ = false;
    // Oldest first; only the last may be taken back (canUndo()).
    std::vector<UndoStep> undo_;
};

} // namespace korvex
