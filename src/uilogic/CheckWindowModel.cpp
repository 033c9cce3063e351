#include "uilogic/CheckWindowModel.h"

#include "analysis/ComparisonRun.h"
#include "exchange/TextEncoding.h"
#include "model/RecordLine.h"
#include "uilogic/MainWindowModel.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <utility>

namespace korvex {

namespace {

std::string quoted(const std::string& text) {
    return "\u201c" + text + "\u201d";
}

std::string shownCode(const std::string& bytes) {
    return quoted(TextEncoding::toDisplayUtf8(bytes));
}

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

CheckWindowModel::CheckWindowModel(MainWindowModel& main, PlatformServices& services)
    : main_(main), services_(services) {}

bool CheckWindowModel::checkSelected(std::optional<std::size_t> selected) {
    const auto info = [this](const char* text) {
        services_.messageBox(text, MainWindowModel::kAppTitle, PlatformServices::Icon::Information,
                             PlatformServices::Buttons::Ok);
        return false;
    };
    const ListWindowModel& list = std::as_const(main_.listWindow());
    if (!list.exists() || !selected || *selected >= list.list().count())
        return info(kNeedsSelection);
    auto check = lineAt(*selected, false);
    if (!check)
        return info(kNeedsRanking);
    show(std::move(*check));
    return true;
}

std::optional<CandidateCheck> CheckWindowModel::lineAt(std::size_t position,
                                                       bool sameSpecimen) const {
    const ComparisonState& comparison = main_.comparison();
    auto check = CandidateCheck::of(comparison, std::as_const(main_.listWindow()).list(), position);
    if (!check)
        return check;
    if (sameSpecimen && check_) {
        check->query = check_->query;
        return check;
    }
    const auto specimen = CandidateCheck::sheetSpecimen(comparison, main_.display().recordNumber);
    // A sheet never stored is named by its values, so that checking it
    // again finds the same decisions.
    check->query = specimen.recordNumber != 0
                       ? RecordIdentity{specimen.code, specimen.recordLine, specimen.occurrence}
                       : RecordIdentity{"", comparison.rankedSheetLine, 0};
    return check;
}

void CheckWindowModel::show(CandidateCheck check) {
    check_ = std::move(check);
    picked_.clear();
    hovered_.reset();
    status_.clear();
}

bool CheckWindowModel::step(int delta) {
    if (delta == 0 || !canStep(delta))
        return false;
    auto next = lineAt(std::size_t(static_cast<long long>(check_->position) + delta), true);
    if (!next)
        return false;
    show(std::move(*next));
    return true;
}

bool CheckWindowModel::isCurrent() const {
    const ComparisonState& comparison = main_.comparison();
    const ListWindowModel& list = std::as_const(main_.listWindow());
    if (!check_ || check_->run != comparison.run || !list.exists())
        return false;
    // Select Record refills the list without a comparison.
    if (ComparisonRun::recordOfRankedLine(comparison, list.list(), check_->position) !=
        check_->recordNumber)
        return false;
    // The check names its records by their lines and occurrences among the
    // records compared. A record changed or taken out since may hand an
    // occurrence to another record of the same text; records appended change
    // none of them.
    auto pieces = main_.dataSet().pieces();
    pieces.pop_back(); // the piece after the last CR LF is no record
    const auto& compared = comparison.recordLines;
    return pieces.size() >= compared.size() &&
           std::equal(compared.begin(), compared.end(), pieces.begin());
}

bool CheckWindowModel::canStep(int delta) const {
    if (!isCurrent())
        return false;
    const long long to = static_cast<long long>(check_->position) + delta;
    return to >= 0 && to < static_cast<long long>(check_->lineCount);
}

bool CheckWindowModel::canDecide() const {
    return isCurrent() && !check_->isSelf();
}

const Decision* CheckWindowModel::decide(Verdict verdict) {
    if (!canDecide())
        return nullptr;
    return &main_.LogDecision(Decision{check_->query, check_->candidate(), verdict,
                                       std::string(nameOf(check_->measure)), check_->listedText,
                                       services_.currentTimeUtc()});
}

const Decision* CheckWindowModel::decision() const {
    if (!check_)
        return nullptr;
    const DecisionLog& records = main_.document().decisions();
    const RecordIdentity& query = check_->query;
    const RecordIdentity candidate = check_->candidate();
    // Decided while either record was a sheet not stored yet: then its values
    // alone named it. Of all the ways the pair was named, the last decision wins.
    const auto byValues = [](const RecordIdentity& record) -> std::optional<RecordIdentity> {
        const std::string_view values = CandidateCheck::valuesOf(record.recordLine);
        if (!record.isStored() || values.empty())
            return std::nullopt;
        return RecordIdentity{"", std::string(values), 0};
    };
    const Decision* last = records.latestFor(query, candidate);
    const auto keepLater = [&](const Decision* d) {
        if (d && (!last || std::less<>()(last, d)))
            last = d;
    };
    if (const auto sheet = byValues(query))
        keepLater(records.latestFor(*sheet, candidate));
    if (const auto other = byValues(candidate))
        keepLater(records.latestFor(query, *other));
    return last;
}

std::string CheckWindowModel::decisionText() const {
    if (!check_)
        return {};
    if (!isCurrent())
        return kStaleText;
    if (check_->isSelf())
        return kSelfText;
    const Decision* last = decision();
    if (!last)
        return kUndecidedText;
    return "Decided: " + std::string(verdictText(last->verdict)) + " (" +
           last->decidedAt + ", at " + last->measure + " = " +
           TextEncoding::toDisplayUtf8(last->distance) + ").";
}

std::string CheckWindowModel::summaryText() const {
    if (!check_)
        return {};
    const CandidateCheck& c = *check_;
    const std::string dot = "  \u00b7  ";
    return "Code " + shownCode(c.code) + dot + "Record No. " + std::to_string(c.recordNumber) +
           dot + std::string(nameOf(c.measure)) + " = " + c.listedText + " as listed (" + c.distanceText + ")" + dot +
           "line " + std::to_string(c.position + 1) + " of " + std::to_string(c.lineCount);
}

std::string CheckWindowModel::sumsText() const {
    return check_ ? check_->sumText() : std::string();
}

bool CheckWindowModel::sheetShowsPhoto() const {
    const auto& segments = main_.digitising().segments();
    return main_.photoRecords().openPhoto() && main_.digitising().photoSize() &&
           std::any_of(segments.begin(), segments.end(), [](const auto& s) { return s.has_value(); });
}

std::string CheckWindowModel::sheetTitle() const {
    return sheetPhoto().title;
}

CheckWindowModel::SheetPhoto CheckWindowModel::sheetPhoto() const {
    SheetPhoto photo;
    const auto& open = main_.photoRecords().openPhoto();
    if (sheetShowsPhoto()) {
        photo.source = SheetSource::ClickedPhoto;
        photo.title = "Sheet: " + fileNameOf(*open);
        photo.says = "The sheet's values were clicked on this photo, the one open in the main "
                     "window.";
        return photo;
    }
    std::string why = open ? "The sheet's values were not clicked on the photo open in the main "
                             "window"
                           : "No photo is open in the main window";
    if (check_ && check_->query.isStored()) {
        const RecordIdentity& query = check_->query;
        auto pieces = main_.dataSet().pieces();
        const std::size_t index = indexOfOccurrence(pieces, query.recordLine, query.occurrence);
        photo.recordName = "record " + std::to_string(index + 1) + " " + shownCode(query.code);
        const auto located = main_.photoRecords().locate(query.recordLine, query.occurrence);
        if (located.path) {
            photo.source = SheetSource::RecordPhoto;
            photo.path = located.path;
            photo.entry = located.entry;
            photo.title = "Sheet: " + photo.recordName + ", " + fileNameOf(*located.path);
            photo.says = "The sheet holds the values of " + photo.recordName +
                         ": this is the photo stored with it.";
            photo.opening = "Opening the photo of " + photo.recordName + "\u2026";
            return photo;
        }
        if (located.entry) {
            std::string places;
            for (const std::string& place : located.tried)
                places += (places.empty() ? "" : "; ") + quoted(place);
            why += ", and the photo stored with " + photo.recordName +
                   ", whose values the sheet holds, was not found (places tried: " + places + ")";
        } else {
            why += ", and " + photo.recordName + ", whose values the sheet holds, keeps no photo";
        }
    } else if (open) {
        why += ", and no stored record with a photo holds them";
    }
    photo.title = open ? "Sheet: the seam scheme" : kSchemeTitle;
    photo.says = why + ": the seam scheme is shown.";
    return photo;
}

std::string CheckWindowModel::sheetUnreadableText(const std::string& path,
                                                  const std::string& error) const {
    return "The photo " + quoted(path) + " of " + sheetPhoto().recordName +
           ", whose values the sheet holds, could not be opened: " + error;
}

std::string CheckWindowModel::recordName() const {
    return "record " + std::to_string(check_->recordNumber) + " " + shownCode(check_->code);
}

CheckWindowModel::CandidatePhoto CheckWindowModel::candidatePhoto() const {
    CandidatePhoto photo;
    if (!check_)
        return photo;
    const auto located = main_.photoRecords().locate(check_->recordLine, check_->occurrence);
    photo.entry = located.entry;
    photo.title = "Candidate: " + recordName();
    if (!located.entry) {
        photo.placeholder = "The candidate, " + recordName() + ", has no photo stored.";
    } else if (!located.path) {
        std::string places;
        for (const std::string& place : located.tried)
            places += (places.empty() ? "" : "; ") + quoted(place);
        photo.placeholder = "The photo of the candidate, " + recordName() +
                            ", was not found. Places tried: " + places + ".";
    } else {
        photo.path = located.path;
        photo.title += ", " + fileNameOf(*located.path);
    }
    return photo;
}

std::string CheckWindowModel::openingText() const {
    return "Opening the photo of the candidate, " + recordName() + "\u2026";
}

std::string CheckWindowModel::unreadableText(const std::string& path,
                                             const std::string& error) const {
    return "The photo " + quoted(path) + " of the candidate, " + recordName() +
           ", could not be opened: " + error;
}

std::vector<std::string> CheckWindowModel::neighbourPhotos() const {
    std::vector<std::string> paths;
    if (!check_)
        return paths;
    for (int delta : {+1, -1}) {
        const long long at = static_cast<long long>(check_->position) + delta;
        if (at < 0 || at >= static_cast<long long>(check_->lineCount))
            continue;
        const auto near = CandidateCheck::of(
            main_.comparison(), std::as_const(main_.listWindow()).list(), std::size_t(at));
        if (!near)
            continue;
        auto located = main_.photoRecords().locate(near->recordLine, near->occurrence);
        if (located.path)
            paths.push_back(std::move(*located.path));
    }
    return paths;
}

double CheckWindowModel::sameScale(double sheetPaneHeight, double candidatePaneHeight) {
    sameScaleLength_ = kMidlineShare * std::min(sheetPaneHeight, candidatePaneHeight);
    return *sameScaleLength_;
}

void CheckWindowModel::sameScaleShown(bool sheetAligned, bool candidateAligned,
                                      bool candidateHasPicture) {
    if (sheetAligned && candidateAligned) {
        status_ = kAlignedText;
        return;
    }
    const char* which = !candidateHasPicture                 ? "the candidate has no photo shown"
                        : !sheetAligned && !candidateAligned ? "neither photo has"
                        : !sheetAligned                      ? "the sheet's photo has not"
                                                             : "the candidate's photo has not";
    status_ = std::string("Same Scale needs the whole midline, C1 to C6 or C7 to C12, clicked on "
                          "both photos; ") +
              which + ".";
}

void CheckWindowModel::candidateFramed(bool aligned) {
    if (!aligned)
        status_ = kCandidateNotAlignedText;
}

std::optional<double> CheckWindowModel::sameScaleLength() const {
    return sameScaleLength_;
}

void CheckWindowModel::fit() {
    sameScaleLength_.reset();
    status_.clear();
}

void CheckWindowModel::hoverBar(bool marginal, int index) {
    hovered_.reset();
    if (!check_)
        return;
    const auto& bars = marginal ? check_->marginalBars : check_->centralBars;
    if (index >= 0 && std::size_t(index) < bars.size())
        hovered_ = bars[std::size_t(index)].seams;
}

void CheckWindowModel::clickBar(bool marginal, std::size_t index) {
    hovered_.reset();
    if (!check_)
        return;
    const auto& bars = marginal ? check_->marginalBars : check_->centralBars;
    if (index >= bars.size())
        return;
    const auto& seams = bars[index].seams;
    picked_ = picked_ == seams ? std::vector<std::size_t>{} : seams;
}

void CheckWindowModel::pickRow(std::optional<std::size_t> row) {
    hovered_.reset();
    picked_.clear();
    if (check_ && row && *row < check_->rows.size())
        picked_ = {check_->rows[*row].seamIndex};
}

const std::vector<std::size_t>& CheckWindowModel::highlighted() const {
    return hovered_ ? *hovered_ : picked_;
}

} // namespace korvex
