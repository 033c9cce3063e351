#include "exchange/PhotoCompanion.h"

#include "model/Characters.h"
#include "model/RecordIdentity.h"
#include "model/RecordLine.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <utility>

namespace korvex::PhotoCompanion {

namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

// A photo side beyond this is no photo this program could have opened.
constexpr std::int64_t kMaxSidePixels = 1'000'000;
// Points are written as whole hundredths of a pixel: far finer than any click,
// and whole numbers read several times faster than decimals, which matters
// for a catalogue of ten thousand fully digitised records (over a million
// numbers). The document names the scale, so a reader never has to know it.
constexpr std::int64_t kPointsPerPixel = 100;
constexpr std::int64_t kMaxPointsPerPixel = 1'000'000;

constexpr std::string_view kHexSuffix = "Hex";

// Verdicts are stored as short tokens: the texts shown may be reworded, the
// tokens stay.
struct VerdictName {
    Verdict verdict;
    std::string_view token;
};
constexpr std::array<VerdictName, 3> kVerdicts = {{
    {Verdict::SameAnimal, "same"},
    {Verdict::DifferentAnimal, "different"},
    {Verdict::Unsure, "unsure"},
}};

const VerdictName& nameOf(Verdict verdict) {
    for (const VerdictName& name : kVerdicts)
        if (name.verdict == verdict)
            return name;
    return kVerdicts.back();
}

constexpr std::array<std::string_view, 3> kMeasures = {"D1", "D2", "D"};

std::string hexOf(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0x0F]);
    }
    return hex;
}

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

// --- writing ----------------------------------------------------------------------
// Written by hand rather than through a document tree: a catalogue of ten
// thousand fully digitised records holds over a million numbers, and building
// a tree for them would cost more than the file's whole writing.

void putText(std::string& out, std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out.push_back('"');
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out.push_back(kDigits[byte >> 4]);
                out.push_back(kDigits[byte & 0x0F]);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
}

void putKey(std::string& out, std::string_view key) {
    putText(out, key);
    out.push_back(':');
}

// JSON texts are UTF-8; bytes that are not (8-bit record lines from older
// files) go under the key with "Hex" appended instead.
void putBytes(std::string& out, std::string_view key, std::string_view bytes) {
    if (Characters::isValidUtf8(bytes)) {
        putKey(out, key);
        putText(out, bytes);
    } else {
        putKey(out, std::string(key) + std::string(kHexSuffix));
        putText(out, hexOf(bytes));
    }
}

template <typename Integer> void putInteger(std::string& out, Integer value) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end);
}

// A coordinate in hundredths of a pixel; beyond any photo's size it is clamped
// rather than overflowing.
std::int64_t pointOf(double pixels) {
    constexpr double kLimit = 1e15;
    return static_cast<std::int64_t>(
        std::llround(std::clamp(pixels * double(kPointsPerPixel), -kLimit, kLimit)));
}

// A photo beneath the data file's folder travels with it when the folder is
// copied or moved; anything else keeps its absolute path.
std::string storedPath(const std::string& photoPath, const fs::path& folder) {
    const fs::path photo = fs::path(photoPath).lexically_normal();
    if (photo.is_absolute() && folder.is_absolute()) {
        const fs::path relative = photo.lexically_relative(folder);
        if (!relative.empty() && *relative.begin() != ".." && *relative.begin() != ".")
            return relative.generic_string();
    }
    return photoPath;
}

// The seam names as written before a segment, "\"M1\":".
const std::array<std::string, MeasurementSheet::kRecordValueCount>& seamKeys() {
    static const auto keys = [] {
        std::array<std::string, MeasurementSheet::kRecordValueCount> k;
        for (std::size_t i = 0; i < k.size(); ++i)
            k[i] = "\"" + SpecimenRecord::seamName(i) + "\":";
        return k;
    }();
    return keys;
}

