#pragma once

#include "uilogic/PlatformServices.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvex::test {

// A picture with a size and nothing to show, to see which one reached the window.
class FakePicture : public Picture {
public:
    FakePicture(int width, int height) : width_(width), height_(height) {}
    int width() const override { return width_; }
    int height() const override { return height_; }

private:
    int width_;
    int height_;
};

// Platform services for the window logic without a window system. Answers to
// dialogs are queued by the test; a message box or dialog that the test did not
// expect fails the test instead of passing silently.
class FakePlatformServices : public PlatformServices {
public:
    struct Message {
        std::string text;
        std::string title;
        Icon icon;
        Buttons buttons;
    };

    std::string clipboard;
    bool clipboardHasText = false;
    int clipboardClears = 0;
    std::vector<Message> messages;
    std::deque<Answer> messageAnswers;
    std::deque<std::string> inputAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<std::string> fileFilters;
    // Files by path. A path listed in `unreadable` or `unwritable` fails with
    // that reason; writing a path replaces its bytes only on success.
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> unreadable;
    std::map<std::string, std::string> unwritable;
    // Pictures by path; a path not listed fails to load.
    std::vector<std::pair<std::string, PictureResult>> pictures;

    void clearClipboard() override {
        ++clipboardClears;
        clipboard.clear();
        clipboardHasText = false;
    }
    void setClipboardText(const std::string& text) override {
        clipboard = text;
        clipboardHasText = true;
    }
    std::string clipboardText() override { return clipboardHasText ? clipboard : std::string(); }

    Answer messageBox(const std::string& text, const std::string& title, Icon icon,
                      Buttons buttons) override {
        messages.push_back({text, title, icon, buttons});
        if (messageAnswers.empty()) {
            ADD_FAILURE() << "unexpected message box: " << text;
            return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
        }
        const Answer a = messageAnswers.front();
        messageAnswers.pop_front();
        return a;
    }
    // The next askText answers Cancel.
    bool cancelNextQuestion = false;
    std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) override {
        if (std::exchange(cancelNextQuestion, false))
            return std::nullopt;
        return inputBox(prompt, title, defaultText);
    }
    std::string inputBox(const std::string& prompt, const std::string&,
                         const std::string&) override {
        if (inputAnswers.empty()) {
            ADD_FAILURE() << "unexpected input box: " << prompt;
            return {};
        }
        std::string a = inputAnswers.front();
        inputAnswers.pop_front();
        return a;
    }
    std::optional<std::string> openFileName(const std::string& description,
                                            const std::string& pattern) override {
        return nextFile(description + "|" + pattern);
    }
    std::optional<std::string> saveFileName(const std::string& description,
                                            const std::string& pattern) override {
        return nextFile(description + "|" + pattern);
    }
    FileResult readFile(const std::string& path) override {
        FileResult result;
        if (auto bad = unreadable.find(path); bad != unreadable.end()) {
            result.error = bad->second;
        } else if (auto it = files.find(path); it != files.end()) {
            result.ok = true;
            result.bytes = it->second;
        } else {
            result.error = "No such file or directory";
        }
        return result;
    }
    FileResult writeFile(const std::string& path, const std::string& bytes) override {
        FileResult result;
        if (auto bad = unwritable.find(path); bad != unwritable.end()) {
            result.error = bad->second;
            return result;
        }
        files[path] = bytes;
        result.ok = true;
        return result;
    }
    double seconds = 43210.0;
    double secondsSinceMidnight() override { return seconds; }
    PictureResult loadPicture(const std::string& path) override {
        for (const auto& [p, result] : pictures)
            if (p == path)
                return result;
        PictureResult failed;
        failed.error = "not a JPEG picture.";
        return failed;
    }

    bool fileExists(const std::string& path) override {
        return files.count(path) != 0 || unreadable.count(path) != 0;
    }
    std::string now = "2026-05-24T09:30:00Z";
    std::string currentTimeUtc() override { return now; }

private:
    std::optional<std::string> nextFile(const std::string& filter) {
        fileFilters.push_back(filter);
        if (fileAnswers.empty()) {
            ADD_FAILURE() << "unexpected file dialog: " << filter;
            return std::nullopt;
        }
        auto a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }
};

} // namespace korvex::test
