#include "ui/PhotoLoader.h"
#include "ui/CheckPane.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

using namespace korvex;

namespace {

// A picture of one colour in `format`; for a JPEG, `orientation` (EXIF, 1 =
// as stored) is written into an Exif segment as cameras write it.
QByteArray encoded(QSize size, const char* format, int orientation) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format, 90);
    }
    if (orientation == 1)
        return bytes;
    // APP1 "Exif": a little-endian TIFF header and one IFD entry, 0x0112 SHORT.
    const char exif[] = {'\xFF',
                         '\xE1',
                         0,
                         34,
                         'E',
                         'x',
                         'i',
                         'f',
                         0,
                         0,
                         'I',
                         'I',
                         42,
                         0,
                         8,
                         0,
                         0,
                         0,
                         1,
                         0,
                         18,
                         1,
                         3,
                         0,
                         1,
                         0,
                         0,
                         0,
                         char(orientation),
                         0,
                         0,
                         0,
                         0,
                         0,
                         0,
                         0};
    return bytes.left(2) + QByteArray(exif, sizeof exif) + bytes.mid(2);
}

PictureRenderer filled(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    PictureRenderer picture;
    picture.setImage(image);
    return picture;
}

} // namespace

class PhotoLoaderTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString write(const QString& name, QSize size, int orientation, const char* format = "JPEG") {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(encoded(size, format, orientation)) < 0)
            qFatal("the test photo could not be written");
        return path;
    }

private slots:
    void loadsUprightWithTheFullSize_data() {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QSize>("stored");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("preview");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("reduced");
        const QSize camera(4032, 3024);
        const QSize upright(3024, 4032);
        const QByteArray jpeg("JPEG");
        QTest::newRow("camera photo, reduced to a quarter")
            << jpeg << camera << 1 << true << QSize(1008, 756) << camera << true;
        QTest::newRow("turned by its EXIF orientation")
            << jpeg << camera << 6 << true << QSize(756, 1008) << upright << true;
        QTest::newRow("odd size, rounded up as the decoder rounds")
            << jpeg << QSize(4001, 3001) << 1 << true << QSize(1001, 751) << QSize(4001, 3001)
            << true;
        QTest::newRow("an eighth at most")
            << jpeg << QSize(8200, 500) << 1 << true << QSize(1025, 63) << QSize(8200, 500) << true;
        QTest::newRow("too small to gain from a reduced copy")
            << jpeg << QSize(1800, 1200) << 1 << true << QSize(1800, 1200) << QSize(1800, 1200)
            << false;
        QTest::newRow("not a JPEG, not reduced")
            << QByteArray("PNG") << camera << 1 << true << camera << camera << false;
        QTest::newRow("the full photo")
            << jpeg << camera << 8 << false << upright << upright << false;
    }
    void loadsUprightWithTheFullSize() {
        QFETCH(QByteArray, format);
        QFETCH(QSize, stored);
        QFETCH(int, orientation);
        QFETCH(bool, preview);
        QFETCH(QSize, picture);
        QFETCH(QSize, size);
        QFETCH(bool, reduced);
        const auto photo = PhotoLoader::load(
            write(QStringLiteral("photo"), stored, orientation, format.constData()), preview);
        QVERIFY2(photo.error.isEmpty(), qPrintable(photo.error));
        QCOMPARE(photo.picture.imageSize(), picture);
        QCOMPARE(photo.size, size);
        QCOMPARE(photo.preview, reduced);
    }

    void theFullPhotoFollowsItsReducedCopy() {
        const QString path = write(QStringLiteral("camera.jpg"), QSize(4032, 3024), 6);
        PhotoLoader loader;
        std::vector<bool> previews; // what each `loaded` made ready, in order
        connect(&loader, &PhotoLoader::loaded, this, [&](const QString& loaded) {
            QCOMPARE(loaded, path);
            const PhotoLoader::Photo* photo = loader.ready(path);
            QVERIFY(photo && photo->error.isEmpty());
            QCOMPARE(photo->size, QSize(3024, 4032));
            previews.push_back(photo->preview);
        });
        loader.request(path, true);
        QVERIFY(!loader.ready(path));
        QTRY_VERIFY_WITH_TIMEOUT(!previews.empty() && !previews.back(), 20000);
        // A reduced copy may come first, never after the full photo.
        QVERIFY(previews == std::vector<bool>{false} ||
                previews == (std::vector<bool>{true, false}));
        QCOMPARE(loader.ready(path)->picture.imageSize(), QSize(3024, 4032));

        // A kept full photo is not decoded again, reduced or not.
        loader.request(path, true);
        loader.request(path);
        loader.waitForAll();
        QTest::qWait(50);
        QCOMPARE(previews.back(), false);
        QVERIFY(previews.size() <= 2);
    }

    void waitingLeavesTheFullPhoto() {
        const QString path = write(QStringLiteral("wait.jpg"), QSize(4032, 3024), 1);
        PhotoLoader loader;
        QSignalSpy loaded(&loader, &PhotoLoader::loaded);
        loader.request(path, true);
        loader.waitForAll();
        const int emitted = int(loaded.count());
        QVERIFY(emitted >= 1);
        // The reduced copy, finished or not, must not take the full photo's place.
        QTest::qWait(100);
        QCOMPARE(int(loaded.count()), emitted);
        QVERIFY(loader.ready(path) && !loader.ready(path)->preview);
        QCOMPARE(loader.ready(path)->picture.imageSize(), QSize(4032, 3024));
    }

    // Photos stepped past are dropped, decoded or not: only the one kept
    // arrives, and nothing else is announced.
    void photosNoLongerWantedAreDropped() {
        QStringList paths;
        for (int i = 0; i < 6; ++i)
            paths << write(QStringLiteral("step%1.jpg").arg(i), QSize(2000, 1500), 1);
        PhotoLoader loader;
        QSignalSpy loaded(&loader, &PhotoLoader::loaded);
        for (const QString& path : paths)
            loader.request(path, true);
        loader.keepOnly({paths.back()});
        loader.waitForAll();
        QTest::qWait(100); // any stale result would be announced by now
        for (int i = 0; i < 5; ++i)
            QVERIFY2(!loader.ready(paths[i]), qPrintable(paths[i]));
        QVERIFY(loader.ready(paths.back()) && !loader.ready(paths.back())->preview);
        for (const auto& signal : loaded)
            QCOMPARE(signal.at(0).toString(), paths.back());
    }

    void sharpeningKeepsTheView() {
        CheckPane pane(QStringLiteral("pane"));
        pane.resize(400, 300);
        pane.setPicture(filled(QSize(100, 75), Qt::red), 400, 300, {});
        QWheelEvent wheel(QPointF(100, 100), QPointF(100, 100), {}, QPoint(0, 240), Qt::NoButton,
                          {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&pane, &wheel);
        const PaneView zoomed = pane.view();
        QVERIFY(zoomed.scale > 1.5);

        pane.sharpen(filled(QSize(400, 300), Qt::blue));
        QCOMPARE(pane.view().scale, zoomed.scale);
        QCOMPARE(pane.view().dx, zoomed.dx);
        QCOMPARE(pane.view().dy, zoomed.dy);
        QVERIFY(pane.hasPicture());
        QCOMPARE(pane.grab().toImage().pixelColor(200, 150), QColor(Qt::blue));
    }
};

QTEST_MAIN(PhotoLoaderTest)
#include "PhotoLoaderTest.moc"
