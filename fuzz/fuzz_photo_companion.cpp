// Companion files sit beside data files and may be edited, cut short or
// replaced by anything. Whatever one holds, reading it must either refuse it
// with a reason or give entries, decisions, repeats and encounters that write
// out and read back the same; a section left out is said, and only its own.

#include "FuzzCheck.h"

#include "exchange/PhotoCompanion.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

using namespace korvex;

namespace {

const std::string kFolder = "/data/turtles";

// Writing rounds to hundredths of a pixel, so a second round trip must be exact.
// Decisions hold no numbers to round: they must come back exactly at once.
std::string written(const PhotoCompanion::ReadResult& read) {
    return PhotoCompanion::write(read.entries, kFolder, read.decisions, read.repeats,
                                 read.encounters);
}

bool anyInPixels(const std::vector<PhotoEntry>& entries) {
    for (const PhotoEntry& e : entries)
        for (const bool measured : e.measuredInPixels)
            if (measured)
                return true;
    return false;
}

void checkRoundTrip(const PhotoCompanion::ReadResult& first) {
    const std::string text = written(first);
    const auto second = PhotoCompanion::read(text, kFolder);
    KORVEX_FUZZ_CHECK(second.ok && second.leftOut.empty());
    KORVEX_FUZZ_CHECK(second.entries.size() == first.entries.size());
    KORVEX_FUZZ_CHECK(second.decisions == first.decisions);
    KORVEX_FUZZ_CHECK(second.encounters == first.encounters);
    KORVEX_FUZZ_CHECK(second.repeats.size() == first.repeats.size());
    // Only a document that holds more than photos needs a later version.
    const bool plain = first.decisions.empty() && first.repeats.empty() &&
                       first.encounters.empty() && !anyInPixels(first.entries);
    KORVEX_FUZZ_CHECK((text.find("\"version\": 1,") != std::string::npos) == plain);
    const auto third = PhotoCompanion::read(written(second), kFolder);
    KORVEX_FUZZ_CHECK(third.ok && third.entries == second.entries &&
                      third.repeats == second.repeats);
    for (std::size_t i = 0; i < first.entries.size(); ++i) {
        const PhotoEntry& a = first.entries[i];
        const PhotoEntry& b = second.entries[i];
        KORVEX_FUZZ_CHECK(a.recordLine == b.recordLine && a.occurrence == b.occurrence);
        KORVEX_FUZZ_CHECK(a.widthPixels == b.widthPixels && a.heightPixels == b.heightPixels);
        for (std::size_t s = 0; s < a.segments.size(); ++s) {
            KORVEX_FUZZ_CHECK(a.segments[s].has_value() == b.segments[s].has_value());
            if (a.segments[s])
                KORVEX_FUZZ_CHECK(std::isfinite(b.segments[s]->from.x) &&
                                  std::isfinite(b.segments[s]->to.y));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto result = PhotoCompanion::read(input, kFolder);
    KORVEX_FUZZ_CHECK(result.ok == result.error.empty());
    KORVEX_FUZZ_CHECK(result.ok || (result.entries.empty() && result.decisions.empty() &&
                                    result.repeats.empty() && result.encounters.empty()));
    KORVEX_FUZZ_CHECK(result.leftOut.size() <= 2);
    if (result.ok)
        checkRoundTrip(result);
    return 0;
}
