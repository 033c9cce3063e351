#include "exchange/TextEncoding.h"
#include "model/Characters.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

using namespace korvex;
using namespace std::literals;

namespace {

TEST(TextEncoding, DisplaysUtf8AsItIsAndAnythingElseAsWindows1250) {
    const struct {
        std::string bytes, shown;
    } cases[] = {
        {"T1\t0.1250", "T1\t0.1250"},
        {"Kně Šárka 🐢", "Kně Šárka 🐢"},
        {"Kn\xEC", "Kně"},
        {"\x8A\x9A\xE8\xF8\xA9\x80", "Šščř©€"},
        {"\0A\x9A"s, "\0Aš"s},
        {"\xC0\x80", "Ŕ€"},                // overlong NUL
        {"\x80", "€"},                     // lone continuation
        {"\xED\xA0\x80", "í\u00A0€"},      // surrogate
        {"\xF4\x90\x80\x80", "ô\u0090€€"}, // beyond U+10FFFF
        {"\xC4\x8D\xE8", "ÄŤč"},           // one stray byte: all of it is 8-bit
        {"\x81\x83\x88\x90\x98", "\u0081\u0083\u0088\u0090\u0098"}, // unassigned, kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextEncoding::toDisplayUtf8(c.bytes), c.shown) << testing::PrintToString(c.bytes);
}

TEST(TextEncoding, EveryByteOfAnEightBitTextSurvives) {
    // Each high byte becomes its own character, so no two bytes look alike.
    std::set<std::string> seen;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string shown =
            TextEncoding::toDisplayUtf8(std::string(1, static_cast<char>(byte)));
        EXPECT_TRUE(Characters::isValidUtf8(shown)) << byte;
        EXPECT_NE(shown, "\xEF\xBF\xBD") << byte;
        EXPECT_TRUE(seen.insert(shown).second) << byte;
    }

    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyByte(0, 255);
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        for (int n = 0; n < 40; ++n)
            bytes.push_back(static_cast<char>(anyByte(random)));
        EXPECT_TRUE(Characters::isValidUtf8(TextEncoding::toDisplayUtf8(bytes))) << round;
    }
}

TEST(TextEncoding, EachLineIsReadTheWayItWasWritten) {
    // A record from an old 8-bit file beside one whose code was typed.
    const std::string mixed = "Kn\xEC\x9A\t1\r\n\xC5\xBD"
                              "elva\t2\r\n";
    EXPECT_EQ(TextEncoding::toDisplayUtf8(mixed), "Kn\xC4\x9B\xC5\xA1\t1\r\n\xC5\xBD"
                                                  "elva\t2\r\n");
    EXPECT_EQ(TextEncoding::toDisplayUtf8("\xE8\n"), "\xC4\x8D\n");
}

} // namespace
