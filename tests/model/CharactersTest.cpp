#include "model/Characters.h"

#include <gtest/gtest.h>

#include <string>

using namespace korvex;
using namespace std::literals;

namespace {

TEST(Characters, ValidUtf8IsStrict) {
    const struct {
        std::string bytes;
        bool valid;
    } cases[] = {
        {"", true},
        {"T1\t0.1250\r\n\0"s, true},
        {"Kn\xC4\x9B", true},                       // ě
        {"\xC2\x80\xDF\xBF", true},                 // U+0080, U+07FF
        {"\xE0\xA0\x80\xEF\xBF\xBF", true},         // U+0800, U+FFFF
        {"\xED\x9F\xBF\xEE\x80\x80", true},         // around the surrogates
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", true}, // U+10000, U+10FFFF
        {"\xC0\x80", false},                        // overlong NUL
        {"\xC1\xBF", false},                        // overlong
        {"\xE0\x9F\xBF", false},                    // overlong
        {"\xF0\x8F\xBF\xBF", false},                // overlong
        {"\xED\xA0\x80", false},                    // surrogate
        {"\xED\xBF\xBF", false},                    // surrogate
        {"\xF4\x90\x80\x80", false},                // beyond U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\xFF", false},
        {"A\x80", false}, // lone continuation
        {"\xC3", false},  // cut off at the end
        {"\xE2\x82", false},
        {"\xF0\x90\x80", false},
        {"\xE2\x82"
         "A",
         false}, // cut off inside the text
        {"\xC3\x41", false},
        {"\xF0\x90\x28\x80", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Characters::isValidUtf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);

    // A view that ends inside a character must not borrow the bytes after it.
    const std::string_view kne = "Kn\xC4\x9B";
    EXPECT_FALSE(Characters::isValidUtf8(kne.substr(0, 3)));
    EXPECT_FALSE(Characters::isValidUtf8(std::string_view("\xF0\x9F\x90\xA2", 3)));
}

TEST(Characters, SlicesFollowTheWayTheLineIsShown) {
    const Characters::CharacterLine utf8("a\xC5\xBD\xE2\x82\xAC\xF0\x9F\x90\xA2z"); // a Ž € 🐢 z
    EXPECT_EQ(utf8.charactersBefore(std::string_view::npos), 5U);
    EXPECT_EQ(utf8.charactersBefore(3), 2U);
    EXPECT_EQ(utf8.slice(1, 3), "\xC5\xBD\xE2\x82\xAC\xF0\x9F\x90\xA2");
    EXPECT_EQ(utf8.slice(3, 100), "\xF0\x9F\x90\xA2z");
    EXPECT_EQ(utf8.slice(5, 1), "");
    EXPECT_EQ(utf8.slice(9, 1), "");
    EXPECT_EQ(utf8.slice(0, 0), "");

    const Characters::CharacterLine eightBit("Kn\xEC\x9A\xC5"); // Windows-1250: one byte each
    EXPECT_EQ(eightBit.charactersBefore(std::string_view::npos), 5U);
    EXPECT_EQ(eightBit.charactersBefore(3), 3U);
    EXPECT_EQ(eightBit.slice(2, 2), "\xEC\x9A");
    EXPECT_EQ(eightBit.slice(4, 9), "\xC5");
    EXPECT_EQ(eightBit.slice(7, 1), "");
}

} // namespace
