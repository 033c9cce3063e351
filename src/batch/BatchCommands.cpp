#include "batch/BatchCommands.h"
#include "model/RecordIdentity.h"

#include "analysis/CaptureHistories.h"
#include "analysis/Catalogue.h"
#include "analysis/CatalogueAudit.h"
#include "analysis/ComparisonRun.h"
#include "analysis/Distributions.h"
#include "analysis/MatchEvaluation.h"
#include "analysis/PopulationEstimates.h"
#include "analysis/Repeatability.h"
#include "exchange/ClipboardForms.h"
#include "exchange/EncountersText.h"
#include "exchange/PhotoCompanion.h"
#include "exchange/TorFile.h"
#include "model/Characters.h"
#include "model/DataSet.h"
#include "model/DecimalComma.h"
#include "model/MeasurementSheet.h"
#include "model/NumberText.h"
#include "model/RecordLine.h"
#include "model/SeamGroup.h"
#include "model/SheetFill.h"
#include "version/Version.h"

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <regex>

namespace korvex {

namespace {

std::optional<std::string> readFileBytes(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    // Read through the stream itself: copying its buffer into another stream
    // would swallow a read that fails, as it does on a folder, and hand back
    // an empty text as if the file were empty.
    std::string bytes;
    char buffer[1 << 16];
    errno = 0;
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        error = errno != 0 ? std::strerror(errno) : "read error";
        return std::nullopt;
    }
    return bytes;
}

// By what the paths lead to where both exist (a link, another spelling of a
// folder), else by their spelling made absolute.
bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error))
        return true;
    const auto absoluteA = std::filesystem::absolute(a, error).lexically_normal();
    const auto absoluteB = std::filesystem::absolute(b, error).lexically_normal();
    return !error && absoluteA == absoluteB;
}

// Messages a window would show in a message box go to standard error.
class StreamHost : public ComparisonHost {
public:
    explicit StreamHost(std::ostream& err) : err_(err) {}
    void message(std::string_view text) override { err_ << text << '\n'; }
    void setListCaption(const std::string&) override {}
    void redrawList() override {}

private:
    std::ostream& err_;
};

// "1 record has", "3 records have": counts in messages read as English.
std::string counted(std::size_t n, std::string_view one, std::string_view many) {
    return std::to_string(n) + ' ' + std::string(n == 1 ? one : many);
}

} // namespace

struct BatchCommands::Options {
    std::map<std::string, std::string> values;
    bool ranked = false;
    bool inTimeOrder = false;
};

BatchCommands::BatchCommands(std::ostream& out, std::ostream& err, FileReader reader)
    : out_(out), err_(err), reader_(reader ? std::move(reader) : FileReader(readFileBytes)) {}

