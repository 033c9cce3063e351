#include "uilogic/PopulationWindowModel.h"

#include "exchange/PhotoCompanion.h"
#include "model/DataSet.h"
#include "model/NumberText.h"
#include "uilogic/MainWindowModel.h"

#include <algorithm>
#include <cctype>
#include <regex>

namespace korvex {

namespace {

// "1 record has", "3 records have": counts read as English.
std::string counted(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + ' ' + std::string(n == 1 ? one : many);
}

std::string baseName(const std::string& path) {
    return path.substr(path.find_last_of("/\\") + 1);
}

bool endsWithFolded(const std::string& text, std::string_view end) {
    if (text.size() < end.size())
        return false;
    return std::equal(end.rbegin(), end.rend(), text.rbegin(), [](char a, char b) {
        return a == static_cast<char>(std::tolower(static_cast<unsigned char>(b)));
    });
}

struct FileKind {
    const char* description;
    const char* pattern;
    const char* extension;
};

FileKind fileKind(PopulationWindowModel::Format format) {
    using Format = PopulationWindowModel::Format;
    switch (format) {
    case Format::Mark:
        return {"MARK input (*.inp)", "*.inp", ".inp"};
    case Format::Secr:
        return {"secr capture file (*.txt)", "*.txt", ".txt"};
    case Format::Rcapture:
    case Format::DarwinCore:
        break;
    }
    return {"CSV files (*.csv)", "*.csv", ".csv"};
}

std::string number(double value) {
    return fixedText(value, 2);
}

} // namespace

PopulationWindowModel::PopulationWindowModel(PlatformServices& services, MainWindowModel& model)
    : services_(services), model_(model) {
    std::string error;
    if (auto reading = Individuals::withPattern(model_.individualPattern(), error)) {
        pattern_ = model_.individualPattern();
        individuals_ = std::move(*reading);
    }
    occasions_.propose(model_.document().encountersByRecord());
    refresh();
}

void PopulationWindowModel::message(const std::string& text, const char* title,
                                    PlatformServices::Icon icon) {
    services_.messageBox(text, title, icon, PlatformServices::Buttons::Ok);
}

void PopulationWindowModel::refresh() {
    histories_.reset();
    catalogue_.reset();
    text_ = std::string(model_.dataSet().text());
    encounters_ = model_.document().encountersByRecord();
    catalogue_ = Catalogue::read(text_, individuals_);
    std::string error;
    if (auto read = occasions_.occasions(error))
        histories_ =
            CaptureHistories::build(*catalogue_, individuals_, encounters_, std::move(*read));
}

bool PopulationWindowModel::setPattern(const std::string& text) {
    std::string error;
    auto reading = Individuals::withPattern(text, error);
    if (!reading) {
        message("The individual pattern \"" + text + "\" is no regular expression: " + error,
                kExportTitle, PlatformServices::Icon::Warning);
        return false;
    }
    pattern_ = text;
    individuals_ = std::move(*reading);
    model_.setIndividualPattern(text);
    refresh();
    return true;
}

void PopulationWindowModel::proposeOccasions() {
    occasions_.propose(model_.document().encountersByRecord());
    refresh();
}

bool PopulationWindowModel::setOccasionsText(const std::string& text) {
    std::string error;
    if (!occasions_.setText(text, error)) {
        message(error, kExportTitle, PlatformServices::Icon::Warning);
        return false;
    }
    refresh();
    return true;
}

std::string PopulationWindowModel::occasionProblem() const {
    std::string error;
    return occasions_.occasions(error) ? std::string() : error;
}

std::string PopulationWindowModel::summary() const {
    if (!histories_)
        return occasionProblem();
    return counted(histories_->individuals().size(), "individual", "individuals") + " caught; " +
           counted(histories_->undated(), "record has", "records have") + " no date; " +
           counted(histories_->outside(), "record is", "records are") +
           " dated outside every occasion.";
}

std::string PopulationWindowModel::positionsNote() const {
    if (format_ != Format::Secr || !histories_)
        return std::string();
    std::string note;
    if (histories_->withoutSite() > 0)
        note = counted(histories_->withoutSite(), "capture has", "captures have") +
               " no site and no line in the capture file.";
    std::vector<std::string> unpositioned;
    histories_->secrTraps(unpositioned);
    if (!unpositioned.empty()) {
        if (!note.empty())
            note += ' ';
        note += unpositioned.size() == histories_->sites().size()
                    ? std::string("No site has a position: no trap file.")
                    : std::string("Left out of the trap file for want of a position: ");
        if (unpositioned.size() != histories_->sites().size()) {
            for (std::size_t i = 0; i < unpositioned.size(); ++i)
                note += (i ? ", " : "") + unpositioned[i];
            note += '.';
        }
    }
    return note;
}

std::vector<PopulationWindowModel::OutputFile> PopulationWindowModel::files() const {
    if (format_ == Format::DarwinCore) {
        std::map<std::size_t, std::string> photos;
        const auto pieces = DataSet::splitPieces(text_);
        const auto entries =
            PhotoCompanion::entriesForPieces(pieces, model_.document().photoEntries());
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i])
                photos[i + 1] = baseName(entries[i]->photoPath);
        const auto& path = model_.document().dataFilePath();
        return {{"", CaptureHistories::darwinCore(*catalogue_, individuals_, encounters_,
                                                  path ? baseName(*path) : std::string(), species_,
                                                  photos)}};
    }
    if (!histories_)
        return {};
    switch (format_) {
    case Format::Mark:
        return {{"", histories_->mark()}};
    case Format::Rcapture:
        return {{"", histories_->rcapture()}};
    case Format::Secr:
    case Format::DarwinCore:
        break;
    }
    std::vector<OutputFile> out{{"", histories_->secrCaptures()}};
    std::vector<std::string> unpositioned;
    std::string traps = histories_->secrTraps(unpositioned);
    if (unpositioned.size() < histories_->sites().size())
        out.push_back({".traps.txt", std::move(traps)});
    return out;
}

