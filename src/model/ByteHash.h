#pragma once

#include <cstdint>
#include <string_view>

namespace korvex {

// FNV-1a over the bytes: cheap enough for a file of tens of megabytes or a
// copy written after every change, and any cut or changed byte alters it. It
// tells a file from its changed self, not from a forgery.
inline std::uint64_t hashOfBytes(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    return hash;
}

} // namespace korvex
