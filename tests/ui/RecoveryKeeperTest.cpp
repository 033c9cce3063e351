#include "ui/RecoveryKeeper.h"
#include "RecoveryScript.h"
#include "ScriptedServices.h"
#include "ui/Form1.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <deque>

using namespace korvex;
using korvex::test::ScriptedServices;

namespace {

constexpr auto LM = SeamGroupId::LeftMarginal;

QStringList filesIn(const QString& folder, const QString& pattern) {
    return QDir(folder).entryList({pattern}, QDir::Files);
}

void writeBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes.data(), qint64(bytes.size())), qint64(bytes.size()));
}

QByteArray bytesOf(const std::string& text) {
    return QByteArray(text.data(), qsizetype(text.size()));
}

// A window logic with its keeper, started as the program starts.
struct Session {
    ScriptedServices services;
    MainWindowModel model{services};
    RecoveryKeeper keeper;

    Session(const QString& folder, std::deque<PlatformServices::Answer> answers)
        : keeper(model, folder) {
        services.messageAnswers = std::move(answers);
        model.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
        keeper.offerLeftCopy();
    }
};

} // namespace

class RecoveryKeeperTest : public QObject {
    Q_OBJECT
private slots:
    void killedProgramIsRestoredByteForByte();
    void declinedCopyIsSetAsideAndTheNextStartIsPlain();
    void declinedCopyKeepsOneDeclinedBefore();
    void unreadableCopyIsReportedAndKeptAside();
    void unreadableCopyDoesNotHoldBackAnOlderWholeOne();
    void copyOfALaterVersionStaysWhereThatVersionLooks();
    void restoredCopySurvivesASecondKillAndTheOtherWaits();
    void leftTemporaryFileIsNoCopy();
    void copyThatCannotBeWrittenIsReported();
    void readOnlyFolderSaysWhatItHolds();
    void runningProgramsKeepSeparateCopies();
    void burstOfChangesIsWrittenOnceAndWhole();
    void changeNotYetWrittenSurvivesTheEndWithoutPrompt();
};

void RecoveryKeeperTest::killedProgramIsRestoredByteForByte() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QStringLiteral(RECOVERY_CHILD), {folder.path()});
    QVERIFY(child.waitForStarted());
    while (!child.canReadLine())
        QVERIFY2(child.waitForReadyRead(30000), "the child wrote no recovery copy");
    QCOMPARE(child.readLine(), QByteArray("written\n"));
    child.kill(); // SIGKILL: no closing prompt, no clean-up
    QVERIFY(child.waitForFinished());
    QCOMPARE(filesIn(folder.path(), QStringLiteral("*.recovery")).size(), 1);

    auto services = std::make_unique<ScriptedServices>();
    ScriptedServices& answers = *services;
    answers.messageAnswers.push_back(PlatformServices::Answer::Yes);
    Form1 window(std::move(services));
    RecoveryKeeper keeper(window.model(), folder.path());
    window.startUp();
    keeper.offerLeftCopy();

    QCOMPARE(answers.messages.size(), std::size_t(1));
    QCOMPARE(answers.messages[0].title, std::string("KORVEX"));
    QVERIFY2(answers.messages[0].text.find("restore the unsaved data from") != std::string::npos,
             answers.messages[0].text.c_str());
    QCOMPARE(bytesOf(window.model().dataSet().text()), bytesOf(test::expectedRecoveryDataSet()));
    QCOMPARE(bytesOf(window.model().digitising().sheet().cell(LM, 0)), bytesOf(test::kRecoveryBox));
    QCOMPARE(window.box(LM, 0)->text(), QtPlatformServices::displayText(test::kRecoveryBox));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("3"));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("1"));
    // The left copy is now this program's own; a normal end removes it and the lock.
    QCOMPARE(filesIn(folder.path(), QStringLiteral("*.recovery")),
             QStringList{QFileInfo(keeper.copyPath()).fileName()});
    keeper.discard();
    QVERIFY(filesIn(folder.path(), QStringLiteral("*")).isEmpty());
}