bool PopulationWindowModel::save() {
    refresh();
    const auto written = files();
    if (written.empty()) {
        message("Nothing to save: " + occasionProblem(), kExportTitle,
                PlatformServices::Icon::Warning);
        return false;
    }
    const FileKind kind = fileKind(format_);
    auto path = services_.saveFileName(kind.description, kind.pattern);
    if (!path)
        return false;
    if (!endsWithFolded(*path, kind.extension))
        *path += kind.extension;
    // The trap file is named after the capture file: "name.txt" beside "name.traps.txt".
    const std::string stem =
        path->substr(0, path->size() - std::string_view(kind.extension).size());
    for (const OutputFile& file : written) {
        const std::string target = file.suffix.empty() ? *path : stem + file.suffix;
        const auto result = services_.writeFile(target, file.bytes);
        if (!result.ok) {
            message("The file " + target + " could not be written: " + result.error, kExportTitle,
                    PlatformServices::Icon::Warning);
            return false;
        }
    }
    return true;
}

std::vector<std::vector<std::string>> PopulationWindowModel::countsTable() const {
    std::vector<std::vector<std::string>> rows{
        {"Occasion", "First day", "Last day", "Caught C_t", "Recaptured R_t", "Marked before M_t"}};
    if (!histories_)
        return rows;
    const auto estimates = PopulationEstimates::of(*histories_);
    for (std::size_t t = 0; t < estimates.counts().size(); ++t) {
        const auto& c = estimates.counts()[t];
        const Occasion& o = histories_->occasions()[t];
        rows.push_back({std::to_string(t + 1), o.first.text(), o.last.text(),
                        std::to_string(c.caught), std::to_string(c.recaptured),
                        std::to_string(c.markedBefore)});
    }
    return rows;
}