void putEntry(std::string& out, const PhotoEntry& entry, const fs::path& folder) {
    out.push_back('{');
    putBytes(out, "line", entry.recordLine);
    out += ",\"occurrence\":";
    putInteger(out, entry.occurrence);
    out.push_back(',');
    putBytes(out, "photo", storedPath(entry.photoPath, folder));
    out += ",\"width\":";
    putInteger(out, entry.widthPixels);
    out += ",\"height\":";
    putInteger(out, entry.heightPixels);
    out += ",\"appended\":";
    putText(out, entry.appendedAt);
    out += ",\"segments\":{";
    bool first = true;
    for (std::size_t i = 0; i < entry.segments.size(); ++i) {
        const auto& s = entry.segments[i];
        if (!s)
            continue;
        if (!first)
            out.push_back(',');
        // Segments are [from x, from y, to x, to y] in hundredths of a pixel.
        first = false;
        out += seamKeys()[i];
        const double c[4] = {s->from.x, s->from.y, s->to.x, s->to.y};
        for (std::size_t k = 0; k < 4; ++k) {
            out.push_back(k == 0 ? '[' : ',');
            putInteger(out, pointOf(c[k]));
        }
        out.push_back(']');
    }
    out += "}}";
}

void putIdentity(std::string& out, const RecordIdentity& identity) {
    out.push_back('{');
    putBytes(out, "code", identity.code);
    out.push_back(',');
    putBytes(out, "line", identity.recordLine);
    out += ",\"occurrence\":";
    putInteger(out, identity.occurrence);
    out.push_back('}');
}

void putDecision(std::string& out, const Decision& decision) {
    out += "{\"query\":";
    putIdentity(out, decision.query);
    out += ",\"candidate\":";
    putIdentity(out, decision.candidate);
    out += ",\"verdict\":";
    putText(out, nameOf(decision.verdict).token);
    out += ",\"measure\":";
    putText(out, decision.measure);
    out.push_back(',');
    putBytes(out, "distance", decision.distance);
    out += ",\"decided\":";
    putText(out, decision.decidedAt);
    out.push_back('}');
}

// --- reading ------------------------------------------------------------------------
// Read as a stream of events into the entries, for the same reason. A fault in
// an entry or a decision is remembered and the rest is still read through, so
// that a newer format version is told as such even where its items look
// different.

const std::map<std::string, std::size_t, std::less<>>& seamIndices() {
    static const auto indices = [] {
        std::map<std::string, std::size_t, std::less<>> map;
        for (std::size_t i = 0; i < MeasurementSheet::kRecordValueCount; ++i)
            map.emplace(SpecimenRecord::seamName(i), i);
        return map;
    }();
    return indices;
}

// The library's messages begin with an identifier such as
// "[json.exception.parse_error.101] "; the user needs only what follows it.
std::string plainMessage(const std::string& what) {
    const std::size_t end = what.find("] ");
    return !what.empty() && what.front() == '[' && end != std::string::npos ? what.substr(end + 2)
                                                                            : what;
}

// One value as the parser hands it over; whole numbers arrive signed or, when
// not negative, unsigned.
struct Scalar {
    enum Kind { Other, Whole, Float, Text } kind = Other;
    bool tooLarge = false; // a whole number beyond the signed 64-bit range
    std::int64_t whole = 0;
    double number = 0.0;
    const std::string* text = nullptr;

    static Scalar ofSigned(std::int64_t v) { return {Whole, false, v, double(v)}; }
    static Scalar ofUnsigned(std::uint64_t v) {
        const bool big = v > std::uint64_t(INT64_MAX);
        return {Whole, big, big ? INT64_MAX : std::int64_t(v), static_cast<double>(v)};
    }
    bool isNumber() const { return kind == Whole || kind == Float; }
};

class CompanionReader {
public:
    explicit CompanionReader(const std::string& dataFolder)
        : folder_(fs::path(dataFolder).lexically_normal()) {}

