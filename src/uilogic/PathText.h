#pragma once

#include <filesystem>
#include <string>

namespace korvex {

// The folder a file path names, as messages and relative photo paths use it.
inline std::string folderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

// The lock file beside a data file: "catalogue.tor" has ".catalogue.tor.lock"
// in the same folder, hidden as such files are in a folder listing.
inline std::string lockPathFor(const std::string& dataFilePath) {
    const std::filesystem::path path(dataFilePath);
    return (path.parent_path() / ("." + path.filename().string() + ".lock")).string();
}

// A path as messages show it, in double quotes.
inline std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

} // namespace korvex
