#pragma once

#include "testing/ScriptedDialogs.h"
#include "uilogic/Picture.h"
#include "uilogic/PlatformServices.h"

#include <cstdint>
#include <map>
#include <set>
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
    // The modification time of a file, in milliseconds; a file not listed has
    // time 0. Writing a file here sets its time to `clockMs`, which then
    // moves on, as a file system's clock would.
    std::map<std::string, std::int64_t> fileTimes;
    std::int64_t clockMs = 1000;
    // Locks beside data files, by the data file's path: those that other
    // running copies of the program hold, and those this one holds. A path
    // listed in `unlockable` cannot keep a lock beside it, for that reason.
    std::map<std::string, LockHolder> otherLocks;
    std::set<std::string> heldLocks;
    std::map<std::string, std::string> unlockable;
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
        fileTimes[path] = clockMs++;
        result.ok = true;
        return result;
    }
    std::optional<FileStamp> fileStamp(const std::string& path) override {
        const auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        FileStamp stamp;
        stamp.size = it->second.size();
        if (const auto time = fileTimes.find(path); time != fileTimes.end())
            stamp.modifiedMs = time->second;
        stamp.modifiedText = "time " + std::to_string(stamp.modifiedMs);
        return stamp;
    }
    LockResult lockBeside(const std::string& path) override {
        LockResult result;
        if (auto bad = unlockable.find(path); bad != unlockable.end()) {
            result.error = bad->second;
        } else if (auto other = otherLocks.find(path); other != otherLocks.end()) {
            result.status = LockStatus::HeldElsewhere;
            result.holder = other->second;
        } else {
            heldLocks.insert(path);
            result.status = LockStatus::Taken;
        }
        return result;
    }
    void unlockBeside(const std::string& path) override { heldLocks.erase(path); }
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