std::string BatchCommands::usage() {
    return "Usage: korvex-batch COMMAND [OPTIONS]\n"
           "       korvex-batch --help | --version\n"
           "\n"
           "Commands:\n"
           "  compare       rank every record of a data set by its distance to a sheet\n"
           "  all-pairs     the distances between every pair of records (D, D1, D2 rows)\n"
           "  distribution  the simulated histogram of distances between animals\n"
           "  evaluate      how often the right animal ranks first, by leave-one-out over\n"
           "                the recaptures of a catalogue (top-k rates, MRR, CMC curve)\n"
           "  audit         findings that point at mistakes in a catalogue\n"
           "  repeatability how far records measured again lie from their originals,\n"
           "                against the differences between animals\n"
           "  histories     capture histories for MARK, Rcapture or secr, or Darwin Core\n"
           "                occurrences, from the records' dates and sites\n"
           "  estimate      Chapman and Schnabel population estimates, and Chapman's\n"
           "                corrected for the recaptures the matching misses\n"
           "\n"
           "compare options:\n"
           "  --by D1|D2|D       the distance: marginal seams (D1), central seams (D2)\n"
           "                     or both (D)\n"
           "  --sheet FILE       the specimen to compare: a record line, or a data file's\n"
           "                     sheet line (any text \"Fill from the Clipboard\" takes)\n"
           "  --data FILE.tor    the data set, from a data file\n"
           "  --data-text FILE   the data set, as a data-set text (as \"from Clipboard\" takes);\n"
           "                     a data file given here is refused: give it with --data\n"
           "  --ranked           print the ranked lines in list order instead of the summary\n"
           "\n"
           "all-pairs options:\n"
           "  --data FILE.tor | --data-text FILE   the data set, as for compare\n"
           "\n"
           "evaluate options:\n"
           "  --data FILE.tor | --data-text FILE   the catalogue, as for compare\n"
           "  --individual PATTERN  which animal a code stands for: the first match of\n"
           "                     this ECMAScript regular expression in the code, or its\n"
           "                     first group (default: the code itself, without regard\n"
           "                     to case or surrounding blanks)\n"
           "  A record (a line of at least 29 fields) whose animal has another record is\n"
           "  a query; its rank is 1 plus the records of other animals at most as far as\n"
           "  its nearest own record, by the distances Compare shows. Prints the rates of\n"
           "  D1, D2 and D, the share of queries within ranks 1..50, and the number of\n"
           "  skipped lines; without a query, status 1.\n"
           "\n"
           "audit options:\n"
           "  --data FILE.tor | --data-text FILE, --individual PATTERN   as for evaluate\n"
           "  --by D1|D2|D       the distance for close and far findings (default D)\n"
           "  --threshold X      the distance at most which records of two animals are\n"
           "                     close, and beyond which a record is far from its own\n"
           "                     animal (default: the equal-error point of the distances\n"
           "                     within and between animals, or 0 when no animal has two\n"
           "                     records)\n"
           "  Prints the threshold line, then one finding per line: duplicate-line,\n"
           "  close, far, decimal-comma (a value such as 0,0612, read as 0; the seam and\n"
           "  the value), not-standardised, short, empty-code. Status 0 with or without\n"
           "  findings.\n"
           "\n"
           "repeatability options:\n"
           "  --data FILE.tor | --data-text FILE, --individual PATTERN   as for evaluate\n"
           "  --repeats-text FILE  the repeats, one a line: the record number (from 1, as\n"
           "                     the data set numbers records), TAB, then the repeat as a\n"
           "                     record line (code and 28 values; the code is ignored);\n"
           "                     without it, the repeats kept in the companion of --data\n"
           "  --operators-text FILE  who made each repeat: line k names the operator of\n"
           "                     line k of the repeats file (an empty line: not known)\n"
           "  Values are read as the comparison reads them. Prints, TAB-separated with 4\n"
           "  decimals: measured n N (records with a repeat, their measurements); per\n"
           "  seam M1..M16, C1..C12: name, mean, sd-within, repeatability (the\n"
           "  intraclass correlation of a one-way analysis of variance; empty where it\n"
           "  cannot be computed); repeat-D and nearest-other-D: median, p95, count (D\n"
           "  from each original to its repeats, and to the nearest record of another\n"
           "  animal); ratio: the quotient of the two medians. With operators, then per\n"
           "  operator 'operator NAME n N', its seam lines and repeat-D line, and per\n"
           "  pair of operators 'bias FIRST SECOND records' and per seam the mean of\n"
           "  FIRST's minus SECOND's values of the records both measured again. Status\n"
           "  1 when no record has a repeat.\n"
           "evaluate --in-time-order --encounters-text FILE\n"
           "                     ranks each query only against the records dated on earlier\n"
           "                     days, the way a field season meets the catalogue; records\n"
           "                     without a date are neither and are counted (undated line)\n"
           "\n"
           "histories options:\n"
           "  --data FILE.tor | --data-text FILE, --individual PATTERN   as for evaluate\n"
           "  --encounters-text FILE  one line per record: record number TAB date\n"
           "                     (YYYY-MM-DD, optionally THH:MM) TAB site TAB latitude TAB\n"
           "                     longitude (WGS84 decimal degrees) TAB observer [TAB note];\n"
           "                     fields may be empty, lines starting with # are passed over;\n"
           "                     without it, the encounters kept in the companion of --data\n"
           "  --occasions FIRST..LAST,...  inclusive date ranges in time order, as\n"
           "                     2019-05-01..2019-08-31,2020-05-01..2020-08-31; an animal\n"
           "                     is caught on an occasion when one of its records is dated\n"
           "                     in it; records without a date are counted, never guessed\n"
           "  --format mark      Program MARK: /* NAME */ HISTORY 1; per animal caught\n"
           "  --format rcapture  CSV: individual,o1,o2,... with 0/1 columns\n"
           "  --format secr      the capture file (Session ID Occasion Detector, the site\n"
           "                     as detector, blanks in names as _); --traps FILE also\n"
           "                     writes the trap file (Detector x y, metres east and north\n"
           "                     of the sites' south-west corner)\n"
           "  --format dwc       Darwin Core occurrences, one row per record (no\n"
           "                     --occasions needed); --species NAME gives scientificName\n"
           "\n"
           "estimate options:\n"
           "  as for histories (without --format), and\n"
           "  --recognition P    the share of recaptures the matching finds (default: the\n"
           "                     top-1 rate of D by evaluate, or by evaluate\n"
           "                     --in-time-order with --in-time-order)\n"
           "  Prints per occasion t: occasion t caught C recaptured R marked-before M, then\n"
           "  chapman N lower upper (first two occasions, 95% bounds), schnabel N (all\n"
           "  occasions), recognition p and chapman-corrected N (R / p for R), 2\n"
           "  decimals; status 1 with fewer than two occasions.\n"
           "\n"
           "distribution options:\n"
           "  --seed N           seed the generator (default: from the time of day);\n"
           "                     the percentage line goes to standard error\n"
           "\n"
           "Without a command:\n"
           "  --help, -h         print this text\n"
           "  --version          print the program's version\n"
           "\n"
           "The summary is printed exactly as the window puts it on the clipboard\n"
           "(CR LF line ends). Exit status: 0 done, 1 nothing to compare, 2 bad\n"
           "arguments, a bad encounters line, a sheet without a record line or a data\n"
           "file given as --data-text, 3 an input file could not be read, 4 not enough\n"
           "memory, 5 the output could not be written.\n";
}