    ReadResult finish(bool parsed) {
        ReadResult result;
        if (!parsed)
            result.error = "it is not valid JSON (" + parseError_ + ").";
        else if (!formatOk_)
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
        const double scale = double(*scale_);
        for (PhotoEntry& entry : result.entries)
            for (auto& segment : entry.segments)
                if (segment)
                    segment = PhotoSegment{{segment->from.x / scale, segment->from.y / scale},
                                           {segment->to.x / scale, segment->to.y / scale}};
        return result;
    }

    // The event interface of the JSON library.
    bool null() { return scalar({}); }
    bool boolean(bool) { return scalar({}); }
    bool number_integer(std::int64_t v) { return scalar(Scalar::ofSigned(v)); }
    bool number_unsigned(std::uint64_t v) { return scalar(Scalar::ofUnsigned(v)); }
    bool number_float(double v, const std::string&) { return scalar({Scalar::Float, false, 0, v}); }
    bool string(std::string& v) { return scalar({Scalar::Text, false, 0, 0.0, &v}); }
    bool binary(Json::binary_t&) { return scalar({}); }
    bool key(std::string& k) {
        // Copied, not moved: the parser reuses its buffer, and so does key_.
        if (skip_ == 0)
            key_.assign(k);
        return true;
    }
    bool start_object(std::size_t) { return open(false); }
    bool start_array(std::size_t) { return open(true); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
        parseError_ = plainMessage(e.what());
        return false;
    }

private:
    enum class Context { Top, Entries, Entry, Segments, Segment, Decisions, Decision, Identity };

    // What is known of the entry being read.
    struct Pending {
        PhotoEntry entry;
        std::optional<std::string> line;
        std::optional<std::string> photo;
        bool occurrence = false;
        bool width = false;
        bool height = false;
        bool appended = false;
        bool segments = false;
    };

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

    std::string where() const {
        return readingDecisions_ ? "decision " + std::to_string(decisionNumber_)
                                 : "entry " + std::to_string(entryNumber_);
    }
    std::string field() const { return where() + " \"" + key_ + "\""; }
    std::string seam() const { return where() + " segment \"" + key_ + "\""; }
    // The record of a decision being read: "decision 2 candidate".
    std::string identityWhere() const { return where() + " " + identityName_; }

    void fail(std::string reason) {
        if (itemError_.empty())
            itemError_ = std::move(reason);
    }

    // The next item of a list of objects, numbered for messages and read
    // afresh into `pending`; false, after a fault, when it is no object.
    template <typename Item>
    bool openItem(bool isObject, std::size_t& number, Item& pending, Context inside) {
        ++number;
        if (!isObject) {
            fail(where() + " is not an object");
            return false;
        }
        pending = Item{};
        stack_.push_back(inside);
        return true;
    }

