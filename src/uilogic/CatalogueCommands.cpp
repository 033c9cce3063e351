#include "uilogic/CatalogueCommands.h"

#include "model/DataSet.h"
#include "model/RecordLine.h"
#include "uilogic/MainWindowModel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <new>

namespace korvex {

CatalogueCommands::Run::Run(Command command, std::string dataSetText, Individuals individuals)
    : Run(command, std::move(dataSetText), std::move(individuals), Options()) {}

CatalogueCommands::Run::Run(Command command, std::string dataSetText, Individuals individuals,
                            Options options)
    : command_(command), text_(std::move(dataSetText)), individuals_(std::move(individuals)),
      options_(std::move(options)) {}

CatalogueCommands::Outcome CatalogueCommands::Run::run() {
    try {
        catalogue_ = Catalogue::read(text_, individuals_);
        if (command_ == Command::Evaluate && options_.inTimeOrder)
            evaluation_ = MatchEvaluation::runInTimeOrder(
                *catalogue_, MatchEvaluation::recordDates(*catalogue_, *options_.inTimeOrder),
                &control_);
        else if (command_ == Command::Evaluate)
            evaluation_ = MatchEvaluation::run(*catalogue_, options_.histograms, &control_);
        else
            audit_ = CatalogueAudit::run(*catalogue_, {}, &control_);
        outcome_ = evaluation_ || audit_ ? Outcome::Done : Outcome::Cancelled;
    } catch (const std::bad_alloc&) {
        error_ = "There is not enough memory for this catalogue.";
        outcome_ = Outcome::Failed;
    } catch (const std::exception& e) {
        error_ = e.what();
        outcome_ = Outcome::Failed;
    }
    return outcome_;
}

CatalogueCommands::CatalogueCommands(PlatformServices& services, MainWindowModel& model)
    : services_(services), model_(model) {}

void CatalogueCommands::message(const std::string& text, const char* title,
                                PlatformServices::Icon icon) {
    services_.messageBox(text, title, icon, PlatformServices::Buttons::Ok);
}

std::optional<CatalogueCommands::Pattern>
CatalogueCommands::askPattern(PlatformServices& services, const char* title,
                              const std::string& offered) {
    auto answer = services.askText(kPatternPrompt, title, offered);
    if (!answer)
        return std::nullopt; // Cancel at the question runs nothing
    std::string error;
    auto individuals = Individuals::withPattern(*answer, error);
    if (!individuals) {
        services.messageBox("The individual pattern \"" + *answer +
                                "\" is no regular expression: " + error,
                            title, PlatformServices::Icon::Warning, PlatformServices::Buttons::Ok);
        return std::nullopt;
    }
    return Pattern{std::move(*answer), std::move(*individuals)};
}

std::shared_ptr<CatalogueCommands::Run> CatalogueCommands::start(Command command) {
    const char* title = command == Command::Evaluate ? kEvaluateTitle : kCheckTitle;
    auto pattern = askPattern(services_, title, std::string());
    if (!pattern)
        return nullptr;
    // Rename an Animal offers it: the animals renamed are the animals checked.
    model_.setIndividualPattern(pattern->text);
    return std::make_shared<Run>(command, std::string(model_.dataSet().text()),
                                 std::move(pattern->individuals));
}

std::shared_ptr<CatalogueCommands::Run> CatalogueCommands::again(const Run& previous,
                                                                 bool inTimeOrder) {
    Run::Options options;
    if (inTimeOrder)
        options.inTimeOrder = model_.document().encountersByRecord();
    return std::make_shared<Run>(Command::Evaluate, std::string(model_.dataSet().text()),
                                 previous.individuals(), std::move(options));
}

bool CatalogueCommands::finished(const Run& run) {
    const char* title = run.command() == Command::Evaluate ? kEvaluateTitle : kCheckTitle;
    switch (run.outcome()) {
    case Outcome::Done:
        break;
    case Outcome::Failed:
        message(run.error(), title, PlatformServices::Icon::Critical);
        return false;
    case Outcome::Pending:
    case Outcome::Cancelled:
        return false;
    }
    if (run.evaluation() && run.evaluation()->queries() == 0) {
        message(run.inTimeOrder() ? kNothingInTimeOrder : kNothingToCompare, title,
                PlatformServices::Icon::Information);
        return false;
    }
    return true;
}

void CatalogueCommands::copyReport(const Run& run) {
    const std::string text = run.evaluation() ? run.evaluation()->report()
                             : run.audit()    ? run.audit()->report()
                                              : std::string();
    if (text.empty())
        return;
    services_.clearClipboard();
    services_.setClipboardText(text);
}

bool CatalogueCommands::saveChart(const std::function<std::string(bool svg)>& render) {
    auto path = services_.saveFileName(kChartDescription, kChartPattern);
    if (!path)
        return false;
    auto endsWith = [&](std::string_view end) {
        if (path->size() < end.size())
            return false;
        return std::equal(end.rbegin(), end.rend(), path->rbegin(), [](char a, char b) {
            return a == static_cast<char>(std::tolower(static_cast<unsigned char>(b)));
        });
    };
    const bool svg = endsWith(".svg");
    if (!svg && !endsWith(".png"))
        *path += ".png";
    const auto result = services_.writeFile(*path, render(svg));
    if (!result.ok) {
        message("The chart could not be saved to " + *path + ": " + result.error, kEvaluateTitle,
                PlatformServices::Icon::Warning);
        return false;
    }
    return true;
}

bool CatalogueCommands::show(const Run& run, std::size_t index) {
    const CatalogueAudit* audit = run.audit();
    if (!audit || index >= audit->findings.size())
        return false;
    if (model_.dataSet().text() != run.dataSetText()) {
        message(kDataSetChanged, kCheckTitle, PlatformServices::Icon::Information);
        return false;
    }
    return model_.ShowPickedRecord(audit->findings[index].record);
}

std::vector<std::vector<std::string>>
CatalogueCommands::ratesTable(const MatchEvaluation& evaluation) {
    std::vector<std::vector<std::string>> rows;
    const std::string report = evaluation.report();
    // The table ends at the first empty line; the curve and the count follow.
    for (const std::string_view line : DataSet::splitPieces(report)) {
        if (line.empty())
            break;
        const auto fields = SpecimenRecord::splitFields(line);
        rows.emplace_back(fields.begin(), fields.end());
    }
    return rows;
}

CatalogueCommands::Histogram CatalogueCommands::histogram(const MatchEvaluation& evaluation,
                                                          Measure kind, std::size_t bars) {
    Histogram h;
    const auto k = static_cast<std::size_t>(kind);
    const auto& same = evaluation.sameHistograms[k];
    const auto& different = evaluation.differentHistograms[k];
    if (same && different) {
        if (const auto bin = equalErrorBin(*same, *different))
            h.threshold = same->valueOf(*bin);
    }
    // Where 99 % of a distribution's pairs lie: a few wild pairs would
    // otherwise squeeze the rest into the first bar.
    double upper = h.threshold ? *h.threshold * 1.25 : 0.0;
    for (const auto* d : {&same, &different}) {
        if (!*d || (*d)->total() == 0)
            continue;
        const DistanceHistogram& dh = **d;
        const auto wanted = static_cast<std::uint64_t>(std::ceil(0.99 * double(dh.total())));
        std::uint64_t within = dh.below();
        std::size_t bin = 0;
        for (; bin + 1 < dh.binCount(); ++bin) {
            within += dh.bin(bin);
            if (within >= wanted)
                break;
        }
        upper = std::max(upper, dh.valueOf(bin));
    }
    if (bars == 0 || upper <= 0.0)
        upper = (different ? different->step() : 0.001) * double(std::max<std::size_t>(bars, 1));
    h.barWidth = upper / double(std::max<std::size_t>(bars, 1));
    auto shares = [&](const std::optional<DistanceHistogram>& d) {
        std::vector<double> out;
        if (!d || d->total() == 0 || bars == 0)
            return out;
        out.assign(bars, 0.0);
        const double total = double(d->total());
        for (std::size_t bin = 0; bin < d->binCount(); ++bin) {
            const double value = d->valueOf(bin);
            if (value > upper)
                break;
            const auto bar = std::min(bars - 1, static_cast<std::size_t>(value / h.barWidth));
            out[bar] += double(d->bin(bin)) / total;
        }
        return out;
    };
    h.same = shares(same);
    h.different = shares(different);
    return h;
}

} // namespace korvex
