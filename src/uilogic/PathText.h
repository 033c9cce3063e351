#pragma once

#include <filesystem>
#include <string>

namespace korvex {

// The folder a file path names, as messages and relative photo paths use it.
inline std::string folderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

// A path as messages show it, in double quotes.
inline std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

} // namespace korvex
