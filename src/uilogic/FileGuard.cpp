#include "uilogic/FileGuard.h"

#include "model/ByteHash.h"

namespace korvex {

using LockStatus = PlatformServices::LockStatus;

FileGuard::Copy FileGuard::Copy::of(std::optional<std::string_view> bytes) {
    Copy copy;
    if (bytes) {
        copy.present = true;
        copy.size = bytes->size();
        copy.hash = hashOfBytes(*bytes);
    }
    return copy;
}

FileGuard::FileGuard(PlatformServices& services) : services_(services) {}

FileGuard::~FileGuard() {
    if (locked_)
        services_.unlockBeside(*locked_);
}

std::optional<FileGuard::LockHolder> FileGuard::otherHolder(const std::string& path) {
    if (locked_ == path)
        return std::nullopt;
    const auto lock = services_.lockBeside(path);
    if (lock.status == LockStatus::HeldElsewhere)
        return lock.holder;
    // Asking takes the lock when it is free; it is kept only once the file
    // is this program's open one.
    if (lock.status == LockStatus::Taken)
        services_.unlockBeside(path);
    return std::nullopt;
}

std::optional<std::string> FileGuard::open(const std::string& path) {
    seen_.clear();
    if (locked_ == path)
        return std::nullopt;
    if (locked_)
        services_.unlockBeside(*locked_);
    locked_.reset();
    const auto lock = services_.lockBeside(path);
    if (lock.status == LockStatus::Taken)
        locked_ = path;
    // A file another copy holds was opened or saved here by the user's choice,
    // after a question.
    if (lock.status != LockStatus::Unavailable || !toldUnguarded_.insert(path).second)
        return std::nullopt;
    return lock.error;
}

FileGuard::OnDisk FileGuard::onDisk(const std::string& path) {
    OnDisk now;
    const auto known = seen_.find(path);
    if (known == seen_.end())
        return now;
    const auto stamp = services_.fileStamp(path);
    if (!stamp)
        return now;
    now.changedAt = stamp->modifiedText;
    auto file = services_.readFile(path);
    if (!file.ok) {
        now.changed = true; // what cannot be compared is not taken for the same
        now.error = file.error;
        return now;
    }
    const Copy& seen = known->second;
    now.changed =
        !seen.present || seen.size != file.bytes.size() || seen.hash != hashOfBytes(file.bytes);
    now.bytes = std::move(file.bytes);
    return now;
}

} // namespace korvex
