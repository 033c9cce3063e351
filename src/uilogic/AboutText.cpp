#include "uilogic/AboutText.h"

namespace korvex {

AboutText::AboutText(std::string_view qtRunTime, std::string_view qtBuiltWith, bool optimised,
                     std::string_view buildType, std::span<const LinkedLibrary> libraries)
    : qtRunTime_(qtRunTime), qtBuiltWith_(qtBuiltWith), optimised_(optimised),
      buildType_(buildType), libraries_(libraries) {}

std::string AboutText::title() const {
    return "KORVEX " + std::string(kVersion);
}

std::string AboutText::version() const {
    return "Version " + std::string(kVersion);
}

std::string AboutText::build() const {
    // A slow program is first asked whether it is the optimised build.
    return (optimised_ ? "Build: optimised (" : "Build: not optimised (") + buildType_ + ")";
}

std::string AboutText::qt() const {
    return "Qt " + qtRunTime_ + " at run time (built with Qt " + qtBuiltWith_ + ")";
}

std::vector<std::string> AboutText::libraries() const {
    std::vector<std::string> lines;
    for (const LinkedLibrary& library : libraries_)
        lines.push_back(std::string(library.name) + ": " + std::string(library.licence));
    return lines;
}

std::string AboutText::plainText() const {
    std::string text = title() + "\n" + std::string(kDescription) + "\n" + version() + "\n" +
                       build() + "\n" + qt() + "\n" + std::string(kLibrariesHeading) + "\n";
    for (const std::string& line : libraries())
        text += line + "\n";
    return text;
}

} // namespace korvex