std::string PopulationWindowModel::estimatesText() const {
    if (!histories_)
        return occasionProblem();
    const auto estimates = PopulationEstimates::of(*histories_);
    const auto chapman = estimates.chapman();
    if (!chapman)
        return kFewerThanTwo;
    std::string out = "Chapman (occasions 1 and 2): N = " + number(chapman->estimate) +
                      ", 95% bounds " + number(chapman->lower) + " to " + number(chapman->upper) +
                      "\n";
    out += "Schnabel (all occasions): N = " + number(*estimates.schnabel()) + "\n";
    if (!recognition_) {
        out += "Recognition rate p: not known: type it, or learn it from the catalogue.\n";
    } else {
        out += "Recognition rate p: " + number(*recognition_) + " (" + recognitionNote_ + ")\n";
        const auto corrected = estimates.chapmanCorrected(*recognition_);
        out += "Chapman corrected with R / p: " +
               (corrected ? "N = " + number(*corrected)
                          : std::string("none, for a recognition rate of 0")) +
               "\n";
    }
    out += kDifferenceMeaning;
    return out;
}

std::string PopulationWindowModel::estimatesReport() const {
    if (!histories_)
        return std::string();
    return PopulationEstimates::of(*histories_).report(recognition_).value_or(std::string());
}

void PopulationWindowModel::copyEstimates() {
    const std::string text = estimatesReport();
    if (text.empty())
        return;
    services_.clearClipboard();
    services_.setClipboardText(text);
}

bool PopulationWindowModel::setRecognitionText(const std::string& text) {
    if (text.empty()) {
        recognition_.reset();
        return true;
    }
    // The form and range `estimate --recognition` takes.
    static const std::regex kShare(R"(\+?([0-9]+\.?[0-9]*|\.[0-9]+))");
    const double value = readNumber(text);
    if (!std::regex_match(text, kShare) || !(value > 0.0 && value <= 1.0)) {
        message("The recognition rate p is a share above 0 and at most 1 (0.85), not \"" + text +
                    "\".",
                kEstimatesTitle, PlatformServices::Icon::Warning);
        return false;
    }
    recognition_ = value;
    recognitionNote_ = "typed";
    return true;
}

std::shared_ptr<CatalogueCommands::Run>
PopulationWindowModel::recognitionRun(bool inTimeOrder) const {
    CatalogueCommands::Run::Options options;
    options.histograms = false;
    if (inTimeOrder)
        options.inTimeOrder = model_.document().encountersByRecord();
    return std::make_shared<CatalogueCommands::Run>(CatalogueCommands::Command::Evaluate,
                                                    std::string(model_.dataSet().text()),
                                                    individuals_, std::move(options));
}

bool PopulationWindowModel::takeRecognition(const CatalogueCommands::Run& run) {
    switch (run.outcome()) {
    case CatalogueCommands::Outcome::Done:
        break;
    case CatalogueCommands::Outcome::Failed:
        message(run.error(), kEstimatesTitle, PlatformServices::Icon::Critical);
        return false;
    case CatalogueCommands::Outcome::Pending:
    case CatalogueCommands::Outcome::Cancelled:
        return false;
    }
    const MatchEvaluation& evaluation = *run.evaluation();
    if (evaluation.queries() == 0) {
        message(run.inTimeOrder()
                    ? "No animal has a record dated after another of its records to learn the "
                      "recognition rate from: type p for a corrected estimate."
                    : "No animal has two records to learn the recognition rate from: type p "
                      "for a corrected estimate.",
                kEstimatesTitle, PlatformServices::Icon::Information);
        return false;
    }
    recognition_ = evaluation.of(Measure::D).topRate(1);
    recognitionNote_ = "the top-1 rate of D, " + counted(evaluation.queries(), "query", "queries") +
                       (run.inTimeOrder() ? " in time order" : " left out one at a time");
    return true;
}

} // namespace korvex
