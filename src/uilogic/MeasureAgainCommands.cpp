#include "uilogic/MeasureAgainCommands.h"

#include "model/DecimalComma.h"
#include "model/RecordIdentity.h"
#include "model/RecordLine.h"
#include "uilogic/MainWindowModel.h"
#include "uilogic/PathText.h"

#include <algorithm>
#include <random>
#include <utility>

namespace korvex {

namespace {

using Icon = PlatformServices::Icon;

// Digits only, at most 19 of them so that the number fits; nothing otherwise.
std::optional<std::uint64_t> wholeNumber(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    const std::string digits = text.substr(first, text.find_last_not_of(' ') + 1 - first);
    if (digits.size() > 19 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoull(digits);
}

std::string plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// A seed short enough to read off the panel and type again.
std::uint64_t randomSeed() {
    std::random_device device;
    return 10000 + device() % 90000;
}

} // namespace

MeasureAgainCommands::MeasureAgainCommands(PlatformServices& services, MainWindowModel& model)
    : proposeSeed(randomSeed), services_(services), model_(model) {}

void MeasureAgainCommands::say(const std::string& text, PlatformServices::Icon icon) {
    services_.messageBox(text, kTitle, icon, PlatformServices::Buttons::Ok);
}

void MeasureAgainCommands::changed() {
    if (onChanged)
        onChanged();
}

std::optional<std::string>
MeasureAgainCommands::ask(const std::string& prompt, const std::string& offered,
                          const std::function<std::string(const std::string&)>& problem) {
    std::string shown = offered;
    for (;;) {
        auto answer = services_.askText(prompt, kTitle, shown);
        if (!answer)
            return std::nullopt;
        const std::string why = problem(*answer);
        if (why.empty())
            return answer;
        say(why, Icon::Warning);
        shown = *answer;
    }
}

bool MeasureAgainCommands::start() {
    if (running())
        return false;
    const Document& document = model_.document();
    auto state = document.state();
    if (MeasureAgainSession::pick(document.dataSet(), state->entries, 1, 0).empty()) {
        say(kNoPhotos, Icon::Information);
        return false;
    }
    const auto count =
        ask(kCountPrompt, std::to_string(MeasureAgainSession::kDefaultCount),
            [](const std::string& text) -> std::string {
                const auto n = wholeNumber(text);
                if (n && *n >= 1)
                    return {};
                return quoted(text) + " is no number of records: give a whole number from 1.";
            });
    if (!count)
        return false;
    const auto seed =
        ask(kSeedPrompt, std::to_string(proposeSeed()), [](const std::string& text) -> std::string {
            if (wholeNumber(text))
                return {};
            return quoted(text) + " is no seed: give a whole number of at most "
                                  "19 digits.";
        });
    if (!seed)
        return false;
    const auto who =
        ask(kOperatorPrompt, lastOperator_, [](const std::string& text) -> std::string {
            if (text.find_first_of(SpecimenRecord::kFieldBreakers) == std::string::npos)
                return {};
            return "A name may not hold a TAB or a line break: the repeats' tables give each "
                   "operator one field.";
        });
    if (!who)
        return false;
    lastOperator_ = *who;

    pickedFrom_ = std::move(state);
    const std::uint64_t seedValue = *wholeNumber(*seed);
    auto targets =
        MeasureAgainSession::pick(document.dataSet(), pickedFrom_->entries,
                                  static_cast<std::size_t>(*wholeNumber(*count)), seedValue);
    const DigitisingModel& d = model_.digitising();
    for (const SeamGroup& g : kSeamGroups)
        userCommands_[std::size_t(g.id)] = d.commandEnabled(g.id);
    userPhoto_.reset();
    photoReplaced_ = false;
    if (const auto& open = model_.photoRecords().openPhoto()) {
        UserPhoto& photo = userPhoto_.emplace(UserPhoto{*open, d.segments(), {}});
        for (std::size_t g = 0; g < kLabelledGroups.size(); ++g)
            photo.measuredInPixels[g] = d.measuredInPhotoPixels(kLabelledGroups[g]);
    }
    session_.emplace(std::move(targets), seedValue, d.sheet(), *who);
    taken_ = made_ = 0;
    changed();
    showCurrent();
    return true;
}

std::string MeasureAgainCommands::panelText() const {
    const auto* target = session_ ? session_->current() : nullptr;
    if (!target)
        return {};
    return "Measuring again: record " + std::to_string(numberNow()) + ", " +
           std::to_string(session_->position() + 1) + " of " +
           std::to_string(session_->targets().size()) + "; seed " +
           std::to_string(session_->seed());
}

const PhotoEntry* MeasureAgainCommands::entryNow(const PhotoEntry& picked) const {
    const PhotoEntry* found = nullptr;
    std::size_t alike = 0;
    for (const PhotoEntry& entry : model_.document().photoEntries()) {
        // Told apart cheaply first: the panel asks this at every change.
        if (entry.photoPath != picked.photoPath || entry.appendedAt != picked.appendedAt)
            continue;
        PhotoEntry asPicked = entry;
        asPicked.recordLine = picked.recordLine;
        asPicked.occurrence = picked.occurrence;
        if (!(asPicked == picked))
            continue;
        if (entry.occurrence == picked.occurrence && entry.recordLine == picked.recordLine)
            return &entry;
        found = &entry;
        ++alike;
    }
    // Two records appended alike on one photo cannot be told apart.
    return alike == 1 ? found : nullptr;
}

std::size_t MeasureAgainCommands::numberNow() const {
    const MeasureAgainSession::Target& target = *session_->current();
    if (const PhotoEntry* now = entryNow(*target.entry)) {
        const auto pieces = model_.document().dataSet().pieces();
        if (const std::size_t i = indexOfOccurrence(pieces, now->recordLine, now->occurrence);
            i < pieces.size())
            return i + 1;
    }
    return target.recordNumber;
}

void MeasureAgainCommands::showCurrent() {
    while (session_ && !session_->finished()) {
        const PhotoEntry shown = *session_->photoToShow();
        const std::size_t number = numberNow();
        const PhotoEntry* now = entryNow(*session_->current()->entry);
        const auto located = now ? model_.photoRecords().locate(now->recordLine, now->occurrence)
                                 : model_.photoRecords().locate(shown.recordLine, shown.occurrence);
        std::string trouble;
        std::optional<PlatformServices::PictureResult> picture;
        if (!located.entry) {
            trouble = "Record " + std::to_string(number) + " is no longer in the data set.";
        } else if (!located.path) {
            const auto& tried = located.tried;
            trouble = "The photo of record " + std::to_string(number) + " was not found at " +
                      quoted(shown.photoPath);
            if (tried.size() > 1 && tried.back() != shown.photoPath)
                trouble += " nor beside the data file at " + quoted(tried.back());
            trouble += ".";
        } else {
            picture = services_.loadPicture(*located.path);
            if (!picture->ok)
                trouble = "The photo of record " + std::to_string(number) + ", " +
                          quoted(*located.path) + ", could not be opened: " + picture->error;
        }
        DigitisingModel& d = model_.digitising();
        if (trouble.empty() && d.OpenPicture(*located.path, picture->widthTwips,
                                             picture->heightTwips, picture->picture)) {
            // Opening forgets every junction, and none of the record's is
            // put back: they would guide the new clicks.
            model_.photoRecords().photoOpened(*located.path, picture->damage);
            shownPath_ = *located.path;
            photoReplaced_ = true;
            model_.ClearSheet();
            if (model_.onPhotoChanged)
                model_.onPhotoChanged();
            changed();
            return;
        }
        if (trouble.empty())
            trouble = "The photo of record " + std::to_string(number) + " could not be shown.";
        changed(); // the panel names the record asked about
        const std::size_t choice =
            services_.choiceBox(trouble + " Skip this record, or stop measuring again?", kTitle,
                                Icon::Warning, {kSkip, kStop});
        if (choice == 0)
            session_->skip();
        else
            session_->stop();
    }
    finish();
}

bool MeasureAgainCommands::standardisedOrKeptAnyway() {
    const MeasurementSheet& sheet = model_.digitising().sheet();
    std::string groups;
    for (const SeamGroupId id : kLabelledGroups) {
        if (sheet.labelsLower(id))
            continue;
        const SeamGroup& g = seamGroup(id);
        const std::size_t first = g.firstSheetIndex;
        groups += (groups.empty() ? "" : ", ") + SpecimenRecord::seamName(first) + "…" +
                  SpecimenRecord::seamName(first + g.count - 1);
    }
    if (groups.empty())
        return true;
    return services_.messageBox("The values of " + groups +
                                    " are not standardised, so the repeat would not compare "
                                    "with its record. Keep it anyway?",
                                kTitle, Icon::Warning,
                                PlatformServices::Buttons::YesNo) == PlatformServices::Answer::Yes;
}

void MeasureAgainCommands::keep() {
    if (!session_ || session_->finished())
        return;
    const DigitisingModel& d = model_.digitising();
    const auto& open = model_.photoRecords().openPhoto();
    if (!open || *open != shownPath_) {
        say("The photo open is not the photo of record " + std::to_string(numberNow()) +
                " any more: a repeat is "
                "measured on its record's photo. Choose \"Skip\" to go on without it.",
            Icon::Warning);
        return;
    }
    const auto& clicked = d.segments();
    if (std::none_of(clicked.begin(), clicked.end(), [](const auto& s) { return s.has_value(); })) {
        say("Nothing has been measured on the photo yet: click the junctions of the seams, "
            "standardise the four groups, then choose \"Keep the Repeat\".",
            Icon::Information);
        return;
    }
    const MeasurementSheet& sheet = d.sheet();
    for (std::size_t i = 0; i < MeasurementSheet::kRecordValueCount; ++i)
        if (sheet.value(i).find_first_of(SpecimenRecord::kFieldBreakers) != std::string::npos) {
            say("The repeat cannot be kept: the value of " + SpecimenRecord::seamName(i) +
                    " holds a TAB, CR or LF, which would break its fields.",
                Icon::Warning);
            return;
        }
    // Kept so, it would read as the digits before the comma and make the
    // measuring error look larger or smaller than it is.
    if (const auto comma = DecimalComma::firstSheetValue(sheet, true, true)) {
        say("The repeat cannot be kept: " +
                MainWindowModel::decimalCommaSaid(SpecimenRecord::seamName(*comma),
                                                  sheet.value(*comma)),
            Icon::Warning);
        return;
    }
    if (!standardisedOrKeptAnyway())
        return;
    // The junctions in the pixels of the photo as its record keeps it, should
    // the file found now be a copy at another size.
    PhotoSegments segments = clicked;
    if (const auto size = d.photoSize()) {
        const PhotoEntry& stored = *session_->current()->entry;
        PhotoEntry atSize;
        atSize.widthPixels = size->width;
        atSize.heightPixels = size->height;
        atSize.segments = clicked;
        segments = PhotoRecords::segmentsAtSize(atSize, stored.widthPixels, stored.heightPixels);
    }
    const PhotoEntry* now = entryNow(*session_->current()->entry);
    session_->keep(sheet, segments, services_.currentTimeUtc());
    ++made_;
    RepeatMeasurement repeat = session_->kept().back();
    if (now) {
        repeat.recordLine = now->recordLine;
        repeat.occurrence = now->occurrence;
    }
    taken_ += model_.document().addRepeats({repeat});
    showCurrent();
}

void MeasureAgainCommands::skip() {
    if (!session_)
        return;
    session_->skip();
    showCurrent();
}

void MeasureAgainCommands::stop() {
    if (!session_)
        return;
    session_->stop();
    finish();
}

void MeasureAgainCommands::finish() {
    if (!session_)
        return;
    const MeasureAgainSession ended = std::move(*session_);
    session_.reset();
    pickedFrom_.reset();
    shownPath_.clear();
    const std::string photoNote = photoReplaced_ ? reopenUserPhoto() : std::string();
    DigitisingModel& d = model_.digitising();
    for (const SeamGroup& g : kSeamGroups) {
        for (std::size_t i = 0; i < g.count; ++i)
            d.setBoxText(g.id, i, ended.userSheet().cell(g.id, i));
        d.setLabelsLower(g.id, ended.userSheet().labelsLower(g.id));
        d.setCommandEnabled(g.id, userCommands_[std::size_t(g.id)]);
    }
    // After the values: a box given another text forgets its junctions.
    if (userPhoto_ && photoReplaced_ && photoNote.empty())
        d.restoreSegments(userPhoto_->segments, userPhoto_->measuredInPixels);
    const std::size_t made = made_;
    const std::size_t kept = taken_;
    changed();
    if (model_.onChanged)
        model_.onChanged();
    std::string text =
        "Measuring again has ended: " + plural(kept, "repeat was", "repeats were") + " kept";
    if (kept < made)
        text += "; " + plural(made - kept, "repeat was", "repeats were") +
                (made - kept == 1 ? " not, as its record is" : " not, as their records are") +
                " no longer in the data set";
    say(text + ". Your sheet is back as it was." + photoNote, Icon::Information);
}

std::string MeasureAgainCommands::reopenUserPhoto() {
    if (!userPhoto_)
        return " The photo of the last record measured is still open.";
    const std::string& path = userPhoto_->path;
    const auto picture = services_.loadPicture(path);
    DigitisingModel& d = model_.digitising();
    if (!picture.ok ||
        !d.OpenPicture(path, picture.widthTwips, picture.heightTwips, picture.picture))
        return " Your photo " + quoted(path) + " could not be opened again" +
               (picture.ok ? std::string(".") : ": " + picture.error) +
               " The photo of the last record measured is still open.";
    model_.photoRecords().photoOpened(path, picture.damage);
    if (model_.onPhotoChanged)
        model_.onPhotoChanged();
    return {};
}

} // namespace korvex