// A No clicked in haste must not cost the unsaved data: the question says
// where they are kept, and they are there, byte for byte.
void RecoveryKeeperTest::declinedCopyIsSetAsideAndTheNextStartIsPlain() {
    QTemporaryDir folder;
    RecoverySnapshot left;
    left.dataSet = "A\t1\r\n";
    left.display.countText = "1";
    const std::string bytes = left.write();
    writeBytes(folder.filePath(QStringLiteral("left.recovery")), bytes);
    const QString aside = folder.filePath(QStringLiteral("left.declined"));
    {
        Session session(folder.path(), {PlatformServices::Answer::No});
        QCOMPARE(session.services.messages.size(), std::size_t(1));
        const std::string& question = session.services.messages[0].text;
        QVERIFY2(question.find("If you answer No, they are kept as \"" +
                               QDir::toNativeSeparators(aside).toStdString() +
                               "\" and not offered again.") != std::string::npos,
                 question.c_str());
        QCOMPARE(session.model.dataSet().text(), std::string());
        QCOMPARE(session.model.display().countText, std::string("0"));
        QVERIFY(filesIn(folder.path(), QStringLiteral("*.recovery")).isEmpty());
        session.keeper.discard();
    }
    QFile kept(aside);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), bytesOf(bytes));
    Session next(folder.path(), {});
    QVERIFY(next.services.messages.empty());
}

// A copy declined before and copied back (its declined file kept, to be
// safe) is declined again: both are kept, and it is not offered again.
void RecoveryKeeperTest::declinedCopyKeepsOneDeclinedBefore() {
    QTemporaryDir folder;
    RecoverySnapshot left;
    left.dataSet = "A\t1\r\n";
    const std::string bytes = left.write();
    writeBytes(folder.filePath(QStringLiteral("left.recovery")), bytes);
    RecoverySnapshot before;
    before.dataSet = "B\t2\r\n";
    const std::string declinedBefore = before.write();
    writeBytes(folder.filePath(QStringLiteral("left.declined")), declinedBefore);
    QString keptAs;
    {
        Session session(folder.path(), {PlatformServices::Answer::No});
        QCOMPARE(session.services.messages.size(), std::size_t(1));
        const std::string& question = session.services.messages[0].text;
        const std::string said = "they are kept as \"";
        const std::size_t from = question.find(said);
        QVERIFY2(from != std::string::npos, question.c_str());
        const std::size_t start = from + said.size();
        keptAs = QString::fromStdString(question.substr(start, question.find('"', start) - start));
        session.keeper.discard();
    }
    QVERIFY(filesIn(folder.path(), QStringLiteral("*.recovery")).isEmpty());
    QFile kept(keptAs);
    QVERIFY2(kept.open(QIODevice::ReadOnly), qPrintable(keptAs));
    QCOMPARE(kept.readAll(), bytesOf(bytes));
    QFile earlier(folder.filePath(QStringLiteral("left.declined")));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), bytesOf(declinedBefore));
    Session next(folder.path(), {});
    QVERIFY(next.services.messages.empty());
}

void RecoveryKeeperTest::unreadableCopyIsReportedAndKeptAside() {
    QTemporaryDir folder;
    std::string cut = RecoverySnapshot{}.write();
    cut.resize(cut.size() / 2);
    writeBytes(folder.filePath(QStringLiteral("left.recovery")), cut);
    {
        Session session(folder.path(), {PlatformServices::Answer::Ok});
        QCOMPARE(session.services.messages.size(), std::size_t(1));
        QCOMPARE(session.services.messages[0].title, std::string("KORVEX"));
        QVERIFY(session.services.messages[0].text.find("left.unreadable") != std::string::npos);
        QCOMPARE(session.model.snapshot(), MainWindowModel(session.services).snapshot());
        session.keeper.discard();
    }
    QCOMPARE(filesIn(folder.path(), QStringLiteral("*")),
             QStringList{QStringLiteral("left.unreadable")});
    Session next(folder.path(), {});
    QVERIFY(next.services.messages.empty());
}

// Two programs were killed; the copy of the later one was cut short by a
// power cut. The whole copy of the earlier one is offered at the same start.
void RecoveryKeeperTest::unreadableCopyDoesNotHoldBackAnOlderWholeOne() {
    QTemporaryDir folder;
    RecoverySnapshot older;
    older.dataSet = "A\t1\r\n";
    older.display.countText = "1";
    const QString olderPath = folder.filePath(QStringLiteral("older.recovery"));
    writeBytes(olderPath, older.write());
    std::string cut = RecoverySnapshot{}.write();
    cut.resize(cut.size() / 2);
    writeBytes(folder.filePath(QStringLiteral("newer.recovery")), cut);
    {
        QFile file(olderPath);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
    }
    Session session(folder.path(), {PlatformServices::Answer::Ok, PlatformServices::Answer::Yes});
    QCOMPARE(session.services.messages.size(), std::size_t(2));
    QVERIFY(session.services.messages[0].text.find("newer.unreadable") != std::string::npos);
    QCOMPARE(session.services.messages[1].buttons, PlatformServices::Buttons::YesNo);
    QCOMPARE(session.model.dataSet().text(), older.dataSet);
    QCOMPARE(filesIn(folder.path(), QStringLiteral("*.recovery")),
             QStringList{QFileInfo(session.keeper.copyPath()).fileName()});
    session.keeper.discard();
}

