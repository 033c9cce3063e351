#include "ui/QtPlatformServices.h"

#include "exchange/ClipboardForms.h"
#include "exchange/TextEncoding.h"
#include "uilogic/Coordinates.h"
#include "ui/PhotoDecoder.h"
#include "ui/QtPicture.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QInputDialog>
#include <QMessageBox>
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

} // namespace

QtPlatformServices::QtPlatformServices() {
    QImageReader::setAllocationLimit(PhotoDecoder::kPictureLimitMb);
}

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
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::None:
        break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
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
