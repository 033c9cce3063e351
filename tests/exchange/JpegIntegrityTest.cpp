#include "exchange/JpegIntegrity.h"

#include <gtest/gtest.h>

#include <string>

namespace korvex {
namespace {

using State = JpegIntegrity::State;

// A segment: its marker, then its length (which counts itself) and payload.
std::string segment(unsigned char code, const std::string& payload) {
    const std::size_t length = payload.size() + 2;
    return std::string{char(0xFF), char(code), char(length >> 8), char(length & 0xFF)} + payload;
}

const std::string kSoi{"\xFF\xD8", 2};
const std::string kEoi{"\xFF\xD9", 2};
// Coded data with a stuffed 0xFF, a restart marker and fill bytes before the
// next marker, as encoders write them.
const std::string kScanData = std::string("\x12\x34\xFF\x00\x56", 5) + "\xFF\xD3" +
                              std::string("\x78\xFF\x00", 3);

std::string wholeStream() {
    // A thumbnail in APP1 is a JPEG of its own, end-of-image marker and all.
    const std::string thumbnail = kSoi + segment(0xDA, "\x01") + "\xAB\xCD" + kEoi;
    return kSoi + segment(0xE0, "JFIF") + segment(0xE1, "Exif" + thumbnail) +
           segment(0xDB, std::string(65, '\x01')) + segment(0xC2, "frame") +
           segment(0xDA, "scan 1") + kScanData + "\xFF\xFF" + segment(0xC4, "huff") +
           segment(0xDA, "scan 2") + kScanData + kEoi;
}

TEST(JpegIntegrityTest, AWholeStreamIsWholeAndEveryCutOfItEndsEarly) {
    const std::string whole = wholeStream();
    EXPECT_EQ(JpegIntegrity::check(whole), State::Whole);
    // Padding after the end, as some cameras write it.
    EXPECT_EQ(JpegIntegrity::check(whole + std::string(300, '\0')), State::Whole);
    // Cut anywhere, even just before its last byte, and also right after the
    // thumbnail's own end-of-image marker.
    for (std::size_t size = 2; size < whole.size(); ++size)
        EXPECT_EQ(JpegIntegrity::check(whole.substr(0, size)), State::EndsEarly) << size;
}

TEST(JpegIntegrityTest, OtherFilesAreNoJpegOrCannotBeFollowed) {
    const struct {
        std::string bytes;
        State state;
    } rows[] = {
        {"", State::NotJpeg},
        {"\xFF", State::NotJpeg},
        {"GIF89a", State::NotJpeg},
        {"\x89PNG\r\n\x1A\n", State::NotJpeg},
        {"\xFF\xD9", State::NotJpeg},
        {kSoi + std::string("\xFF\xE0\x00\x01", 4) + kEoi, State::Unreadable}, // length 1
        {kSoi + "garbage" + kEoi, State::Unreadable},
        {kSoi + std::string("\xFF\xFF\xFF", 3) + kEoi, State::Whole}, // fill before a marker
    };
    for (const auto& r : rows)
        EXPECT_EQ(JpegIntegrity::check(r.bytes), r.state) << r.bytes.size() << " bytes";
}

TEST(JpegIntegrityTest, TheWarningSaysHowMuchCouldBeRead) {
    const struct {
        std::optional<double> share;
        std::string text;
    } rows[] = {
        {0.629, "its file ends early, and only about 62 % of the picture could be "
                "read; the rest shows grey."},
        {0.999, "its file ends early, and only about 99 % of the picture could be "
                "read; the rest shows grey."},
        {0.004, "its file ends early, and almost none of the picture could be "
                "read; it shows grey."},
        {std::nullopt,
         "its file ends early, so parts of the picture may show grey or blurred."},
        {1.0, "its file ends early, so parts of the picture may show grey or "
              "blurred."},
    };
    for (const auto& r : rows)
        EXPECT_EQ(JpegIntegrity::damagedText(r.share), r.text);
}

} // namespace
} // namespace korvex