    bool open(bool array) {
        if (skip_ > 0) {
            ++skip_;
            return true;
        }
        if (stack_.empty()) {
            if (array) {
                ++skip_;
                return true; // a document that is no object has no format name
            }
            stack_.push_back(Context::Top);
            return true;
        }
        switch (stack_.back()) {
        case Context::Top:
            if (key_ == "entries") {
                entriesSeen_ = true;
                if (array) {
                    stack_.push_back(Context::Entries);
                    return true;
                }
                fail("its \"entries\" are not a list");
            } else if (key_ == "decisions") {
                if (array) {
                    readingDecisions_ = true;
                    stack_.push_back(Context::Decisions);
                    return true;
                }
                fail("its \"decisions\" are not a list");
            } else if (key_ == "version") {
                versionError_ = "its version is not a whole number";
            } else if (key_ == "pointsPerPixel") {
                scaleError_ = "its \"pointsPerPixel\" is not a whole number";
            }
            break;
        case Context::Entries:
            if (openItem(!array, entryNumber_, pending_, Context::Entry))
                return true;
            break;
        case Context::Entry:
            if (key_ == "segments") {
                if (!array && !pending_.segments) {
                    pending_.segments = true;
                    stack_.push_back(Context::Segments);
                    return true;
                }
                fail(pending_.segments ? field() + " appears twice"
                                       : field() + " is not an object");
            } else if (isField(key_)) {
                fail(field() + " is not " + (isTextField(key_) ? "a text" : "a whole number"));
            }
            break;
        case Context::Segments:
            if (array && checkSeam()) {
                coordinates_ = 0;
                stack_.push_back(Context::Segment);
                return true;
            }
            if (!array)
                fail(seam() + " is not four numbers");
            break;
        case Context::Segment:
            fail(seam() + " is not four numbers");
            break;
        case Context::Decisions:
            if (openItem(!array, decisionNumber_, decision_, Context::Decision))
                return true;
            break;
        case Context::Decision:
            if (key_ == "query" || key_ == "candidate") {
                auto& slot = key_ == "query" ? decision_.query : decision_.candidate;
                if (!array && !slot) {
                    slot.emplace();
                    identity_ = &*slot;
                    identityName_ = key_;
                    stack_.push_back(Context::Identity);
                    return true;
                }
                fail(slot ? field() + " appears twice" : field() + " is not an object");
            } else if (isDecisionField(key_)) {
                fail(field() + " is not a text");
            }
            break;
        case Context::Identity:
            if (key_ == "occurrence")
                fail(identityWhere() + " \"occurrence\" is not a whole number");
            else if (isIdentityTextField(key_))
                fail(identityWhere() + " \"" + key_ + "\" is not a text");
            break;
        }
        ++skip_;
        return true;
    }

    bool close() {
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        const Context done = stack_.back();
        stack_.pop_back();
        if (done == Context::Entry)
            finishEntry();
        else if (done == Context::Segment)
            finishSegment();
        else if (done == Context::Identity)
            finishIdentity();
        else if (done == Context::Decision)
            finishDecision();
        else if (done == Context::Decisions)
            readingDecisions_ = false;
        return true;
    }

    static bool isTextField(std::string_view k) {
        return k == "line" || k == "lineHex" || k == "photo" || k == "photoHex" || k == "appended";
    }
    static bool isField(std::string_view k) {
        return isTextField(k) || k == "occurrence" || k == "width" || k == "height";
    }
    static bool isDecisionField(std::string_view k) {
        return k == "verdict" || k == "measure" || k == "distance" || k == "distanceHex" ||
               k == "decided";
    }
    static bool isIdentityTextField(std::string_view k) {
        return k == "code" || k == "codeHex" || k == "line" || k == "lineHex";
    }

    // The segment being opened names a seam not given before.
    bool checkSeam() {
        const auto it = seamIndices().find(key_);
        if (it == seamIndices().end()) {
            fail(seam() + " names no seam");
            return false;
        }
        if (pending_.entry.segments[it->second]) {
            fail(seam() + " appears twice");
            return false;
        }
        seamIndex_ = it->second;
        return true;
    }

    bool scalar(const Scalar& v) {
        if (skip_ > 0 || stack_.empty())
            return true;
        switch (stack_.back()) {
        case Context::Top:
            topScalar(v);
            break;
        case Context::Entries:
            openItem(false, entryNumber_, pending_, Context::Entry);
            break;
        case Context::Entry:
            entryScalar(v);
            break;
        case Context::Segments:
            if (checkSeam())
                fail(seam() + " is not four numbers");
            break;
        case Context::Segment:
            if (!v.isNumber() || !std::isfinite(v.number))
                fail(seam() + " is not four numbers");
            else if (coordinates_ < 4)
                segment_[coordinates_] = v.number;
            ++coordinates_;
            break;
        case Context::Decisions:
            openItem(false, decisionNumber_, decision_, Context::Decision);
            break;
        case Context::Decision:
            decisionScalar(v);
            break;
        case Context::Identity:
            identityScalar(v);
            break;
        }
        return true;
    }

