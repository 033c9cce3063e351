#include "uilogic/AboutText.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace korvex {
namespace {

TEST(AboutText, SaysWhichBuildAndWhichQtTheProgramRuns) {
    const struct {
        bool optimised;
        const char* buildType;
        const char* says;
    } cases[] = {
        {true, "RelWithDebInfo", "Build: optimised (RelWithDebInfo)"},
        {true, "Release", "Build: optimised (Release)"},
        {false, "Debug", "Build: not optimised (Debug)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AboutText("6.4.2", "6.4.2", c.optimised, c.buildType).build(), c.says);

    // A program run with another Qt than it was built with says both.
    EXPECT_EQ(AboutText("6.5.1", "6.4.2").qt(), "Qt 6.5.1 at run time (built with Qt 6.4.2)");
}

TEST(AboutText, NamesTheVersionAndEveryLibraryWithItsLicence) {
    const std::array<LinkedLibrary, 2> linked{
        {{"Qt 6: Charts", "GNU GPL version 3"}, {"nlohmann-json", "MIT"}}};
    const AboutText about("6.4.2", "6.4.2", true, "RelWithDebInfo", linked);
    EXPECT_EQ(about.title(), "KORVEX " + std::string(kVersion));
    EXPECT_EQ(about.libraries(),
              (std::vector<std::string>{"Qt 6: Charts: GNU GPL version 3", "nlohmann-json: MIT"}));
    EXPECT_EQ(about.plainText(), about.title() + "\n" + std::string(kDescription) + "\n" +
                                     "Version " + std::string(kVersion) + "\n" +
                                     "Build: optimised (RelWithDebInfo)\n" +
                                     "Qt 6.4.2 at run time (built with Qt 6.4.2)\n" +
                                     std::string(AboutText::kLibrariesHeading) + "\n" +
                                     "Qt 6: Charts: GNU GPL version 3\nnlohmann-json: MIT\n");
}

// The list this build writes: the C++ runtime is in every program, and each row
// has a licence to show.
TEST(AboutText, ThisBuildListsItsLibraries) {
    ASSERT_FALSE(kLinkedLibraries.empty());
    bool runtime = false;
    for (const LinkedLibrary& library : kLinkedLibraries) {
        EXPECT_FALSE(library.name.empty());
        EXPECT_FALSE(library.licence.empty()) << library.name;
        runtime = runtime || library.name.find("libstdc++") != std::string_view::npos;
    }
    EXPECT_TRUE(runtime);
    EXPECT_EQ(AboutText("6.4.2", "6.4.2").libraries().size(), kLinkedLibraries.size());
}

} // namespace
} // namespace korvex
