#pragma once

#include <cstddef>
#include <cstdint>

namespace korvex {

// A view of 8-bit grey pixels, row by row, `stride` bytes from one row to the
// next (at least `width`). It does not own the bytes; they must outlive it.
// Pixel (i, j) covers photo pixels [i, i + 1) x [j, j + 1), so its centre is
// at (i + 0.5, j + 0.5).
struct GreyPatch {
    int width = 0;
    int height = 0;
    const std::uint8_t* bytes = nullptr;
    std::size_t stride = 0;

    bool valid() const {
        return width > 0 && height > 0 && bytes != nullptr &&
               stride >= static_cast<std::size_t>(width);
    }
};

} // namespace korvex