std::string BatchCommands::versionLine() {
    return "korvex-batch " + std::string(kVersion) + "\n";
}

bool BatchCommands::readInput(const std::string& path, std::string& bytes) {
    std::string error;
    auto read = reader_(path, error);
    if (!read) {
        err_ << "korvex-batch: cannot read " << path << ": " << error << '\n';
        return false;
    }
    bytes = std::move(*read);
    return true;
}

int BatchCommands::run(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        (args.empty() ? err_ : out_) << usage();
        return args.empty() ? kUsage : kOk;
    }
    if (args[0] == "--version") {
        out_ << versionLine();
        return finishOutput();
    }
    const std::string& command = args[0];
    if (command != "compare" && command != "all-pairs" && command != "distribution" &&
        command != "evaluate" && command != "audit" && command != "repeatability" &&
        command != "histories" && command != "estimate") {
        err_ << "korvex-batch: unknown command '" << command << "'\n\n" << usage();
        return kUsage;
    }
    Options options;
    static const char* const kValued[] = {
        "--by",         "--sheet",     "--data",         "--data-text",      "--seed",
        "--individual", "--threshold", "--repeats-text", "--operators-text", "--encounters-text",
        "--occasions",  "--format",    "--traps",        "--species",        "--recognition"};
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out_ << usage();
            return kOk;
        }
        if (a == "--ranked") {
            options.ranked = true;
            continue;
        }
        if (a == "--in-time-order") {
            options.inTimeOrder = true;
            continue;
        }
        bool known = false;
        for (const char* name : kValued)
            known = known || a == name;
        if (!known) {
            err_ << "korvex-batch: unknown option '" << a << "'\n";
            return kUsage;
        }
        if (i + 1 >= args.size()) {
            err_ << "korvex-batch: " << a << " needs a value\n";
            return kUsage;
        }
        options.values[a] = args[++i];
    }
    if (command == "all-pairs")
        return allPairs(options);
    if (command == "distribution")
        return distribution(options);
    if (command == "evaluate")
        return options.inTimeOrder ? evaluateInTimeOrder(options) : evaluate(options);
    if (command == "histories")
        return histories(options);
    if (command == "estimate")
        return estimate(options);
    if (command == "audit")
        return audit(options);
    if (command == "repeatability")
        return repeatability(options);
    return compare(options);
}

int BatchCommands::finishOutput() {
    // A full disk or a closed pipe must not end as if the output were whole.
    out_.flush();
    if (!out_) {
        err_ << "korvex-batch: the output could not be written\n";
        return kUnwritable;
    }
    return kOk;
}

