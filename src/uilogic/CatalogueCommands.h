#pragma once

#include "analysis/Catalogue.h"
#include "analysis/CatalogueAudit.h"
#include "analysis/Individuals.h"
#include "analysis/MatchEvaluation.h"
#include "analysis/PairDistances.h"
#include "analysis/PairSweep.h"
#include "model/Encounter.h"
#include "uilogic/PlatformServices.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

class MainWindowModel;

// The "Catalogue" menu: "Evaluate Matching" and "Check the Catalogue" on the
// loaded data set, and what their windows do. The windows display a finished
// run and forward their buttons here.
class CatalogueCommands {
public:
    static constexpr const char* kEvaluateTitle = "Evaluate Matching";
    static constexpr const char* kCheckTitle = "Check the Catalogue";
    static constexpr const char* kPatternPrompt =
        "Individual pattern (a regular expression; leave empty to take each code as one animal):";
    static constexpr const char* kNothingToCompare =
        "Nothing to compare: no animal has two records in the loaded data set.";
    static constexpr const char* kNothingInTimeOrder =
        "Nothing to compare in time order: no animal has a record dated on a day after another "
        "of its records.";
    static constexpr const char* kDataSetChanged =
        "The data set has changed since the check. Run \"Check the Catalogue\" again to show "
        "its records.";
    static constexpr const char* kChartDescription = "Pictures (*.png *.svg)";
    static constexpr const char* kChartPattern = "*.png *.svg";

    enum class Command { Evaluate, Check };
    enum class Outcome { Pending, Done, Cancelled, Failed };

    // One run on a copy of the data set as it was when the command started, so
    // that the user may go on changing the data set while it runs. `run` is
    // called once, on any thread; meanwhile `control` may be read and cancelled
    // from another. The results are read only after `run` has returned.
    class Run {
    public:
        // How an evaluation runs: with the distance histograms the report
        // window draws, or, with the encounters by record number, in time
        // order (each query against the records dated before it; records
        // without a date counted and left out; no histograms).
        struct Options {
            bool histograms = true;
            std::optional<std::map<std::size_t, Encounter>> inTimeOrder;
        };
        Run(Command command, std::string dataSetText, Individuals individuals);
        Run(Command command, std::string dataSetText, Individuals individuals, Options options);
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

        Command command() const { return command_; }
        SweepControl& control() { return control_; }
        const std::string& dataSetText() const { return text_; }
        const Individuals& individuals() const { return individuals_; }
        bool inTimeOrder() const { return options_.inTimeOrder.has_value(); }

        Outcome run();
        Outcome outcome() const { return outcome_; }
        // Why a failed run stopped.
        const std::string& error() const { return error_; }
        // Set once the run is Done: the evaluation (Evaluate) or the audit (Check).
        const MatchEvaluation* evaluation() const { return evaluation_ ? &*evaluation_ : nullptr; }
        const CatalogueAudit* audit() const { return audit_ ? &*audit_ : nullptr; }

    private:
        Command command_;
        std::string text_;
        Individuals individuals_;
        Options options_;
        SweepControl control_;
        // Views into text_, which never moves: a run is neither copied nor moved.
        std::optional<Catalogue> catalogue_;
        std::optional<MatchEvaluation> evaluation_;
        std::optional<CatalogueAudit> audit_;
        Outcome outcome_ = Outcome::Pending;
        std::string error_;
    };

    CatalogueCommands(PlatformServices& services, MainWindowModel& model);

    // The individual pattern question, titled `title`, offering `offered`:
    // the pattern typed and its reading. Nothing on Cancel, or after a
    // message saying why when the pattern is no regular expression.
    struct Pattern {
        std::string text;
        Individuals individuals;
    };
    static std::optional<Pattern> askPattern(PlatformServices& services, const char* title,
                                             const std::string& offered);

    // Asks for the individual pattern and copies the loaded data set for a
    // run. Nothing, after a message saying why, when the pattern is no regular
    // expression. (The input box gives an empty text on Cancel, which is the
    // default reading; the progress dialog still offers Cancel.)
    std::shared_ptr<Run> start(Command command);
    // The evaluation of `previous` again, with its individual pattern, on the
    // data set and encounters as they are now: in time order or not.
    std::shared_ptr<Run> again(const Run& previous, bool inTimeOrder);

    // Whether a run that has returned has a window to open. A cancelled run
    // changes nothing; a failed one and an evaluation without a query say why
    // (in time order: that no animal has an earlier dated record).
    bool finished(const Run& run);

    // "Copy to the Clipboard": the report as the batch tool prints it.
    void copyReport(const Run& run);

    // "Save Chart…": `render` gives the picture's bytes as SVG (true) or PNG
    // (false). A name without .svg or .png is saved as PNG with ".png" added.
    // False when the dialog was cancelled or the file could not be written
    // (with a message).
    bool saveChart(const std::function<std::string(bool svg)>& render);

    // "Show": the first record of finding `index` of a finished check onto the
    // sheet as a pick from "Select Record" puts it. When the data set is no
    // longer the one checked, says so and changes nothing.
    bool show(const Run& run, std::size_t index);

    // The rates table of an evaluation, header first, as rows of fields.
    static std::vector<std::vector<std::string>> ratesTable(const MatchEvaluation& evaluation);

    // The same- and different-animal distances of one kind as shares of their
    // pairs in `bars` equal bars from 0 up to where both have 99 % of their
    // pairs (and past the threshold), for a chart.
    struct Histogram {
        double barWidth = 0.0;
        std::vector<double> same;        // empty when no animal has two records
        std::vector<double> different;   // empty when there is no pair of two animals
        std::optional<double> threshold; // the equal-error distance, as the check takes it
    };
    static Histogram histogram(const MatchEvaluation& evaluation, Measure kind, std::size_t bars);

private:
    void message(const std::string& text, const char* title, PlatformServices::Icon icon);

    PlatformServices& services_;
    MainWindowModel& model_;
};

} // namespace korvex
