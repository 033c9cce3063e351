#pragma once

#include "uilogic/PlatformServices.h"

#include <QString>

#include <map>
#include <memory>

class QLockFile;
class QWidget;

namespace korvex {

// The platform services on Qt: the system clipboard, QMessageBox,
// QInputDialog, QFileDialog, the photo decoder (a loaded picture is a
// QtPicture, upright) and QLockFile for the locks beside data files.
class QtPlatformServices : public PlatformServices {
public:
    QtPlatformServices();
    ~QtPlatformServices() override;
    // The window that dialogs and message boxes belong to.
    void setWindow(QWidget* window) { window_ = window; }

    void clearClipboard() override;
    void setClipboardText(const std::string& text) override;
    std::string clipboardText() override;
    Answer messageBox(const std::string& text, const std::string& title, Icon icon,
                      Buttons buttons) override;
    std::size_t choiceBox(const std::string& text, const std::string& title, Icon icon,
                          const std::vector<std::string>& choices) override;
    std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::optional<std::string> openFileName(const std::string& description,
                                            const std::string& pattern) override;
    std::optional<std::string> saveFileName(const std::string& description,
                                            const std::string& pattern) override;
    FileResult readFile(const std::string& path) override;
    FileResult writeFile(const std::string& path, const std::string& bytes) override;
    std::optional<FileStamp> fileStamp(const std::string& path) override;
    // The lock's user is the lock file's owner on the file system; QLockFile
    // keeps the machine, the process and the program in it.
    LockResult lockBeside(const std::string& path) override;
    void unlockBeside(const std::string& path) override;
    double secondsSinceMidnight() override;
    PictureResult loadPicture(const std::string& path) override;

    // The text a window shows for the program's bytes (UTF-8, or Windows-1250
    // for bytes that are not valid UTF-8).
    static QString displayText(const std::string& bytes);

    // Takes `lock` with a stale time of 0, so that only the lock of a program
    // that ended is taken over, however long a living one keeps it. A lock
    // whose owner cannot be read at all (cut short by a power cut) and that is
    // older than any start in progress counts as left behind too.
    static bool takeLock(QLockFile& lock);

private:
    // The chosen path, remembering its folder for the next dialog; nothing
    // when the dialog was cancelled.
    std::optional<std::string> remembered(const QString& path);
    // Whether the clipboard still holds the text this program last put there.
    bool isStillShown(const QString& text) const;

    QWidget* window_ = nullptr;
    // The locks this program holds, by the data file's path.
    std::map<std::string, std::unique_ptr<QLockFile>> locks_;
    QString lastDirectory_;
    // The bytes last put on the clipboard and the text they were shown as: as
    // long as the clipboard still holds that text, reading it gives back the
    // very bytes, so 8-bit data sets survive a clipboard round trip.
    std::string clipboardBytes_;
    QString clipboardShown_;
};

} // namespace korvex
