#include "uilogic/PlatformServices.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace korvex {

bool PlatformServices::fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path), error);
}

std::string PlatformServices::currentTimeUtc() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return {text, length};
}

} // namespace korvex