int BatchCommands::readDataSet(const Options& options, std::string& dataSetText) {
    const auto tor = options.values.find("--data");
    const auto text = options.values.find("--data-text");
    const bool hasTor = tor != options.values.end();
    if (hasTor == (text != options.values.end())) {
        err_ << "korvex-batch: give one of --data or --data-text\n";
        return kUsage;
    }
    std::string bytes;
    if (!readInput(hasTor ? tor->second : text->second, bytes))
        return kUnreadable;
    if (!hasTor) {
        // Read as "from Clipboard" reads rows another program made: an
        // editor's or a spreadsheet's LF line ends end records too, and a
        // byte order mark it wrote is no part of the first code.
        dataSetText = ClipboardForms::withCrLfLineEnds(Characters::withoutByteOrderMark(bytes));
        // Read as rows, a data file's sheet and count lines are records too
        // short to compare: every figure would be of nothing, without a word.
        if (TorFile::beginsAsDataFile(dataSetText)) {
            err_ << "korvex-batch: " << text->second
                 << " is a data file (a sheet line, an empty line, a count line), not a data-set "
                    "text: give it with --data\n";
            return kUsage;
        }
        // Rows ended by CR alone are no records either, from the first on.
        if (const auto rows = DataSet::unendedRows(dataSetText)) {
            if (rows->crAlone)
                err_ << "korvex-batch: " << text->second
                     << " ends in rows that end in CR alone, from the one with the code \""
                     << rows->code << "\" on, which are not records\n";
            else
                err_ << "korvex-batch: " << text->second
                     << " ends in a row without a line end, which is not a record (its code is \""
                     << rows->code << "\")\n";
        }
        warnOfDecimalCommas(text->second, dataSetText);
        return kOk;
    }
    TorFile::ReadResult read = TorFile::read(bytes);
    dataSetText = std::move(read.dataSetText);
    // What was read is used, as the window loads it, but never in silence:
    // figures for part of a catalogue would pass for the whole.
    if (!read.allRecords || !read.allRead || read.lfLineEnds) {
        const std::string records =
            counted(DataSet::countLineEnds(dataSetText), "record was", "records were") + " read";
        err_ << "korvex-batch: " << tor->second
             << (!read.allRecords ? " is incomplete: it ends before all the records it "
                                    "announces; "
                 : read.lfLineEnds
                     ? " holds lines that end in LF alone, which were not read as lines of "
                       "their own; "
                     : " holds lines after the records it announces, which were not read; ")
             << records
             << (read.lfLineEnds && read.allRecords ? "; a data file's lines end in CR LF"
                 : read.lfLineEnds ? "; its lines end in LF alone, and a data file's end in CR LF"
                 : read.crCrLfLineEnds && read.allRecords
                     ? "; its lines end in CR CR LF, and a data file's end in CR LF"
                     : "")
             << '\n';
    }
    warnOfDecimalCommas(tor->second, dataSetText);
    return kOk;
}

void BatchCommands::warnOfDecimalCommas(const std::string& path, std::string_view dataSetText) {
    const auto found = DecimalComma::inDataSet(dataSetText);
    if (found.records == 0)
        return;
    const std::string_view text = found.firstValue.text;
    err_ << "korvex-batch: " << path << " holds " << counted(found.records, "record", "records")
         << " with a decimal comma in a value, the first record " << found.firstRecord << " ('"
         << found.firstCode << "'), " << SpecimenRecord::seamName(found.firstValue.index) << " '"
         << text << "'; such a value reads as the digits before the comma ('" << text << "' as "
         << DecimalComma::readAs(text) << "): the values must use '.' as the decimal point\n";
}

int BatchCommands::allPairs(const Options& options) {
    std::string dataSetText;
    if (const int status = readDataSet(options, dataSetText); status != kOk)
        return status;
    MeasurementSheet sheet;
    ComparisonState state;
    ResultList list;
    StreamHost host(err_);
    // Written as it is made: the table grows with the square of the record count.
    Distributions::allPairsDistances(
        sheet, dataSetText, state, list, host, [this](std::string_view piece) {
            out_.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        });
    return finishOutput();
}

std::optional<Individuals> BatchCommands::individuals(const Options& options) {
    const auto it = options.values.find("--individual");
    if (it == options.values.end())
        return Individuals();
    std::string error;
    auto individuals = Individuals::withPattern(it->second, error);
    if (!individuals)
        err_ << "korvex-batch: --individual takes a regular expression; '" << it->second
             << "' is not one (" << error << ")\n";
    return individuals;
}

int BatchCommands::readCatalogue(const Options& options, std::string& dataSetText,
                                 std::optional<Catalogue>& catalogue) {
    const auto reading = individuals(options);
    if (!reading)
        return kUsage;
    if (const int status = readDataSet(options, dataSetText); status != kOk)
        return status;
    catalogue = Catalogue::read(dataSetText, *reading);
    return kOk;
}

int BatchCommands::evaluate(const Options& options) {
    std::string dataSetText;
    std::optional<Catalogue> catalogue;
    if (const int status = readCatalogue(options, dataSetText, catalogue); status != kOk)
        return status;
    const auto evaluation = MatchEvaluation::run(*catalogue, false);
    out_ << evaluation->report();
    if (const int status = finishOutput(); status != kOk)
        return status;
    if (evaluation->queries() == 0) {
        err_ << "korvex-batch: nothing to compare: no animal has two records\n";
        return kNothingToDo;
    }
    return kOk;
}