    void topScalar(const Scalar& v) {
        if (key_ == "format") {
            formatOk_ = v.kind == Scalar::Text && *v.text == kFormatName;
        } else if (key_ == "version") {
            if (v.kind != Scalar::Whole)
                versionError_ = "its version is not a whole number";
            else if (v.whole < 1)
                versionError_ = "its version is too small";
            else
                version_ = v.whole;
        } else if (key_ == "pointsPerPixel") {
            if (v.kind != Scalar::Whole || v.tooLarge || v.whole < 1 ||
                v.whole > kMaxPointsPerPixel)
                scaleError_ = "its \"pointsPerPixel\" is not a whole number from 1 to " +
                              std::to_string(kMaxPointsPerPixel);
            else
                scale_ = v.whole;
        } else if (key_ == "entries") {
            entriesSeen_ = true;
            fail("its \"entries\" are not a list");
        } else if (key_ == "decisions") {
            fail("its \"decisions\" are not a list");
        }
    }

    // A whole number within [low, high], or a fault naming `field`.
    std::optional<std::int64_t> wholeNumber(const Scalar& v, std::int64_t low, std::int64_t high,
                                            const std::string& field) {
        if (v.kind != Scalar::Whole) {
            fail(field + " is not a whole number");
            return std::nullopt;
        }
        if (v.tooLarge || v.whole > high) {
            fail(field + " is too large");
            return std::nullopt;
        }
        if (v.whole < low) {
            fail(field + " is too small");
            return std::nullopt;
        }
        return v.whole;
    }

    // A text field of `owner` ("entry 3"), given once under its plain or its
    // hexadecimal key.
    void textField(const Scalar& v, std::optional<std::string>& slot, bool hex,
                   const std::string& owner) {
        const std::string name = hex ? key_.substr(0, key_.size() - kHexSuffix.size()) : key_;
        const std::string field = owner + " \"" + key_ + "\"";
        if (v.kind != Scalar::Text) {
            fail(field + " is not a text");
        } else if (slot) {
            fail(owner + " needs exactly one of \"" + name + "\" and \"" + name +
                 std::string(kHexSuffix) + "\"");
        } else if (!hex) {
            slot = *v.text;
        } else if (auto bytes = bytesOfHex(*v.text)) {
            slot = std::move(*bytes);
        } else {
            fail(field + " is not an even number of hexadecimal digits");
        }
    }

    // A plain text field given once.
    void onceText(const Scalar& v, std::optional<std::string>& slot) {
        if (v.kind != Scalar::Text)
            fail(field() + " is not a text");
        else if (slot)
            fail(field() + " appears twice");
        else
            slot = *v.text;
    }

    void entryScalar(const Scalar& v) {
        PhotoEntry& e = pending_.entry;
        if (key_ == "line" || key_ == "lineHex") {
            textField(v, pending_.line, key_ == "lineHex", where());
        } else if (key_ == "photo" || key_ == "photoHex") {
            textField(v, pending_.photo, key_ == "photoHex", where());
            if (pending_.photo && pending_.photo->empty())
                fail(where() + " has an empty \"photo\"");
        } else if (key_ == "occurrence") {
            if (const auto n = wholeNumber(v, 1, INT64_MAX, field())) {
                e.occurrence = static_cast<std::size_t>(*n);
                pending_.occurrence = true;
            }
        } else if (key_ == "width" || key_ == "height") {
            if (const auto n = wholeNumber(v, 1, kMaxSidePixels, field())) {
                (key_ == "width" ? e.widthPixels : e.heightPixels) = static_cast<int>(*n);
                (key_ == "width" ? pending_.width : pending_.height) = true;
            }
        } else if (key_ == "appended") {
            if (v.kind != Scalar::Text) {
                fail(field() + " is not a text");
            } else {
                e.appendedAt = *v.text;
                pending_.appended = true;
            }
        } else if (key_ == "segments") {
            fail(field() + " is not an object");
        }
    }

