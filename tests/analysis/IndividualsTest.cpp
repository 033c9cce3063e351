#include "analysis/Individuals.h"

#include <gtest/gtest.h>

#include <string>

using namespace korvex;

namespace {

TEST(Individuals, ReadCodesByDefaultOrByAPattern) {
    const struct {
        const char* pattern;
        const char* code;
        const char* individual;
    } cases[] = {
        // The code itself, trimmed, A-Z folded; other bytes stay.
        {"", "  T001 ", "t001"},
        {"", "t001", "t001"},
        {"", "K\xc3\x84", "k\xc3\x84"},
        {"", "   ", ""},
        // The first match.
        {"^[A-Za-z]+[0-9]+", "T001r2", "t001"},
        {"^[A-Za-z]+[0-9]+", " t001", "t001"},
        {"[0-9]+", "a12b34", "12"},
        // The first capture group, when the pattern has one.
        {"^(?:K|T)-?([0-9]+)", "T-007x", "007"},
        // No match, or an empty one: the code stands for itself.
        {"^[0-9]+", "Tx1", "tx1"},
        {"[0-9]*", "Abc", "abc"},
        {"^A(x)?", "Ab", "ab"},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto individuals = Individuals::withPattern(c.pattern, error);
        ASSERT_TRUE(individuals) << c.pattern;
        EXPECT_EQ(individuals->individualOf(c.code), c.individual)
            << "'" << c.pattern << "' on '" << c.code << "'";
    }
}

TEST(Individuals, APatternThatIsNoRegularExpressionIsRefused) {
    for (const char* pattern : {"(", "[a-", "*x", "a{2,1}"}) {
        std::string error;
        EXPECT_FALSE(Individuals::withPattern(pattern, error)) << pattern;
        EXPECT_FALSE(error.empty()) << pattern;
    }
}

} // namespace
