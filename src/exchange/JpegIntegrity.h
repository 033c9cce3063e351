#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// Whether a JPEG file holds its whole picture. A decoder given a file cut
// short (an interrupted copy from a camera card, a download that stopped)
// fills what is missing with grey and reports nothing; this reads the file's
// own structure to tell, without decoding a pixel.
class JpegIntegrity {
public:
    enum class State {
        NotJpeg,   // does not begin as a JPEG stream does
        Whole,     // every segment and scan is there, up to the end-of-image marker
        EndsEarly, // the bytes stop before the end-of-image marker
        Unreadable // a segment's length is impossible: the structure cannot be followed
    };

    // Walks the markers from start-of-image: each segment by its length
    // (skipping an embedded thumbnail whole), each scan's coded data up to
    // the marker after it, to end-of-image. Bytes after it (padding) are
    // allowed. Never reads outside `bytes`.
    static State check(std::string_view bytes);

    // How a photo that ends early is damaged, to follow "The photo … is
    // damaged: ", `shareRead` the share (0 to 1) of its picture that could be
    // decoded, when known: "its file ends early, and only about 62 % of the
    // picture could be read; the rest shows grey." The share is rounded
    // down, so the text never promises more than there is.
    static std::string damagedText(std::optional<double> shareRead);
};

} // namespace korvex
