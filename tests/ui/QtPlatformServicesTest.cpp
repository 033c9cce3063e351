#include "ui/QtPlatformServices.h"
#include "testing/ScriptedDialogs.h"
#include "ui/Form1.h"
#include "ui/PictureArea.h"
#include "ui/PhotoDecoder.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace korvex;

namespace {

QString str(const char* s) {
    return QString::fromUtf8(s);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray smallJpeg(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(150, 120, 60));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 80);
    return bytes;
}

// A JPEG whose frame header claims width x height pixels: the reader learns
// the size before decoding anything, as it does for a real camera file.
QByteArray jpegClaiming(int width, int height) {
    QByteArray bytes = smallJpeg(16, 16);
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        return {};
    bytes[sof + 5] = char(height >> 8);
    bytes[sof + 6] = char(height & 0xFF);
    bytes[sof + 7] = char(width >> 8);
    bytes[sof + 8] = char(width & 0xFF);
    return bytes;
}

// Services whose file dialogs answer with a queued path and whose message
// boxes are recorded and answered OK, expected or not.
using Scripted = fakes::ScriptedDialogs<QtPlatformServices>;

// "Open Image of Tortoise Korvex" on `path`.
void openByMenu(Form1& form, Scripted* services, const QString& path) {
    services->fileAnswers = {path.toStdString()};
    form.menuEntry(str("open"), 0)->trigger();
}

// Makes `folder` read-only and runs `job` in a child process as an ordinary
// user (permissions do not bind the superuser): whether it ended normally,
// and the text it gave.
template <class Job> std::pair<bool, std::string> inReadOnlyFolder(const QString& folder, Job job) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {false, {}};
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadOther | QFileDevice::ExeOther |
                                      QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        const std::string said = job();
        const auto written = write(pipeEnds[1], said.data(), said.size());
        _exit(written < 0 ? 1 : 0);
    }
    close(pipeEnds[1]);
    std::string said;
    char buffer[256];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, std::size_t(got));
    close(pipeEnds[0]);
    int status = 0;
    const bool ended = waitpid(child, &status, 0) == child;
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return {ended && WIFEXITED(status) && WEXITSTATUS(status) == 0, said};
}

} // namespace

class QtPlatformServicesTest : public QObject {
    Q_OBJECT

private slots:
    // Each bad picture gives either the picture, upright, or a message; after
    // a message the picture shown before stays.
    void badPicturesGiveAPictureOrAMessage() {
        QTemporaryDir dir;
        auto scripted = std::make_unique<Scripted>();
        Scripted* services = scripted.get();
        Form1 form(std::move(scripted));
        form.startUp();
        const QString good = dir.filePath(str("good.jpg"));
        writeAll(good, smallJpeg(300, 200));
        openByMenu(form, services, good);
        QCOMPARE(form.pictureArea()->renderer().imageSize(), QSize(300, 200));

        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImage(40, 30, QImage::Format_RGB32).save(&buffer, "PNG");
        const QByteArray full = smallJpeg(400, 300);
        const struct {
            const char* name;
            QByteArray bytes;
            QSize picture; // empty: a message is expected
            const char* says = "";
        } cases[] = {
            {"empty.jpg", QByteArray(), QSize()},
            {"garbage.jpg", QByteArray("\x00\x01 not a picture at all", 23), QSize()},
            // Refused from the size in its header, before anything is decoded.
            {"huge.jpg", jpegClaiming(20000, 20000), QSize(), "too large"},
            {"png-named.jpg", png, QSize(40, 30)},
            {"truncated.jpg", full.left(full.size() / 3), QSize(400, 300)},
        };
        for (const auto& c : cases) {
            const QString path = dir.filePath(str(c.name));
            writeAll(path, c.bytes);
            const QSize before = form.pictureArea()->renderer().imageSize();
            const QString captionBefore = form.windowTitle();
            services->messages.clear();
            services->fileAnswers = {path.toStdString()};
            form.menuEntry(str("open"), 0)->trigger();
            if (c.picture.isEmpty()) {
                QVERIFY2(services->messages.size() == 1, c.name);
                const QString message = QString::fromStdString(services->messages[0].text);
                QVERIFY(message.contains(path));
                QVERIFY2(message.contains(str(c.says)), qPrintable(message));
                QCOMPARE(form.pictureArea()->renderer().imageSize(), before);
                QCOMPARE(form.windowTitle(), captionBefore);
            } else {
                QVERIFY2(services->messages.empty(), c.name);
                QCOMPARE(form.pictureArea()->renderer().imageSize(), c.picture);
                QCOMPARE(form.windowTitle(), path);
            }
        }
    }

