// Reading the photo companion file: plain code that walks the document's
// schema on simdjson's On-Demand parser, which hands each value over where it
// lies in the text instead of building a tree first. A catalogue of ten
// thousand fully digitised records holds over a million numbers.
//
// A fault in an entry or a decision is remembered and the rest is still read
// through, so that a newer format version is told as such even where its items
// look different, and so that any fault in the JSON itself, wherever it lies,
// refuses the document as not being JSON. The repeats and the encounters are
// sections apart: a fault in one leaves out that section only, since the
// photos and the decisions do not depend on it. So does a fault in its JSON
// met while reading it, which also ends the reading there; the parser's first
// pass over the whole text still refuses a document cut short or not UTF-8.
#include "analysis/Measure.h"
#include "exchange/PhotoCompanion.h"
#include "exchange/PhotoCompanionTokens.h"
#include "model/Characters.h"
#include "model/SeamGroup.h"

#include <simdjson.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace korvex::PhotoCompanion {

namespace {

namespace fs = std::filesystem;
namespace od = simdjson::ondemand;
using simdjson::error_code;

// A photo side beyond this is no photo this program could have opened.
constexpr std::int64_t kMaxSidePixels = 1'000'000;
constexpr std::int64_t kMaxPointsPerPixel = 1'000'000;
// Values this version does not know are read through recursively; a document
// nested deeper than this is refused rather than risking the stack. The
// program's own documents nest five deep.
constexpr std::int32_t kMaxDepth = 1024;

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The bytes of a hexadecimal text, or nothing when it is not one.
std::optional<std::string> bytesOfHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

// The record value a seam name stands for, as seamName writes it: "M1".."M16"
// for 0..15, "C1".."C12" for 16..27. Parsed rather than looked up: a
// catalogue names hundreds of thousands of seams.
std::optional<std::size_t> seamIndexOf(std::string_view key) {
    if (key.size() < 2 || key.size() > 3 || (key[0] != 'M' && key[0] != 'C') || key[1] < '1' ||
        key[1] > '9')
        return std::nullopt;
    std::size_t number = std::size_t(key[1] - '0');
    if (key.size() == 3) {
        if (key[2] < '0' || key[2] > '9')
            return std::nullopt;
        number = number * 10 + std::size_t(key[2] - '0');
    }
    const bool marginal = key[0] == 'M';
    const std::size_t count =
        marginal ? RecordLayout::kMarginalCount
                 : MeasurementSheet::kRecordValueCount - RecordLayout::kMarginalCount;
    if (number > count)
        return std::nullopt;
    return (marginal ? 0 : RecordLayout::kMarginalCount) + number - 1;
}

// Whether a relative path names its file in plain steps: no ".", "..", nor an
// empty step, so that joining it to a normal folder gives a normal path.
bool isPlainRelative(std::string_view path) {
    if (path.empty() || path.front() == '/')
        return false;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string_view step = path.substr(start, end - start);
        if (step.empty() || step == "." || step == "..")
            return false;
        if (end == path.size())
            return true;
        start = end + 1;
    }
}

// --- the JSON ---------------------------------------------------------------------
// The parser checks only what is read, so every value is read, also one this
// version has no use for. A fault in the JSON is thrown as simdjson's error.

[[noreturn]] void refuseJson(error_code error) {
    throw simdjson::simdjson_error(error);
}

// A number as JSON gives it. A whole number is one written without a fraction
// or an exponent that fits in 64 bits, signed or not; a longer one counts as a
// fraction, as JSON readers commonly take it.
struct Number {
    enum Kind { None, Whole, Fraction } kind = None;
    bool tooLarge = false;  // a whole number beyond the signed 64-bit range
    std::int64_t whole = 0; // the signed 64-bit maximum when too large
};

Number numberAt(od::value value) {
    switch (od::number_type(value.get_number_type())) {
    case od::number_type::signed_integer:
        if (std::int64_t whole = 0; value.get_int64().get(whole) == simdjson::SUCCESS)
            return {Number::Whole, false, whole};
        break;
    case od::number_type::unsigned_integer:
        if (std::uint64_t whole = 0; value.get_uint64().get(whole) == simdjson::SUCCESS) {
            const bool big = whole > std::uint64_t(INT64_MAX);
            return {Number::Whole, big, big ? INT64_MAX : std::int64_t(whole)};
        }
        break;
    default: // a fraction, or a kind of number a later parser tells apart
        break;
    }
    // Throws when the number is malformed.
    static_cast<void>(double(value.get_double()));
    return {Number::Fraction};
}

// A field's key as the document means it. A key holding no escape, as every
// key the program writes, is read where it lies in the text; only one that
// holds one is unescaped, into the parser's buffer. The parser's first pass
// has already refused a text that is not closed or holds a bare control
// character, so the scan ends at the key's closing quote.
simdjson_inline std::string_view keyOf(od::field& field) {
    const char* start = field.key().raw();
    for (const char* c = start;; ++c) {
        if (*c == '"')
            return {start, std::size_t(c - start)};
        if (*c == '\\')
            return field.unescaped_key();
    }
}

