#include "uilogic/EncounterForm.h"

#include "exchange/TextEncoding.h"
#include "model/RecordLine.h"
#include "uilogic/MainWindowModel.h"
#include "uilogic/PathText.h"

#include <filesystem>
#include <set>
#include <string_view>
#include <utility>

namespace korvex {

namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

EncounterForm::Reading refused(EncounterForm::Field field, const std::string& error) {
    return {std::nullopt, field, std::string(EncounterForm::nameOf(field)) + ": " + error};
}

} // namespace

const char* EncounterForm::nameOf(Field field) {
    switch (field) {
    case Field::Date:
        return "Date";
    case Field::Time:
        return "Time";
    case Field::Site:
        return "Site";
    case Field::Latitude:
        return "Latitude";
    case Field::Longitude:
        return "Longitude";
    case Field::Observer:
        return "Observer";
    case Field::Note:
        return "Note";
    }
    return "";
}

EncounterForm::Fields EncounterForm::fieldsOf(const Encounter& encounter) {
    Fields fields;
    const std::string when = encounter.dateText();
    fields.date = when.substr(0, 10);
    if (when.size() > 11)
        fields.time = when.substr(11);
    // The dialog shows UTF-8: bytes from an 8-bit file would come back from
    // it as replacement marks.
    fields.site = TextEncoding::toDisplayUtf8(encounter.site);
    fields.latitude = Encounter::degreesText(encounter.latitude);
    fields.longitude = Encounter::degreesText(encounter.longitude);
    fields.observer = TextEncoding::toDisplayUtf8(encounter.observer);
    fields.note = TextEncoding::toDisplayUtf8(encounter.note);
    return fields;
}

EncounterForm::Reading EncounterForm::read(const Fields& fields) {
    Encounter encounter;
    std::string error;
    const std::string date = trimmed(fields.date);
    const std::string time = trimmed(fields.time);
    if (!encounter.setDateText(date, error))
        return refused(Field::Date, error);
    if (!time.empty()) {
        if (date.empty())
            return refused(Field::Time, "A time of day needs a date.");
        // The time field says the time, whatever the date field held after its date.
        if (!encounter.setDateText(date.substr(0, 10) + "T" + time, error))
            return refused(Field::Time, error);
    }
    if (!encounter.setLatitudeText(trimmed(fields.latitude), error))
        return refused(Field::Latitude, error);
    if (!encounter.setLongitudeText(trimmed(fields.longitude), error))
        return refused(Field::Longitude, error);
    encounter.site = trimmed(fields.site);
    encounter.observer = trimmed(fields.observer);
    encounter.note = trimmed(fields.note);
    if (const auto problem = encounter.problem())
        // Half a position: the half not given is the one to fill in.
        return refused(encounter.latitude ? Field::Longitude : Field::Latitude, *problem);
    return {std::move(encounter), std::nullopt, {}};
}

EncounterForm::EncounterForm(PlatformServices& services, Document& document,
                             std::size_t recordNumber, std::optional<std::string> photoPath)
    : services_(services), document_(document), store_(&document), recordNumber_(recordNumber),
      photoPath_(std::move(photoPath)) {
    const std::string_view line = document.dataSet().piece(recordNumber - 1);
    heading_ = "Record " + std::to_string(recordNumber) + " (\"" +
               std::string(SpecimenRecord::codeOf(line)) + "\")";
    if (const Encounter* held = document.encounterOf(recordNumber))
        fields_ = fieldsOf(*held);
}

EncounterForm::EncounterForm(PlatformServices& services, const Document& document,
                             const std::string& code, const Encounter& offered,
                             std::optional<std::string> photoPath)
    : services_(services), document_(document), photoPath_(std::move(photoPath)),
      heading_("The record to append (\"" + code + "\")"), fields_(fieldsOf(offered)) {}

std::optional<EncounterForm> EncounterForm::forShownRecord(PlatformServices& services,
                                                           MainWindowModel& model) {
    const auto n = model.recordShownNumber();
    if (!n) {
        services.messageBox(kNoRecordShown, kTitle, PlatformServices::Icon::Information,
                            PlatformServices::Buttons::Ok);
        return std::nullopt;
    }
    const RecordIdentity record = model.document().identityOf(*n);
    auto photo = model.photoRecords().locate(record.recordLine, record.occurrence).path;
    return EncounterForm(services, model.document(), *n, std::move(photo));
}

std::vector<std::string> EncounterForm::siteChoices() const {
    std::set<std::string> shown;
    for (const std::string& name : document_.siteNames())
        shown.insert(TextEncoding::toDisplayUtf8(name));
    return {shown.begin(), shown.end()};
}

void EncounterForm::say(const std::string& text, PlatformServices::Icon icon) {
    services_.messageBox(text, kTitle, icon, PlatformServices::Buttons::Ok);
}

EncounterForm::Fields EncounterForm::fromPhoto(const Fields& typed) {
    Fields out = typed;
    if (!photoPath_) {
        say("This record keeps no photo that can be found, so there is no date or position to "
            "read.",
            PlatformServices::Icon::Information);
        return out;
    }
    const PhotoExif::Found found = PhotoExif::read(*photoPath_);
    Encounter fromExif;
    found.fillBlanks(fromExif);
    const Fields read = fieldsOf(fromExif);
    if (found.date) {
        out.date = read.date;
        out.time = read.time;
    }
    if (found.hasPosition()) {
        out.latitude = read.latitude;
        out.longitude = read.longitude;
    }
    const std::string name = korvex::quoted(std::filesystem::path(*photoPath_).filename().string());
    if (!found.problem.empty())
        say(found.problem, PlatformServices::Icon::Warning);
    else if (!found.date && !found.hasPosition())
        say("The photo " + name + " holds no date and no position (no Exif of a camera).",
            PlatformServices::Icon::Information);
    return out;
}

bool EncounterForm::accept(const Fields& typed) {
    Reading reading = read(typed);
    badField_ = reading.field;
    if (!reading.encounter) {
        say(reading.message, PlatformServices::Icon::Warning);
        return false;
    }
    if (store_ && !store_->setEncounter(recordNumber_, *reading.encounter)) {
        say(heading_ + " is no longer in the data set; nothing was stored.",
            PlatformServices::Icon::Warning);
        return false;
    }
    accepted_ = std::move(reading.encounter);
    return true;
}

} // namespace korvex
