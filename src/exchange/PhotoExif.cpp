#include "exchange/PhotoExif.h"

#include <exiv2/exiv2.hpp>

#include <cctype>
#include <exception>
#include <utility>

namespace korvex {
namespace PhotoExif {

namespace {

// Longer texts from a damaged file are cut in messages.
constexpr std::size_t kQuotedLength = 40;

// exiv2 logs what it dislikes in a file to stderr; the caller decides what the
// user hears. Its XMP toolkit must be set up once before threads read photos.
void prepareExiv2() {
    static const bool prepared = [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
        return true;
    }();
    (void)prepared;
}

std::string excerpt(std::string_view text) {
    std::string out = "'";
    for (const char c : text.substr(0, kQuotedLength))
        out += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    if (text.size() > kQuotedLength)
        out += "...";
    return out + "'";
}

void addProblem(Found& found, const std::string& sentence) {
    if (!found.problem.empty())
        found.problem += ' ';
    found.problem += sentence;
}

const Exiv2::Exifdatum* tag(const Exiv2::ExifData& exif, const char* key) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? nullptr : &*it;
}

// The digits of `text` as a number, or -1 unless every character is a digit.
int digits(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool only(std::string_view text, std::string_view characters) {
    return text.find_first_not_of(characters) == std::string_view::npos;
}

// "YYYY:MM:DD HH:MM:SS" into `found`. The time may be blanks when only the day
// is known.
void readStamp(std::string_view text, Found& found) {
    // Unset clocks: zeros, or blanks in every place but the colons.
    if (only(text, " :") || text == "0000:00:00 00:00:00")
        return;
    const bool shaped = text.size() == 19 && text[4] == ':' && text[7] == ':' && text[10] == ' ' &&
                        text[13] == ':' && text[16] == ':';
    const int year = shaped ? digits(text.substr(0, 4)) : -1;
    const int month = shaped ? digits(text.substr(5, 2)) : -1;
    const int day = shaped ? digits(text.substr(8, 2)) : -1;
    if (!shaped || year < 0 || month < 0 || day < 0) {
        addProblem(found, "The photo's date " + excerpt(text) +
                              " is not written as 2019:05:01 09:30:15; it was left empty.");
        return;
    }
    if (!CalendarDate::isReal(year, month, day)) {
        addProblem(found, "The photo's date " + excerpt(text) +
                              " does not exist in the calendar; it was left empty.");
        return;
    }
    const std::string_view time = text.substr(11);
    std::optional<int> seconds;
    if (!only(time, " :")) {
        const int h = digits(time.substr(0, 2));
        const int m = digits(time.substr(3, 2));
        const int s = digits(time.substr(6, 2));
        if (h < 0 || m < 0 || s < 0 || h > 23 || m > 59 || s > 59) {
            addProblem(found, "The time in the photo's date " + excerpt(text) +
                                  " does not exist; the date was left empty.");
            return;
        }
        seconds = h * 3600 + m * 60 + s;
    }
    found.date = CalendarDate{year, month, day};
    found.secondsOfDay = seconds;
}

void readMoment(const Exiv2::ExifData& exif, Found& found) {
    const Exiv2::Exifdatum* stamp = tag(exif, "Exif.Photo.DateTimeOriginal");
    if (stamp == nullptr)
        stamp = tag(exif, "Exif.Photo.DateTimeDigitized");
    if (stamp != nullptr)
        readStamp(stamp->toString(), found);
}

// One coordinate: the degrees, minutes and seconds of `key`, signed by its
// reference. Nothing, with `why` set, when the photo holds something that
// cannot be right; nothing with `why` empty when it holds nothing.
std::optional<double> coordinate(const Exiv2::ExifData& exif, const char* key, const char* refKey,
                                 char positive, char negative, double limit,
                                 const std::string& what, std::string& why) {
    const Exiv2::Exifdatum* value = tag(exif, key);
    const Exiv2::Exifdatum* ref = tag(exif, refKey);
    if (value == nullptr && ref == nullptr)
        return std::nullopt;
    if (value == nullptr) {
        why = "it has a reference but no " + what;
        return std::nullopt;
    }
    const bool rational =
        value->typeId() == Exiv2::unsignedRational || value->typeId() == Exiv2::signedRational;
    if (!rational || value->count() != 3) {
        why = "its " + what + " is not written as degrees, minutes and seconds";
        return std::nullopt;
    }
    double parts[3];
    for (long i = 0; i < 3; ++i) {
        const Exiv2::Rational r = value->toRational(i);
        if (r.second <= 0 || r.first < 0) {
            why = "its " + what + " " + excerpt(value->toString()) +
                  " holds a zero or negative denominator or part";
            return std::nullopt;
        }
        parts[i] = double(r.first) / double(r.second);
    }
    if (parts[1] >= 60.0 || parts[2] >= 60.0) {
        why =
            "its " + what + " " + excerpt(value->toString()) + " has 60 or more minutes or seconds";
        return std::nullopt;
    }
    const double degrees = parts[0] + parts[1] / 60.0 + parts[2] / 3600.0;
    if (degrees > limit) {
        why = "its " + what + " " + excerpt(value->toString()) + " lies beyond \xC2\xB1" +
              (limit == 90.0 ? "90" : "180") + " degrees";
        return std::nullopt;
    }
    const std::string side = ref == nullptr ? std::string() : ref->toString();
    if (side.size() != 1 || (std::toupper(static_cast<unsigned char>(side[0])) != positive &&
                             std::toupper(static_cast<unsigned char>(side[0])) != negative)) {
        why = "its " + what + " has no " + positive + " or " + negative + " reference";
        return std::nullopt;
    }
    return std::toupper(static_cast<unsigned char>(side[0])) == negative ? -degrees : degrees;
}

void readPosition(const Exiv2::ExifData& exif, Found& found) {
    std::string why;
    const auto latitude =
        coordinate(exif, "Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLatitudeRef", 'N', 'S', 90.0,
                   "latitude", why);
    if (why.empty()) {
        const auto longitude =
            coordinate(exif, "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSLongitudeRef", 'E', 'W',
                       180.0, "longitude", why);
        if (why.empty() && latitude.has_value() != longitude.has_value())
            why = latitude ? "it has a latitude but no longitude"
                           : "it has a longitude but no latitude";
        if (why.empty() && latitude) {
            found.latitude = latitude;
            found.longitude = longitude;
        }
    }
    if (!why.empty())
        addProblem(found, "The photo's GPS position was left empty: " + why + ".");
}

template <typename Open> Found readImage(Open open) {
    prepareExiv2();
    try {
        const auto image = open();
        if (image.get() == nullptr)
            return {};
        image->readMetadata();
        Found found;
        readMoment(image->exifData(), found);
        readPosition(image->exifData(), found);
        return found;
    } catch (const std::exception&) {
        // exiv2 throws for a missing file, one of no image type it knows and a
        // damaged structure alike; the photo's own reader tells them apart.
        return {};
    } catch (...) {
        return {};
    }
}

} // namespace

bool Found::fillBlanks(Encounter& encounter) const {
    bool changed = false;
    if (date && !encounter.date) {
        encounter.date = date;
        encounter.secondsOfDay = secondsOfDay;
        changed = true;
    }
    if (hasPosition() && !encounter.latitude && !encounter.longitude) {
        encounter.latitude = latitude;
        encounter.longitude = longitude;
        changed = true;
    }
    return changed;
}

Found read(const std::string& photoPath) {
    // A FileIo of its own: ImageFactory::open(path) would read "-" as standard
    // input and "http://…" from the network.
    return readImage([&photoPath] {
        return Exiv2::ImageFactory::open(Exiv2::BasicIo::AutoPtr(new Exiv2::FileIo(photoPath)));
    });
}

Found readBytes(std::string_view bytes) {
    return readImage([bytes] {
        return Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(bytes.data()),
                                         static_cast<long>(bytes.size()));
    });
}

} // namespace PhotoExif
} // namespace korvex