void passOver(od::value value) {
    if (value.current_depth() > kMaxDepth)
        refuseJson(simdjson::DEPTH_ERROR);
    switch (od::json_type(value.type())) {
    case od::json_type::array:
        for (od::value item : value.get_array())
            passOver(item);
        break;
    case od::json_type::object:
        for (od::field field : value.get_object()) {
            static_cast<void>(keyOf(field));
            passOver(field.value());
        }
        break;
    case od::json_type::number:
        numberAt(value);
        break;
    case od::json_type::string:
        static_cast<void>(std::string_view(value.get_string()));
        break;
    case od::json_type::boolean:
        static_cast<void>(bool(value.get_bool()));
        break;
    case od::json_type::null:
        if (!value.is_null())
            refuseJson(simdjson::N_ATOM_ERROR);
        break;
    default:
        refuseJson(simdjson::TAPE_ERROR);
    }
}

simdjson_inline bool isKind(od::value& value, od::json_type kind) {
    return od::json_type(value.type()) == kind;
}

// A text, valid until the document is gone; any other value is read through.
std::optional<std::string_view> textOf(od::value value) {
    if (isKind(value, od::json_type::string))
        return std::string_view(value.get_string());
    passOver(value);
    return std::nullopt;
}

// A number; any other value is read through and gives Number::None.
Number numberOf(od::value value) {
    if (isKind(value, od::json_type::number))
        return numberAt(value);
    passOver(value);
    return {};
}

// Four numbers, [from x, from y, to x, to y], or nothing.
std::optional<PhotoSegment> segmentOf(od::value value) {
    if (!isKind(value, od::json_type::array)) {
        passOver(value);
        return std::nullopt;
    }
    std::array<double, 4> c{};
    std::size_t count = 0;
    bool numbers = true;
    for (od::value item : value.get_array()) {
        // The program writes whole numbers, and they read fastest as such.
        double number = 0.0;
        if (std::int64_t whole = 0; item.get_int64().get(whole) == simdjson::SUCCESS) {
            number = double(whole);
        } else if (item.get_double().get(number) != simdjson::SUCCESS) {
            if (isKind(item, od::json_type::number))
                refuseJson(simdjson::NUMBER_ERROR);
            numbers = false;
            passOver(item);
            ++count;
            continue;
        }
        if (count < c.size())
            c[count] = number;
        ++count;
    }
    if (!numbers || count != c.size())
        return std::nullopt;
    return PhotoSegment{{c[0], c[1]}, {c[2], c[3]}};
}

constexpr std::string_view kNotAValue =
    "a value is none of a text, a number, a list, an object, true, false or null";

// What the parser's fault means to someone who opens the file in an editor.
std::string_view faultText(error_code error) {
    struct Fault {
        error_code error;
        std::string_view text;
    };
    static constexpr Fault kFaults[] = {
        {simdjson::EMPTY, "the file holds no JSON value"},
        {simdjson::UTF8_ERROR, "it holds bytes that are not UTF-8"},
        {simdjson::UNCLOSED_STRING, "a text is opened but never closed"},
        {simdjson::UNESCAPED_CHARS,
         "a text holds a control character, such as a tab, that is not written as an escape"},
        {simdjson::STRING_ERROR, "a text holds a malformed escape"},
        {simdjson::NUMBER_ERROR, "a number is malformed or out of range"},
        {simdjson::NUMBER_OUT_OF_RANGE, "a number is malformed or out of range"},
        {simdjson::T_ATOM_ERROR, kNotAValue},
        {simdjson::F_ATOM_ERROR, kNotAValue},
        {simdjson::N_ATOM_ERROR, kNotAValue},
        {simdjson::INCORRECT_TYPE, kNotAValue},
        {simdjson::TAPE_ERROR, "a comma, colon, bracket or brace is missing or out of place"},
        {simdjson::INCOMPLETE_ARRAY_OR_OBJECT,
         "an object or a list is not closed, or something follows the document"},
        {simdjson::TRAILING_CONTENT, "something follows the document"},
        {simdjson::DEPTH_ERROR, "lists and objects nest more than 1024 deep"},
    };
    for (const Fault& fault : kFaults)
        if (fault.error == error)
            return fault.text;
    return simdjson::error_message(error);
}

// How many line breaks a text holds, found by memchr, which looks at many
// bytes at a time: a byte-by-byte count took a tenth of a whole read.
std::size_t linesIn(std::string_view text) {
    std::size_t lines = 0;
    for (const char* at = text.data(); const void* found = std::memchr(
             at, '\n', std::size_t(text.data() + text.size() - at));) {
        ++lines;
        at = static_cast<const char*>(found) + 1;
    }
    return lines;
}