// An older build started on the same account must leave a later build's
// copy where the later build will look for it.
void RecoveryKeeperTest::copyOfALaterVersionStaysWhereThatVersionLooks() {
    QTemporaryDir folder;
    std::string later = RecoverySnapshot{}.write();
    later[21] = '4';
    const QString path = folder.filePath(QStringLiteral("later.recovery"));
    writeBytes(path, later);
    for (int start = 0; start < 2; ++start) {
        Session session(folder.path(), {PlatformServices::Answer::Ok});
        QCOMPARE(session.services.messages.size(), std::size_t(1));
        session.keeper.discard();
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), bytesOf(later));
    }
}

// Two programs with unsaved work are killed. The next start restores the
// newer copy and is killed too before saving; each start then offers one
// copy, and neither is lost.
void RecoveryKeeperTest::restoredCopySurvivesASecondKillAndTheOtherWaits() {
    QTemporaryDir folder;
    {
        std::deque<Session> running;
        for (const char* box : {"first", "second"}) {
            Session& killed =
                running.emplace_back(folder.path(), std::deque<PlatformServices::Answer>{});
            QSignalSpy written(&killed.keeper, &RecoveryKeeper::written);
            killed.model.digitising().setBoxText(LM, 2, box);
            QVERIFY(written.wait());
            QFile copy(killed.keeper.copyPath());
            QVERIFY(copy.open(QIODevice::ReadWrite));
            const qint64 age = box[0] == 'f' ? -60 : 0;
            QVERIFY(copy.setFileTime(QDateTime::currentDateTime().addSecs(age),
                                     QFileDevice::FileModificationTime));
        }
    } // no discard(): ended as killed programs end, their copies left
    {
        Session restored(folder.path(), {PlatformServices::Answer::Yes});
        QCOMPARE(restored.model.digitising().sheet().cell(LM, 2), std::string("second"));
    } // killed again before saving
    for (const char* box : {"second", "first"}) {
        Session next(folder.path(), {PlatformServices::Answer::Yes});
        QCOMPARE(next.services.messages.size(), std::size_t(1));
        QCOMPARE(next.model.digitising().sheet().cell(LM, 2), std::string(box));
        next.keeper.discard();
    }
    QVERIFY(filesIn(folder.path(), QStringLiteral("*.recovery")).isEmpty());
}

// A write cut short by a kill may leave QSaveFile's temporary file beside
// the copy: the whole copy is offered, and the temporary file is not.
void RecoveryKeeperTest::leftTemporaryFileIsNoCopy() {
    QTemporaryDir folder;
    RecoverySnapshot left;
    left.dataSet = "A\t1\r\n";
    const std::string whole = left.write();
    writeBytes(folder.filePath(QStringLiteral("left.recovery")), whole);
    writeBytes(folder.filePath(QStringLiteral("left.recovery.Xa81Kq")), whole.substr(0, 30));
    Session session(folder.path(), {PlatformServices::Answer::Yes});
    QCOMPARE(session.services.messages.size(), std::size_t(1));
    QCOMPARE(session.model.dataSet().text(), left.dataSet);
    session.keeper.discard();
}

// A full disk or a copy that cannot be replaced: the user is told that the
// unsaved data are not kept, once, and no write counts as done.
void RecoveryKeeperTest::copyThatCannotBeWrittenIsReported() {
    QTemporaryDir folder;
    Session session(folder.path(), {PlatformServices::Answer::Ok});
    QVERIFY(QDir().mkpath(session.keeper.copyPath())); // in the way of every write
    QSignalSpy written(&session.keeper, &RecoveryKeeper::written);
    session.model.digitising().setBoxText(LM, 1, "lost?");
    QTRY_COMPARE(session.services.messages.size(), std::size_t(1));
    const std::string& text = session.services.messages[0].text;
    QVERIFY2(text.find("Unsaved data cannot be kept for recovery after a crash") !=
                 std::string::npos,
             text.c_str());
    session.model.digitising().setBoxText(LM, 1, "again");
    QVERIFY(!written.wait(3 * RecoveryKeeper::kCoalesceMs));
    QCOMPARE(written.size(), 0);
    QCOMPARE(session.services.messages.size(), std::size_t(1));
    QDir().rmdir(session.keeper.copyPath());
    session.keeper.discard();
}

