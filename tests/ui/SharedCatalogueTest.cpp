// Two running copies of the program on one catalogue, each a process of its
// own (CatalogueCopy.cpp): the lock beside the data file, the check of the
// file on disk before a save, and the merge, with real files and real locks.
#include "exchange/TorFile.h"
#include "uilogic/PathText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace korvex;

namespace {

// A record line of a code and 28 zeros, as "Append to the List" builds it
// on the sheet that a file written with an empty sheet leaves.
std::string line(const std::string& code) {
    std::string text = code;
    for (int k = 0; k < 28; ++k)
        text += "\t0";
    return text;
}

// The data file as the program writes it for these records.
QByteArray fileOf(const std::vector<std::string>& codes) {
    DataSet data;
    for (const std::string& code : codes)
        data.AppendRecord(line(code));
    const std::string bytes = TorFile::write(MeasurementSheet{}, data);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// One copy of the program, driven a command at a time.
class Copy {
public:
    Copy() {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(CATALOGUE_COPY), {});
    }
    ~Copy() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    bool started() { return process_.waitForStarted(); }
    qint64 pid() const { return process_.processId(); }
    // What the copy printed for `command` before its "done": the questions it
    // asked. Nothing when it did not finish.
    std::optional<QStringList> run(const QString& command) {
        process_.write((command + QLatin1Char('\n')).toUtf8());
        QStringList said;
        for (;;) {
            while (!process_.canReadLine())
                if (!process_.waitForReadyRead(30000))
                    return std::nullopt;
            const QString line = QString::fromUtf8(process_.readLine()).trimmed();
            if (line == QLatin1String("done"))
                return said;
            said << line;
        }
    }
    // `command`, with `button` pressed at the question it asks.
    std::optional<QStringList> answering(const QString& button, const QString& command) {
        if (!run(QStringLiteral("answer ") + button))
            return std::nullopt;
        return run(command);
    }
    bool quit() {
        process_.write("quit\n");
        process_.closeWriteChannel();
        return process_.waitForFinished(30000) && process_.exitStatus() == QProcess::NormalExit &&
               process_.exitCode() == 0;
    }
    void kill() {
        process_.kill(); // SIGKILL: the lock stays behind
        process_.waitForFinished();
    }

private:
    QProcess process_;
};

QString lockOf(const QString& dataFile) {
    return QString::fromStdString(lockPathFor(dataFile.toStdString()));
}

// The process and machine the lock beside `dataFile` names.
std::pair<qint64, QString> lockOwner(const QString& dataFile) {
    QLockFile lock(lockOf(dataFile));
    qint64 pid = 0;
    QString host;
    QString app;
    lock.getLockInfo(&pid, &host, &app);
    return {pid, host};
}

} // namespace

class SharedCatalogueTest : public QObject {
    Q_OBJECT
private slots:
    void bothAppendAndSaveAndTheSecondSaveMerges();
    void aChangeByAnotherProgramIsCaughtBeforeAnythingIsWritten();
    void aLockLeftByAKilledCopyIsTakenOver();
};

