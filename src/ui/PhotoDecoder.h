#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace korvex {

// The one way a photo file is decoded, for the main window and the check
// window alike: upright (camera photos carry their orientation in EXIF),
// refused before decoding when it would be too large to hold, on request a
// JPEG reduced while it is decoded, and a JPEG cut short found out (the
// decoder shows its missing part grey and says nothing).
class PhotoDecoder {
public:
    // Pictures larger than this many megabytes once decoded are refused with a
    // message; a 40-megapixel camera photo needs 160.
    static constexpr int kPictureLimitMb = 1024;
    // Why a picture stored at `stored` pixels is refused ("the picture is too
    // large (w × h pixels)."), or the empty text.
    static QString tooLarge(QSize stored);

    struct Decoded {
        QImage image;  // upright; null when the file could not be decoded
        QSize size;    // upright, full resolution, also when `image` is reduced
        QString error; // why `image` is null, as the decoder words it
        bool reduced = false;
        // For a JPEG whose file ends early: how it is damaged, to follow
        // "The photo … is damaged: " (JpegIntegrity::damagedText); empty
        // for a whole file.
        QString damage;
    };
    // Decodes `path` whole, or with `reducedSide` > 0 as a copy that JPEG
    // decodes cheaply (1/2, 1/4 or 1/8) keeping at least `reducedSide` pixels
    // on its longer side. Other formats, and JPEGs too small to gain, decode
    // whole: they would decode whole and then scale, more work rather than less.
    static Decoded decode(const QString& path, int reducedSide = 0);

    // The share of `image` left once the widest band of uniform mid-grey
    // lines along one of its edges is taken away: what a decoder could read
    // of a JPEG cut short, whichever way the photo was turned upright.
    static double shareNotGrey(const QImage& image);
};

} // namespace korvex
