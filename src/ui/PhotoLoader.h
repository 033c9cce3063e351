#pragma once

#include "ui/PictureRenderer.h"

#include <QFutureWatcher>
#include <QHash>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

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
        QSize size; // upright, full resolution
        QString error;
    };

    explicit PhotoLoader(QObject* parent = nullptr);
    // Waits for loads still running: they refer to nothing of ours, but the
    // pool must not outlive the cache it fills.
    ~PhotoLoader() override;

    // Starts loading `path` unless it is kept or on its way.
    void request(const QString& path);
    // The photo once loaded (with an error when it could not be); null before.
    const Photo* ready(const QString& path) const;
    // Forgets every kept photo but these.
    void keepOnly(const QStringList& paths);
    // Blocks until nothing is on its way (tests and benchmarks).
    void waitForAll();

    // Decodes one photo on the calling thread.
    static Photo load(const QString& path);

signals:
    void loaded(const QString& path);

private:
    QHash<QString, Photo> kept_;
    QHash<QString, std::shared_ptr<QFutureWatcher<Photo>>> pending_;
};

} // namespace korvex