int BatchCommands::audit(const Options& options) {
    CatalogueAudit::Options auditOptions;
    if (const auto by = options.values.find("--by"); by != options.values.end()) {
        const auto measure = measureNamed(by->second);
        if (!measure) {
            err_ << "korvex-batch: audit takes --by D1, D2 or D\n";
            return kUsage;
        }
        auditOptions.kind = *measure;
    }
    if (const auto t = options.values.find("--threshold"); t != options.values.end()) {
        // Checked for the form of a plain decimal number, then read by the
        // program's one number reader.
        static const std::regex kDecimal(R"(\+?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?)");
        const double value = readNumber(t->second);
        if (!std::regex_match(t->second, kDecimal) || !std::isfinite(value)) {
            err_ << "korvex-batch: --threshold takes a distance of 0 or more, not '" << t->second
                 << "'\n";
            return kUsage;
        }
        auditOptions.threshold = value;
    }
    std::string dataSetText;
    std::optional<Catalogue> catalogue;
    if (const int status = readCatalogue(options, dataSetText, catalogue); status != kOk)
        return status;
    out_ << CatalogueAudit::run(*catalogue, auditOptions)->report();
    return finishOutput();
}

int BatchCommands::repeatability(const Options& options) {
    const auto repeatsPath = options.values.find("--repeats-text");
    const bool fromFile = repeatsPath != options.values.end();
    if (!fromFile && options.values.count("--operators-text")) {
        err_ << "korvex-batch: --operators-text goes with --repeats-text; the repeats in a "
                "companion name their operators themselves\n";
        return kUsage;
    }
    if (!fromFile && !options.values.count("--data")) {
        err_ << "korvex-batch: repeatability needs --repeats-text FILE, or --data FILE.tor with "
                "the repeats in its companion\n";
        return kUsage;
    }
    std::string dataSetText;
    std::optional<Catalogue> catalogue;
    if (const int status = readCatalogue(options, dataSetText, catalogue); status != kOk)
        return status;
    std::string repeatsText;
    std::optional<std::vector<std::string>> operators;
    std::size_t strays = 0;
    if (!fromFile) {
        // The companion's repeats in the repeats text's own form, so that
        // both are read by the one rule, as the window reads them.
        std::vector<std::pair<std::size_t, const RepeatMeasurement*>> numbered;
        const auto numbers = recordNumbers(dataSetText);
        if (const PhotoCompanion::ReadResult* read = companion(options))
            for (const RepeatMeasurement& repeat : read->repeats) {
                const auto it = numbers.find({repeat.recordLine, repeat.occurrence});
                if (it == numbers.end())
                    ++strays;
                else
                    numbered.emplace_back(it->second, &repeat);
            }
        const auto texts = Repeatability::textsOf(numbered);
        repeatsText = texts.repeats;
        operators = Repeatability::operatorLines(texts.operators);
    } else if (!readInput(repeatsPath->second, repeatsText)) {
        return kUnreadable;
    }
    if (const auto it = options.values.find("--operators-text");
        fromFile && it != options.values.end()) {
        std::string operatorsText;
        if (!readInput(it->second, operatorsText))
            return kUnreadable;
        operators = Repeatability::operatorLines(operatorsText);
        const std::size_t repeatLines = Repeatability::operatorLines(repeatsText).size();
        if (operators->size() != repeatLines) {
            err_ << "korvex-batch: " << it->second << " has "
                 << counted(operators->size(), "line", "lines") << " and the repeats "
                 << repeatLines << ": give one operator a line for each line of "
                 << repeatsPath->second << "\n";
            return kUsage;
        }
    }
    std::vector<std::string> problems;
    const auto repeats =
        Repeatability::readRepeats(repeatsText, problems, operators ? &*operators : nullptr);
    const std::string source = fromFile ? repeatsPath->second : "the companion";
    for (const std::string& problem : problems)
        err_ << "korvex-batch: " << source << ": " << problem << ", left out\n";
    const auto result = Repeatability::run(*catalogue, repeats);
    if (result.unmatched + strays > 0)
        err_ << "korvex-batch: " << result.unmatched + strays
             << " repeats name no record of the data set, left out\n";
    out_ << result.report();
    if (const int status = finishOutput(); status != kOk)
        return status;
    if (result.overall.measured == 0) {
        err_ << "korvex-batch: no record has a repeat\n";
        return kNothingToDo;
    }
    return kOk;
}

struct BatchCommands::Population {
    std::string dataSetText;
    std::optional<Catalogue> catalogue;
    Individuals reading;
    std::map<std::size_t, Encounter> encounters;
    std::vector<Occasion> occasions;
    std::optional<CaptureHistories> histories;
};

