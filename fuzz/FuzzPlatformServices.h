#pragma once

#include "uilogic/PlatformServices.h"

#include <optional>
#include <string>

namespace korvex::fuzz {

// Platform services for the fuzz targets. Unlike the fake of the unit tests,
// an unexpected dialog is no failure here: the input decides which messages
// appear, so every message box is answered OK (No for a Yes/No question), the
// input box with an empty code, and the file dialogs with `chosenPath`.
class FuzzPlatformServices : public PlatformServices {
public:
    std::string clipboard;
    bool clipboardHasText = false;
    int messageCount = 0;
    std::optional<std::string> chosenPath;
    // What reading any file gives, and the bytes written last.
    std::string fileBytes;
    bool fileReadable = true;
    std::optional<std::string> written;

    void putOnClipboard(std::string text) {
        clipboard = std::move(text);
        clipboardHasText = true;
    }

    void clearClipboard() override {
        clipboard.clear();
        clipboardHasText = false;
    }
    void setClipboardText(const std::string& text) override { putOnClipboard(text); }
    std::string clipboardText() override { return clipboardHasText ? clipboard : std::string(); }

    Answer messageBox(const std::string&, const std::string&, Icon, Buttons buttons) override {
        ++messageCount;
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    std::string inputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::optional<std::string> openFileName(const std::string&, const std::string&) override {
        return chosenPath;
    }
    std::optional<std::string> saveFileName(const std::string&, const std::string&) override {
        return chosenPath;
    }
    FileResult readFile(const std::string&) override {
        FileResult result;
        result.ok = fileReadable;
        if (fileReadable)
            result.bytes = fileBytes;
        else
            result.error = "unreadable";
        return result;
    }
    FileResult writeFile(const std::string&, const std::string& bytes) override {
        written = bytes;
        FileResult result;
        result.ok = true;
        return result;
    }
    double secondsSinceMidnight() override { return 43210.0; }
    PictureResult loadPicture(const std::string&) override {
        PictureResult failed;
        failed.error = "no pictures while fuzzing";
        return failed;
    }
};

} // namespace korvex::fuzz
