#include "uilogic/EncounterTable.h"

#include "exchange/TextEncoding.h"
#include "model/ByteHash.h"
#include "model/RecordIdentity.h"
#include "model/RecordLine.h"
#include "uilogic/CatalogueCommands.h"
#include "uilogic/EncounterForm.h"
#include "uilogic/MainWindowModel.h"
#include "uilogic/PathText.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <utility>

namespace korvex {

namespace {

using Field = EncounterForm::Field;

std::string folded(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// -1, 0 or 1 as `a` comes before, with or after `b`.
template <class T> int order(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

std::optional<std::pair<CalendarDate, int>> moment(const Encounter& e) {
    if (!e.date)
        return std::nullopt;
    return std::pair{*e.date, e.secondsOfDay.value_or(-1)};
}

// The sort key of a text cell: nothing when the cell is empty.
std::optional<std::string> textKey(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    return folded(text);
}

template <class T>
int compareKeys(const std::optional<T>& a, const std::optional<T>& b, bool ascending) {
    // An empty cell comes last, whichever way the column is sorted.
    if (!a || !b)
        return a ? -1 : (b ? 1 : 0);
    const int c = order(*a, *b);
    return ascending ? c : -c;
}

void appendCsvField(std::string& out, const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        out += field;
        return;
    }
    out.push_back('"');
    for (const char c : field) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

void appendTabField(std::string& out, const std::string& field) {
    for (const char c : field)
        out.push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
}

} // namespace

EncounterTable::EncounterTable(PlatformServices& services, MainWindowModel& model)
    : services_(services), model_(model) {
    std::string error;
    if (auto reading = Individuals::withPattern(model.individualPattern(), error))
        individuals_ = std::move(*reading);
    refresh();
}

void EncounterTable::refresh() {
    rows_.assign(model_.dataSet().RecordCount(), Row{});
    for (std::size_t i = 0; i < rows_.size(); ++i)
        rows_[i].recordNumber = i + 1;
    refreshValues();
}

void EncounterTable::refreshValues() {
    const Document& document = model_.document();
    const DataSet& dataSet = document.dataSet();
    if (rows_.size() != dataSet.RecordCount()) {
        refresh();
        return;
    }
    const auto pieces = dataSet.pieces();
    const std::map<std::size_t, Encounter> encounters = document.encountersByRecord();
    IdentityMap<const PhotoEntry*> photos;
    for (const PhotoEntry& entry : document.photoEntries())
        photos.emplace(std::pair{std::string_view(entry.recordLine), entry.occurrence}, &entry);

    struct Record {
        std::string individual;
        const Encounter* encounter = nullptr;
        std::string photo;
    };
    std::vector<Record> records(dataSet.RecordCount());
    std::map<std::string, std::set<std::string>> sites;
    OccurrenceCounter occurrences;
    for (std::size_t i = 0; i < records.size(); ++i) {
        Record& r = records[i];
        const std::size_t occurrence = occurrences.next(pieces[i]);
        r.individual = individuals_.individualOf(SpecimenRecord::codeOf(pieces[i]));
        if (const auto it = encounters.find(i + 1); it != encounters.end()) {
            r.encounter = &it->second;
            // Counted as shown: one site in either encoding is one site.
            if (!it->second.site.empty())
                sites[r.individual].insert(TextEncoding::toDisplayUtf8(it->second.site));
        }
        if (const auto it = photos.find({pieces[i], occurrence}); it != photos.end())
            r.photo = std::filesystem::path(it->second->photoPath).filename().string();
    }
    for (Row& row : rows_) {
        const Record& r = records[row.recordNumber - 1];
        row.code = std::string(SpecimenRecord::codeOf(pieces[row.recordNumber - 1]));
        row.individual = r.individual;
        row.encounter = r.encounter ? *r.encounter : Encounter{};
        row.photo = r.photo;
        // Records with empty codes are one animal, as the Catalogue commands read them.
        const auto it = sites.find(r.individual);
        row.sitesOfIndividual = it == sites.end() ? 0 : it->second.size();
    }
    readState_ = document.state();
    readTextSize_ = dataSet.text().size();
    readTextHash_ = hashOfBytes(dataSet.text());
}

bool EncounterTable::rowsAreCurrent() const {
    const Document& document = model_.document();
    const std::string& text = document.dataSet().text();
    return readState_ == document.state() && readTextSize_ == text.size() &&
           readTextHash_ == hashOfBytes(text);
}

void EncounterTable::refreshRow(std::size_t row) {
    const Document& document = model_.document();
    Row& edited = rows_[row];
    const Encounter* held = document.encounterOf(edited.recordNumber);
    edited.encounter = held ? *held : Encounter{};
    // Counted as refreshValues counts them, over the rows of the same animal.
    std::set<std::string> sites;
    for (const Row& r : rows_)
        if (r.individual == edited.individual && !r.encounter.site.empty())
            sites.insert(TextEncoding::toDisplayUtf8(r.encounter.site));
    for (Row& r : rows_)
        if (r.individual == edited.individual)
            r.sitesOfIndividual = sites.size();
    readState_ = document.state();
}

std::string EncounterTable::text(std::size_t row, Column column) const {
    const Row& r = rows_[row];
    const Encounter& e = r.encounter;
    switch (column) {
    case RecordColumn:
        return std::to_string(r.recordNumber);
    case CodeColumn:
        return TextEncoding::toDisplayUtf8(r.code);
    case IndividualColumn:
        return TextEncoding::toDisplayUtf8(r.individual);
    case DateColumn: {
        std::string when = e.dateText();
        if (when.size() > 10)
            when[10] = ' ';
        return when;
    }
    case SiteColumn:
        return TextEncoding::toDisplayUtf8(e.site);
    case SitesColumn:
        return std::to_string(r.sitesOfIndividual);
    case LatitudeColumn:
        return Encounter::degreesText(e.latitude);
    case LongitudeColumn:
        return Encounter::degreesText(e.longitude);
    case ObserverColumn:
        return TextEncoding::toDisplayUtf8(e.observer);
    case NoteColumn:
        return TextEncoding::toDisplayUtf8(e.note);
    case PhotoColumn:
        return TextEncoding::toDisplayUtf8(r.photo);
    case kColumnCount:
        break;
    }
    return {};
}

bool EncounterTable::isEditable(Column column) {
    switch (column) {
    case DateColumn:
    case SiteColumn:
    case LatitudeColumn:
    case LongitudeColumn:
    case ObserverColumn:
    case NoteColumn:
        return true;
    default:
        return false;
    }
}

std::size_t EncounterTable::individualsAtSeveralSites() const {
    std::set<std::string> animals;
    for (const Row& row : rows_)
        if (row.sitesOfIndividual >= 2)
            animals.insert(row.individual);
    return animals.size();
}

std::string EncounterTable::summary() const {
    const std::size_t n = individualsAtSeveralSites();
    const std::string records =
        std::to_string(rows_.size()) + (rows_.size() == 1 ? " record; " : " records; ");
    if (n == 0)
        return records + "no individual was seen at more than one site";
    return records + std::to_string(n) +
           (n == 1 ? " individual was seen at more than one site"
                   : " individuals were seen at more than one site");
}

void EncounterTable::sort(Column column, bool ascending) {
    const auto compare = [&](std::size_t i, std::size_t j) -> int {
        const Encounter& x = rows_[i].encounter;
        const Encounter& y = rows_[j].encounter;
        switch (column) {
        case RecordColumn:
            return compareKeys<std::size_t>(rows_[i].recordNumber, rows_[j].recordNumber,
                                            ascending);
        case SitesColumn:
            return compareKeys<std::size_t>(rows_[i].sitesOfIndividual,
                                            rows_[j].sitesOfIndividual, ascending);
        case DateColumn:
            return compareKeys(moment(x), moment(y), ascending);
        case LatitudeColumn:
            return compareKeys(x.latitude, y.latitude, ascending);
        case LongitudeColumn:
            return compareKeys(x.longitude, y.longitude, ascending);
        default:
            return compareKeys(textKey(text(i, column)), textKey(text(j, column)), ascending);
        }
    };
    std::vector<std::size_t> places(rows_.size());
    for (std::size_t i = 0; i < places.size(); ++i)
        places[i] = i;
    std::stable_sort(places.begin(), places.end(), [&](std::size_t i, std::size_t j) {
        const int c = compare(i, j);
        return c != 0 ? c < 0 : rows_[i].recordNumber < rows_[j].recordNumber;
    });
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (const std::size_t i : places)
        sorted.push_back(std::move(rows_[i]));
    rows_ = std::move(sorted);
}

bool EncounterTable::edit(std::size_t row, Column column, const std::string& text) {
    if (row >= rows_.size() || !isEditable(column))
        return false;
    const Row& r = rows_[row];
    EncounterForm::Fields fields = EncounterForm::fieldsOf(r.encounter);
    switch (column) {
    case DateColumn: {
        // One cell holds the date and, after a blank or "T", its time.
        const bool timed = text.size() > 10 && (text[10] == ' ' || text[10] == 'T');
        fields.date = timed ? text.substr(0, 10) : text;
        fields.time = timed ? text.substr(11) : std::string();
        break;
    }
    case SiteColumn:
        fields.site = text;
        break;
    case LatitudeColumn:
        fields.latitude = text;
        break;
    case LongitudeColumn:
        fields.longitude = text;
        break;
    case ObserverColumn:
        fields.observer = text;
        break;
    default:
        fields.note = text;
        break;
    }
    const std::string record = "Record " + std::to_string(r.recordNumber) + ", ";
    const EncounterForm::Reading reading = EncounterForm::read(fields);
    if (!reading.encounter) {
        std::string message = record + reading.message;
        if (reading.field == Field::Latitude || reading.field == Field::Longitude)
            message += " Give both at once in \"Catalogue › Encounter…\" with the record shown.";
        say(message, PlatformServices::Icon::Warning);
        return false;
    }
    const bool current = rowsAreCurrent();
    if (!model_.document().setEncounter(r.recordNumber, *reading.encounter)) {
        say(record + "is no longer in the data set; nothing was changed.",
            PlatformServices::Icon::Warning);
        return false;
    }
    if (current)
        refreshRow(row);
    else
        refreshValues();
    return true;
}

bool EncounterTable::changePattern() {
    const auto pattern =
        CatalogueCommands::askPattern(services_, kTitle, model_.individualPattern());
    if (!pattern)
        return false;
    model_.setIndividualPattern(pattern->text);
    individuals_ = pattern->individuals;
    refreshValues();
    return true;
}

std::string EncounterTable::rowsText(char separator,
                                     void (*appendField)(std::string&, const std::string&)) const {
    std::string out;
    const auto line = [&](const auto& cell) {
        for (std::size_t c = 0; c < kColumnCount; ++c) {
            if (c > 0)
                out.push_back(separator);
            appendField(out, cell(static_cast<Column>(c)));
        }
        out += "\r\n";
    };
    line([](Column c) { return std::string(kHeader[c]); });
    for (std::size_t r = 0; r < rows_.size(); ++r)
        line([&](Column c) { return text(r, c); });
    return out;
}

std::string EncounterTable::csvText() const {
    return rowsText(',', appendCsvField);
}

std::string EncounterTable::copyText() const {
    return rowsText('\t', appendTabField);
}

void EncounterTable::copyToClipboard() {
    services_.clearClipboard();
    services_.setClipboardText(copyText());
}

bool EncounterTable::saveCsv() {
    auto path = services_.saveFileName(kCsvDescription, kCsvPattern);
    if (!path)
        return false;
    if (std::filesystem::path(*path).extension().empty())
        *path += ".csv";
    const auto written = services_.writeFile(*path, csvText());
    if (!written.ok) {
        say("The table could not be saved to " + korvex::quoted(*path) + ": " + written.error,
            PlatformServices::Icon::Warning);
        return false;
    }
    return true;
}

void EncounterTable::say(const std::string& text, PlatformServices::Icon icon) {
    services_.messageBox(text, kTitle, icon, PlatformServices::Buttons::Ok);
}

} // namespace korvex
