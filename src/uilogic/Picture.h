#pragma once

namespace korvex {

// A decoded picture as the platform keeps it, upright. The window logic never
// looks inside: it hands the picture on to the window that shows it.
class Picture {
public:
    virtual ~Picture() = default;
    // The upright size in pixels.
    virtual int width() const = 0;
    virtual int height() const = 0;
};

} // namespace korvex