// "line 3, column 17" for the byte at `offset`.
std::string positionOf(std::string_view bytes, std::size_t offset) {
    const std::string_view before = bytes.substr(0, offset);
    const std::size_t lineStart = before.rfind('\n') + 1; // 0 when there is none
    const auto line = std::count(before.begin(), before.end(), '\n') + 1;
    return "line " + std::to_string(line) + ", column " + std::to_string(offset - lineStart + 1);
}

// The first line that is not UTF-8, for a document that is not.
std::string firstLineNotUtf8(std::string_view bytes) {
    std::size_t start = 0;
    for (std::size_t line = 1;; ++line) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        if (!Characters::isValidUtf8(bytes.substr(start, end - start)) || end == bytes.size())
            return "line " + std::to_string(line);
        start = end + 1;
    }
}

// Where a part of a document lies, for messages: "entry 3", "decision 2
// candidate".
struct Place {
    std::string_view item; // "entry", "decision", "repeat" or "encounter"
    std::size_t number = 0;
    std::string_view part; // "query" or "candidate" in a decision
    std::string name() const {
        std::string text = std::string(item) + " " + std::to_string(number);
        if (!part.empty())
            text += " " + std::string(part);
        return text;
    }
    // One of its fields: "entry 3 \"width\"".
    std::string field(std::string_view key) const {
        return name() + " \"" + std::string(key) + "\"";
    }
};

class CompanionReader {
public:
    explicit CompanionReader(const std::string& dataFolder)
        : folder_(fs::path(dataFolder).lexically_normal()) {
        if (const std::string folder = folder_.string(); !folder.empty() && folder != ".")
            folderPrefix_ = folder.back() == '/' ? folder : folder + '/';
    }

    ReadResult read(std::string_view bytes);

private:
    // What is known of the entry being read.
    struct PendingEntry {
        explicit PendingEntry(PhotoEntry& e) : entry(e) {}
        PhotoEntry& entry;
        std::optional<std::string> line;
        std::optional<std::string> photo;
        bool occurrence = false;
        bool width = false;
        bool height = false;
        bool appended = false;
        bool segments = false;
    };

    // What is known of the repeat being read.
    struct PendingRepeat {
        std::optional<std::string> line;
        std::optional<std::string> values;
        std::optional<std::string> measured;
        std::optional<std::string> operatorName;
        bool occurrence = false;
        bool segments = false;
    };

    // What is known of the encounter being read.
    struct PendingEncounter {
        std::optional<std::string> line;
        bool occurrence = false;
        std::optional<std::string> date, site, observer, note;
        std::optional<double> latitude, longitude;
    };

    // The JSON of a section ended in a fault: nothing after it can be read.
    struct SectionBroken {};

    // What is known of a record a decision names.
    struct PendingIdentity {
        std::optional<std::string> code;
        std::optional<std::string> line;
        std::optional<std::size_t> occurrence;
    };

    // What is known of the decision being read.
    struct PendingDecision {
        std::optional<PendingIdentity> query;
        std::optional<PendingIdentity> candidate;
        std::optional<Verdict> verdict;
        std::optional<std::string> measure;
        std::optional<std::string> distance;
        std::optional<std::string> decided;
    };

    // `scalar`: the document was a lone scalar, read as a list of it.
    void readDocument(od::document& document, bool scalar);
    void readTop(od::object top);
    void readVersion(od::value value);
    void readScale(od::value value);
    void readList(od::value value, std::string_view key,
                  void (CompanionReader::*readItem)(od::value));
    void readEntry(od::value value);
    void readSegments(od::value value, PhotoSegments& segments, bool& seen, const Place& at);
    void readGroups(od::value value, PhotoEntry& entry, const Place& at);
    // A section apart: its faults go to `error`, and a fault in its JSON
    // ends the reading (SectionBroken) with what was read before it.
    void readSection(od::value value, std::string_view key,
                     void (CompanionReader::*readItem)(od::value), std::string& error);
    void readRepeat(od::value value);
    void readEncounter(od::value value);
    std::optional<double> degrees(od::value value, std::string_view key, const Place& at);
    // Whether an item is an object; one that is not is a fault, read through.
    bool isItem(od::value& value, const Place& at);
    // Reads the field of an item that names its record ("line", "lineHex",
    // "occurrence"); false for any other field.
    bool recordField(std::string_view key, od::value value, std::optional<std::string>& line,
                     std::size_t& occurrence, bool& occurrenceSeen, const Place& at);
    // The fault of an item that does not name its record whole, if any.
    void needRecord(const Place& at, bool line, bool occurrence);
    void finishEntry(PendingEntry& pending, const Place& at);
    void readDecision(od::value value);
    void readVerdict(od::value value, std::optional<Verdict>& slot, const Place& at);
    void readIdentity(od::value value, std::optional<PendingIdentity>& slot, const Place& decision,
                      std::string_view key);
    void finishDecision(PendingDecision& pending, const Place& at);

