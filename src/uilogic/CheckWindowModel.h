#pragma once

#include "model/Decision.h"
#include "model/PhotoEntry.h"
#include "uilogic/CandidateCheck.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

class MainWindowModel;
class PlatformServices;

// The check window's logic, free of any window toolkit: the ranked line
// shown, stepping through the list, deciding on the pair, "Same Scale" and
// the seams lit on both photos, and every text the window shows. The window
// displays this state and forwards its events here; drawing the photos and
// reading them stay with the window.
//
// It works on the main window's comparison, list window, data set and
// decision log, read afresh on every call, so a check is always judged
// against what they hold now. Texts are UTF-8, ready to show: the codes,
// which are the data's bytes, are turned as every window shows them.
class CheckWindowModel {
public:
    static constexpr const char* kNeedsSelection =
        "Select a line of the list, then check it as a candidate.";
    static constexpr const char* kNeedsRanking =
        "Only the lines a Compare command ranked can be checked as candidates; compare the sheet "
        "with the data first.";
    static constexpr const char* kStaleText =
        "The list no longer holds the lines of this comparison (another command refilled it, it "
        "was closed, or the data changed): check a line of the list again to step or decide.";
    static constexpr const char* kSelfText =
        "The candidate is the sheet's own record: there is nothing to decide.";
    static constexpr const char* kUndecidedText = "Not decided yet.";
    static constexpr const char* kAlignedText = "Both midlines stand vertical at the same length.";
    static constexpr const char* kCandidateNotAlignedText =
        "The candidate's photo has no whole midline, C1 to C6 or C7 to C12, to stand at the "
        "sheet's scale.";
    static constexpr const char* kSchemeTitle = "Sheet: the seam scheme (no photo is open)";
    // "Same Scale" leaves this share of the lower pane's height to the
    // midline, and room above and below it for the ends of the shell.
    static constexpr double kMidlineShare = 0.65;

    // Both must outlive the model.
    CheckWindowModel(MainWindowModel& main, PlatformServices& services);

    // --- the line shown ------------------------------------------------------
    // "Check Candidate" on the list window's entry at `selected`: shows that
    // ranked line with the sheet's specimen as the sheet is now, the seams
    // unlit and the status line empty; "Same Scale" stays as it was. False,
    // after a message and keeping what was shown, when no line is selected or
    // the list holds no Compare command's lines.
    bool checkSelected(std::optional<std::size_t> selected);
    const std::optional<CandidateCheck>& check() const { return check_; }
    // The next (+1) or previous (-1) line of the same list, with the same
    // specimen of the sheet, the seams unlit and the status line empty. False,
    // changing nothing, at either end, with no line shown, or when the line
    // shown is no longer current.
    bool step(int delta);

    // Whether the line shown is still of the list shown and of this data set:
    // no comparison ran since, the list window is open and still holds that
    // comparison's lines, and the data set still begins with the records
    // compared (records appended since change nothing). Only such a line can
    // be stepped from or decided.
    bool isCurrent() const;
    bool canStep(int delta) const;
    // Current and not the sheet's own record.
    bool canDecide() const;

    // "Same Animal", "Different Animal", "Unsure": logs the verdict on the
    // pair shown with the time; nothing unless canDecide().
    const Decision* decide(Verdict verdict);
    // The last verdict on the pair shown, in either orientation, also one
    // made while either record of it was a sheet not stored yet.
    const Decision* decision() const;
    // The line under the photos: why nothing can be decided, or the verdict.
    std::string decisionText() const;

    // "Code “K1”  ·  Record No. 2  ·  D = 0.3761 as listed (0.3761)  ·  line 2 of 32".
    std::string summaryText() const;
    // "D = √(D1 × D2) = …", under the bars.
    std::string sumsText() const;
    // What the last framing command found; empty after a new line and "Fit".
    const std::string& statusText() const { return status_; }

