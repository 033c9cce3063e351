#pragma once

#include "uilogic/Picture.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvex {

// The platform services the window logic needs, behind one small interface:
// the Qt build implements it, tests fake it. Texts are UTF-8 except the
// clipboard's, which are the program's own bytes (see the implementation for
// how bytes that are not UTF-8 are shown).
class PlatformServices {
public:
    enum class Icon { None, Information, Warning, Critical };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    // What loading a picture gave: the picture and its natural upright size
    // in twips, or why it could not be loaded. Loading shows nothing: whoever
    // asked hands the picture to the window that shows it.
    struct PictureResult {
        bool ok = false;
        float widthTwips = 0.0F;
        float heightTwips = 0.0F;
        std::string error;
        // Shared with the window that shows it; may be null in a platform
        // that decodes nothing (a fake).
        std::shared_ptr<const Picture> picture;
        // A picture that opened although its file is damaged: how, to follow
        // "The photo … is damaged: "; empty for a whole file.
        std::string damage;
    };

    // What reading or writing a whole file gave; `error` says why it failed.
    struct FileResult {
        bool ok = false;
        std::string bytes;
        std::string error;
    };

    // A file as the file system describes it, without reading it.
    struct FileStamp {
        std::uint64_t size = 0;
        // The last change, in milliseconds since 1970 (UTC), and the same time
        // as the user reads a date and time.
        std::int64_t modifiedMs = 0;
        std::string modifiedText;
    };

    // The lock that a running copy of the program holds beside the data file
    // it has open: who took it, on which machine, since when (as the user
    // reads a date and time). Any of them may be empty when the lock does not
    // say.
    struct LockHolder {
        std::string user;
        std::string host;
        std::string since;
    };
    enum class LockStatus {
        Taken,         // this program holds the lock now
        HeldElsewhere, // another running copy holds it: see `holder`
        Unavailable    // no lock can be kept beside the file: see `error`
    };
    struct LockResult {
        LockStatus status = LockStatus::Unavailable;
        LockHolder holder;
        std::string error;
    };

    virtual ~PlatformServices() = default;

    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    // The clipboard's text, empty when it holds none.
    virtual std::string clipboardText() = 0;

    virtual Answer messageBox(const std::string& text, const std::string& title, Icon icon,
                              Buttons buttons) = 0;
    // A question answered with one of `choices`: buttons with those texts, in
    // that order, the first the default. Gives the index of the one chosen;
    // closing the box without choosing gives the last, which is therefore the
    // answer that changes nothing.
    virtual std::size_t choiceBox(const std::string& text, const std::string& title, Icon icon,
                                  const std::vector<std::string>& choices) = 0;
    // OK gives the typed text, Cancel the empty text.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // The same box for questions where Cancel must not pass for an empty
    // answer: nothing on Cancel. A platform that cannot tell them apart
    // answers as inputBox does.
    virtual std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                               const std::string& defaultText) {
        return inputBox(prompt, title, defaultText);
    }

    // A path chosen in an open or save dialog with one filter, e.g. description
    // "Pictures (*.jpg)" and pattern "*.jpg"; nothing when the user cancels.
    virtual std::optional<std::string> openFileName(const std::string& description,
                                                    const std::string& pattern) = 0;
    virtual std::optional<std::string> saveFileName(const std::string& description,
                                                    const std::string& pattern) = 0;

    // Reads a whole file as bytes.
    virtual FileResult readFile(const std::string& path) = 0;
    // Replaces a file with `bytes`; a failed write leaves the previous file as it was.
    virtual FileResult writeFile(const std::string& path, const std::string& bytes) = 0;
    // The size and time of the file at `path`; nothing when there is none.
    virtual std::optional<FileStamp> fileStamp(const std::string& path) = 0;

    // Takes the lock beside the data file at `path` (FileGuard::lockPathFor
    // names it) for this program, holding this user and machine, until
    // unlockBeside. A lock left by a program that ended on this machine is
    // taken over; one this program already holds is Taken again.
    virtual LockResult lockBeside(const std::string& path) = 0;
    // Gives up the lock beside `path` if this program holds it.
    virtual void unlockBeside(const std::string& path) = 0;

    // The time of day in seconds since midnight (seeds the simulation).
    virtual double secondsSinceMidnight() = 0;

    // Decodes a picture file, upright.
    virtual PictureResult loadPicture(const std::string& path) = 0;

    // Whether a file (not a folder) is at `path`. By default the file system
    // is asked; a fake keeps its own files.
    virtual bool fileExists(const std::string& path);
    // The time now in UTC, as "2026-05-24T09:30:00Z".
    virtual std::string currentTimeUtc();
};

} // namespace korvex
