#include "ui/PhotoDecoder.h"

#include <QImageReader>

#include <algorithm>

namespace korvex {

QString PhotoDecoder::tooLarge(QSize stored) {
    if (!stored.isValid() ||
        qint64(stored.width()) * stored.height() * 4 <= qint64(kPictureLimitMb) * 1024 * 1024)
        return {};
    return QStringLiteral("the picture is too large (%1 × %2 pixels).")
        .arg(stored.width())
        .arg(stored.height());
}

PhotoDecoder::Decoded PhotoDecoder::decode(const QString& path, int reducedSide) {
    Decoded decoded;
    QImageReader reader(path);
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
    decoded.size = !decoded.reduced ? decoded.image.size()
                   : reader.transformation() & QImageIOHandler::TransformationRotate90
                       ? stored.transposed()
                       : stored;
    return decoded;
}

} // namespace korvex
