#pragma once

#include <exiv2/exiv2.hpp>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace korvex::fakes {

// Makes `path` a copy of the JPEG at `source` with `tags` ("Exif.GPSInfo.
// GPSLatitude" = "39/1 3/1 247/100", …) written into it by exiv2, as a
// camera would have written them; no tags, no Exif. Whoever includes this
// links exiv2.
inline void writeTaggedJpeg(const std::filesystem::path& source,
                            const std::filesystem::path& path,
                            const std::vector<std::pair<const char*, const char*>>& tags) {
    std::filesystem::copy_file(source, path, std::filesystem::copy_options::overwrite_existing);
    if (tags.empty())
        return;
    auto image = Exiv2::ImageFactory::open(path.string());
    Exiv2::ExifData exif;
    for (const auto& [key, value] : tags)
        exif[key] = std::string(value);
    image->setExifData(exif);
    image->writeMetadata();
}

} // namespace korvex::fakes
