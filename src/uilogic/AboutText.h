#pragma once

#include "version/Version.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// What Help › "About KORVEX" says, free of any window toolkit: the version,
// the build, the Qt version the program runs with and the licence of every
// library linked in, each fact a line of plain text.
class AboutText {
public:
    // `qtRunTime` is the Qt version the program runs with, `qtBuiltWith` the
    // one it was compiled against (e.g. "6.4.2"); the build and the libraries
    // are this build's unless given.
    AboutText(std::string_view qtRunTime, std::string_view qtBuiltWith, bool optimised = kOptimised,
              std::string_view buildType = kBuildType,
              std::span<const LinkedLibrary> libraries = kLinkedLibraries);

    // "KORVEX 1.0".
    std::string title() const;
    // "Version 1.0".
    std::string version() const;
    // "Build: optimised (RelWithDebInfo)" or "Build: not optimised (Debug)".
    std::string build() const;
    // "Qt 6.4.2 at run time (built with Qt 6.4.2)".
    std::string qt() const;
    // One line per library: "nlohmann-json: MIT".
    std::vector<std::string> libraries() const;
    // The heading over the libraries.
    static constexpr std::string_view kLibrariesHeading =
        "Libraries linked in, and their licences:";

    // Every line above in that order, each ended by LF.
    std::string plainText() const;

private:
    std::string qtRunTime_;
    std::string qtBuiltWith_;
    bool optimised_;
    std::string buildType_;
    std::span<const LinkedLibrary> libraries_;
};

} // namespace korvex