    // A text field given once, under its plain key or under `name` + "Hex".
    void textField(od::value value, std::optional<std::string>& slot, std::string_view key,
                   std::string_view name, const Place& at);
    // A plain text field given once.
    void onceText(od::value value, std::optional<std::string>& slot, std::string_view key,
                  const Place& at);
    // A whole number within [low, high], or a fault naming the field.
    std::optional<std::int64_t> wholeNumber(od::value value, std::int64_t low, std::int64_t high,
                                            std::string_view key, const Place& at);

    // A stored photo path made absolute against the data folder.
    std::string absolutePhoto(std::string photo) const;

    void fail(std::string reason) {
        if (error_->empty())
            *error_ = std::move(reason);
    }
    ReadResult finish();

    fs::path folder_;
    // The folder with a separator after it, to which a plain relative path is
    // simply appended (normalising a path costs more than reading its entry).
    std::optional<std::string> folderPrefix_;
    bool formatOk_ = false;
    std::optional<std::int64_t> version_;
    std::string versionError_;
    std::optional<std::int64_t> scale_;
    std::string scaleError_;
    bool entriesSeen_ = false;
    // The first fault found in an entry or a decision, and in each section
    // apart; error_ points to the one of the part being read.
    std::string itemError_;
    std::string repeatsError_;
    std::string encountersError_;
    std::string* error_ = &itemError_;
    od::document* document_ = nullptr;
    std::string_view bytes_;      // as given, for the place of a fault
    std::size_t offsetShift_ = 0; // a byte order mark left off before parsing
    const char* textStart_ = nullptr;
    // Items are numbered from 1 for messages.
    std::size_t entryCount_ = 0;
    std::size_t decisionCount_ = 0;
    std::size_t repeatCount_ = 0;
    std::size_t encounterCount_ = 0;
    std::vector<PhotoEntry> entries_;
    std::vector<Decision> decisions_;
    std::vector<RepeatMeasurement> repeats_;
    std::vector<RecordEncounter> encounters_;
    std::set<std::pair<std::string, std::size_t>> encountered_; // their records
};

ReadResult CompanionReader::read(std::string_view bytes) {
    const std::string_view whole = bytes;
    bytes = Characters::withoutByteOrderMark(bytes);
    // The parser reads a document that is a lone scalar by rules of its own,
    // laxer at its end. Such a document is never a companion; it is read as
    // the one item of a list instead, by the rules any other value is read by.
    const std::size_t first = bytes.find_first_not_of(" \t\n\r");
    const bool scalar =
        first != std::string_view::npos && bytes[first] != '{' && bytes[first] != '[';
    const std::string wrapped = scalar ? "[" + std::string(bytes) + "]" : std::string();
    const simdjson::padded_string text(scalar ? std::string_view(wrapped) : bytes);
    // The program writes one item a line: room for as many entries as there
    // are lines spares moving ten thousand large entries while they are read.
    entries_.reserve(std::min(linesIn(bytes), bytes.size() / 256));
    od::parser parser;
    od::document document;
    // Room beyond the depth refused, so that the parser's own limit is never met.
    error_code error = parser.allocate(text.size(), kMaxDepth + 2);
    if (!error)
        error = parser.iterate(text).get(document);
    std::string where;
    if (error == simdjson::UTF8_ERROR) {
        where = firstLineNotUtf8(whole);
    } else if (!error) {
        document_ = &document;
        bytes_ = whole;
        offsetShift_ = (whole.size() - bytes.size());
        textStart_ = text.data();
        try {
            readDocument(document, scalar);
        } catch (const SectionBroken&) {
            // Said in that section's fault; what was read before it stands.
        } catch (const simdjson::simdjson_error& fault) {
            error = fault.error();
            const char* at = nullptr;
            // The parser knows no useful place for a container left open.
            if (error != simdjson::INCOMPLETE_ARRAY_OR_OBJECT &&
                document.current_location().get(at) == simdjson::SUCCESS) {
                // Counted in the bytes as given: a byte order mark counts,
                // the list around a lone scalar does not.
                std::size_t offset = std::size_t(at - text.data());
                if (scalar && offset > 0)
                    --offset;
                where = positionOf(whole, offset + (whole.size() - bytes.size()));
            }
        }
    }
    if (error) {
        ReadResult result;
        result.error = "it is not valid JSON (" + (where.empty() ? "" : where + ": ") +
                       std::string(faultText(error)) + ").";
        return result;
    }
    return finish();
}

