// Codes and records reach the screen from files and the clipboard in UTF-8 or
// in an 8-bit code page; any bytes must give valid UTF-8 that keeps every byte.

#include "FuzzCheck.h"

#include "exchange/TextEncoding.h"
#include "model/Characters.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace korvex;

namespace {

// Decodes UTF-8 by its definition: the code point from the bits, then the
// checks for the shortest form, surrogates and the top of Unicode. Nothing
// when the bytes are not UTF-8.
bool decodeUtf8(std::string_view bytes, std::vector<char32_t>& out) {
    out.clear();
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07u;
        } else {
            return false;
        }
        if (bytes.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        out.push_back(code);
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<char32_t> codes;
    const bool valid = decodeUtf8(bytes, codes);
    KORVEX_FUZZ_CHECK(Characters::isValidUtf8(bytes) == valid);

    const std::string shown = TextEncoding::toDisplayUtf8(bytes);
    if (valid) {
        KORVEX_FUZZ_CHECK(shown == bytes);
        return 0;
    }
    // Each line (up to and with its LF) that is UTF-8 shows as it is; any other
    // line is read as an 8-bit code page: one character per byte, ASCII as it
    // is, every other byte as a character outside ASCII.
    std::vector<char32_t> shownCodes;
    KORVEX_FUZZ_CHECK(decodeUtf8(shown, shownCodes));
    std::size_t at = 0;
    for (std::size_t start = 0; start < size;) {
        std::size_t end = bytes.find('\n', start);
        end = end == std::string_view::npos ? size : end + 1;
        const std::string_view line = bytes.substr(start, end - start);
        std::vector<char32_t> lineCodes;
        if (decodeUtf8(line, lineCodes)) {
            for (const char32_t code : lineCodes) {
                KORVEX_FUZZ_CHECK(at < shownCodes.size() && shownCodes[at] == code);
                ++at;
            }
        } else {
            for (const char c : line) {
                const auto byte = static_cast<unsigned char>(c);
                KORVEX_FUZZ_CHECK(at < shownCodes.size());
                KORVEX_FUZZ_CHECK(byte < 0x80 ? shownCodes[at] == byte : shownCodes[at] >= 0x80);
                ++at;
            }
        }
        start = end;
    }
    KORVEX_FUZZ_CHECK(at == shownCodes.size());
    return 0;
}