void SharedCatalogueTest::bothAppendAndSaveAndTheSecondSaveMerges() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString data = folder.filePath(QStringLiteral("catalogue.tor"));
    QVERIFY(writeAll(data, fileOf({"X1", "X2"})));
    Copy a;
    Copy b;
    QVERIFY(a.started() && b.started());

    const auto aLoads = a.run(QStringLiteral("load ") + data);
    QVERIFY(aLoads);
    QCOMPARE(*aLoads, QStringList());
    QCOMPARE(lockOwner(data).first, a.pid());
    QCOMPARE(QFileInfo(lockOf(data)).fileName(), QStringLiteral(".catalogue.tor.lock"));

    // The second copy is told who has the file open, and opens it anyway.
    const auto bLoads = b.answering(QStringLiteral("Open Anyway"), QStringLiteral("load ") + data);
    QVERIFY(bLoads);
    QCOMPARE(bLoads->size(), 2);
    const QString who = QFileInfo(lockOf(data)).owner();
    for (const QString& part : {QStringLiteral("asked The data file \"") + data +
                                    QStringLiteral("\" is open in another copy"),
                                QStringLiteral("(by ") + who + QStringLiteral(" on ") +
                                    lockOwner(data).second + QStringLiteral(" since ")})
        QVERIFY2(bLoads->at(0).contains(part), qPrintable(bLoads->at(0)));
    QCOMPARE(bLoads->at(1), QStringLiteral("buttons Open Anyway|Do Not Open"));
    QCOMPARE(lockOwner(data).first, a.pid()); // the lock stays with the first

    for (const char* command : {"append A1", "append A2"})
        QCOMPARE(a.run(QString::fromLatin1(command)), std::optional<QStringList>(QStringList()));
    QCOMPARE(b.run(QStringLiteral("append B1")), std::optional<QStringList>(QStringList()));
    QCOMPARE(a.run(QStringLiteral("save ") + data), std::optional<QStringList>(QStringList()));
    QCOMPARE(readAll(data), fileOf({"X1", "X2", "A1", "A2"}));

    // The second save asks, naming the file and who has it open, and merges.
    const auto bSaves =
        b.answering(QStringLiteral("Merge and Save"), QStringLiteral("save ") + data);
    QVERIFY(bSaves);
    QCOMPARE(bSaves->size(), 2);
    for (const QString& part : {QStringLiteral("asked The data file \"") + data +
                                    QStringLiteral("\" was changed on disk"),
                                QStringLiteral("open in another copy of KORVEX (by ") + who,
                                QStringLiteral("It holds 2 records that are not here")})
        QVERIFY2(bSaves->at(0).contains(part), qPrintable(bSaves->at(0)));
    QCOMPARE(
        bSaves->at(1),
        QStringLiteral("buttons Merge and Save|Save Over It|Save Under Another Name\u2026|Cancel"));
    QCOMPARE(readAll(data), fileOf({"X1", "X2", "B1", "A1", "A2"}));

    // And the first, saving again, gets the second's record back in the same way.
    const auto aSaves =
        a.answering(QStringLiteral("Merge and Save"), QStringLiteral("save ") + data);
    QVERIFY(aSaves);
    QCOMPARE(aSaves->size(), 2);
    QVERIFY2(aSaves->at(0).contains(QStringLiteral("It holds 1 record that is not here")),
             qPrintable(aSaves->at(0)));
    QCOMPARE(readAll(data), fileOf({"X1", "X2", "A1", "A2", "B1"}));

    QVERIFY(a.quit());
    QVERIFY(b.quit());
    QVERIFY(!QFileInfo::exists(lockOf(data)));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("catalogue.tor")});
}

void SharedCatalogueTest::aChangeByAnotherProgramIsCaughtBeforeAnythingIsWritten() {
    QTemporaryDir folder;
    const QString data = folder.filePath(QStringLiteral("catalogue.tor"));
    QVERIFY(writeAll(data, fileOf({"X1", "X2"})));
    Copy a;
    QVERIFY(a.started());
    QCOMPARE(a.run(QStringLiteral("load ") + data), std::optional<QStringList>(QStringList()));
    QCOMPARE(a.run(QStringLiteral("append A1")), std::optional<QStringList>(QStringList()));
    // A script rewrites the file meanwhile, with one record more.
    const QByteArray script = fileOf({"X1", "X2", "S1"});
    QVERIFY(writeAll(data, script));

    const auto cancelled = a.answering(QStringLiteral("Cancel"), QStringLiteral("save ") + data);
    QVERIFY(cancelled);
    QCOMPARE(cancelled->size(), 2);
    QVERIFY2(cancelled->at(0).contains(QStringLiteral("It holds 1 record that is not here")),
             qPrintable(cancelled->at(0)));
    QCOMPARE(readAll(data), script);

    const auto merged =
        a.answering(QStringLiteral("Merge and Save"), QStringLiteral("save ") + data);
    QVERIFY(merged);
    QCOMPARE(merged->size(), 2);
    QCOMPARE(readAll(data), fileOf({"X1", "X2", "A1", "S1"}));
    QVERIFY(a.quit());
}

void SharedCatalogueTest::aLockLeftByAKilledCopyIsTakenOver() {
    QTemporaryDir folder;
    const QString data = folder.filePath(QStringLiteral("catalogue.tor"));
    QVERIFY(writeAll(data, fileOf({"X1"})));
    {
        Copy crashed;
        QVERIFY(crashed.started());
        QCOMPARE(crashed.run(QStringLiteral("load ") + data),
                 std::optional<QStringList>(QStringList()));
        QCOMPARE(lockOwner(data).first, crashed.pid());
        crashed.kill();
    }
    QVERIFY(QFileInfo::exists(lockOf(data)));
    Copy next;
    QVERIFY(next.started());
    QCOMPARE(next.run(QStringLiteral("load ") + data), std::optional<QStringList>(QStringList()));
    QCOMPARE(lockOwner(data).first, next.pid());
    QVERIFY(next.quit());
    QVERIFY(!QFileInfo::exists(lockOf(data)));
}

QTEST_MAIN(SharedCatalogueTest)
#include "SharedCatalogueTest.moc"