void CompanionReader::readDocument(od::document& document, bool scalar) {
    switch (od::json_type(document.type())) {
    case od::json_type::object:
        readTop(document.get_object());
        break;
    case od::json_type::array: {
        // A document that is no object has no format name; it is still checked.
        if (!scalar) {
            passOver(document.get_value());
            break;
        }
        std::size_t items = 0;
        for (od::value item : document.get_array()) {
            passOver(item);
            ++items;
        }
        if (items != 1)
            refuseJson(simdjson::TAPE_ERROR);
        break;
    }
    default:
        refuseJson(simdjson::TAPE_ERROR);
    }
    // The parser stops where the document's value ends; anything after it but
    // white space is no JSON.
    const char* rest = nullptr;
    if (document.current_location().get(rest) == simdjson::SUCCESS)
        refuseJson(simdjson::TRAILING_CONTENT);
}

void CompanionReader::readTop(od::object top) {
    for (od::field field : top) {
        const std::string_view key = keyOf(field);
        od::value value = field.value();
        if (key == "format") {
            const auto format = textOf(value);
            formatOk_ = format && *format == kFormatName;
        } else if (key == "version") {
            readVersion(value);
        } else if (key == "pointsPerPixel") {
            readScale(value);
        } else if (key == "entries") {
            entriesSeen_ = true;
            readList(value, key, &CompanionReader::readEntry);
        } else if (key == "decisions") {
            readList(value, key, &CompanionReader::readDecision);
        } else if (key == "repeats") {
            readSection(value, key, &CompanionReader::readRepeat, repeatsError_);
        } else if (key == "encounters") {
            readSection(value, key, &CompanionReader::readEncounter, encountersError_);
        } else {
            passOver(value);
        }
    }
}

void CompanionReader::readVersion(od::value value) {
    const Number version = numberOf(value);
    if (version.kind != Number::Whole)
        versionError_ = "its version is not a whole number";
    else if (version.whole < 1)
        versionError_ = "its version is too small";
    else
        version_ = version.whole;
}

void CompanionReader::readScale(od::value value) {
    const Number scale = numberOf(value);
    if (scale.kind != Number::Whole || scale.tooLarge || scale.whole < 1 ||
        scale.whole > kMaxPointsPerPixel)
        scaleError_ = "its \"pointsPerPixel\" is not a whole number from 1 to " +
                      std::to_string(kMaxPointsPerPixel);
    else
        scale_ = scale.whole;
}

void CompanionReader::readList(od::value value, std::string_view key,
                               void (CompanionReader::*readItem)(od::value)) {
    if (!isKind(value, od::json_type::array)) {
        fail("its \"" + std::string(key) + "\" are not a list");
        passOver(value);
        return;
    }
    for (od::value item : value.get_array())
        (this->*readItem)(item);
}

void CompanionReader::readEntry(od::value value) {
    const Place at{"entry", ++entryCount_, {}};
    if (!isItem(value, at))
        return;
    // Read in place: a fault anywhere refuses the whole document, entries and all.
    PendingEntry p{entries_.emplace_back()};
    PhotoEntry& e = p.entry;
    for (od::field field : value.get_object()) {
        const std::string_view key = keyOf(field);
        od::value v = field.value();
        if (recordField(key, v, p.line, e.occurrence, p.occurrence, at)) {
        } else if (key == "photo" || key == "photoHex") {
            textField(v, p.photo, key, "photo", at);
            if (p.photo && p.photo->empty())
                fail(at.name() + " has an empty \"photo\"");
        } else if (key == "width" || key == "height") {
            if (const auto n = wholeNumber(v, 1, kMaxSidePixels, key, at)) {
                (key == "width" ? e.widthPixels : e.heightPixels) = static_cast<int>(*n);
                (key == "width" ? p.width : p.height) = true;
            }
        } else if (key == "appended") {
            if (const auto appended = textOf(v)) {
                e.appendedAt = *appended;
                p.appended = true;
            } else {
                fail(at.field(key) + " is not a text");
            }
        } else if (key == "segments") {
            readSegments(v, e.segments, p.segments, at);
        } else if (key == "measuredInPixels") {
            readGroups(v, e, at);
        } else {
            passOver(v);
        }
    }
    finishEntry(p, at);
}

void CompanionReader::readSegments(od::value value, PhotoSegments& segments, bool& seen,
                                   const Place& at) {
    if (seen || !isKind(value, od::json_type::object)) {
        fail(at.field("segments") + (seen ? " appears twice" : " is not an object"));
        passOver(value);
        return;
    }
    seen = true;
    for (od::field field : value.get_object()) {
        const std::string_view key = keyOf(field);
        od::value v = field.value();
        const auto seam = seamIndexOf(key);
        const auto fault = [&](std::string_view what) {
            fail(at.name() + " segment \"" + std::string(key) + "\" " + std::string(what));
        };
        if (!seam) {
            fault("names no seam");
            passOver(v);
        } else if (auto& slot = segments[*seam]; slot) {
            fault("appears twice");
            passOver(v);
        } else if (const auto segment = segmentOf(v)) {
            slot = segment;
        } else {
            fault("is not four numbers");
        }
    }
}

bool CompanionReader::isItem(od::value& value, const Place& at) {
    if (isKind(value, od::json_type::object))
        return true;
    fail(at.name() + " is not an object");
    passOver(value);
    return false;
}

