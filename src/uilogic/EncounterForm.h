#pragma once

#include "exchange/PhotoExif.h"
#include "model/Encounter.h"
#include "uilogic/Document.h"
#include "uilogic/PlatformServices.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

class MainWindowModel;

// The "Encounter…" dialog, free of any window toolkit: when and where one
// record's animal was seen, as texts the user types, read through the
// Encounter rules. The dialog displays the fields and forwards OK and "From
// the Photo" here; nothing wrong is ever stored.
//
// Two uses: the encounter of a record held (OK stores it in the Document),
// and the encounter of a record about to be appended (OK only keeps it, for
// the append to store with the record).
class EncounterForm {
public:
    static constexpr const char* kTitle = "Encounter";
    static constexpr const char* kNoRecordShown =
        "Show a record first: show one with \"-\", \"+\", Select Record or \"Show\" in Check "
        "the Catalogue, then choose \"Encounter…\" again.";

    enum class Field { Date, Time, Site, Latitude, Longitude, Observer, Note };
    // The field's name as the dialog labels it: "Date", "Latitude", …
    static const char* nameOf(Field field);

    // The texts of the dialog. Date is YYYY-MM-DD, time HH:MM or HH:MM:SS
    // (empty: not known), degrees decimal, WGS84.
    struct Fields {
        std::string date;
        std::string time;
        std::string site;
        std::string latitude;
        std::string longitude;
        std::string observer;
        std::string note;

        bool operator==(const Fields&) const = default;
    };
    // Texts that are not UTF-8 (from an 8-bit file) as the windows show them.
    static Fields fieldsOf(const Encounter& encounter);

    // What the fields say, blanks around each text dropped: the encounter,
    // or the first field that is wrong and a message for the user that
    // names it ("Latitude: The latitude '95' lies beyond ±90 degrees.").
    struct Reading {
        std::optional<Encounter> encounter;
        std::optional<Field> field;
        std::string message;
    };
    static Reading read(const Fields& fields);

    // The encounter of record `recordNumber` (from 1) of `document`, whose
    // photo is at `photoPath` when it keeps one that can be found.
    EncounterForm(PlatformServices& services, Document& document, std::size_t recordNumber,
                  std::optional<std::string> photoPath);
    // The encounter of a record about to be appended with code `code`,
    // offering `offered` (what the photo at `photoPath` gave, if any). OK
    // stores nothing: accepted() holds what was typed. `document` gives the
    // site names only.
    EncounterForm(PlatformServices& services, const Document& document, const std::string& code,
                  const Encounter& offered, std::optional<std::string> photoPath);

    // The form for the record shown last in the main window; nothing, after
    // kNoRecordShown, when none is shown.
    static std::optional<EncounterForm> forShownRecord(PlatformServices& services,
                                                       MainWindowModel& model);

    // Which record it is about: "Record 3 (“T001”)".
    const std::string& heading() const { return heading_; }
    // The texts the dialog opens with.
    const Fields& fields() const { return fields_; }
    // What the site field offers: every site named so far, once each as the
    // dialog shows it (fieldsOf), in byte order.
    std::vector<std::string> siteChoices() const;
    // Whether "From the Photo" has a photo to read.
    bool hasPhoto() const { return photoPath_.has_value(); }

    // "From the Photo": `typed` with its date, time and position replaced by
    // those of the photo's Exif, the other fields as typed. A photo whose
    // Exif holds neither, or refuses a value, is said in a message; what it
    // does not hold stays as typed, but for the time: a date read without a
    // time leaves the time empty, since the time typed went with another date.
    Fields fromPhoto(const Fields& typed);

    // OK: true when `typed` is sound and, for a record held, stored. False
    // after a message naming the field (badField()); nothing is stored and
    // the dialog stays open with what was typed.
    bool accept(const Fields& typed);
    std::optional<Field> badField() const { return badField_; }
    // What OK accepted last.
    const std::optional<Encounter>& accepted() const { return accepted_; }

private:
    void say(const std::string& text, PlatformServices::Icon icon);

    PlatformServices& services_;
    const Document& document_;
    // Null for a record about to be appended.
    Document* store_ = nullptr;
    std::size_t recordNumber_ = 0;
    std::optional<std::string> photoPath_;
    std::string heading_;
    Fields fields_;
    std::optional<Field> badField_;
    std::optional<Encounter> accepted_;
};

} // namespace korvex