    // A JPEG cut short opens, its missing part grey, and the window says so
    // beside the photo, with how much could be read; no question stops the user.
    void aPhotoCutShortOpensWithANote() {
        // Noise codes to about as many bytes per row all the way down.
        QImage noise(480, 360, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, qRgb(int(random.bounded(256)), 60, 200));
        QByteArray full;
        QBuffer buffer(&full);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(noise.save(&buffer, "JPEG", 90));

        QTemporaryDir dir;
        auto scripted = std::make_unique<Scripted>();
        Scripted* services = scripted.get();
        Form1 form(std::move(scripted));
        form.startUp();
        const QString cut = dir.filePath(str("cut.jpg"));
        writeAll(cut, full.left(full.size() / 2));
        openByMenu(form, services, cut);
        QCOMPARE(form.pictureArea()->renderer().imageSize(), QSize(480, 360));
        QVERIFY(services->messages.empty());
        QLabel* note = form.damageNote();
        QVERIFY(note->isVisibleTo(&form));
        const QRegularExpression says(
            str("^The photo \"(.*)\" is damaged: its file ends early, and only about "
                "(\\d+) % of the picture could be read; the rest shows grey\\.$"));
        const auto match = says.match(note->text());
        QVERIFY2(match.hasMatch(), qPrintable(note->text()));
        QCOMPARE(match.captured(1), cut);
        const int percent = match.captured(2).toInt();
        QVERIFY2(percent >= 30 && percent <= 70, qPrintable(note->text()));
        QCOMPARE(QAccessible::queryAccessibleInterface(note)->text(QAccessible::Name), note->text());

        // A whole photo opened next has no note; nor has the whole file.
        const QString whole = dir.filePath(str("whole.jpg"));
        writeAll(whole, full);
        openByMenu(form, services, whole);
        QVERIFY(!note->isVisibleTo(&form));
        QVERIFY(PhotoDecoder::decode(whole).damage.isEmpty());
        // A reduced decode finds the damage too.
        QVERIFY(PhotoDecoder::decode(cut, 100).damage.contains(str("% of the picture")));
    }

    // The grey band a decoder leaves may stand at any edge once the photo
    // is turned upright.
    void theGreyBandIsMeasuredAtEveryEdge() {
        const QColor grey(128, 128, 128);
        const struct {
            QRect band; // in a 200 x 100 picture
            double share;
        } rows[] = {
            {QRect(), 1.0},
            {QRect(0, 75, 200, 25), 0.75},  // the bottom quarter
            {QRect(0, 0, 200, 40), 0.6},    // turned half round: at the top
            {QRect(150, 0, 50, 100), 0.75}, // turned a quarter: at a side
            {QRect(0, 0, 20, 100), 0.9},
            {QRect(0, 0, 200, 100), 0.0},
            {QRect(0, 40, 200, 20), 1.0}, // grey in the middle is the picture's own
        };
        for (const auto& r : rows) {
            QImage image(200, 100, QImage::Format_RGB32);
            image.fill(QColor(90, 140, 30));
            image.setPixelColor(5, 50, QColor(129, 127, 128)); // within a decoder's rounding
            if (!r.band.isNull()) {
                QPainter painter(&image);
                painter.fillRect(r.band, grey);
            }
            QCOMPARE(PhotoDecoder::shareNotGrey(image), r.share);
        }
    }