    // --- the panes -----------------------------------------------------------
    // What the sheet's pane shows: the photo the sheet's values were clicked
    // on (the one open in the main window, when any junction on it is
    // remembered), else the photo stored with the record whose values the
    // sheet holds, else the seam scheme, which has no junctions to show.
    enum class SheetSource { ClickedPhoto, RecordPhoto, Scheme };
    struct SheetPhoto {
        SheetSource source = SheetSource::Scheme;
        std::string title;
        // Which it is and why, in a sentence under the title.
        std::string says;
        // RecordPhoto: the photo to read and the record's photo entry (valid
        // until the photos change), and the texts while it is read or when
        // it cannot be.
        std::optional<std::string> path;
        const PhotoEntry* entry = nullptr;
        std::string opening;
        std::string recordName;
    };
    SheetPhoto sheetPhoto() const;
    // The sheet's values were clicked on the photo open in the main window.
    bool sheetShowsPhoto() const;
    std::string sheetTitle() const;
    // The sheet's pane once reading the record's photo at `path` failed.
    std::string sheetUnreadableText(const std::string& path, const std::string& error) const;

    // Where the candidate's photo is and what its pane says until it shows.
    struct CandidatePhoto {
        std::string title;
        // The photo to read; nothing when there is none to read.
        std::optional<std::string> path;
        // Without a path: why the pane shows no photo.
        std::string placeholder;
        // The record's photo entry, valid until the photos change; null
        // when the record keeps no photo.
        const PhotoEntry* entry = nullptr;
    };
    CandidatePhoto candidatePhoto() const;
    // The candidate's pane while its photo at `path` is read, and once
    // reading it failed with `error`.
    std::string openingText() const;
    std::string unreadableText(const std::string& path, const std::string& error) const;
    // The photos of the lines before and after the one shown that are found,
    // to be read ahead.
    std::vector<std::string> neighbourPhotos() const;

    // --- framing -------------------------------------------------------------
    // "Same Scale" on panes of these heights (pixels): on until "Fit", and
    // the midline length (pixels) both photos are to stand at, which every
    // next candidate's photo is framed at too.
    double sameScale(double sheetPaneHeight, double candidatePaneHeight);
    // What framing both panes at that length gave: the status line says it.
    void sameScaleShown(bool sheetAligned, bool candidateAligned, bool candidateHasPicture);
    // A new candidate's photo was framed at the same scale; its midline may be missing.
    void candidateFramed(bool aligned);
    std::optional<double> sameScaleLength() const;
    // "Fit": each whole photo in its pane; "Same Scale" off.
    void fit();

    // --- the seams lit -------------------------------------------------------
    // The pointer over bar `index` (in the check's order) of the marginal
    // (D1) or central (D2) bars; an index outside them is the pointer leaving.
    void hoverBar(bool marginal, int index);
    // A click on a bar picks its seams, or unpicks them when they are picked.
    void clickBar(bool marginal, std::size_t index);
    // The row of the values table selected (nothing: none).
    void pickRow(std::optional<std::size_t> row);
    // The seams (record value indices, sheet order) lit on both photos: the
    // bar under the pointer, else those picked, which stay lit when the
    // pointer leaves.
    const std::vector<std::size_t>& highlighted() const;
    const std::vector<std::size_t>& picked() const { return picked_; }

private:
    // The line at `position` of the list now shown, with the specimen of the
    // line shown or, with none, of the sheet as it is now.
    std::optional<CandidateCheck> lineAt(std::size_t position, bool sameSpecimen) const;
    // The line shown, a new one: nothing lit, nothing said.
    void show(CandidateCheck check);
    std::string recordName() const;

    MainWindowModel& main_;
    PlatformServices& services_;
    std::optional<CandidateCheck> check_;
    std::vector<std::size_t> picked_;
    std::optional<std::vector<std::size_t>> hovered_;
    std::string status_;
    // Set while "Same Scale" was chosen last (not "Fit").
    std::optional<double> sameScaleLength_;
};

} // namespace korvex
