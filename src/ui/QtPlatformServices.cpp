#include "ui/QtPlatformServices.h"

#include "exchange/ClipboardForms.h"
#include "exchange/TextEncoding.h"
#include "uilogic/Coordinates.h"
#include "uilogic/PathText.h"
#include "ui/PhotoDecoder.h"
#include "ui/QtPicture.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QDateTime>
#include <QInputDialog>
#include <QLocale>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTime>

#include <memory>

namespace korvex {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString filterOf(const std::string& description, const std::string& pattern) {
    // The description already names the pattern, e.g. "Pictures (*.jpg)".
    return fromUtf8(description).contains(fromUtf8(pattern))
               ? fromUtf8(description)
               : fromUtf8(description) + QStringLiteral(" (") + fromUtf8(pattern) +
                     QStringLiteral(")");
}

void setIcon(QMessageBox& box, PlatformServices::Icon icon) {
    switch (icon) {
    case PlatformServices::Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case PlatformServices::Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case PlatformServices::Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case PlatformServices::Icon::None:
        break;
    }
}

// A date and time as the user reads them, short: a question may name two.
std::string shownTime(const QDateTime& time) {
    return QLocale().toString(time, QLocale::ShortFormat).toStdString();
}

} // namespace

QtPlatformServices::QtPlatformServices() {
    QImageReader::setAllocationLimit(PhotoDecoder::kPictureLimitMb);
}

QtPlatformServices::~QtPlatformServices() = default;

QString QtPlatformServices::displayText(const std::string& bytes) {
    return fromUtf8(TextEncoding::toDisplayUtf8(bytes));
}

void QtPlatformServices::clearClipboard() {
    QApplication::clipboard()->clear();
    clipboardBytes_.clear();
    clipboardShown_.clear();
}

void QtPlatformServices::setClipboardText(const std::string& text) {
    QApplication::clipboard()->clear();
    clipboardShown_ = displayText(text);
    clipboardBytes_ = text;
    QApplication::clipboard()->setText(clipboardShown_);
}

std::string QtPlatformServices::clipboardText() {
    const QString text = QApplication::clipboard()->text();
    if (isStillShown(text))
        return clipboardBytes_;
    return ClipboardForms::withCrLfLineEnds(text.toStdString());
}

bool QtPlatformServices::isStillShown(const QString& text) const {
    if (clipboardShown_.isEmpty())
        return false;
    if (text == clipboardShown_)
        return true;
    // Some platforms hand CR LF back as a bare LF.
    return text.size() < clipboardShown_.size() &&
           QString(clipboardShown_).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) == text;
}

PlatformServices::FileResult QtPlatformServices::readFile(const std::string& path) {
    FileResult result;
    QFile file(fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString().toStdString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString().toStdString();
        return result;
    }
    result.bytes.assign(bytes.constData(), std::size_t(bytes.size()));
    result.ok = true;
    return result;
}

PlatformServices::FileResult QtPlatformServices::writeFile(const std::string& path,
                                                           const std::string& bytes) {
    FileResult result;
    // The rename below would put a file in place of a pipe or a device (such
    // as /dev/full, where a folder that can be written allows it) and report
    // success for bytes that never went where the user sent them. A link is
    // followed: it is the file it points to that is checked and replaced.
    const QFileInfo target(fromUtf8(path));
    if (target.exists() && !target.isFile() && !target.isDir()) {
        result.error = "it is not a regular file";
        return result;
    }
    // Written beside the target and renamed over it only when complete, so a
    // failed save never leaves a half-written file in place of the old one.
    QSaveFile file(fromUtf8(path));
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = file.errorString().toStdString();
        return result;
    }
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit()) {
        result.error = file.errorString().toStdString();
        file.cancelWriting();
        return result;
    }
    result.ok = true;
    return result;
}