void CompanionReader::needRecord(const Place& at, bool line, bool occurrence) {
    if (!line)
        fail(at.name() + " needs exactly one of \"line\" and \"lineHex\"");
    else if (!occurrence)
        fail(at.name() + " lacks \"occurrence\"");
}

bool CompanionReader::recordField(std::string_view key, od::value value,
                                  std::optional<std::string>& line, std::size_t& occurrence,
                                  bool& occurrenceSeen, const Place& at) {
    if (key == "line" || key == "lineHex") {
        textField(value, line, key, "line", at);
    } else if (key == "occurrence") {
        if (const auto n = wholeNumber(value, 1, INT64_MAX, key, at)) {
            occurrence = static_cast<std::size_t>(*n);
            occurrenceSeen = true;
        }
    } else {
        return false;
    }
    return true;
}

void CompanionReader::readGroups(od::value value, PhotoEntry& entry, const Place& at) {
    const std::string field = at.field("measuredInPixels");
    if (!isKind(value, od::json_type::array)) {
        fail(field + " is not a list");
        passOver(value);
        return;
    }
    for (od::value item : value.get_array()) {
        const auto name = textOf(item);
        const auto it =
            name ? std::find(kGroupNames.begin(), kGroupNames.end(), *name) : kGroupNames.end();
        if (it == kGroupNames.end()) {
            fail(field + " holds something that is not \"M1-M8\", \"M9-M16\", \"C1-C6\" or "
                         "\"C7-C12\"");
            continue;
        }
        bool& measured = entry.measuredInPixels[std::size_t(it - kGroupNames.begin())];
        if (measured)
            fail(field + " names a group twice");
        measured = true;
    }
}

void CompanionReader::readSection(od::value value, std::string_view key,
                                  void (CompanionReader::*readItem)(od::value),
                                  std::string& error) {
    error_ = &error;
    try {
        readList(value, key, readItem);
    } catch (const simdjson::simdjson_error& fault) {
        std::string where;
        const char* at = nullptr;
        if (fault.error() != simdjson::INCOMPLETE_ARRAY_OR_OBJECT &&
            document_->current_location().get(at) == simdjson::SUCCESS)
            where = positionOf(bytes_, std::size_t(at - textStart_) + offsetShift_) + ": ";
        error = "its \"" + std::string(key) + "\" are not valid JSON (" + where +
                std::string(faultText(fault.error())) +
                "), so they and anything after them in the file were left out";
        error_ = &itemError_;
        throw SectionBroken{};
    }
    error_ = &itemError_;
}

void CompanionReader::readRepeat(od::value value) {
    const Place at{"repeat", ++repeatCount_, {}};
    if (!isItem(value, at))
        return;
    PendingRepeat p;
    RepeatMeasurement& r = repeats_.emplace_back();
    for (od::field field : value.get_object()) {
        const std::string_view key = keyOf(field);
        od::value v = field.value();
        if (recordField(key, v, p.line, r.occurrence, p.occurrence, at)) {
        } else if (key == "values" || key == "valuesHex") {
            textField(v, p.values, key, "values", at);
        } else if (key == "measured") {
            onceText(v, p.measured, key, at);
        } else if (key == "operator" || key == "operatorHex") {
            textField(v, p.operatorName, key, "operator", at);
        } else if (key == "segments") {
            readSegments(v, r.segments, p.segments, at);
        } else {
            passOver(v);
        }
    }
    const char* missing = !p.values         ? "values"
                          : !p.measured     ? "measured"
                          : !p.operatorName ? "operator"
                          : !p.segments     ? "segments"
                                            : nullptr;
    needRecord(at, p.line.has_value(), p.occurrence);
    if (missing)
        fail(at.name() + " lacks \"" + missing + "\"");
    if (!error_->empty())
        return;
    r.recordLine = std::move(*p.line);
    r.values = std::move(*p.values);
    r.measuredAt = std::move(*p.measured);
    r.operatorName = std::move(*p.operatorName);
}

std::optional<double> CompanionReader::degrees(od::value value, std::string_view key,
                                               const Place& at) {
    double number = 0.0;
    if (!isKind(value, od::json_type::number) || value.get_double().get(number)) {
        if (!isKind(value, od::json_type::number))
            passOver(value);
        fail(at.field(key) + " is not a number");
        return std::nullopt;
    }
    return number;
}

