// Any bytes named a photo reach the check of a JPEG file's structure: it never
// reads outside them, and what it says of a stream agrees with what it says
// of the same stream padded or cut.

#include "FuzzCheck.h"

#include "exchange/JpegIntegrity.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace korvex;
using State = JpegIntegrity::State;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const State state = JpegIntegrity::check(bytes);
    // Bytes after a whole stream are padding.
    if (state == State::Whole)
        KORVEX_FUZZ_CHECK(JpegIntegrity::check(std::string(bytes) + "\xFF\xD8") == State::Whole);
    // A stream that ends early ends earlier still when cut by a byte.
    if (state == State::EndsEarly && size > 2)
        KORVEX_FUZZ_CHECK(JpegIntegrity::check(bytes.substr(0, size - 1)) == State::EndsEarly);
    // Only the first two bytes make a stream a JPEG.
    KORVEX_FUZZ_CHECK((state == State::NotJpeg) ==
                      (size < 2 || data[0] != 0xFF || data[1] != 0xD8));
    return 0;
}