PlatformServices::Answer QtPlatformServices::messageBox(const std::string& text,
                                                        const std::string& title, Icon icon,
                                                        Buttons buttons) {
    QMessageBox box(window_);
    box.setWindowTitle(fromUtf8(title));
    box.setText(fromUtf8(text));
    setIcon(box, icon);
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

std::size_t QtPlatformServices::choiceBox(const std::string& text, const std::string& title,
                                          Icon icon, const std::vector<std::string>& choices) {
    QMessageBox box(window_);
    box.setWindowTitle(fromUtf8(title));
    box.setText(fromUtf8(text));
    setIcon(box, icon);
    std::vector<QPushButton*> buttons;
    for (std::size_t i = 0; i < choices.size(); ++i)
        buttons.push_back(box.addButton(fromUtf8(choices[i]), i + 1 == choices.size()
                                                                  ? QMessageBox::RejectRole
                                                                  : QMessageBox::AcceptRole));
    if (buttons.empty())
        return 0;
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(buttons.back());
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return i;
    return buttons.size() - 1;
}

std::optional<std::string> QtPlatformServices::askText(const std::string& prompt,
                                                       const std::string& title,
                                                       const std::string& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(window_, fromUtf8(title), fromUtf8(prompt),
                                               QLineEdit::Normal, fromUtf8(defaultText), &ok);
    if (!ok)
        return std::nullopt;
    return text.toStdString();
}

std::string QtPlatformServices::inputBox(const std::string& prompt, const std::string& title,
                                         const std::string& defaultText) {
    return askText(prompt, title, defaultText).value_or(std::string());
}

std::optional<std::string> QtPlatformServices::remembered(const QString& path) {
    if (path.isEmpty())
        return std::nullopt; // cancelled
    lastDirectory_ = QFileInfo(path).absolutePath();
    return path.toStdString();
}

std::optional<std::string> QtPlatformServices::openFileName(const std::string& description,
                                                            const std::string& pattern) {
    return remembered(QFileDialog::getOpenFileName(window_, QString(), lastDirectory_,
                                                   filterOf(description, pattern)));
}

std::optional<std::string> QtPlatformServices::saveFileName(const std::string& description,
                                                            const std::string& pattern) {
    return remembered(QFileDialog::getSaveFileName(window_, QString(), lastDirectory_,
                                                   filterOf(description, pattern)));
}

std::optional<PlatformServices::FileStamp> QtPlatformServices::fileStamp(const std::string& path) {
    const QFileInfo info(fromUtf8(path));
    if (!info.isFile())
        return std::nullopt;
    FileStamp stamp;
    stamp.size = std::uint64_t(info.size());
    stamp.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    stamp.modifiedText = shownTime(info.lastModified());
    return stamp;
}

bool QtPlatformServices::takeLock(QLockFile& lock) {
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return true;
    qint64 pid = 0;
    QString host;
    QString app;
    if (lock.error() != QLockFile::LockFailedError || lock.getLockInfo(&pid, &host, &app))
        return false;
    const QDateTime written = QFileInfo(lock.fileName()).lastModified();
    if (written.secsTo(QDateTime::currentDateTime()) < 60)
        return false;
    return lock.removeStaleLockFile() && lock.tryLock(0);
}

PlatformServices::LockResult QtPlatformServices::lockBeside(const std::string& path) {
    LockResult result;
    if (locks_.count(path) != 0) {
        result.status = LockStatus::Taken;
        return result;
    }
    auto lock = std::make_unique<QLockFile>(fromUtf8(lockPathFor(path)));
    if (takeLock(*lock)) {
        locks_.emplace(path, std::move(lock));
        result.status = LockStatus::Taken;
        return result;
    }
    if (lock->error() == QLockFile::LockFailedError) {
        result.status = LockStatus::HeldElsewhere;
        qint64 pid = 0;
        QString host;
        QString app;
        lock->getLockInfo(&pid, &host, &app);
        const QFileInfo info(lock->fileName());
        result.holder.user = info.owner().toStdString();
        result.holder.host = host.toStdString();
        if (info.exists())
            result.holder.since = shownTime(info.lastModified());
        return result;
    }
    result.error = lock->error() == QLockFile::PermissionError
                       ? "its folder cannot be written"
                       : "no lock file can be made in its folder";
    return result;
}

void QtPlatformServices::unlockBeside(const std::string& path) {
    locks_.erase(path);
}

double QtPlatformServices::secondsSinceMidnight() {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

PlatformServices::PictureResult QtPlatformServices::loadPicture(const std::string& path) {
    PictureResult result;
    const PhotoDecoder::Decoded decoded = PhotoDecoder::decode(fromUtf8(path));
    if (decoded.image.isNull()) {
        result.error = decoded.error.toStdString();
        if (!result.error.empty() && result.error.back() != '.')
            result.error += '.';
        return result;
    }
    result.ok = true;
    result.widthTwips = Coordinates::pixelsToTwips(float(decoded.image.width()));
    result.heightTwips = Coordinates::pixelsToTwips(float(decoded.image.height()));
    result.picture = std::make_shared<const QtPicture>(decoded.image);
    result.damage = decoded.damage.toStdString();
    return result;
}

} // namespace korvex