void CompanionReader::readEncounter(od::value value) {
    const Place at{"encounter", ++encounterCount_, {}};
    if (!isItem(value, at))
        return;
    PendingEncounter p;
    RecordEncounter& held = encounters_.emplace_back();
    Encounter& e = held.encounter;
    for (od::field field : value.get_object()) {
        const std::string_view key = keyOf(field);
        od::value v = field.value();
        if (recordField(key, v, p.line, held.occurrence, p.occurrence, at)) {
        } else if (key == "date" || key == "dateHex") {
            textField(v, p.date, key, "date", at);
        } else if (key == "site" || key == "siteHex") {
            textField(v, p.site, key, "site", at);
        } else if (key == "observer" || key == "observerHex") {
            textField(v, p.observer, key, "observer", at);
        } else if (key == "note" || key == "noteHex") {
            textField(v, p.note, key, "note", at);
        } else if (key == "latitude" || key == "longitude") {
            auto& slot = key == "latitude" ? p.latitude : p.longitude;
            if (slot) {
                fail(at.field(key) + " appears twice");
                passOver(v);
            } else {
                slot = degrees(v, key, at);
            }
        } else {
            passOver(v);
        }
    }
    needRecord(at, p.line.has_value(), p.occurrence);
    std::string error;
    if (p.date && !e.setDateText(*p.date, error))
        fail(at.field("date") + ": " + error);
    e.site = p.site.value_or("");
    e.observer = p.observer.value_or("");
    e.note = p.note.value_or("");
    e.latitude = p.latitude;
    e.longitude = p.longitude;
    if (const auto problem = e.problem())
        fail(at.name() + ": " + *problem);
    if (!error_->empty())
        return;
    held.recordLine = std::move(*p.line);
    if (!encountered_.insert({held.recordLine, held.occurrence}).second)
        fail(at.name() + " is the second of its record");
}

void CompanionReader::finishEntry(PendingEntry& p, const Place& at) {
    const char* missing = !p.line         ? nullptr
                          : !p.occurrence ? "occurrence"
                          : !p.photo      ? "photo"
                          : !p.width      ? "width"
                          : !p.height     ? "height"
                          : !p.appended   ? "appended"
                          : !p.segments   ? "segments"
                                          : "";
    if (!p.line)
        fail(at.name() + " needs exactly one of \"line\" and \"lineHex\"");
    else if (*missing != '\0')
        fail(at.name() + " lacks \"" + missing + "\"");
    if (!itemError_.empty())
        return;
    p.entry.recordLine = std::move(*p.line);
    p.entry.photoPath = absolutePhoto(std::move(*p.photo));
}

std::string CompanionReader::absolutePhoto(std::string photo) const {
    if (folderPrefix_ && isPlainRelative(photo))
        return *folderPrefix_ + photo;
    const fs::path path(photo);
    return path.is_absolute() || folder_.empty() ? photo
                                                 : (folder_ / path).lexically_normal().string();
}

void CompanionReader::readDecision(od::value value) {
    const Place at{"decision", ++decisionCount_, {}};
    if (!isItem(value, at))
        return;
    PendingDecision d;
    for (od::field field : value.get_object()) {
        const std::string_view key = keyOf(field);
        od::value v = field.value();
        if (key == "query") {
            readIdentity(v, d.query, at, key);
        } else if (key == "candidate") {
            readIdentity(v, d.candidate, at, key);
        } else if (key == "verdict") {
            readVerdict(v, d.verdict, at);
        } else if (key == "measure") {
            onceText(v, d.measure, key, at);
            if (d.measure && !measureNamed(*d.measure))
                fail(at.field(key) + " is not \"" + std::string(nameOf(Measure::D1)) + "\", \"" +
                     std::string(nameOf(Measure::D2)) + "\" or \"" +
                     std::string(nameOf(Measure::D)) + "\"");
        } else if (key == "distance" || key == "distanceHex") {
            textField(v, d.distance, key, "distance", at);
        } else if (key == "decided") {
            onceText(v, d.decided, key, at);
        } else {
            passOver(v);
        }
    }
    finishDecision(d, at);
}

void CompanionReader::readVerdict(od::value value, std::optional<Verdict>& slot, const Place& at) {
    const auto token = textOf(value);
    if (!token) {
        fail(at.field("verdict") + " is not a text");
    } else if (slot) {
        fail(at.field("verdict") + " appears twice");
    } else {
        for (const VerdictName& name : kVerdicts)
            if (*token == name.token)
                slot = name.verdict;
        if (!slot)
            fail(at.field("verdict") + " is not \"same\", \"different\" or \"unsure\"");
    }
}

void CompanionReader::readIdentity(od::value value, std::optional<PendingIdentity>& slot,
                                   const Place& decision, std::string_view key) {
    if (slot || !isKind(value, od::json_type::object)) {
        fail(decision.field(key) + (slot ? " appears twice" : " is not an object"));
        passOver(value);
        return;
    }
    PendingIdentity& id = slot.emplace();
    const Place at{decision.item, decision.number, key};
    for (od::field field : value.get_object()) {
        const std::string_view name = keyOf(field);
        od::value v = field.value();
        if (name == "code" || name == "codeHex") {
            textField(v, id.code, name, "code", at);
        } else if (name == "line" || name == "lineHex") {
            textField(v, id.line, name, "line", at);
        } else if (name == "occurrence") {
            if (id.occurrence) {
                fail(at.field(name) + " appears twice");
                passOver(v);
            } else if (const auto n = wholeNumber(v, 0, INT64_MAX, name, at)) {
                id.occurrence = static_cast<std::size_t>(*n);
            }
        } else {
            passOver(v);
        }
    }
    if (!id.code)
        fail(at.name() + " needs exactly one of \"code\" and \"codeHex\"");
    else
        needRecord(at, id.line.has_value(), id.occurrence.has_value());
}

