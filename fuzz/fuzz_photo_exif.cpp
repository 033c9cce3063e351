// Any bytes named a photo reach the Exif reader: it neither throws nor
// crashes, and whatever it hands on is a real day, a time within it, and a
// whole position on the globe.

#include "FuzzCheck.h"

#include "exchange/PhotoExif.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace korvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const PhotoExif::Found found = PhotoExif::readBytes(bytes);
    if (found.date)
        KORVEX_FUZZ_CHECK(
            CalendarDate::isReal(found.date->year, found.date->month, found.date->day));
    else
        KORVEX_FUZZ_CHECK(!found.secondsOfDay);
    if (found.secondsOfDay)
        KORVEX_FUZZ_CHECK(*found.secondsOfDay >= 0 && *found.secondsOfDay < 86400);
    KORVEX_FUZZ_CHECK(found.latitude.has_value() == found.longitude.has_value());
    if (found.hasPosition())
        KORVEX_FUZZ_CHECK(Encounter::isLatitude(*found.latitude) &&
                          Encounter::isLongitude(*found.longitude));
    // A problem names a value that was refused, so something was left empty.
    if (!found.problem.empty())
        KORVEX_FUZZ_CHECK(!found.date || !found.hasPosition());
    return 0;
}
