#pragma once

#include "uilogic/PlatformServices.h"

#include <QString>

class QWidget;

namespace korvex {

// The platform services on Qt: the system clipboard, QMessageBox,
// QInputDialog, QFileDialog, and the photo decoder: a loaded picture is a
// QtPicture, upright.
class QtPlatformServices : public PlatformServices {
public:
    QtPlatformServices();
    // The window that dialogs and message boxes belong to.
    void setWindow(QWidget* window) { window_ = window; }

    void clearClipboard() override;
    void setClipboardText(const std::string& text) override;
    std::string clipboardText() override;
    Answer messageBox(const std::string& text, const std::string& title, Icon icon,
                      Buttons buttons) override;
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
    double secondsSinceMidnight() override;
    PictureResult loadPicture(const std::string& path) override;

    // The text a window shows for the program's bytes (UTF-8, or Windows-1250
    // for bytes that are not valid UTF-8).
    static QString displayText(const std::string& bytes);

private:
    // The chosen path, remembering its folder for the next dialog; nothing
    // when the dialog was cancelled.
    std::optional<std::string> remembered(const QString& path);
    // Whether the clipboard still holds the text this program last put there.
    bool isStillShown(const QString& text) const;

    QWidget* window_ = nullptr;
    QString lastDirectory_;
    // The bytes last put on the clipboard and the text they were shown as: as
    // long as the clipboard still holds that text, reading it gives back the
    // very bytes, so 8-bit data sets survive a clipboard round trip.
    std::string clipboardBytes_;
    QString clipboardShown_;
};

} // namespace korvex