int BatchCommands::readPopulation(const Options& options, Population& population) {
    const auto reading = individuals(options);
    if (!reading)
        return kUsage;
    population.reading = *reading;
    const auto path = options.values.find("--encounters-text");
    if (path == options.values.end() && !options.values.count("--data")) {
        err_ << "korvex-batch: give --encounters-text FILE: the date, site and position of each "
                "record, or --data FILE.tor with the encounters in its companion\n";
        return kUsage;
    }
    if (const int status = readCatalogue(options, population.dataSetText, population.catalogue);
        status != kOk)
        return status;
    if (path == options.values.end()) {
        const PhotoCompanion::ReadResult* read = companion(options);
        if (!read || read->encounters.empty()) {
            err_ << "korvex-batch: " << options.values.at("--data")
                 << " keeps no encounters in its companion; give --encounters-text FILE\n";
            return kUsage;
        }
        const auto numbers = recordNumbers(population.dataSetText);
        std::size_t strays = 0;
        for (const RecordEncounter& held : read->encounters) {
            const auto it = numbers.find({held.recordLine, held.occurrence});
            if (it == numbers.end())
                ++strays; // its record was changed or taken out elsewhere
            else
                population.encounters.emplace(it->second, held.encounter);
        }
        if (strays > 0)
            err_ << "korvex-batch: "
                 << counted(strays, "encounter of the companion names",
                            "encounters of the companion name")
                 << " no record of the data set and " << (strays == 1 ? "is" : "are")
                 << " left out\n";
        return kOk;
    }
    std::string bytes;
    if (!readInput(path->second, bytes))
        return kUnreadable;
    auto read = EncountersText::read(bytes);
    for (const std::string& error : read.errors)
        err_ << "korvex-batch: " << path->second << ": " << error << '\n';
    if (!read.errors.empty())
        return kUsage;
    std::size_t strays = 0;
    std::size_t next = 0;
    const auto& records = population.catalogue->records;
    for (const auto& [record, encounter] : read.byRecord) {
        while (next < records.size() && records[next].recordNumber < record)
            ++next;
        if (next == records.size() || records[next].recordNumber != record)
            ++strays;
    }
    if (strays > 0)
        err_ << "korvex-batch: " << counted(strays, "encounter line names", "encounter lines name")
             << " no record of the data set and " << (strays == 1 ? "is" : "are") << " left out\n";
    population.encounters = std::move(read.byRecord);
    return kOk;
}

int BatchCommands::readHistories(const Options& options, Population& population) {
    const auto occasions = options.values.find("--occasions");
    if (occasions == options.values.end()) {
        err_ << "korvex-batch: give --occasions FIRST..LAST,FIRST..LAST (dates YYYY-MM-DD)\n";
        return kUsage;
    }
    std::string error;
    const auto parsed = CaptureHistories::parseOccasions(occasions->second, error);
    if (!parsed) {
        err_ << "korvex-batch: --occasions: " << error << '\n';
        return kUsage;
    }
    population.occasions = *parsed;
    if (const int status = readPopulation(options, population); status != kOk)
        return status;
    const auto& h = population.histories.emplace(CaptureHistories::build(
        *population.catalogue, population.reading, population.encounters, population.occasions));
    if (h.undated() > 0)
        err_ << "korvex-batch: " << counted(h.undated(), "record has", "records have")
             << " no date and no occasion\n";
    if (h.outside() > 0)
        err_ << "korvex-batch: " << counted(h.outside(), "record is", "records are")
             << " dated outside every occasion\n";
    return kOk;
}

const PhotoCompanion::ReadResult* BatchCommands::companion(const Options& options) {
    if (companion_)
        return *companion_ ? &**companion_ : nullptr;
    companion_.emplace();
    const auto tor = options.values.find("--data");
    if (tor == options.values.end())
        return nullptr;
    std::string error;
    const auto bytes = reader_(PhotoCompanion::companionPathFor(tor->second), error);
    if (!bytes)
        return nullptr; // a data file without photos
    auto read = PhotoCompanion::read(*bytes, "");
    if (!read.ok) {
        err_ << "korvex-batch: the photo companion of " << tor->second
             << " is left aside: " << read.error << '\n';
        return nullptr;
    }
    for (const std::string& part : read.leftOut)
        err_ << "korvex-batch: the photo companion of " << tor->second << ": " << part << '\n';
    companion_->emplace(std::move(read));
    return &**companion_;
}

std::map<std::pair<std::string, std::size_t>, std::size_t>
BatchCommands::recordNumbers(std::string_view dataSetText) {
    std::map<std::pair<std::string, std::size_t>, std::size_t> numbers;
    OccurrenceCounter occurrences;
    const auto pieces = DataSet::splitPieces(dataSetText);
    for (std::size_t i = 0; i < pieces.size(); ++i)
        numbers.emplace(std::pair{std::string(pieces[i]), occurrences.next(pieces[i])}, i + 1);
    return numbers;
}

