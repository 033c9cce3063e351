#pragma once

#include "analysis/ComparisonRun.h"
#include "exchange/RecoverySnapshot.h"
#include "model/DataSet.h"
#include "model/DataSetDisplay.h"
#include "model/Encounter.h"
#include "model/RecordLine.h"
#include "uilogic/DigitisingModel.h"
#include "uilogic/Document.h"
#include "uilogic/ListWindowModel.h"
#include "uilogic/PhotoRecords.h"
#include "uilogic/PlatformServices.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace korvex {

// The logic of the main window, free of any window toolkit: start-up, the
// sheet commands and the menu arrays. The window displays the digitising
// model and the data-set display, and forwards every event here.
class MainWindowModel : private ComparisonHost {
public:
    static constexpr const char* kTitle = DigitisingModel::kInitialCaption;
    static constexpr const char* kAppTitle = "KORVEX";

    // Where the seam scheme stands before a photograph is opened, and its size.
    static constexpr float kSchemeLeft = 660.0F;
    static constexpr float kSchemeTop = 360.0F;
    static constexpr float kSchemeWidth = 8775.0F;
    static constexpr float kSchemeHeight = 9105.0F;

    static constexpr const char* kCodePrompt = "Tortoise Identification Code:";
    static constexpr const char* kCodeTitle = "IDN";
    static constexpr const char* kClosePrompt = "Do you want to save the data?";
    static constexpr const char* kCloseTitle = "Program KORVEX";
    // A code that would break its record line is refused, and asked for again.
    static constexpr const char* kCodeRefused = SpecimenRecord::kCodeRefused;
    // Before a load replaces data that are not saved to a file.
    static constexpr const char* kSaveThem = "Save Them";
    static constexpr const char* kDiscardThem = "Discard Them";
    static constexpr const char* kCancel = "Cancel";
    // After the load's warning of a file that ends early, when its lines end in LF alone.
    static constexpr const char* kLfLineEnds =
        " Its lines end in LF alone, as some editors save them, and a data file's lines end in "
        "CR LF: save it with Windows (CR LF) line ends, then load it again.";
    // After the load's warning of lines left unread, when its lines end in CR CR LF.
    static constexpr const char* kCrCrLfLineEnds =
        " Its lines end in CR CR LF, as a second conversion to Windows line ends leaves them, and "
        "a data file's lines end in CR LF: replace each CR CR LF with CR LF, then load it again.";
    // After the load's warning of a file whose lines end in LF alone in part.
    static constexpr const char* kLfLineEndsAdvice =
        " A data file's lines end in CR LF: save it with Windows (CR LF) line ends, then load it "
        "again.";

    // How a refusal names sheet value `value`, of box `name`, that holds a
    // decimal comma: "the value of M3, "0,0612", has a decimal comma and
    // reads as 0. Type it with "." as the decimal point."
    static std::string decimalCommaSaid(const std::string& name, std::string_view value);

    // Menu array indices.
    enum FileIndex {
        FileMenu = 0,
        CompareMenu = 10,
        FillSheetMenu = 20,
        AllPairsEntry = 30,
        DistributionEntry = 40
    };
    enum OpenIndex {
        OpenPictureEntry = 0,
        LoadDataEntry = 20,
        SaveDataEntry = 40,
        EndSeparator = 45,
        EndEntry = 50
    };
    enum LoadIndex { LoadFromClipboard = 20, LoadFromFile = 30 };
    enum SaveIndex { SaveToClipboard = 30, SaveToFile = 40 };
    enum AhaIndex { SelectRecord = 20 };
    // The Compare entries of the menu array `comp`, each ranking by one measure.
    enum CompIndex { MarginalD1 = 15, CentralD2 = 20, Combined = 45 };
    // The measure of a Compare entry; nothing for any other index.
    static std::optional<Measure> measureOfEntry(int compIndex);

    // Command button numbers; the standardise buttons' numbers are in the
    // seam group table.
    enum CommandNumber {
        SaveRecordCommand = 3,
        ClearSheetCommand = 4,
        FillSheetCommand = 9,
        PreviousRecordCommand = 10,
        NextRecordCommand = 11,
        AppendRecordCommand = 12,
        kLastCommand = 12
    };