    // Rows copied in another program often end in a bare LF; they load as
    // records all the same. The program's own texts come back byte for byte,
    // also when the platform hands their CR LF back as LF.
    void clipboardRowsFromOtherProgramsLoadAsRecords() {
        auto scripted = std::make_unique<Scripted>();
        QtPlatformServices* services = scripted.get();
        Form1 form(std::move(scripted));
        form.startUp();
        std::string row = "511";
        for (int k = 1; k <= 28; ++k)
            row += "\t0." + std::to_string(k);
        QApplication::clipboard()->setText(QString::fromStdString(row + "\n" + row + "\n"));
        form.menuEntry(str("load"), 20)->trigger();
        QCOMPARE(form.model().dataSet().text(), row + "\r\n" + row + "\r\n");
        QCOMPARE(form.findChild<QLabel*>(str("Label2"))->text(), str("2"));
        QCOMPARE(form.findChild<QLabel*>(str("Label4"))->text(), str("511"));
        QCOMPARE(form.box(SeamGroupId::RightCentral, 5)->text(), str("0.28"));

        const std::string own = "Kn\xEC\x9A\tA\nB\r\n";
        services->setClipboardText(own);
        QCOMPARE(services->clipboardText(), own);
        QApplication::clipboard()->setText(
            QApplication::clipboard()->text().replace(str("\r\n"), str("\n")));
        QCOMPARE(services->clipboardText(), own);
    }

    // A save that cannot be completed leaves the previous file byte for byte
    // and says why.
    void failedSavesKeepThePreviousFile() {
        QTemporaryDir dir;
        const QString target = dir.filePath(str("catalogue.tor"));
        const QByteArray previous("\tprevious\r\n\r\n 0 \r\n\r\n");
        writeAll(target, previous);
        QtPlatformServices services;
        const std::string bigger(64 * 1024, 'x');

        // The target is a folder.
        const QString folder = dir.filePath(str("folder.tor"));
        QVERIFY(QDir().mkdir(folder));
        auto result = services.writeFile(folder.toStdString(), bigger);
        QVERIFY(!result.ok);
        QVERIFY(!result.error.empty());
        QVERIFY(QFileInfo(folder).isDir());

        // The disk fills up: writes beyond a file-size limit fail as they
        // would on a full disk.
        struct rlimit old {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        result = services.writeFile(target.toStdString(), bigger);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!result.ok);
        QVERIFY(!result.error.empty());
        QCOMPARE(readAll(target), previous);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{str("catalogue.tor")});

        // A read-only folder.
        const auto [ended, reason] = inReadOnlyFolder(dir.path(), [&] {
            const auto r = services.writeFile(target.toStdString(), bigger);
            return r.ok ? std::string() : r.error;
        });
        QVERIFY(ended);
        QVERIFY(!reason.empty());
        QCOMPARE(readAll(target), previous);

        // A pipe (or a device such as /dev/full) is not replaced by a file:
        // the save would pass for done.
        const QString pipe = dir.filePath(str("pipe.tor"));
        QCOMPARE(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
        result = services.writeFile(pipe.toStdString(), bigger);
        QVERIFY(!result.ok);
        QVERIFY(!result.error.empty());
        QVERIFY(!QFileInfo(pipe).isFile());

        // A link: the file it points to is saved, and it stays a link.
        const QString link = dir.filePath(str("link.tor"));
        QVERIFY(QFile::link(target, link));
        QVERIFY(services.writeFile(link.toStdString(), "new").ok);
        QCOMPARE(readAll(target), QByteArray("new"));
        QVERIFY(QFileInfo(link).isSymLink());
    }

