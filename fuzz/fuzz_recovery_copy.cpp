// Recovery copies come from disk after a crash, a power cut or a full disk:
// whatever a copy holds, it is either refused or read whole, and what is read
// writes out to a copy that reads back the same.

#include "FuzzCheck.h"

#include "exchange/RecoverySnapshot.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

using namespace korvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto read = RecoverySnapshot::read(input);
    if (const auto* bad = std::get_if<RecoverySnapshot::Unreadable>(&read)) {
        KORVEX_FUZZ_CHECK(!bad->reason.empty());
        return 0;
    }
    const RecoverySnapshot& s = std::get<RecoverySnapshot>(read);
    KORVEX_FUZZ_CHECK(s.display.recordNumber >= 1);
    const auto again = RecoverySnapshot::read(s.write());
    KORVEX_FUZZ_CHECK(std::holds_alternative<RecoverySnapshot>(again));
    KORVEX_FUZZ_CHECK(std::get<RecoverySnapshot>(again) == s);
    return 0;
}
