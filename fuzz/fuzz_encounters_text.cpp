// The encounters text comes from a spreadsheet or another program: any bytes
// must give a clear refusal or encounters that are sound, and what is written
// back must read back as the same encounters.

#include "FuzzCheck.h"

#include "exchange/EncountersText.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace korvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto read = EncountersText::read(text);
    for (const auto& [record, encounter] : read.byRecord) {
        KORVEX_FUZZ_CHECK(record > 0);
        KORVEX_FUZZ_CHECK(!encounter.problem());
    }
    const auto again = EncountersText::read(EncountersText::write(read.byRecord));
    KORVEX_FUZZ_CHECK(again.errors.empty());
    KORVEX_FUZZ_CHECK(again.byRecord.size() == read.byRecord.size());
    for (const auto& [record, encounter] : read.byRecord) {
        const auto it = again.byRecord.find(record);
        KORVEX_FUZZ_CHECK(it != again.byRecord.end());
        // Text fields lose their tabs and line ends on the way out, nothing else.
        KORVEX_FUZZ_CHECK(it->second.date == encounter.date);
        KORVEX_FUZZ_CHECK(it->second.secondsOfDay == encounter.secondsOfDay);
        KORVEX_FUZZ_CHECK(it->second.latitude == encounter.latitude);
        KORVEX_FUZZ_CHECK(it->second.longitude == encounter.longitude);
    }
    return 0;
}