    void decisionScalar(const Scalar& v) {
        PendingDecision& d = decision_;
        if (key_ == "query" || key_ == "candidate") {
            fail(field() + " is not an object");
        } else if (key_ == "verdict") {
            std::optional<std::string> token;
            onceText(v, token);
            if (!token)
                return;
            if (d.verdict) {
                fail(field() + " appears twice");
                return;
            }
            for (const VerdictName& name : kVerdicts)
                if (*token == name.token)
                    d.verdict = name.verdict;
            if (!d.verdict)
                fail(field() + " is not \"same\", \"different\" or \"unsure\"");
        } else if (key_ == "measure") {
            onceText(v, d.measure);
            if (d.measure &&
                std::find(kMeasures.begin(), kMeasures.end(), *d.measure) == kMeasures.end())
                fail(field() + " is not \"D1\", \"D2\" or \"D\"");
        } else if (key_ == "distance" || key_ == "distanceHex") {
            textField(v, d.distance, key_ == "distanceHex", where());
        } else if (key_ == "decided") {
            onceText(v, d.decided);
        }
    }

    void identityScalar(const Scalar& v) {
        PendingIdentity& id = *identity_;
        if (key_ == "code" || key_ == "codeHex") {
            textField(v, id.code, key_ == "codeHex", identityWhere());
        } else if (key_ == "line" || key_ == "lineHex") {
            textField(v, id.line, key_ == "lineHex", identityWhere());
        } else if (key_ == "occurrence") {
            const std::string name = identityWhere() + " \"occurrence\"";
            if (id.occurrence)
                fail(name + " appears twice");
            else if (const auto n = wholeNumber(v, 0, INT64_MAX, name))
                id.occurrence = static_cast<std::size_t>(*n);
        }
    }

    void finishIdentity() {
        const PendingIdentity& id = *identity_;
        if (!id.code)
            fail(identityWhere() + " needs exactly one of \"code\" and \"codeHex\"");
        else if (!id.line)
            fail(identityWhere() + " needs exactly one of \"line\" and \"lineHex\"");
        else if (!id.occurrence)
            fail(identityWhere() + " lacks \"occurrence\"");
    }

    static RecordIdentity identityOf(PendingIdentity& id) {
        return {std::move(*id.code), std::move(*id.line), *id.occurrence};
    }

    void finishDecision() {
        PendingDecision& d = decision_;
        const char* missing = !d.query       ? "query"
                              : !d.candidate ? "candidate"
                              : !d.verdict   ? "verdict"
                              : !d.measure   ? "measure"
                              : !d.distance  ? "distance"
                              : !d.decided   ? "decided"
                                             : nullptr;
        if (missing)
            fail(where() + " lacks \"" + missing + "\"");
        if (!itemError_.empty())
            return;
        decisions_.push_back({identityOf(*d.query), identityOf(*d.candidate), *d.verdict,
                              std::move(*d.measure), std::move(*d.distance),
                              std::move(*d.decided)});
    }

    void finishSegment() {
        if (coordinates_ != 4) {
            fail(seam() + " is not four numbers");
            return;
        }
        pending_.entry.segments[seamIndex_] =
            PhotoSegment{{segment_[0], segment_[1]}, {segment_[2], segment_[3]}};
    }

    void finishEntry() {
        Pending& p = pending_;
        const char* missing = !p.line         ? nullptr
                              : !p.occurrence ? "occurrence"
                              : !p.photo      ? "photo"
                              : !p.width      ? "width"
                              : !p.height     ? "height"
                              : !p.appended   ? "appended"
                              : !p.segments   ? "segments"
                                              : "";
        if (!p.line)
            fail(where() + " needs exactly one of \"line\" and \"lineHex\"");
        else if (*missing != '\0')
            fail(where() + " lacks \"" + missing + "\"");
        if (!itemError_.empty())
            return;
        p.entry.recordLine = std::move(*p.line);
        const fs::path photo(*p.photo);
        p.entry.photoPath = photo.is_absolute() || folder_.empty()
                                ? *p.photo
                                : (folder_ / photo).lexically_normal().string();
        entries_.push_back(std::move(p.entry));
    }

