#pragma once

#include "testing/ScriptedDialogs.h"
#include "uilogic/Picture.h"
#include "uilogic/PlatformServices.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korvex::fakes {

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

// The one fake of the platform services, without a window system and without
// a test framework: tests, fuzzers and benchmarks share it. Dialogs answer
// from queues (see ScriptedDialogs for what an unexpected one does); the
// clipboard, the files, the pictures and the clock are its own.
class FakePlatformServices : public ScriptedDialogs<PlatformServices> {
public:
    std::string clipboard;
    bool clipboardHasText = false;
    int clipboardClears = 0;
    // Files by path. A path listed in `unreadable` or `unwritable` fails with
    // that reason; writing a path replaces its bytes only on success.
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> unreadable;
    std::map<std::string, std::string> unwritable;
    // Pictures by path; a path not listed fails to load.
    std::vector<std::pair<std::string, PictureResult>> pictures;
    double seconds = 43210.0;
    std::string now = "2026-05-24T09:30:00Z";

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
    std::string currentTimeUtc() override { return now; }
};

} // namespace korvex::fakes