std::map<std::size_t, std::string> BatchCommands::photoNames(const Options& options,
                                                             std::string_view dataSetText) {
    std::map<std::size_t, std::string> names;
    const PhotoCompanion::ReadResult* read = companion(options);
    if (!read)
        return names;
    const auto pieces = DataSet::splitPieces(dataSetText);
    const auto entries = PhotoCompanion::entriesForPieces(pieces, read->entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i])
            continue;
        const std::string& path = entries[i]->photoPath;
        names[i + 1] = path.substr(path.find_last_of("/\\") + 1);
    }
    return names;
}

int BatchCommands::histories(const Options& options) {
    const auto format = options.values.find("--format");
    const std::string name = format == options.values.end() ? "" : format->second;
    if (name != "mark" && name != "rcapture" && name != "secr" && name != "dwc") {
        err_ << "korvex-batch: histories takes --format mark, rcapture, secr or dwc\n";
        return kUsage;
    }
    const auto traps = options.values.find("--traps");
    if (traps != options.values.end() && name != "secr") {
        err_ << "korvex-batch: --traps goes with --format secr\n";
        return kUsage;
    }
    if (traps != options.values.end()) {
        // The trap file is written once the inputs are read: an input named
        // there by a slip of the keyboard would be read and then lost.
        std::vector<std::string> inputs;
        for (const char* input : {"--data", "--data-text", "--encounters-text"})
            if (const auto it = options.values.find(input); it != options.values.end())
                inputs.push_back(it->second);
        if (const auto tor = options.values.find("--data"); tor != options.values.end())
            inputs.push_back(PhotoCompanion::companionPathFor(tor->second));
        for (const std::string& input : inputs)
            if (sameFile(traps->second, input)) {
                err_ << "korvex-batch: --traps names the input file " << input
                     << ", which the trap file would overwrite\n";
                return kUsage;
            }
    }
    Population population;
    if (name == "dwc") {
        // An occurrence table needs no occasions: every record is one row.
        if (const int status = readPopulation(options, population); status != kOk)
            return status;
        const auto data = options.values.count("--data") ? options.values.at("--data")
                                                         : options.values.at("--data-text");
        const auto species = options.values.find("--species");
        out_ << CaptureHistories::darwinCore(
            *population.catalogue, population.reading, population.encounters,
            data.substr(data.find_last_of("/\\") + 1),
            species == options.values.end() ? std::string() : species->second,
            photoNames(options, population.dataSetText));
        return finishOutput();
    }
    if (const int status = readHistories(options, population); status != kOk)
        return status;
    const CaptureHistories& h = *population.histories;
    if (name == "mark") {
        out_ << h.mark();
    } else if (name == "rcapture") {
        out_ << h.rcapture();
    } else {
        if (h.withoutSite() > 0)
            err_ << "korvex-batch: " << counted(h.withoutSite(), "capture has", "captures have")
                 << " no site and no line in the capture file\n";
        out_ << h.secrCaptures();
        if (traps != options.values.end()) {
            std::vector<std::string> unpositioned;
            const std::string text = h.secrTraps(unpositioned);
            for (const std::string& site : unpositioned)
                err_ << "korvex-batch: the site '" << site
                     << "' has no position and is left out of the trap file\n";
            std::ofstream file(traps->second, std::ios::binary);
            file << text;
            file.close();
            if (!file) {
                err_ << "korvex-batch: cannot write " << traps->second << '\n';
                return kUnwritable;
            }
        }
    }
    return finishOutput();
}

int BatchCommands::estimate(const Options& options) {
    std::optional<double> recognition;
    if (const auto p = options.values.find("--recognition"); p != options.values.end()) {
        static const std::regex kShare(R"(\+?([0-9]+\.?[0-9]*|\.[0-9]+))");
        const double value = readNumber(p->second);
        if (!std::regex_match(p->second, kShare) || !(value > 0.0 && value <= 1.0)) {
            err_ << "korvex-batch: --recognition takes a share above 0 and at most 1, not '"
                 << p->second << "'\n";
            return kUsage;
        }
        recognition = value;
    }
    Population population;
    if (const int status = readHistories(options, population); status != kOk)
        return status;
    if (population.occasions.size() < 2) {
        err_ << "korvex-batch: an estimate needs at least two occasions\n";
        return kNothingToDo;
    }
    const CaptureHistories& h = *population.histories;
    if (!recognition) {
        const auto evaluation =
            options.inTimeOrder
                ? MatchEvaluation::runInTimeOrder(
                      *population.catalogue,
                      MatchEvaluation::recordDates(*population.catalogue, population.encounters))
                : MatchEvaluation::run(*population.catalogue, false);
        if (evaluation->queries() > 0)
            recognition = evaluation->of(Measure::D).topRate(1);
        else
            err_ << "korvex-batch: no animal has "
                 << (options.inTimeOrder ? "a record dated after another of its records"
                                         : "two records")
                 << " to learn the recognition rate from; give --recognition p for a corrected "
                    "estimate\n";
    }
    if (recognition && *recognition == 0.0)
        err_ << "korvex-batch: the recognition rate is 0: no corrected estimate\n";
    out_ << *PopulationEstimates::of(h).report(recognition);
    return finishOutput();
}