    explicit MainWindowModel(PlatformServices& services);
    ~MainWindowModel() override = default;
    MainWindowModel(const MainWindowModel&) = delete;
    MainWindowModel& operator=(const MainWindowModel&) = delete;

    DigitisingModel& digitising() { return digitising_; }
    const DigitisingModel& digitising() const { return digitising_; }
    const DataSet& dataSet() const { return document_.dataSet(); }
    // The open catalogue: the data set, its file, the photos and decisions.
    const Document& document() const { return document_; }
    Document& document() { return document_; }
    const DataSetDisplay& display() const { return display_; }
    ListWindowModel& listWindow() { return listWindow_; }
    const ComparisonState& comparison() const { return comparison_; }
    // 1 while the list window offers the loaded codes for a pick.
    std::int16_t selectMode() const { return selectMode_; }

    // The main window takes the focus back after a pick.
    std::function<void()> onFocusMainWindow;
    // "End": the window closes itself (and runs its closing steps) when called.
    std::function<void()> onCloseRequested;
    // The record count, record number or identification code display changed.
    std::function<void()> onDisplayChanged;
    // The data set, the sheet or a display changed: what a crash would lose.
    std::function<void()> onChanged;
    // A photo may have been opened: its damage note (photoRecords()) may be another.
    std::function<void()> onPhotoChanged;
    // "Append to the List" while asksEncounterAtAppend(): the encounter of the
    // record with code `code`, asked for with `offered` (what the photo at
    // `photoPath` gave through its Exif, if any); nothing on Cancel.
    std::function<std::optional<Encounter>(const std::string& code, const Encounter& offered,
                                           const std::optional<std::string>& photoPath)>
        onAskEncounter;

    // --- recovery after a crash ---------------------------------------------
    RecoverySnapshot snapshot() const;
    // Puts the data set, the sheet, the displays and the photos of the records
    // back as `s` holds them.
    void restore(const RecoverySnapshot& s);
    enum class RecoveryOutcome { Restored, Declined, Unreadable };
    // A recovery copy left by a program that ended without its closing prompt,
    // last written at `savedAt` (as the user reads a date and time). A copy
    // that can be read is offered in one question, which says that on No it
    // is kept as `declinedAs` (where the caller then puts it), and restored on
    // Yes; one that cannot be read is reported and restores nothing, after
    // `keepAside` has moved it out of the way and said where it now is,
    // unless a later version wrote it: that one is left where it is.
    RecoveryOutcome OfferRecovery(std::string_view copy, const std::string& savedAt,
                                  const std::function<std::string()>& keepAside,
                                  const std::string& declinedAs);
    // The recovery copy cannot be kept, so a crash would lose unsaved data.
    void RecoveryCopyFailed(const std::string& reason);

    // Window geometry in twips: the window's outer width and inner height, and
    // the viewport's left and top, as laid out when the window is first shown.
    struct WindowMetrics {
        float outerWidth = 0.0F;
        float innerHeight = 0.0F;
        float viewportLeft = 0.0F;
        float viewportTop = 0.0F;
    };
    // Clears the clipboard, lets the window show itself (returning how it was
    // laid out), empties the data set and sizes the viewport, in this order.
    void StartUp(const std::function<WindowMetrics()>& showWindow);

    void ClearSheet();

    // Command buttons by their number (Command1 ... Command12).
    void Command_Click(int command);

    // "Fill from the Clipboard": the clipboard's text as a record line onto
    // the sheet, then digitising switched off for the four groups.
    void Command9_Click();
    void FillSheetFromText(const std::string& text);
    // Brings record number k (from 1) onto the sheet through the clipboard.
    void ShowRecord(long long k);
    void PreviousRecord();
    void NextRecord();
    // "Append to the List": refused with a message, before the code is asked
    // for, while a sheet value holds a TAB, CR or LF (it would split the
    // record line). A record appended with a photo gets the date and
    // position of the photo's Exif as its encounter; while
    // asksEncounterAtAppend() the encounter is asked for (onAskEncounter)
    // after the code, and Cancel there keeps what the photo gave.
    void AppendToList();
    bool asksEncounterAtAppend() const { return askEncounterAtAppend_; }
    void setAskEncounterAtAppend(bool on) { askEncounterAtAppend_ = on; }
    void SaveRecordToClipboard();

