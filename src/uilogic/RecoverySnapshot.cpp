#include "uilogic/RecoverySnapshot.h"

#include "exchange/PhotoCompanion.h"

#include <charconv>
#include <cstdint>
#include <optional>

namespace korvex {

namespace {

constexpr std::string_view kHeading = "KORVEX recovery copy 2\n";
// The first version kept no photos; its copies are still offered.
constexpr std::string_view kHeadingWithoutPhotos = "KORVEX recovery copy 1\n";
static_assert(kHeading.size() == kHeadingWithoutPhotos.size());

// FNV-1a over the bytes: cheap enough for a copy written after every change,
// and any cut or changed byte alters it.
std::uint64_t checksum(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::string hex16(std::uint64_t value) {
    std::string text(16, '0');
    for (std::size_t i = 16; i-- > 0; value >>= 4)
        text[i] = "0123456789abcdef"[value & 0xF];
    return text;
}

void putField(std::string& out, std::string_view name, std::string_view bytes) {
    out.append(name).append(" ").append(std::to_string(bytes.size())).append("\n");
    out.append(bytes).append("\n");
}

std::string flags(const std::array<bool, kSeamGroupCount>& on) {
    std::string text;
    for (bool b : on)
        text += b ? '1' : '0';
    return text;
}

// Reads the fields in their fixed order; the first fault stops the reading.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t position() const { return pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

    std::optional<std::string_view> field(std::string_view name) {
        const std::size_t lineEnd = bytes_.find('\n', pos_);
        if (lineEnd == std::string_view::npos)
            return std::nullopt;
        const std::string_view line = bytes_.substr(pos_, lineEnd - pos_);
        if (line.size() <= name.size() || line.substr(0, name.size()) != name ||
            line[name.size()] != ' ')
            return std::nullopt;
        const std::string_view digits = line.substr(name.size() + 1);
        std::size_t length = 0;
        const auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), length);
        if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty())
            return std::nullopt;
        const std::size_t start = lineEnd + 1;
        if (length > bytes_.size() - start || bytes_.size() - start - length < 1 ||
            bytes_[start + length] != '\n')
            return std::nullopt;
        pos_ = start + length + 1;
        return bytes_.substr(start, length);
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::optional<std::array<bool, kSeamGroupCount>> readFlags(std::optional<std::string_view> text) {
    if (!text || text->size() != kSeamGroupCount)
        return std::nullopt;
    std::array<bool, kSeamGroupCount> on{};
    for (std::size_t i = 0; i < kSeamGroupCount; ++i) {
        if ((*text)[i] != '0' && (*text)[i] != '1')
            return std::nullopt;
        on[i] = (*text)[i] == '1';
    }
    return on;
}

} // namespace

bool RecoverySnapshot::operator==(const RecoverySnapshot& other) const {
    return dataSet == other.dataSet && values == other.values && display == other.display &&
           labelsLower == other.labelsLower && commandEnabled == other.commandEnabled &&
           *photos == *other.photos;
}

std::string RecoverySnapshot::write(PhotosCache* cache) const {
    PhotosCache own;
    PhotosCache& kept = cache ? *cache : own;
    if (kept.photos != photos) {
        // No folder: every path is written as it is held, absolute.
        kept.document = PhotoCompanion::write(photos->entries, "", photos->decisions);
        kept.photos = photos;
    }
    const std::string& companion = kept.document;
    const std::string dataFile = photos->dataFilePath.value_or("");
    std::string out(kHeading);
    std::size_t size = out.size() + dataSet.size() + companion.size() + dataFile.size() + 512;
    for (const std::string& v : values)
        size += v.size() + 16;
    out.reserve(size + display.countText.size() + display.code.size());
    putField(out, "data-set", dataSet);
    for (const std::string& v : values)
        putField(out, "value", v);
    putField(out, "count", display.countText);
    putField(out, "record", std::to_string(display.recordNumber));
    putField(out, "code", display.code);
    putField(out, "labels", flags(labelsLower));
    putField(out, "buttons", flags(commandEnabled));
    putField(out, "photos", companion);
    putField(out, "data-file", dataFile);
    putField(out, "check", hex16(checksum(out)));
    return out;
}

std::variant<RecoverySnapshot, RecoverySnapshot::Unreadable>
RecoverySnapshot::read(std::string_view bytes) {
    const std::string_view heading = bytes.substr(0, kHeading.size());
    const bool withPhotos = heading == kHeading;
    if (!withPhotos && heading != kHeadingWithoutPhotos)
        return Unreadable{"it is not a recovery copy of this program"};
    const Unreadable damaged{"it is damaged or cut short"};
    FieldReader in(bytes.substr(kHeading.size()));
    RecoverySnapshot s;
    PhotoRecords::State photosRead;
    const auto dataSet = in.field("data-set");
    if (!dataSet)
        return damaged;
    s.dataSet = std::string(*dataSet);
    for (std::string& v : s.values) {
        const auto value = in.field("value");
        if (!value)
            return damaged;
        v = std::string(*value);
    }
    const auto count = in.field("count");
    const auto record = in.field("record");
    const auto code = in.field("code");
    if (!count || !record || !code)
        return damaged;
    s.display.countText = std::string(*count);
    s.display.code = std::string(*code);
    const auto [end, ec] =
        std::from_chars(record->data(), record->data() + record->size(), s.display.recordNumber);
    if (ec != std::errc() || end != record->data() + record->size() || s.display.recordNumber < 1)
        return damaged;
    const auto labels = readFlags(in.field("labels"));
    const auto buttons = readFlags(in.field("buttons"));
    if (!labels || !buttons)
        return damaged;
    s.labelsLower = *labels;
    s.commandEnabled = *buttons;
    std::optional<std::string_view> photos;
    if (withPhotos) {
        photos = in.field("photos");
        const auto dataFile = in.field("data-file");
        if (!photos || !dataFile)
            return damaged;
        if (!dataFile->empty())
            photosRead.dataFilePath = std::string(*dataFile);
    }
    const std::size_t checked = kHeading.size() + in.position();
    const auto check = in.field("check");
    if (!check || !in.atEnd() || *check != hex16(checksum(bytes.substr(0, checked))))
        return damaged;
    if (photos) {
        // Read once the check has passed: a damaged copy says so, not why
        // its photos are unreadable.
        auto companion = PhotoCompanion::read(*photos, "");
        if (!companion.ok) {
            std::string reason = std::move(companion.error);
            if (!reason.empty() && reason.back() == '.')
                reason.pop_back();
            return Unreadable{"the photos and decisions it keeps cannot be read (" + reason + ")"};
        }
        photosRead.entries = std::move(companion.entries);
        photosRead.decisions = std::move(companion.decisions);
    }
    s.photos = std::make_shared<const PhotoRecords::State>(std::move(photosRead));
    return s;
}

} // namespace korvex
