#include "ui/PhotoLoader.h"

#include "ui/PhotoDecoder.h"

#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace korvex {

PhotoLoader::PhotoLoader(QObject* parent) : QObject(parent) {}

PhotoLoader::~PhotoLoader() {
    // Whoever listens may be half destroyed by now: finish without a word,
    // and start no decode that is still queued.
    blockSignals(true);
    keepOnly({});
    pool_.waitForDone();
}

PhotoLoader::Wanted PhotoLoader::wanted(const QString& path) {
    auto& flag = wanted_[path];
    if (!flag)
        flag = std::make_shared<std::atomic<bool>>(true);
    return flag;
}

PhotoLoader::Photo PhotoLoader::load(const QString& path, bool preview) {
    const PhotoDecoder::Decoded decoded = PhotoDecoder::decode(path, preview ? kPreviewSide : 0);
    Photo photo;
    photo.error = decoded.error;
    if (decoded.image.isNull())
        return photo;
    photo.preview = decoded.reduced;
    photo.size = decoded.size;
    photo.picture.setImage(decoded.image);
    return photo;
}

PhotoLoader::Watcher PhotoLoader::start(const QString& path, bool preview) {
    auto watcher = std::make_shared<QFutureWatcher<Photo>>();
    const QFutureWatcher<Photo>* self = watcher.get();
    connect(watcher.get(), &QFutureWatcher<Photo>::finished, this, [this, path, preview, self] {
        auto& mine = preview ? previews_ : pending_;
        const auto it = mine.find(path);
        if (it == mine.end() || it.value().get() != self)
            return;
        Photo photo = it.value()->result();
        mine.erase(it);
        if (preview && !photo.preview)
            return; // too small to reduce: the full photo is all there is
        if (!preview) {
            previews_.remove(path); // a reduced copy still decoding would come too late
            wanted_.remove(path);
        }
        kept_.insert(path, std::move(photo));
        emit loaded(path);
    });
    watcher->setFuture(QtConcurrent::run(&pool_, [path, preview, flag = wanted(path)] {
        return flag->load() ? load(path, preview) : Photo{};
    }));
    return watcher;
}

void PhotoLoader::request(const QString& path, bool previewFirst) {
    const auto kept = kept_.constFind(path);
    if (path.isEmpty() || (kept != kept_.constEnd() && !kept->preview))
        return;
    // Started first, so that it is first to get a thread.
    if (previewFirst && kept == kept_.constEnd() && !previews_.contains(path))
        previews_.insert(path, start(path, true));
    if (!pending_.contains(path))
        pending_.insert(path, start(path, false));
}

const PhotoLoader::Photo* PhotoLoader::ready(const QString& path) const {
    const auto it = kept_.constFind(path);
    return it == kept_.constEnd() ? nullptr : &it.value();
}

void PhotoLoader::keepOnly(const QStringList& paths) {
    for (auto it = kept_.begin(); it != kept_.end();)
        it = paths.contains(it.key()) ? std::next(it) : kept_.erase(it);
    for (auto it = wanted_.begin(); it != wanted_.end();) {
        if (paths.contains(it.key())) {
            ++it;
            continue;
        }
        it.value()->store(false);
        pending_.remove(it.key());
        previews_.remove(it.key());
        it = wanted_.erase(it);
    }
}

void PhotoLoader::waitForAll() {
    while (!pending_.isEmpty()) {
        const QString path = pending_.begin().key();
        const auto watcher = pending_.begin().value();
        watcher->waitForFinished();
        // The finished signal is queued; take the result now so callers see it.
        kept_.insert(path, watcher->result());
        pending_.remove(path);
        wanted_.remove(path);
        emit loaded(path);
    }
    // Every full photo is kept: the reduced copies still decoding are of no use.
    for (const auto& preview : std::as_const(previews_))
        preview->waitForFinished();
    previews_.clear();
}

} // namespace korvex
