#pragma once

#include "exchange/RecoverySnapshot.h"

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace korvex {

class MainWindowModel;

// Keeps a recovery copy of the main window's unsaved state on disk, so that a
// crash, a killed process or a power cut loses at most the last second.
//
// Each running program writes its own copy, "<id>.recovery", beside the lock
// file "<id>.lock" it holds for its whole run; a copy whose lock has no living
// owner was left by a program that ended without its closing prompt. Changes
// are coalesced for kCoalesceMs; the state is then taken on the window's
// thread and turned into bytes and written by a worker thread through
// QSaveFile, so a copy on disk is always a whole one and digitising never waits
// for the disk nor for the photos to be put into words.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int kCoalesceMs = 300;

    // $KORVEX_RECOVERY_DIR when set (tests and portable use), otherwise the
    // folder "recovery" in the user's application-state folder.
    static QString defaultFolder();

    // Starts keeping copies of `model`, which must outlive this object, in
    // `folder` (created when missing). Nothing is written before the first change.
    RecoveryKeeper(MainWindowModel& model, QString folder, QObject* parent = nullptr);
    // Writes any change not yet on disk and keeps the copy: only discard()
    // marks a normal end.
    ~RecoveryKeeper() override;
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;

    // At start-up, once the window is shown: reports a folder that cannot be
    // used, then offers the newest copy left by a program no longer running
    // (one question; other such copies wait for the next start). A restored
    // copy becomes this program's own, a declined one is renamed to
    // "<id>.declined", and one that cannot be read is renamed to
    // "<id>.unreadable" and reported, and the next newest is then offered.
    void offerLeftCopy();

    // A normal end, after the closing prompt: removes this program's copy and
    // lock and keeps no more copies.
    void discard();

    QString copyPath() const;

signals:
    // A copy was written whole (tests wait for it).
    void written();

private:
    void schedule();
    void handToWriter();
    void writerLoop();
    void finished(bool ok, const QString& error);
    void stopWriter();
    void reportOnce(const QString& reason);

    MainWindowModel& model_;
    QString folder_;
    QString id_;
    QLockFile lock_;
    bool active_ = false;
    bool reported_ = false;
    QString startError_;
    QTimer timer_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<RecoverySnapshot> pending_;
    bool stopping_ = false;
    std::thread writer_;
    // The writer's own: the photos change far less often than the sheet.
    RecoverySnapshot::PhotosCache photosCache_;
};

} // namespace korvex
