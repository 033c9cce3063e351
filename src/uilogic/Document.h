#pragma once

#include "exchange/TorFile.h"
#include "model/CatalogueMerge.h"
#include "model/CatalogueState.h"
#include "model/DataSet.h"
#include "model/MeasurementSheet.h"
#include "model/RecordIdentity.h"
#include "uilogic/FileGuard.h"
#include "uilogic/PlatformServices.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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
//
// The open data file is guarded (FileGuard): a lock beside it tells another
// running copy who has it open, and a save first checks that the file and
// its companion on disk are still what this program loaded or last saved.
class Document {
public:
    static constexpr std::string_view kBrokenSuffix = ".broken";

    // The answers of the questions before a load or a save of a data file
    // that another copy has open or that changed on disk.
    static constexpr const char* kOpenAnyway = "Open Anyway";
    static constexpr const char* kDoNotOpen = "Do Not Open";
    static constexpr const char* kMergeAndSave = "Merge and Save";
    static constexpr const char* kSaveOver = "Save Over It";
    static constexpr const char* kSaveUnderAnotherName = "Save Under Another Name…";
    static constexpr const char* kCancel = "Cancel";

    enum class SaveOutcome {
        Saved,
        Failed,     // after a message
        Cancelled,  // at the question; nothing was written
        AnotherName // the user wants to choose another file; nothing was written
    };

    // `title` is the title of the messages shown.
    Document(PlatformServices& services, std::string title);

