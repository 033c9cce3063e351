#include "exchange/JpegIntegrity.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace korvex {

namespace {

constexpr unsigned char kMarker = 0xFF;
constexpr unsigned char kStartOfImage = 0xD8;
constexpr unsigned char kEndOfImage = 0xD9;
constexpr unsigned char kStartOfScan = 0xDA;
constexpr unsigned char kTem = 0x01;

bool isRestart(unsigned char code) {
    return code >= 0xD0 && code <= 0xD7;
}

unsigned char at(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

} // namespace

JpegIntegrity::State JpegIntegrity::check(std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (n < 2 || at(bytes, 0) != kMarker || at(bytes, 1) != kStartOfImage)
        return State::NotJpeg;
    std::size_t i = 2;
    while (true) {
        // A marker, after any fill bytes.
        if (i >= n)
            return State::EndsEarly;
        if (at(bytes, i) != kMarker)
            return State::Unreadable;
        while (i < n && at(bytes, i) == kMarker)
            ++i;
        if (i >= n)
            return State::EndsEarly;
        const unsigned char code = at(bytes, i++);
        if (code == kEndOfImage)
            return State::Whole;
        if (code == kTem || isRestart(code) || code == kStartOfImage || code == 0x00)
            continue; // markers without a segment
        if (n - i < 2)
            return State::EndsEarly;
        const std::size_t length = std::size_t(at(bytes, i)) << 8 | at(bytes, i + 1);
        if (length < 2)
            return State::Unreadable;
        if (n - i < length)
            return State::EndsEarly;
        i += length;
        if (code != kStartOfScan)
            continue;
        // The scan's coded data: 0xFF is followed by 0 (a stuffed byte), a
        // restart marker or fill within it; any other marker ends it.
        while (true) {
            const void* found = std::memchr(bytes.data() + i, kMarker, n - i);
            if (!found)
                return State::EndsEarly;
            i = std::size_t(static_cast<const char*>(found) - bytes.data());
            if (i + 1 >= n)
                return State::EndsEarly;
            const unsigned char next = at(bytes, i + 1);
            if (next == 0x00 || isRestart(next)) {
                i += 2;
            } else if (next == kMarker) {
                ++i;
            } else {
                break;
            }
        }
    }
}

std::string JpegIntegrity::damagedText(std::optional<double> shareRead) {
    const std::string ends = "its file ends early";
    if (!shareRead || !std::isfinite(*shareRead) || *shareRead < 0.0 || *shareRead >= 1.0)
        return ends + ", so parts of the picture may show grey or blurred.";
    const int percent = static_cast<int>(std::floor(*shareRead * 100.0));
    if (percent == 0)
        return ends + ", and almost none of the picture could be read; it shows grey.";
    return ends + ", and only about " + std::to_string(percent) +
           " % of the picture could be read; the rest shows grey.";
}

} // namespace korvex