    fs::path folder_;
    std::vector<Context> stack_;
    int skip_ = 0; // depth inside a value that is passed over
    std::string key_;
    std::string parseError_;
    bool formatOk_ = false;
    std::optional<std::int64_t> version_;
    std::string versionError_;
    std::optional<std::int64_t> scale_;
    std::string scaleError_;
    bool entriesSeen_ = false;
    // The first fault found in an entry or a decision.
    std::string itemError_;
    std::size_t entryNumber_ = 0;
    Pending pending_;
    bool readingDecisions_ = false;
    std::size_t decisionNumber_ = 0;
    PendingDecision decision_;
    // The record of decision_ being read and its name, "query" or "candidate".
    PendingIdentity* identity_ = nullptr;
    std::string identityName_;
    std::vector<Decision> decisions_;
    std::size_t seamIndex_ = 0;
    std::size_t coordinates_ = 0;
    std::array<double, 4> segment_{};
    std::vector<PhotoEntry> entries_;
};

} // namespace

std::string companionPathFor(const std::string& dataFilePath) {
    return dataFilePath + std::string(kSuffix);
}

std::string write(const std::vector<PhotoEntry>& entries, const std::string& dataFolder,
                  const std::vector<Decision>& decisions) {
    const fs::path folder = fs::path(dataFolder).lexically_normal();
    std::size_t size = 128;
    for (const PhotoEntry& entry : entries)
        size += 160 + 2 * entry.recordLine.size() + entry.photoPath.size() +
                entry.appendedAt.size() + 48 * entry.segments.size();
    for (const Decision& decision : decisions)
        size += 200 + 2 * (decision.query.recordLine.size() + decision.candidate.recordLine.size());
    std::string out;
    out.reserve(size);
    out += "{\n\"format\": ";
    putText(out, kFormatName);
    const int version = decisions.empty() ? kFormatVersionWithoutDecisions : kFormatVersion;
    out += ",\n\"version\": " + std::to_string(version) +
           ",\n\"pointsPerPixel\": " + std::to_string(kPointsPerPixel) + ",\n\"entries\": [";
    // One item a line: readable, and a changed record shows as one changed line.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out += i == 0 ? "\n" : ",\n";
        putEntry(out, entries[i], folder);
    }
    out += "\n]";
    if (!decisions.empty()) {
        out += ",\n\"decisions\": [";
        for (std::size_t i = 0; i < decisions.size(); ++i) {
            out += i == 0 ? "\n" : ",\n";
            putDecision(out, decisions[i]);
        }
        out += "\n]";
    }
    out += "\n}\n";
    return out;
}

ReadResult read(std::string_view bytes, const std::string& dataFolder) {
    CompanionReader reader(dataFolder);
    const bool parsed = Json::sax_parse(bytes.begin(), bytes.end(), &reader);
    return reader.finish(parsed);
}

std::vector<const PhotoEntry*> entriesForPieces(const std::vector<std::string_view>& pieces,
                                                const std::vector<PhotoEntry>& entries) {
    std::map<std::pair<std::string_view, std::size_t>, const PhotoEntry*> byKey;
    for (const PhotoEntry& entry : entries)
        byKey.emplace(std::pair{std::string_view(entry.recordLine), entry.occurrence}, &entry);
    std::vector<const PhotoEntry*> found(pieces.size(), nullptr);
    OccurrenceCounter occurrences;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::size_t occurrence = occurrences.next(pieces[i]);
        if (const auto it = byKey.find({pieces[i], occurrence}); it != byKey.end())
            found[i] = it->second;
    }
    return found;
}

} // namespace korvex::PhotoCompanion
