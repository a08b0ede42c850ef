#include "files/recovery_folder.h"

#include "files/codec/file_error.h"
#include "files/file_writer.h"
#include "files/state_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <set>

#include <dirent.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pimoko {

namespace {

const std::string kCopySuffix = ".bmp";
const std::string kLockSuffix = ".lock";

// Whether the open file is the user's regular file the name in the folder
// names now: a lock file that another editor removed after it was opened
// locks nothing.
bool isFileAt(int fd, int folderFd, const std::string& name)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0
        && S_ISREG(open.st_mode) && open.st_uid == ::geteuid() && open.st_dev == named.st_dev
        && open.st_ino == named.st_ino;
}

bool lockWithoutWaiting(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

std::string nameIn(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The process and a random number: unique among the editors running, and
// unlikely to meet a name a gone editor left.
std::string editorId()
{
    std::random_device random;
    char id[32];
    std::snprintf(id, sizeof id, "%ld-%08x", long(::getpid()), unsigned(random()));
    return id;
}

} // namespace

RecoveryFolder::~RecoveryFolder()
{
    if (lock_.get() < 0)
        return;
    ::unlinkat(folderFd_.get(), nameIn(copyPath_).c_str(), 0);
    ::unlinkat(folderFd_.get(), nameIn(lockPath_).c_str(), 0);
}

bool RecoveryFolder::takeLock()
{
    if (lock_.get() >= 0)
        return true;
    if (folder_.empty() || !makePrivateFolder(folder_))
        return false;
    FileDescriptor folder = openOwnFolder(folder_);
    if (folder.get() < 0)
        return false;
    // A name met by chance (another run of the same process number that
    // drew the same random number) costs this one write; the next takes
    // another name. So does a lock file that a starting editor took for a
    // dead one's and removed before this one locked it.
    const std::string stem = editorId();
    FileDescriptor lock(::openat(folder.get(), (stem + kLockSuffix).c_str(),
                                 O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (lock.get() < 0)
        return false;
    if (!lockWithoutWaiting(lock.get()) || !isFileAt(lock.get(), folder.get(), stem + kLockSuffix)) {
        ::unlinkat(folder.get(), (stem + kLockSuffix).c_str(), 0);
        return false;
    }
    folderFd_ = std::move(folder);
    lock_ = std::move(lock);
    lockPath_ = folder_ + '/' + stem + kLockSuffix;
    copyPath_ = folder_ + '/' + stem + kCopySuffix;
    return true;
}

bool RecoveryFolder::writeCopy(std::span<const std::uint8_t> bytes)
{
    if (!takeLock())
        return false;
    try {
        WriteOptions options;
        options.noFollow = true;
        options.ownerOnly = true;
        writeFileWhole(copyPath_, bytes, options);
        return true;
    } catch (const FileError&) {
        return false;
    }
}

void RecoveryFolder::syncCopy() const
{
    if (copyPath_.empty())
        return;
    // Whatever took the copy's name is not followed nor waited on.
    const FileDescriptor copy = openInFolder(folderFd_.get(), nameIn(copyPath_), O_RDONLY);
    struct stat status {};
    if (copy.get() >= 0 && ::fstat(copy.get(), &status) == 0 && S_ISREG(status.st_mode))
        ::fsync(copy.get());
    ::fsync(folderFd_.get());
}

void RecoveryFolder::removeCopy()
{
    if (!copyPath_.empty())
        ::unlinkat(folderFd_.get(), nameIn(copyPath_).c_str(), 0);
}

std::vector<LeftCopy> RecoveryFolder::leftCopies() const
{
    std::vector<LeftCopy> left;
    if (folder_.empty())
        return left;
    const FileDescriptor folder = openOwnFolder(folder_);
    if (folder.get() < 0)
        return left;
    std::set<std::string> copies;
    std::set<std::string> locks;
    {
        DIR* listing = ::fdopendir(::dup(folder.get()));
        if (!listing)
            return left;
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            for (auto [suffix, stems] : {std::pair{&kCopySuffix, &copies}, std::pair{&kLockSuffix, &locks}}) {
                if (name.size() > suffix->size() && name.ends_with(*suffix))
                    stems->insert(name.substr(0, name.size() - suffix->size()));
            }
        }
        ::closedir(listing);
    }
    const std::string own = copyPath_.empty() ? std::string() : nameIn(copyPath_);
    for (const std::string& stem : copies) {
        if (stem + kCopySuffix == own)
            continue;
        if (std::optional<LeftCopy> copy = takeLeftCopy(folder.get(), stem))
            left.push_back(std::move(*copy));
    }
    // A lock whose editor died before it wrote a copy guards nothing.
    for (const std::string& stem : locks) {
        const std::string name = stem + kLockSuffix;
        if (copies.contains(stem) || folder_ + '/' + name == lockPath_)
            continue;
        const FileDescriptor lock = openInFolder(folder.get(), name, O_RDONLY);
        struct stat copy {};
        if (lock.get() >= 0 && lockWithoutWaiting(lock.get()) && isFileAt(lock.get(), folder.get(), name)
            && ::fstatat(folder.get(), (stem + kCopySuffix).c_str(), &copy, AT_SYMLINK_NOFOLLOW) != 0)
            ::unlinkat(folder.get(), name.c_str(), 0);
    }
    std::stable_sort(left.begin(), left.end(),
                     [](const LeftCopy& a, const LeftCopy& b) { return a.copy.writtenAt > b.copy.writtenAt; });
    return left;
}

std::optional<LeftCopy> RecoveryFolder::takeLeftCopy(int folderFd, const std::string& stem) const
{
    LeftCopy left{{}, folder_ + '/' + stem + kCopySuffix, folder_ + '/' + stem + kLockSuffix};
    // Links, folders, pipes and devices are not opened at all, nor is a
    // file too large to be a copy, nor another user's.
    struct stat status {};
    if (::fstatat(folderFd, (stem + kCopySuffix).c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0
        || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()
        || std::uint64_t(status.st_size) > kMaxRecoveryCopySize)
        return std::nullopt;
    left.lock = openInFolder(folderFd, stem + kLockSuffix, O_RDONLY | O_CREAT);
    if (left.lock.get() < 0 || !lockWithoutWaiting(left.lock.get())
        || !isFileAt(left.lock.get(), folderFd, stem + kLockSuffix))
        return std::nullopt;
    const std::optional<std::vector<std::uint8_t>> bytes = readOwnFile(folderFd, stem + kCopySuffix, kMaxRecoveryCopySize);
    std::optional<RecoveryCopy> copy = bytes ? readRecoveryCopy(*bytes) : std::nullopt;
    if (!copy)
        return std::nullopt;
    left.copy = std::move(*copy);
    return left;
}

void RecoveryFolder::discard(LeftCopy left)
{
    ::unlink(left.copyPath.c_str());
    ::unlink(left.lockPath.c_str());
}

} // namespace pimoko