    const DataSet& dataSet() const { return dataSet_; }
    // Valid until the next change.
    const SharedList<PhotoEntry>& photoEntries() const { return state_->entries; }
    // Every decision in the order made, also those of records no longer in
    // the data set: a log is history.
    const DecisionLog& decisions() const { return state_->decisions; }
    // Repeats in the order kept, and the records' encounters; valid until
    // the next change. Only those of records in the data set are kept.
    const SharedList<RepeatMeasurement>& repeats() const { return state_->repeats; }
    const SharedList<RecordEncounter>& encounters() const { return state_->encounters; }
    // The encounter of record number `recordNumber` (from 1), or null.
    const Encounter* encounterOf(std::size_t recordNumber) const;
    // Every encounter by its record's number, as the capture histories take
    // them; and every repeat with its record's number, in the order kept.
    std::map<std::size_t, Encounter> encountersByRecord() const;
    std::vector<std::pair<std::size_t, const RepeatMeasurement*>> repeatsByRecord() const;
    // The site names used so far, sorted, each once: what a site field offers.
    std::vector<std::string> siteNames() const;
    // The data file last loaded or saved.
    const std::optional<std::string>& dataFilePath() const { return state_->dataFilePath; }
    // Something was changed since the data set was last loaded from or saved
    // to a file (the start counts as saved: nothing is there to lose).
    bool isModified() const { return modified_; }
    // Changes made here that no file holds, which a load would replace: the
    // records appended or otherwise changed since the data set was last
    // loaded (from a file or the clipboard) or saved, and decisions not yet
    // saved. Data taken from the clipboard as they are count as loaded: they
    // are unsaved (isModified), but replacing them loses no work done here.
    bool holdsUnsavedChanges() const;

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
    // With `encounter` (an empty one is none), the new record has it.
    // A text too short to keep (DataSet::AppendRecord) is replaced: its
    // records go with their photo entries, repeats and encounters, while the
    // decisions about them stay in the log.
    void appendRecord(std::string_view line, std::optional<PhotoEntry> photo = std::nullopt,
                      std::optional<Encounter> encounter = std::nullopt);
    // The data set becomes `text` from the clipboard, which carries no
    // photos: the photos are forgotten, the decisions made are kept.
    void takeClipboardText(std::string text);
    // Adds a decision to the log; an earlier one of the same pair stays.
    void recordDecision(Decision decision);
    // Keeps repeats, each of a record held (by its line and occurrence);
    // returns how many were kept: a repeat of no record held is not.
    std::size_t addRepeats(const std::vector<RepeatMeasurement>& repeats);
    // Record `recordNumber` (from 1) has `encounter` from now on; an empty
    // encounter takes its encounter away. False, changing nothing, when there
    // is no such record or the encounter is not sound (Encounter::problem).
    bool setEncounter(std::size_t recordNumber, const Encounter& encounter);
    // Takes back a data set and a state as a recovery copy kept them; a null
    // state is an empty one. The copy does not say what the data file and its
    // companion on disk held: a save over them compares them first, as files
    // that appeared since. So does every save until one writes a data file or
    // a load replaces the data, as the catalogue may have been moved.
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
    // in the log as they were: a log is history. Where a later record of the
    // same line then takes its occurrence, they name that record, whose
    // values are the same. Each mend is one step that undo() takes back.
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
    // Whether the data file at `path` is to be opened: yes when no other
    // running copy has it open; otherwise the user is told who has it open
    // and since when, and chooses to open it anyway (to read and compare) or
    // not.
    bool mayOpen(const std::string& path);
    // The data set becomes `dataSetText`, just read from `path` by
    // readDataFile, as saved and as yet without photos or decisions. The file
    // becomes the one guarded; a file beside which no lock can be kept is
    // said so once.
    void takeDataFile(const std::string& path, std::string dataSetText);
    // Then the photos of the records still there and every decision, from
    // the companion of the data file taken. A missing companion is normal and
    // says nothing; one that cannot be read gives one message naming the file
    // and the reason, and the records stay without photos or decisions.
    void loadCompanion();
    // Writes the sheet line and the data set to `path`, then the companion
    // beside it when a record keeps a photo or a decision was made (keeping a
    // copy of a companion that could not be read aside before replacing it).
    //
    // First, when `path` is the file loaded or last saved here and it or its
    // companion on disk now holds records, photos or decisions that are not
    // here (or cannot be read to tell), one question names the file, what it
    // holds and who has it open, and nothing is written before the answer:
    // merge (the records of the file on disk not held here are appended in
    // their order, with their photos and the decisions not yet in the log,
    // then the whole is saved), save over it, save under another name, or
    // cancel. A file on disk that holds nothing more than this program is
    // saved over without a question: nothing of it is lost. A file that is
    // not the open one is not compared: choosing a new name never asks. A
    // merge whose data file then cannot be written is taken back: the data
    // here are as they were before the answer. Saving over the loaded file
    // while it still holds lines after the records it announces, or lines
    // ended by LF alone, which were never loaded, asks the same (save over
    // it, another name, cancel).
    SaveOutcome saveDataFile(const std::string& path, const MeasurementSheet& sheet);

private:
    void message(const std::string& text, PlatformServices::Icon icon);
    bool keepAside(const std::string& companion);
    // How far a save got: the data file, then its companion.
    enum class Written { Nothing, DataFileOnly, Whole };
    Written writeDataFile(const std::string& path, const MeasurementSheet& sheet);
    // The question before a save over a file that another copy has open or
    // that changed on disk; on Merge, the merge is done.
    SaveOutcome askBeforeSavingOver(const std::string& path, const FileGuard::OnDisk& data,
                                    const FileGuard::OnDisk& photos);
    void merge(const CatalogueMerge::Missing& missing);
    void tellUnguarded(const std::string& path, const std::optional<std::string>& reason);
    // A change is made on a copy that then replaces the state: one handed out
    // stays as it was. The copy shares every element with it (SharedList), so
    // a change costs what it writes.
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
    // Repeats or encounters changed since the companion was last read or
    // written: they are no part of the data-set text, yet a load loses them.
    bool companionChanged_ = false;
    // The encounters of the companion as last read or written here: what a
    // copy elsewhere also started from, so that its changes can be told from
    // those made here.
    SharedList<RecordEncounter> sharedEncounters_;
    // Oldest first; only the last may be taken back (canUndo()).
    std::vector<UndoStep> undo_;
    FileGuard guard_{services_};
    // The data set as last taken from the clipboard, until it is loaded from
    // or saved to a file.
    std::optional<FileGuard::Copy> fromClipboard_;
    // What readDataFile read last, until takeDataFile takes it, and whether
    // lines of it were left unread (after its records, or ended by LF alone).
    std::optional<std::pair<std::string, FileGuard::Copy>> lastRead_;
    enum class LinesLeft { None, AfterRecords, EndedByLfAlone };
    LinesLeft lastReadLeft_ = LinesLeft::None;
    // The data files loaded with such lines, which they were and the file as
    // loaded, each until it is saved over: also one saved under another name
    // instead, which a later save may still choose.
    struct Unread {
        LinesLeft lines = LinesLeft::None;
        FileGuard::Copy loaded;
    };
    std::map<std::string, Unread> linesLeftIn_;
    // Taken back from a recovery copy and not written to a data file since.
    bool restored_ = false;
};

} // namespace korvex
