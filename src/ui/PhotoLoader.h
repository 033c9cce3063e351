#pragma once

#include "ui/PictureRenderer.h"

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>

namespace korvex {

// Loads photos for the check window on worker threads, upright and ready to
// draw (pyramid built), and keeps the few the window may show next, so
// stepping through the candidates rarely waits for a decoder.
class PhotoLoader : public QObject {
    Q_OBJECT
public:
    struct Photo {
        PictureRenderer picture;
        QSize size; // upright, full resolution, also when the picture is a reduced copy
        QString error;
        // The picture is a reduced copy and the full photo is on its way.
        bool preview = false;
    };
    // A reduced copy has at least this many pixels on its longer side:
    // enough for a pane that shows the whole photo on a desktop screen.
    static constexpr int kPreviewSide = 1000;

    explicit PhotoLoader(QObject* parent = nullptr);
    // Waits for loads still running: they refer to nothing of ours, but the
    // pool must not outlive the cache it fills.
    ~PhotoLoader() override;

    // Starts loading `path` unless it is kept or on its way. With `previewFirst`
    // a reduced copy is decoded beside it, for a photo someone waits for: it is
    // ready (and `loaded` emitted) first, then replaced by the full photo.
    void request(const QString& path, bool previewFirst = false);
    // The photo once loaded, or its reduced copy (with an error when it could
    // not be); null before.
    const Photo* ready(const QString& path) const;
    // Forgets every photo but these, kept or on its way: a decode not begun
    // yet is never started, and one that finishes is thrown away, so a user
    // who steps fast never waits behind photos no longer shown.
    void keepOnly(const QStringList& paths);
    // Blocks until nothing is on its way (tests and benchmarks).
    void waitForAll();

    // Decodes one photo on the calling thread; with `preview`, a copy reduced
    // while decoding (JPEG decodes at 1/2, 1/4 or 1/8 cheaply) when it is a
    // JPEG large enough for that to save anything.
    static Photo load(const QString& path, bool preview = false);

signals:
    void loaded(const QString& path);

private:
    using Watcher = std::shared_ptr<QFutureWatcher<Photo>>;
    Watcher start(const QString& path, bool preview);
    using Wanted = std::shared_ptr<std::atomic<bool>>;
    Wanted wanted(const QString& path);

    // Decoders of their own: Qt scales and converts large images on its global
    // pool and waits for it, so decoders there would stall the window.
    QThreadPool pool_;
    QHash<QString, Photo> kept_;
    QHash<QString, Watcher> pending_;
    QHash<QString, Watcher> previews_;
    // Per path on its way: cleared when no one will look at it any more.
    QHash<QString, Wanted> wanted_;
};

} // namespace korvex