// The folder went read-only (a locked memory card, a remounted disk) with
// yesterday's copy in it: nothing can be offered or kept, and the message
// says so rather than leave the copy unmentioned.
void RecoveryKeeperTest::readOnlyFolderSaysWhatItHolds() {
    QTemporaryDir folder;
    RecoverySnapshot left;
    left.dataSet = "A\t1\r\n";
    writeBytes(folder.filePath(QStringLiteral("left.recovery")), left.write());
    const auto writable = QFile::permissions(folder.path());
    const auto madeWritable = qScopeGuard([&] { QFile::setPermissions(folder.path(), writable); });
    QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    if (QFile(folder.filePath(QStringLiteral("probe"))).open(QIODevice::WriteOnly))
        QSKIP("this user writes into read-only folders");
    {
        Session session(folder.path(), {PlatformServices::Answer::Ok});
        QCOMPARE(session.services.messages.size(), std::size_t(1));
        const std::string& text = session.services.messages[0].text;
        QVERIFY2(text.find("cannot be written; it holds 1 copy of unsaved data left by an earlier "
                           "run, offered once the folder can be written again") !=
                     std::string::npos,
                 text.c_str());
    }
    QCOMPARE(filesIn(folder.path(), QStringLiteral("*")),
             QStringList{QStringLiteral("left.recovery")});
}

void RecoveryKeeperTest::runningProgramsKeepSeparateCopies() {
    QTemporaryDir folder;
    Session first(folder.path(), {});
    QSignalSpy firstWritten(&first.keeper, &RecoveryKeeper::written);
    first.model.digitising().setBoxText(LM, 1, "first");
    QVERIFY(firstWritten.wait());

    Session second(folder.path(), {});
    QVERIFY(second.services.messages.empty()); // the first program is still running
    QSignalSpy secondWritten(&second.keeper, &RecoveryKeeper::written);
    second.model.digitising().setBoxText(LM, 1, "second");
    QVERIFY(secondWritten.wait());
    QCOMPARE(filesIn(folder.path(), QStringLiteral("*.recovery")).size(), 2);

    QFile firstCopy(first.keeper.copyPath());
    QVERIFY(firstCopy.open(QIODevice::ReadOnly));
    const QByteArray bytes = firstCopy.readAll();
    const auto read = RecoverySnapshot::read(std::string_view(bytes.constData(), bytes.size()));
    QVERIFY(std::holds_alternative<RecoverySnapshot>(read));
    QCOMPARE(std::get<RecoverySnapshot>(read).values[1], std::string("first"));
    first.keeper.discard();
    second.keeper.discard();
}

void RecoveryKeeperTest::burstOfChangesIsWrittenOnceAndWhole() {
    QTemporaryDir folder;
    Session session(folder.path(), {});
    QSignalSpy written(&session.keeper, &RecoveryKeeper::written);
    for (int i = 0; i < 200; ++i)
        session.model.digitising().setBoxText(LM, std::size_t(i % 8), std::to_string(i));
    QVERIFY(written.wait());
    QVERIFY(!written.wait(3 * RecoveryKeeper::kCoalesceMs));
    QCOMPARE(written.size(), 1);
    QFile copy(session.keeper.copyPath());
    QVERIFY(copy.open(QIODevice::ReadOnly));
    const QByteArray bytes = copy.readAll();
    QCOMPARE(bytes, bytesOf(session.model.snapshot().write()));
    session.keeper.discard();
}

void RecoveryKeeperTest::changeNotYetWrittenSurvivesTheEndWithoutPrompt() {
    QTemporaryDir folder;
    {
        Session session(folder.path(), {});
        session.model.digitising().setBoxText(LM, 3, "last");
    } // ended before the interval passed, and without discard()
    Session next(folder.path(), {PlatformServices::Answer::Yes});
    QCOMPARE(next.services.messages.size(), std::size_t(1));
    QCOMPARE(next.model.digitising().sheet().cell(LM, 3), std::string("last"));
    next.keeper.discard();
}

QTEST_MAIN(RecoveryKeeperTest)
#include "RecoveryKeeperTest.moc"