int BatchCommands::evaluateInTimeOrder(const Options& options) {
    Population population;
    if (const int status = readPopulation(options, population); status != kOk)
        return status;
    const auto evaluation = MatchEvaluation::runInTimeOrder(
        *population.catalogue,
        MatchEvaluation::recordDates(*population.catalogue, population.encounters));
    out_ << evaluation->report();
    if (const int status = finishOutput(); status != kOk)
        return status;
    if (*evaluation->undated > 0)
        err_ << "korvex-batch: " << counted(*evaluation->undated, "record has", "records have")
             << " no date and no part in the evaluation\n";
    if (evaluation->queries() == 0) {
        err_ << "korvex-batch: nothing to compare: no animal has a record dated before another\n";
        return kNothingToDo;
    }
    return kOk;
}

int BatchCommands::distribution(const Options& options) {
    std::uint64_t seed = 0;
    if (const auto it = options.values.find("--seed"); it != options.values.end()) {
        const std::string& text = it->second;
        const auto res = std::from_chars(text.data(), text.data() + text.size(), seed);
        if (res.ec != std::errc() || res.ptr != text.data() + text.size()) {
            err_ << "korvex-batch: --seed takes a whole number, not '" << text << "'\n";
            return kUsage;
        }
    } else {
        const auto now = std::chrono::system_clock::now();
        const auto day = std::chrono::floor<std::chrono::days>(now);
        seed = Distributions::seedFromTimeOfDay(std::chrono::duration<double>(now - day).count());
    }
    Distributions::UniformGenerator uniform(seed);
    const auto histogram = Distributions::generateDistribution(std::ref(uniform));
    err_ << histogram.percentageText << '\n';
    out_ << histogram.text;
    return finishOutput();
}

int BatchCommands::compare(const Options& options) {
    const auto value = [&](const char* name) -> const std::string* {
        auto it = options.values.find(name);
        return it == options.values.end() ? nullptr : &it->second;
    };
    const std::string* by = value("--by");
    const auto measure = by ? measureNamed(*by) : std::nullopt;
    if (!measure) {
        err_ << "korvex-batch: compare needs --by D1, D2 or D\n";
        return kUsage;
    }
    const std::string* sheetPath = value("--sheet");
    if (!sheetPath) {
        err_ << "korvex-batch: compare needs --sheet and one of --data or --data-text\n";
        return kUsage;
    }
    std::string dataSetText;
    if (const int status = readDataSet(options, dataSetText); status != kOk)
        return status;
    std::string sheetText;
    if (!readInput(*sheetPath, sheetText))
        return kUnreadable;

    MeasurementSheet sheet;
    // A text that fills nothing would be compared as a sheet of zeros.
    if (!fillRecordValues(sheetText, [&](std::size_t i, std::string_view v) {
            sheet.setValue(i, std::string(v));
        })) {
        err_ << "korvex-batch: " << *sheetPath << " holds no record line: it has fewer than "
             << RecordLayout::kFillMinimumFields << " TAB-separated fields\n";
        return kUsage;
    }
    // Said as the window says it, and compared all the same; only the values
    // the measure reads count.
    if (const auto comma = DecimalComma::firstSheetValue(sheet, *measure != Measure::D2,
                                                         *measure != Measure::D1)) {
        const std::string_view text = DecimalComma::quotedPart(sheet.value(*comma));
        err_ << "korvex-batch: " << *sheetPath << ": the value of "
             << SpecimenRecord::seamName(*comma) << ", '" << text
             << "', has a decimal comma and reads as " << DecimalComma::readAs(text)
             << ": write it with '.' as the decimal point\n";
    }

    ComparisonState state;
    ResultList list;
    StreamHost host(err_);
    const auto summary = ComparisonRun::comp_Click(*measure, sheet, dataSetText, state, list, host);
    if (!summary) {
        err_ << "korvex-batch: the data set holds no record (no line ends with CR LF)\n";
        return kNothingToDo;
    }
    if (options.ranked) {
        for (std::size_t p = 0; p < list.count(); ++p)
            out_ << list.line(p) << "\r\n";
    } else {
        out_ << *summary;
    }
    return finishOutput();
}

} // namespace korvex