    // The menu arrays: each delivers its index; unknown indices do nothing.
    void file_Click(int index);
    void open_Click(int index);
    void load_Click(int index);
    void save_Click(int index);
    // "auto" (30) and "Generate distribution" (40): switched off in the menu
    // bar, reachable from here.
    void allPairsDistances();
    void generateDistribution();
    // The Compare commands (15 D1, 20 D2, 45 D) and "Select Record" (20).
    void comp_Click(int index);
    void aha_Click(int index);
    // A double-click in the list window on the entry at `selected` (none when
    // no entry is selected).
    void List1_DblClick(std::optional<std::size_t> selected);
    // Puts record number `recordNumber` (from 1) on the sheet as a pick from
    // "Select Record" does: record number and code displays, the record line
    // on the clipboard, the sheet filled from it. False, changing nothing, when
    // the data set has no such piece.
    bool ShowPickedRecord(std::size_t recordNumber);
    // "Copy to the Clipboard" of the list window.
    void CopyList();
    // Logs a verdict of the check window, a change that a crash would lose.
    const Decision& LogDecision(Decision decision);

    // Loads a data file the user chooses (see Document for the questions when
    // another copy has it open).
    void LoadDataFile();
    // Saves the sheet and the data set to a file the user chooses; false when
    // the dialog was cancelled, the question before saving over a file that
    // changed on disk was cancelled, or the file could not be written (with a
    // message). "Save under another name" at that question shows the dialog
    // again.
    bool SaveDataFile();
    // The closing prompt; the window closes only when this returns true, so a
    // cancelled or failed save on Yes keeps the data on screen.
    bool QueryClose();

    void OpenPicture();

    // The photos the records keep, and "Open the Record's Photo" (its own
    // menu; the data file's bytes never depend on them).
    const PhotoRecords& photoRecords() const { return photoRecords_; }
    PhotoRecords& photoRecords() { return photoRecords_; }
    void OpenRecordPhoto();

    // --- mending records (the Catalogue menu) -------------------------------
    // Each acts on the record shown last and keeps its photo entry and the
    // decisions about it attached (Document says how); each can be taken back
    // with "Undo the Last Record Change" until the data are saved or loaded,
    // or the document is changed otherwise. Cancel at a question changes
    // nothing.
    static constexpr const char* kChangeCodeTitle = "Change the Code";
    static constexpr const char* kReplaceValuesTitle = "Replace the Values from the Sheet";
    static constexpr const char* kDeleteRecordTitle = "Delete the Record";
    static constexpr const char* kRenameAnimalTitle = "Rename an Animal";
    static constexpr const char* kUndoChangeTitle = "Undo the Last Record Change";
    static constexpr const char* kNoRecordShown =
        "No record is shown. Show one with \"-\", \"+\", Select Record or \"Show\" in Check "
        "the Catalogue, then choose the command again.";
    static constexpr const char* kNothingToUndo =
        "There is no record change to undo. Changes made with \"Change the Code\", \"Replace "
        "the Values from the Sheet\", \"Delete the Record\" and \"Rename an Animal\" can be "
        "undone, the last first, until the data are saved or loaded, a record is appended or a "
        "decision is made.";

