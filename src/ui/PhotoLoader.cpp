#include "ui/PhotoLoader.h"

#include "ui/QtPlatformServices.h"

#include <QImageReader>
#include <QtConcurrent/QtConcurrentRun>

namespace korvex {

PhotoLoader::PhotoLoader(QObject* parent) : QObject(parent) {}

PhotoLoader::~PhotoLoader() {
    // Whoever listens may be half destroyed by now: finish without a word.
    blockSignals(true);
    waitForAll();
}

PhotoLoader::Photo PhotoLoader::load(const QString& path) {
    Photo photo;
    QImageReader reader(path);
    reader.setAutoTransform(true); // camera photos carry their orientation in EXIF
    const QSize stored = reader.size();
    if (stored.isValid() && qint64(stored.width()) * stored.height() * 4 >
                                qint64(QtPlatformServices::kPictureLimitMb) * 1024 * 1024) {
        photo.error = QStringLiteral("the picture is too large (%1 × %2 pixels).")
                          .arg(stored.width())
                          .arg(stored.height());
        return photo;
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        photo.error = reader.errorString();
        return photo;
    }
    photo.size = image.size();
    photo.picture.setImage(image);
    return photo;
}

void PhotoLoader::request(const QString& path) {
    if (path.isEmpty() || kept_.contains(path) || pending_.contains(path))
        return;
    auto watcher = std::make_shared<QFutureWatcher<Photo>>();
    connect(watcher.get(), &QFutureWatcher<Photo>::finished, this, [this, path] {
        const auto it = pending_.find(path);
        if (it == pending_.end())
            return;
        kept_.insert(path, it.value()->result());
        pending_.erase(it);
        emit loaded(path);
    });
    pending_.insert(path, watcher);
    watcher->setFuture(QtConcurrent::run([path] { return load(path); }));
}

const PhotoLoader::Photo* PhotoLoader::ready(const QString& path) const {
    const auto it = kept_.constFind(path);
    return it == kept_.constEnd() ? nullptr : &it.value();
}

void PhotoLoader::keepOnly(const QStringList& paths) {
    for (auto it = kept_.begin(); it != kept_.end();)
        it = paths.contains(it.key()) ? std::next(it) : kept_.erase(it);
}

void PhotoLoader::waitForAll() {
    while (!pending_.isEmpty()) {
        const QString path = pending_.begin().key();
        const auto watcher = pending_.begin().value();
        watcher->waitForFinished();
        // The finished signal is queued; take the result now so callers see it.
        kept_.insert(path, watcher->result());
        pending_.remove(path);
        emit loaded(path);
    }
}

} // namespace korvex
