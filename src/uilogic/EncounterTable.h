#pragma once

#include "analysis/Individuals.h"
#include "model/CatalogueState.h"
#include "model/Encounter.h"
#include "uilogic/PlatformServices.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

class MainWindowModel;

// The "Encounters" table, free of any window toolkit: one row per record of
// the data set with its encounter, its animal (by the individual pattern
// last given to the Catalogue commands, each code one animal by default) and
// how many sites that animal was seen at, sortable by any column and edited
// in place through the same rules as the "Encounter…" dialog.
//
// Texts are UTF-8: codes, which are the program's bytes, and sites, observers
// and notes, which an encounters text from an 8-bit file may have brought,
// are shown as the windows show them (TextEncoding::toDisplayUtf8).
class EncounterTable {
public:
    static constexpr const char* kTitle = "Encounters";
    static constexpr const char* kCsvDescription = "CSV files (*.csv)";
    static constexpr const char* kCsvPattern = "*.csv";

    enum Column : std::size_t {
        RecordColumn,
        CodeColumn,
        IndividualColumn,
        DateColumn,
        SiteColumn,
        SitesColumn,
        LatitudeColumn,
        LongitudeColumn,
        ObserverColumn,
        NoteColumn,
        PhotoColumn,
        kColumnCount
    };
    static constexpr std::array<std::string_view, kColumnCount> kHeader = {
        "Record", "Code",      "Individual", "Date", "Site",  "Sites of the individual",
        "Latitude", "Longitude", "Observer", "Note", "Photo"};

    struct Row {
        std::size_t recordNumber = 0;
        std::string code;
        std::string individual;
        Encounter encounter;
        // The different sites named for the records of its individual.
        std::size_t sitesOfIndividual = 0;
        // The file name of the photo the record keeps, if any.
        std::string photo;
    };

    // Reads the document and the pattern of `model`, which must outlive it.
    EncounterTable(PlatformServices& services, MainWindowModel& model);

    // Reads every row again, in record order, unsorted.
    void refresh();

    const std::vector<Row>& rows() const { return rows_; }
    // The text of a cell. A date shows as "2021-05-24" or "2021-05-24 14:18:10".
    std::string text(std::size_t row, Column column) const;
    static bool isEditable(Column column);
    // Whether the row's animal was seen at two or more sites.
    bool seenAtSeveralSites(std::size_t row) const { return rows_[row].sitesOfIndividual >= 2; }
    // How many animals were seen at two or more sites, and the line under
    // the table that says so: "3 individuals were seen at more than one site".
    std::size_t individualsAtSeveralSites() const;
    std::string summary() const;

    // Orders the rows by `column`: numbers as numbers, dates as dates, texts
    // folded A-Z to a-z; an empty cell comes last either way, and rows alike
    // in that column keep record order.
    void sort(Column column, bool ascending);

    // The cell edited to `text`: the record's encounter changes in the
    // document through the Encounter rules. False, with a message naming the
    // record and the field and nothing changed, for a text those refuse, or
    // a column that is not edited (nothing said). Rows keep their order.
    bool edit(std::size_t row, Column column, const std::string& text);

    // "Individual Pattern…": asks for the pattern (offering the one last
    // given); the rows take it, and so do the Catalogue commands. False on
    // Cancel or a pattern refused (with its message).
    bool changePattern();

    // The rows as shown, with a header line: RFC 4180 (fields holding a
    // comma, a quote, CR or LF in quotes, quotes doubled, CR LF line ends).
    std::string csvText() const;
    // The same rows TAB-separated, for pasting into a spreadsheet's cells; a
    // TAB, CR or LF in a field becomes a blank.
    std::string copyText() const;
    // "Copy": clears the clipboard, then puts copyText on it.
    void copyToClipboard();
    // "Save as CSV…": csvText to a file chosen ("*.csv" added to a name
    // without an extension). False when the dialog was cancelled or the file
    // could not be written (with a message).
    bool saveCsv();

private:
    void say(const std::string& text, PlatformServices::Icon icon);
    // Every row's values from the document, keeping the rows' order.
    void refreshValues();
    // Whether the rows still hold what the document holds: nothing changed
    // it since they were read, but the edits made here.
    bool rowsAreCurrent() const;
    // Row `row`'s encounter from the document, and the site count of the
    // rows of its animal: all that an edit of that row changes.
    void refreshRow(std::size_t row);
    // The header and the rows, each field written by `appendField`.
    std::string rowsText(char separator,
                         void (*appendField)(std::string&, const std::string&)) const;

    PlatformServices& services_;
    MainWindowModel& model_;
    Individuals individuals_;
    std::vector<Row> rows_;
    // The document as the rows last read or edited it; an edit of one cell
    // then reads one row again rather than a whole catalogue.
    std::shared_ptr<const CatalogueState> readState_;
    std::size_t readTextSize_ = 0;
    std::uint64_t readTextHash_ = 0;
};

} // namespace korvex
