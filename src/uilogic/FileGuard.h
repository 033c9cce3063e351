#pragma once

#include "uilogic/PlatformServices.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace korvex {

// The guard of the open data file against a silent overwrite, free of any
// window toolkit: the lock this program keeps beside the file it has open, so
// that another running copy learns who has it open, and what this program
// last read or wrote of the data file and its companion, so that a save can
// tell whether another copy or another program changed them meanwhile. The
// platform does the file-system work; the Document decides what to ask.
class FileGuard {
public:
    using LockHolder = PlatformServices::LockHolder;

    // What this program read or wrote of a file: enough to tell the file
    // from its changed self.
    struct Copy {
        bool present = false; // a file was there
        std::uint64_t size = 0;
        std::uint64_t hash = 0; // hashOfBytes
        // A file holding `bytes`; nothing for no file.
        static Copy of(std::optional<std::string_view> bytes);
        bool operator==(const Copy&) const = default;
    };

    // What a file on disk is now, against what this program last read or
    // wrote of it.
    struct OnDisk {
        bool changed = false;
        // The file as it is now, when it is there and could be read; `error`
        // says why one that is there could not be.
        std::optional<std::string> bytes;
        std::string error;
        // When it was last changed, as the user reads a date and time.
        std::string changedAt;
    };

    explicit FileGuard(PlatformServices& services);
    // Gives up the lock this program keeps.
    ~FileGuard();
    FileGuard(const FileGuard&) = delete;
    FileGuard& operator=(const FileGuard&) = delete;

    // --- the lock ---------------------------------------------------------
    // The running copy that holds the data file at `path` open, or nothing
    // when none does (a lock left by a program that ended is taken over on
    // the way, without a question). Keeps no new lock.
    std::optional<LockHolder> otherHolder(const std::string& path);
    // `path` becomes the open data file: its lock is taken when no other copy
    // holds it, the lock of the previous file given up, and everything known
    // of the files on disk forgotten (what is read or written next is
    // remembered). The reason when no lock can be kept beside
    // it, the first time only for each file; otherwise nothing.
    std::optional<std::string> open(const std::string& path);

    // --- what is on disk --------------------------------------------------
    // The file at `path` is `copy` as this program just read or wrote it.
    void remember(const std::string& path, const Copy& copy) { seen_[path] = copy; }
    // Forgets `path`: nothing is known of it, and nothing is asked about it.
    void forget(const std::string& path) { seen_.erase(path); }
    // What this program last read or wrote of `path`, or nothing.
    std::optional<Copy> known(const std::string& path) const {
        const auto it = seen_.find(path);
        return it == seen_.end() ? std::nullopt : std::optional<Copy>(it->second);
    }
    // Whether the file at `path` is not what this program last read or wrote
    // of it, by its size and the hash of its bytes. A file this program knows
    // nothing of, or one that is gone, is not changed: saving over it loses
    // nothing. A file that appeared is. The time is only told: on a file
    // system with coarse times an equal time proves nothing, and a file that
    // was touched but holds the same bytes loses nothing when saved over, so
    // the bytes are read whenever the file is there.
    OnDisk onDisk(const std::string& path);

private:
    PlatformServices& services_;
    std::map<std::string, Copy> seen_;
    // The data file whose lock this program keeps.
    std::optional<std::string> locked_;
    std::set<std::string> toldUnguarded_;
};

} // namespace korvex
