#include "ui/PhotoDecoder.h"

#include "exchange/JpegIntegrity.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace korvex {

QString PhotoDecoder::tooLarge(QSize stored) {
    if (!stored.isValid() ||
        qint64(stored.width()) * stored.height() * 4 <= qint64(kPictureLimitMb) * 1024 * 1024)
        return {};
    return QStringLiteral("the picture is too large (%1 × %2 pixels).")
        .arg(stored.width())
        .arg(stored.height());
}

namespace {

// What a JPEG decoder leaves where the coded data ran out: every sample at
// the middle of its range. A little room for the colour conversion.
bool isMissingGrey(QRgb pixel) {
    constexpr int kGrey = 128;
    constexpr int kRoom = 2;
    return std::abs(qRed(pixel) - kGrey) <= kRoom && std::abs(qGreen(pixel) - kGrey) <= kRoom &&
           std::abs(qBlue(pixel) - kGrey) <= kRoom;
}

} // namespace

double PhotoDecoder::shareNotGrey(const QImage& image) {
    if (image.isNull())
        return 0.0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width();
    const int h = rgb.height();
    auto pixel = [&rgb](int x, int y) {
        return reinterpret_cast<const QRgb*>(rgb.constScanLine(y))[x];
    };
    auto greyRow = [&](int y) {
        for (int x = 0; x < w; ++x)
            if (!isMissingGrey(pixel(x, y)))
                return false;
        return true;
    };
    auto greyColumn = [&](int x) {
        for (int y = 0; y < h; ++y)
            if (!isMissingGrey(pixel(x, y)))
                return false;
        return true;
    };
    int bottom = 0, top = 0, right = 0, left = 0;
    while (bottom < h && greyRow(h - 1 - bottom))
        ++bottom;
    while (top < h - bottom && greyRow(top))
        ++top;
    while (right < w && greyColumn(w - 1 - right))
        ++right;
    while (left < w - right && greyColumn(left))
        ++left;
    const double rows = double(std::max(bottom, top)) / h;
    const double columns = double(std::max(right, left)) / w;
    return 1.0 - std::max(rows, columns);
}

PhotoDecoder::Decoded PhotoDecoder::decode(const QString& path, int reducedSide) {
    Decoded decoded;
    // The bytes are read once: their structure is checked and they are decoded.
    QFile file(path);
    QByteArray bytes;
    std::unique_ptr<QBuffer> buffer;
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
        file.close();
        buffer = std::make_unique<QBuffer>(&bytes);
        buffer->open(QIODevice::ReadOnly);
    }
    // A file that cannot be opened is left to the reader, which says why.
    QImageReader reader;
    if (buffer)
        reader.setDevice(buffer.get());
    else
        reader.setFileName(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    decoded.error = tooLarge(stored);
    if (!decoded.error.isEmpty())
        return decoded;
    int reduction = 1;
    while (reducedSide > 0 && reader.format() == "jpeg" && reduction < 8 &&
           std::max(stored.width(), stored.height()) / (reduction * 2) >= reducedSide)
        reduction *= 2;
    if (reduction > 1) {
        // Rounded up as the decoder rounds, so that nothing is scaled after it.
        reader.setScaledSize(QSize((stored.width() + reduction - 1) / reduction,
                                   (stored.height() + reduction - 1) / reduction));
    }
    decoded.image = reader.read();
    if (decoded.image.isNull()) {
        decoded.error = reader.errorString();
        return decoded;
    }
    decoded.reduced = reduction > 1;
    if (buffer && JpegIntegrity::check(std::string_view(bytes.constData(), std::size_t(bytes.size()))) ==
                      JpegIntegrity::State::EndsEarly)
        decoded.damage = QString::fromStdString(JpegIntegrity::damagedText(shareNotGrey(decoded.image)));
    decoded.size = !decoded.reduced ? decoded.image.size()
                   : reader.transformation() & QImageIOHandler::TransformationRotate90
                       ? stored.transposed()
                       : stored;
    return decoded;
}

} // namespace korvex