    // The record the mending commands act on: the one shown last ("-", "+", a
    // pick of Select Record, "Show" of a finding) while the record number
    // display still shows it and it is a record of the data set; nothing
    // otherwise.
    std::optional<std::size_t> recordShownNumber() const;
    // "Change the Code…": the record gets the code typed, a code the code
    // prompt would refuse is refused with its reason.
    void ChangeCode();
    // "Replace the Values from the Sheet": the record keeps its code and gets
    // the sheet's 28 record values. When values were clicked on the open
    // photo the record keeps that photo and those junctions (on the photo it
    // kept already, the junctions not clicked again stay); otherwise its
    // photo entry stays as it was.
    void ReplaceValuesFromSheet();
    // "Delete the Record", after a Yes to its question.
    void DeleteRecord();
    // "Rename an Animal…": asks for the individual pattern (offering the one
    // last given to the Catalogue checks), then for a code; every record
    // whose individual is the shown record's gets that code.
    void RenameAnimal();
    // "Undo the Last Record Change": the data set, photos, decisions and
    // unsaved mark as before the last mend; the record number display keeps
    // its number and the record there counts as shown.
    void UndoRecordChange();

    // The individual pattern last given to "Evaluate Matching", "Check the
    // Catalogue" or "Rename an Animal…" (empty: each code is one animal).
    const std::string& individualPattern() const { return individualPattern_; }
    void setIndividualPattern(std::string pattern) { individualPattern_ = std::move(pattern); }

private:
    // The record shown, or nothing after a message titled `title` saying
    // that none is.
    std::optional<std::size_t> recordToMend(const char* title);
    // A mend was made to the record at `recordNumber` (none when it went):
    // the displays, the record shown and a pick list follow.
    void mended(std::optional<std::size_t> recordNumber);
    // The data set changed under an open "Select Record" list: it is filled
    // afresh, as a list of codes picks by the places of the records.
    void pickListFollows();
    void say(const std::string& text, const char* title, PlatformServices::Icon icon);
    // Whether a record line built from the sheet keeps its 29 fields in one
    // line; if not, says so in a message titled `title`: "The values on the
    // sheet " + `refusal` + ", naming the first value that would break it.
    // Also refused: a value written with a decimal comma, which the record
    // would keep and every comparison read as the digits before the comma.
    bool sheetFitsRecord(const std::string& refusal, const char* title);
    // Whether none of the sheet's marginal values, central values, or both,
    // holds a decimal comma; if one does, says so in a message titled `title`
    // as sheetFitsRecord does ("The values on the sheet " + `what`), naming
    // the first, what it reads as, and that "." is the point.
    bool sheetReadsAsTyped(const std::string& what, const char* title, bool marginal = true,
                           bool central = true);
    // Whether every length of group `g` reads as typed; if a cell holds a
    // decimal comma, says so and the group is not standardised: its lengths
    // would be written over with values from the digits before the comma.
    bool lengthsReadAsTyped(const SeamGroup& g);
    // After a load, when records of the data set hold a value with a decimal
    // comma: one warning, whose first words are `subject` ("The data file
    // \"...\" holds"), with how many records, the first of them and its value.
    void tellDecimalCommas(const std::string& subject);
    // After "from Clipboard": a last row without its line end is no record.
    void tellUnendedRow();
    // The identification code prompt, asked again after a message while the
    // answer would break the record line; Cancel gives the empty code.
    std::string askCode();
    // What a record appended now with `photo` is to have as its encounter.
    std::optional<Encounter> encounterForAppend(const std::string& code,
                                                const std::optional<PhotoEntry>& photo);
    enum class Replace { Go, GoAfterSave, Keep };
    // Before a load replaces the data set: data not saved to a file are
    // saved, discarded or kept as the user answers; nothing is asked when
    // nothing is unsaved.
    Replace askBeforeReplacing();
    void displayChanged();
    void photoChanged();
    // A copy that refers to the companion on disk gets the photos and
    // decisions saved there back from it (with a message when it changed).
    void takeSavedPhotos(RecoverySnapshot& s);
    // Every write to the clipboard clears it first.
    void replaceClipboard(const std::string& text);
    void changed();
    // ComparisonHost
    void message(std::string_view text) override;
    void setListCaption(const std::string& caption) override;
    void redrawList() override;

    PlatformServices& services_;
    DigitisingModel digitising_;
    Document document_;
    PhotoRecords photoRecords_;
    DataSetDisplay display_;
    ListWindowModel listWindow_;
    ComparisonState comparison_;
    std::int16_t selectMode_ = 0;
    std::string individualPattern_;
    bool askEncounterAtAppend_ = false;
};

} // namespace korvex
