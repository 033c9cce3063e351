#pragma once

#include "analysis/CaptureHistories.h"
#include "analysis/Catalogue.h"
#include "analysis/Individuals.h"
#include "analysis/PopulationEstimates.h"
#include "uilogic/CatalogueCommands.h"
#include "uilogic/OccasionEditor.h"
#include "uilogic/PlatformServices.h"

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

class MainWindowModel;

// "Catalogue › Export…" and "Catalogue › Population Estimates": capture
// histories of the open catalogue (its records, their encounters, the
// individual pattern) over occasions the user edits, written in one of four
// formats exactly as `korvex-batch histories` writes them, and the
// estimates `korvex-batch estimate` prints, shown as a table and sentences.
// The window calls refresh() whenever the catalogue may have changed and
// after every edit; what it shows is read from here.
class PopulationWindowModel {
public:
    static constexpr const char* kExportTitle = "Export";
    static constexpr const char* kEstimatesTitle = "Population Estimates";
    static constexpr const char* kDifferenceMeaning =
        "A matching that finds only a share p of the recaptures makes animals seen twice look "
        "new, and the plain estimate too high; the corrected one counts the missed recaptures "
        "back in.";
    static constexpr const char* kFewerThanTwo =
        "An estimate needs at least two occasions: add another occasion.";

    enum class Format { Mark, Rcapture, Secr, DarwinCore };
    static constexpr std::array<const char*, 4> kFormatNames = {
        "MARK (.inp)", "Rcapture (CSV)", "secr (capture file and trap file)", "Darwin Core (CSV)"};

    // A file of the chosen format: the name it gets beside the one chosen
    // (empty for the chosen file itself, ".traps.txt" for secr's trap file).
    struct OutputFile {
        std::string suffix;
        std::string bytes;
    };

    // Reads the open catalogue and proposes one occasion per year of its
    // encounters. `model` must outlive this.
    PopulationWindowModel(PlatformServices& services, MainWindowModel& model);
    PopulationWindowModel(const PopulationWindowModel&) = delete;
    PopulationWindowModel& operator=(const PopulationWindowModel&) = delete;

    // Reads the data set and the encounters again as they are now.
    void refresh();

    // The individual pattern, first the one last used in the Catalogue
    // menu. False, after a message saying why, for no regular expression
    // (the pattern stays as it was).
    const std::string& pattern() const { return pattern_; }
    bool setPattern(const std::string& text);

    OccasionEditor& occasions() { return occasions_; }
    const OccasionEditor& occasions() const { return occasions_; }
    // One occasion per calendar year of the encounters, as they are now.
    void proposeOccasions();
    // The occasions text typed, as `--occasions` takes it; false, after a
    // message saying why, when it does not read (the occasions stay).
    bool setOccasionsText(const std::string& text);
    // Why the occasions do not read; empty when they do.
    std::string occasionProblem() const;

    Format format() const { return format_; }
    void setFormat(Format format) { format_ = format; }
    const std::string& species() const { return species_; }
    void setSpecies(std::string species) { species_ = std::move(species); }

    // "12 individuals caught; 3 records have no date; 2 records are dated
    // outside every occasion." or, when the occasions do not read, why not.
    std::string summary() const;
    // For secr: the captures that have no site and the sites left out of the
    // trap file for want of a position; empty when there are none or for the
    // other formats.
    std::string positionsNote() const;

    // What "Save…" writes for the chosen format; empty when the occasions do
    // not read (Darwin Core needs none). secr gives the capture file and,
    // when a site has a position, the trap file.
    std::vector<OutputFile> files() const;
    // "Save…": the chosen format written where the save dialog says (an
    // extension added when none is typed), the trap file beside the capture
    // file. False when cancelled, or after a message saying why.
    bool save();

    // --- estimates ----------------------------------------------------------
    // "Occasion", "First day", "Last day", "Caught C_t", "Recaptured R_t",
    // "Marked before M_t", then one row per occasion; only the header when
    // the occasions do not read.
    std::vector<std::vector<std::string>> countsTable() const;
    // Chapman, Schnabel, p and the corrected Chapman, one line each with the
    // numbers as the batch tool prints them, then kDifferenceMeaning; with
    // fewer than two occasions kFewerThanTwo (or why the occasions do not
    // read) alone.
    std::string estimatesText() const;
    // The lines of `korvex-batch estimate`; empty with fewer than two occasions.
    std::string estimatesReport() const;
    // "Copy to the Clipboard": estimatesReport(); nothing when it is empty.
    void copyEstimates();

    // The recognition rate p: typed, or the top-1 rate of D of a leave-one-out
    // evaluation of this catalogue.
    std::optional<double> recognition() const { return recognition_; }
    // p as typed; an empty text forgets it. False, after a message, for a
    // text that is no share above 0 and at most 1 (p stays as it was).
    bool setRecognitionText(const std::string& text);
    // The evaluation that learns p, on a copy of the catalogue as it is now
    // (in time order or not), to run off this thread; nothing for a bad
    // pattern.
    std::shared_ptr<CatalogueCommands::Run> recognitionRun(bool inTimeOrder) const;
    // Takes p from a run that has returned: false, after a message when there
    // is something to say, when it was cancelled, failed or had no query.
    bool takeRecognition(const CatalogueCommands::Run& run);

private:
    void message(const std::string& text, const char* title, PlatformServices::Icon icon);

    PlatformServices& services_;
    MainWindowModel& model_;
    std::string pattern_;
    Individuals individuals_;
    OccasionEditor occasions_;
    Format format_ = Format::Mark;
    std::string species_;
    std::optional<double> recognition_;
    std::string recognitionNote_;

    // The catalogue as last read; its records are views into text_.
    std::string text_;
    std::optional<Catalogue> catalogue_;
    std::map<std::size_t, Encounter> encounters_;
    // Over the occasions when they read.
    std::optional<CaptureHistories> histories_;
};

} // namespace korvex