void CompanionReader::finishDecision(PendingDecision& d, const Place& at) {
    const char* missing = !d.query       ? "query"
                          : !d.candidate ? "candidate"
                          : !d.verdict   ? "verdict"
                          : !d.measure   ? "measure"
                          : !d.distance  ? "distance"
                          : !d.decided   ? "decided"
                                         : nullptr;
    if (missing)
        fail(at.name() + " lacks \"" + missing + "\"");
    if (!itemError_.empty())
        return;
    const auto identity = [](PendingIdentity& id) {
        return RecordIdentity{std::move(*id.code), std::move(*id.line), *id.occurrence};
    };
    decisions_.push_back({identity(*d.query), identity(*d.candidate), *d.verdict,
                          std::move(*d.measure), std::move(*d.distance), std::move(*d.decided)});
}

void CompanionReader::textField(od::value value, std::optional<std::string>& slot,
                                std::string_view key, std::string_view name, const Place& at) {
    const auto text = textOf(value);
    if (!text) {
        fail(at.field(key) + " is not a text");
    } else if (slot) {
        fail(at.name() + " needs exactly one of \"" + std::string(name) + "\" and \"" +
             std::string(name) + std::string(kHexSuffix) + "\"");
    } else if (key == name) {
        slot.emplace(*text);
    } else if (auto bytes = bytesOfHex(*text)) {
        slot = std::move(*bytes);
    } else {
        fail(at.field(key) + " is not an even number of hexadecimal digits");
    }
}

void CompanionReader::onceText(od::value value, std::optional<std::string>& slot,
                               std::string_view key, const Place& at) {
    const auto text = textOf(value);
    if (!text)
        fail(at.field(key) + " is not a text");
    else if (slot)
        fail(at.field(key) + " appears twice");
    else
        slot.emplace(*text);
}

std::optional<std::int64_t> CompanionReader::wholeNumber(od::value value, std::int64_t low,
                                                         std::int64_t high, std::string_view key,
                                                         const Place& at) {
    const Number n = numberOf(value);
    if (n.kind != Number::Whole) {
        fail(at.field(key) + " is not a whole number");
        return std::nullopt;
    }
    if (n.tooLarge || n.whole > high) {
        fail(at.field(key) + " is too large");
        return std::nullopt;
    }
    if (n.whole < low) {
        fail(at.field(key) + " is too small");
        return std::nullopt;
    }
    return n.whole;
}

ReadResult CompanionReader::finish() {
    ReadResult result;
    if (!formatOk_)
        result.error = "it is not a photo companion file of this program.";
    else if (!version_ && versionError_.empty())
        result.error = "the file lacks \"version\".";
    else if (!versionError_.empty())
        result.error = versionError_ + ".";
    else if (*version_ > kFormatVersion)
        result.error = "it was written in format version " + std::to_string(*version_) +
                       " by a newer version of the program; this version reads format "
                       "versions up to " +
                       std::to_string(kFormatVersion) + " only.";
    else if (!scaleError_.empty())
        result.error = scaleError_ + ".";
    else if (!scale_)
        result.error = "the file lacks \"pointsPerPixel\".";
    else if (!entriesSeen_)
        result.error = "the file lacks \"entries\".";
    else if (!itemError_.empty())
        result.error = itemError_ + ".";
    if (!result.error.empty())
        return result;
    result.ok = true;
    result.entries = std::move(entries_);
    result.decisions = std::move(decisions_);
    if (repeatsError_.empty())
        result.repeats = std::move(repeats_);
    else
        result.leftOut.push_back("The repeat measurements were left out: " + repeatsError_ + ".");
    if (encountersError_.empty())
        result.encounters = std::move(encounters_);
    else
        result.leftOut.push_back("The encounters were left out: " + encountersError_ + ".");
    const double scale = double(*scale_);
    const auto toPixels = [scale](PhotoSegments& segments) {
        for (auto& segment : segments)
            if (segment)
                segment = PhotoSegment{{segment->from.x / scale, segment->from.y / scale},
                                       {segment->to.x / scale, segment->to.y / scale}};
    };
    for (PhotoEntry& entry : result.entries)
        toPixels(entry.segments);
    for (RepeatMeasurement& repeat : result.repeats)
        toPixels(repeat.segments);
    return result;
}

} // namespace

ReadResult read(std::string_view bytes, const std::string& dataFolder) {
    return CompanionReader(dataFolder).read(bytes);
}

} // namespace korvex::PhotoCompanion