    // The buttons come in the order given, the first the default; Escape
    // gives the last.
    void aChoiceBoxAnswersWithTheButtonPressed() {
        QtPlatformServices services;
        const std::vector<std::string> choices{"Merge and Save", "Save Over It", "Cancel"};
        const struct {
            const char* press; // nothing: Escape
            std::size_t answer;
        } cases[] = {{"Merge and Save", 0}, {"Save Over It", 1}, {"Cancel", 2}, {nullptr, 2}};
        for (const auto& c : cases) {
            QStringList shown;
            QString byDefault;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                for (QAbstractButton* button : box->buttons())
                    shown << button->text();
                byDefault = box->defaultButton() ? box->defaultButton()->text() : QString();
                if (!c.press) {
                    QTest::keyClick(box, Qt::Key_Escape);
                    return;
                }
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == str(c.press))
                        button->click();
            });
            QCOMPARE(services.choiceBox("Save over it?", "KORVEX", PlatformServices::Icon::Warning,
                                        choices),
                     c.answer);
            QCOMPARE(shown, (QStringList{str("Merge and Save"), str("Save Over It"), str("Cancel")}));
            QCOMPARE(byDefault, str("Merge and Save"));
        }
    }

    void aFileStampGivesSizeAndTime() {
        QTemporaryDir dir;
        const QString path = dir.filePath(str("catalogue.tor"));
        writeAll(path, QByteArray("12345"));
        QtPlatformServices services;
        const auto stamp = services.fileStamp(path.toStdString());
        QVERIFY(stamp);
        QCOMPARE(stamp->size, std::uint64_t(5));
        QCOMPARE(stamp->modifiedMs, QFileInfo(path).lastModified().toMSecsSinceEpoch());
        QVERIFY(!stamp->modifiedText.empty());
        QVERIFY(!services.fileStamp(dir.filePath(str("none.tor")).toStdString()));
        QVERIFY(!services.fileStamp(dir.path().toStdString())); // a folder is no file
    }

    // The lock beside a data file is taken, named to another holder with its
    // user and machine, and given up; a folder that cannot hold one says so.
    void aLockBesideADataFileIsTakenNamedAndGivenUp() {
        using LockStatus = PlatformServices::LockStatus;
        QTemporaryDir dir;
        const std::string data = dir.filePath(str("catalogue.tor")).toStdString();
        const QString lockPath = dir.filePath(str(".catalogue.tor.lock"));
        QtPlatformServices one;
        QtPlatformServices two;
        QCOMPARE(one.lockBeside(data).status, LockStatus::Taken);
        QVERIFY(QFileInfo::exists(lockPath));
        QCOMPARE(one.lockBeside(data).status, LockStatus::Taken); // already its own
        const auto held = two.lockBeside(data);
        QCOMPARE(held.status, LockStatus::HeldElsewhere);
        QCOMPARE(QString::fromStdString(held.holder.user), QFileInfo(lockPath).owner());
        QVERIFY(!held.holder.user.empty());
        QCOMPARE(QString::fromStdString(held.holder.host), QSysInfo::machineHostName());
        QVERIFY(!held.holder.since.empty());
        one.unlockBeside(data);
        QVERIFY(!QFileInfo::exists(lockPath));
        QCOMPARE(two.lockBeside(data).status, LockStatus::Taken);
        two.unlockBeside(data);

        const auto [ended, said] = inReadOnlyFolder(dir.path(), [&] {
            const auto lock = QtPlatformServices().lockBeside(data);
            return lock.status == LockStatus::Unavailable ? lock.error : std::string();
        });
        QVERIFY(ended);
        QCOMPARE(said, std::string("its folder cannot be written"));
        QVERIFY(!QFileInfo::exists(lockPath));
    }

    // Through the window: the message names the file and the reason.
    void aFailedSaveIsReportedWithTheReason() {
        QTemporaryDir dir;
        auto scripted = std::make_unique<Scripted>();
        Scripted* services = scripted.get();
        Form1 form(std::move(scripted));
        form.startUp();
        const QString folder = dir.filePath(str("taken.tor"));
        QVERIFY(QDir().mkdir(folder));
        services->fileAnswers = {folder.toStdString()};
        form.menuEntry(str("save"), 40)->trigger();
        QCOMPARE(services->messages.size(), std::size_t(1));
        const QString message = QString::fromStdString(services->messages[0].text);
        QVERIFY(message.contains(folder));
        QVERIFY(message.contains(str("could not be saved")));
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_MAIN(QtPlatformServicesTest)
#include "QtPlatformServicesTest.moc"
