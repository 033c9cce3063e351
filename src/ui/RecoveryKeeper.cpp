#include "ui/RecoveryKeeper.h"

#include "ui/QtPlatformServices.h"
#include "uilogic/MainWindowModel.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUuid>

namespace korvex {

namespace {

const QString kCopySuffix = QStringLiteral(".recovery");
const QString kLockSuffix = QStringLiteral(".lock");
const QString kDeclinedSuffix = QStringLiteral(".declined");

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

QString RecoveryKeeper::defaultFolder() {
    const QString set = qEnvironmentVariable("KORVEX_RECOVERY_DIR");
    if (!set.isEmpty())
        return set;
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return base.isEmpty() ? QString() : QDir(base).filePath(QStringLiteral("recovery"));
}

RecoveryKeeper::RecoveryKeeper(MainWindowModel& model, QString folder, QObject* parent)
    : QObject(parent), model_(model), folder_(std::move(folder)),
      id_(QUuid::createUuid().toString(QUuid::WithoutBraces)),
      lock_(QDir(folder_).filePath(id_ + kLockSuffix)) {
    lock_.setStaleLockTime(0);
    if (folder_.isEmpty())
        startError_ = QStringLiteral("no folder for application data is known");
    else if (!QDir().mkpath(folder_))
        startError_ = QStringLiteral("the folder \"%1\" cannot be created").arg(shown(folder_));
    else if (!lock_.tryLock(0))
        startError_ = QStringLiteral("the folder \"%1\" cannot be written").arg(shown(folder_));
    if (!startError_.isEmpty())
        return;
    active_ = true;
    timer_.setSingleShot(true);
    timer_.setInterval(kCoalesceMs);
    connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::handToWriter);
    model_.onChanged = [this] {
        schedule();
    };
    writer_ = std::thread([this] { writerLoop(); });
}

RecoveryKeeper::~RecoveryKeeper() {
    if (!active_)
        return;
    model_.onChanged = nullptr;
    if (timer_.isActive()) {
        timer_.stop();
        handToWriter();
    }
    stopWriter();
    lock_.unlock(); // the copy stays: without discard() this was no normal end
}

QString RecoveryKeeper::copyPath() const {
    return QDir(folder_).filePath(id_ + kCopySuffix);
}

void RecoveryKeeper::schedule() {
    // Not restarted by later changes, so no change waits longer than one interval.
    if (active_ && !timer_.isActive())
        timer_.start();
}

void RecoveryKeeper::handToWriter() {
    // Only the taking is paid here; the bytes are made by the writer.
    RecoverySnapshot taken = model_.snapshot();
    {
        const std::lock_guard guard(mutex_);
        pending_ = std::move(taken); // an older copy not yet written is outdated
    }
    wake_.notify_one();
}

void RecoveryKeeper::writerLoop() {
    std::unique_lock guard(mutex_);
    for (;;) {
        wake_.wait(guard, [this] { return pending_ || stopping_; });
        if (!pending_)
            return;
        const RecoverySnapshot taken = std::move(*pending_);
        pending_.reset();
        guard.unlock();
        const std::string bytes = taken.write(&photosCache_);
        QSaveFile file(copyPath());
        const bool ok = file.open(QIODevice::WriteOnly) &&
                        file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()) &&
                        file.commit();
        const QString error = ok ? QString() : file.errorString();
        QMetaObject::invokeMethod(
            this, [this, ok, error] { finished(ok, error); }, Qt::QueuedConnection);
        guard.lock();
    }
}

void RecoveryKeeper::finished(bool ok, const QString& error) {
    if (ok)
        emit written();
    else
        reportOnce(QStringLiteral("\"%1\" cannot be written (%2)").arg(shown(copyPath()), error));
}

void RecoveryKeeper::stopWriter() {
    {
        const std::lock_guard guard(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (writer_.joinable())
        writer_.join();
}

void RecoveryKeeper::reportOnce(const QString& reason) {
    if (reported_)
        return;
    reported_ = true;
    model_.RecoveryCopyFailed(reason.toStdString());
}

void RecoveryKeeper::offerLeftCopy() {
    const QDir dir(folder_);
    if (!startError_.isEmpty()) {
        // Copies left there can be neither taken over nor moved aside now:
        // they are named, so the user knows they wait.
        const QStringList copyFilter{QStringLiteral("*") + kCopySuffix};
        const qsizetype left = folder_.isEmpty() ? 0 : dir.entryList(copyFilter, QDir::Files).size();
        if (left == 0) {
            reportOnce(startError_);
            return;
        }
        const QString copies =
            left == 1 ? QStringLiteral("1 copy") : QStringLiteral("%1 copies").arg(left);
        reportOnce(startError_ + QStringLiteral("; it holds %1 of unsaved data left by an earlier "
                                                "run, offered once the folder can be written again")
                                     .arg(copies));
        return;
    }
    // Locks of programs that ended before any change left no copy to offer.
    for (const QString& name : dir.entryList({QStringLiteral("*") + kLockSuffix}, QDir::Files)) {
        const QString base = QFileInfo(name).completeBaseName();
        if (base == id_ || dir.exists(base + kCopySuffix))
            continue;
        QLockFile left(dir.filePath(name));
        QtPlatformServices::takeLock(left); // released, and so removed, at once
    }
    const QFileInfoList copies =
        dir.entryInfoList({QStringLiteral("*") + kCopySuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo& info : copies) {
        const QString base = info.completeBaseName();
        if (base == id_)
            continue;
        const QString lockPath = dir.filePath(base + kLockSuffix);
        QLockFile left(lockPath);
        if (!QtPlatformServices::takeLock(left))
            continue; // its program is still running
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        file.close();
        const std::string savedAt =
            QLocale().toString(info.lastModified(), QLocale::LongFormat).toStdString();
        // A copy declined before and copied back may have left its name taken:
        // that file stays as it is, and this one is kept beside it.
        QString declined = dir.filePath(base + kDeclinedSuffix);
        for (int n = 2; QFileInfo::exists(declined); ++n)
            declined = dir.filePath(base + kDeclinedSuffix + QStringLiteral("-%1").arg(n));
        const auto outcome = model_.OfferRecovery(
            std::string_view(bytes.constData(), std::size_t(bytes.size())), savedAt,
            [&] {
                const QString aside = dir.filePath(base + QStringLiteral(".unreadable"));
                return shown(QFile::rename(info.filePath(), aside) ? aside : info.filePath())
                    .toStdString();
            },
            shown(declined).toStdString());
        if (outcome == MainWindowModel::RecoveryOutcome::Restored) {
            // The restored data become this program's copy at once; a later
            // write replaces it as usual.
            QFile::remove(copyPath());
            QFile::rename(info.filePath(), copyPath());
        } else if (outcome == MainWindowModel::RecoveryOutcome::Declined) {
            // Kept where the question said, out of the offers' way.
            QFile::rename(info.filePath(), declined);
        } else {
            continue; // nothing was asked: an older whole copy may still be offered
        }
        return; // one question per start; other copies wait for the next
    }
}

void RecoveryKeeper::discard() {
    if (!active_)
        return;
    active_ = false;
    model_.onChanged = nullptr;
    timer_.stop();
    {
        const std::lock_guard guard(mutex_);
        pending_.reset();
    }
    stopWriter();
    QFile::remove(copyPath());
    lock_.unlock();
}

} // namespace korvex
