#include "files/recovery_folder.h"

#include "files/codec/file_error.h"
#include "files/codec/system_reason.h"
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
// The names of the writer's temporary files.
const std::string kTemporaryPrefix = ".pimoko-";
constexpr std::time_t kTemporaryAgeSeconds = 60;

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

// Why the folder cannot be used, in the user's words.
std::string folderReason(int error)
{
    return error == EPERM ? "ユーザー自身のフォルダではありません" : systemReasonText(error);
}

bool failWith(std::string* reason, std::string text)
{
    if (reason)
        *reason = std::move(text);
    return false;
}

} // namespace

RecoveryFolder::~RecoveryFolder()
{
    if (lock_.get() < 0)
        return;
    ::unlinkat(folderFd_.get(), nameIn(copyPath_).c_str(), 0);
    ::unlinkat(folderFd_.get(), nameIn(lockPath_).c_str(), 0);
}

std::string RecoveryFolder::copyPath() const
{
    const std::lock_guard guard(mutex_);
    return copyPath_;
}

bool RecoveryFolder::takeLock(std::string* reason)
{
    const std::lock_guard guard(mutex_);
    return takeLockHeld(reason);
}

bool RecoveryFolder::takeLockHeld(std::string* reason)
{
    if (lock_.get() >= 0)
        return true;
    if (folder_.empty())
        return failWith(reason, "HOME が絶対パスで設定されていません");
    if (!makePrivateFolder(folder_))
        return failWith(reason, folderReason(errno));
    FileDescriptor folder = openOwnFolder(folder_);
    if (folder.get() < 0)
        return failWith(reason, folderReason(errno));
    // A name met by chance (another run of the same process number that
    // drew the same random number) costs this one write; the next takes
    // another name. So does a lock file that a starting editor took for a
    // dead one's and removed before this one locked it.
    const std::string stem = editorId();
    FileDescriptor lock(::openat(folder.get(), (stem + kLockSuffix).c_str(),
                                 O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (lock.get() < 0)
        return failWith(reason, systemReasonText(errno));
    if (!lockWithoutWaiting(lock.get()) || !isFileAt(lock.get(), folder.get(), stem + kLockSuffix)) {
        const int error = errno;
        ::unlinkat(folder.get(), (stem + kLockSuffix).c_str(), 0);
        return failWith(reason, systemReasonText(error));
    }
    folderFd_ = std::move(folder);
    lock_ = std::move(lock);
    lockPath_ = folder_ + '/' + stem + kLockSuffix;
    copyPath_ = folder_ + '/' + stem + kCopySuffix;
    return true;
}

// Why the folder held cannot be written through its name now: the name
// leads elsewhere, or the folder is not the user's own; 0 when it can.
int RecoveryFolder::heldFolderProblem() const
{
    const FileDescriptor named = openOwnFolder(folder_);
    if (named.get() < 0)
        return errno;
    struct stat now {};
    struct stat held {};
    return ::fstat(named.get(), &now) == 0 && ::fstat(folderFd_.get(), &held) == 0 && now.st_dev == held.st_dev
            && now.st_ino == held.st_ino
        ? 0
        : EPERM;
}

// Whether the folder held is gone from its name: the name leads nowhere, or
// to something else. Not when the folder is there but cannot be used now
// (opened to its group, no descriptor left).
bool RecoveryFolder::heldFolderIsReplaced() const
{
    struct stat named {};
    struct stat held {};
    if (::fstatat(AT_FDCWD, folder_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT || errno == ENOTDIR;
    return ::fstat(folderFd_.get(), &held) == 0 && (named.st_dev != held.st_dev || named.st_ino != held.st_ino);
}

bool RecoveryFolder::writeCopy(std::span<const std::uint8_t> bytes, std::string* reason)
{
    std::string copyPath;
    // A folder removed, or moved away and something else put at its name,
    // took this editor's lock with it: the lock is taken again where the
    // name leads now (the folder made again when it is gone, refused when
    // it is not the user's own). The copy in the folder left goes only once
    // the new one is written.
    struct {
        FileDescriptor folder{-1};
        FileDescriptor lock{-1};
        std::string copyName;
        std::string lockName;
    } left;
    {
        const std::lock_guard guard(mutex_);
        if (!takeLockHeld(reason))
            return false;
        if (heldFolderIsReplaced()) {
            left = {std::move(folderFd_), std::move(lock_), nameIn(copyPath_), nameIn(lockPath_)};
            if (!takeLockHeld(reason)) {
                folderFd_ = std::move(left.folder);
                lock_ = std::move(left.lock);
                return false;
            }
        } else if (const int problem = heldFolderProblem()) {
            return failWith(reason, folderReason(problem));
        }
        copyPath = copyPath_;
    }
    try {
        WriteOptions options;
        options.noFollow = true;
        options.ownerOnly = true;
        writeFileWhole(copyPath, bytes, options);
    } catch (const FileError& error) {
        if (left.folder.get() >= 0) {
            // The copy left is still the one to keep: its lock is held again,
            // and the next write tries the new folder anew.
            const std::lock_guard guard(mutex_);
            ::unlinkat(folderFd_.get(), nameIn(lockPath_).c_str(), 0);
            folderFd_ = std::move(left.folder);
            lock_ = std::move(left.lock);
            copyPath_ = folder_ + '/' + left.copyName;
            lockPath_ = folder_ + '/' + left.lockName;
        }
        return failWith(reason, error.what());
    }
    if (left.folder.get() >= 0) {
        ::unlinkat(left.folder.get(), left.copyName.c_str(), 0);
        ::unlinkat(left.folder.get(), left.lockName.c_str(), 0);
    }
    return true;
}

void RecoveryFolder::syncCopy() const
{
    FileDescriptor folder{-1};
    FileDescriptor copy{-1};
    {
        const std::lock_guard guard(mutex_);
        if (copyPath_.empty())
            return;
        folder = FileDescriptor(::fcntl(folderFd_.get(), F_DUPFD_CLOEXEC, 0));
        // Whatever took the copy's name is not followed nor waited on.
        copy = openInFolder(folderFd_.get(), nameIn(copyPath_), O_RDONLY);
    }
    struct stat status {};
    if (copy.get() >= 0 && ::fstat(copy.get(), &status) == 0 && S_ISREG(status.st_mode))
        ::fsync(copy.get());
    ::fsync(folder.get());
}

void RecoveryFolder::removeCopy()
{
    const std::lock_guard guard(mutex_);
    if (!copyPath_.empty())
        ::unlinkat(folderFd_.get(), nameIn(copyPath_).c_str(), 0);
}

std::vector<LeftCopy> RecoveryFolder::leftCopies(std::time_t now) const
{
    std::vector<LeftCopy> left;
    if (folder_.empty())
        return left;
    const FileDescriptor folder = openOwnFolder(folder_);
    if (folder.get() < 0)
        return left;
    std::set<std::string> copies;
    std::set<std::string> locks;
    std::set<std::string> temporaries;
    {
        DIR* listing = ::fdopendir(::dup(folder.get()));
        if (!listing)
            return left;
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name.starts_with(kTemporaryPrefix))
                temporaries.insert(name);
            for (auto [suffix, stems] : {std::pair{&kCopySuffix, &copies}, std::pair{&kLockSuffix, &locks}}) {
                if (name.size() > suffix->size() && name.ends_with(*suffix))
                    stems->insert(name.substr(0, name.size() - suffix->size()));
            }
        }
        ::closedir(listing);
    }
    const std::string ownCopy = copyPath();
    const std::string own = ownCopy.empty() ? std::string() : nameIn(ownCopy);
    const std::string ownLock = [this] {
        const std::lock_guard guard(mutex_);
        return lockPath_;
    }();
    for (const std::string& stem : copies) {
        if (stem + kCopySuffix == own)
            continue;
        if (std::optional<LeftCopy> copy = takeLeftCopy(folder.get(), stem))
            left.push_back(std::move(*copy));
    }
    // A lock whose editor died before it wrote a copy guards nothing.
    for (const std::string& stem : locks) {
        const std::string name = stem + kLockSuffix;
        if (copies.contains(stem) || folder_ + '/' + name == ownLock)
            continue;
        const FileDescriptor lock = openInFolder(folder.get(), name, O_RDONLY);
        struct stat copy {};
        if (lock.get() >= 0 && lockWithoutWaiting(lock.get()) && isFileAt(lock.get(), folder.get(), name)
            && ::fstatat(folder.get(), (stem + kCopySuffix).c_str(), &copy, AT_SYMLINK_NOFOLLOW) != 0)
            ::unlinkat(folder.get(), name.c_str(), 0);
    }
    // The writer's temporary files of an editor killed while it replaced
    // its copy; a minute is far longer than any write takes.
    for (const std::string& name : temporaries) {
        struct stat status {};
        if (::fstatat(folder.get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode)
            && status.st_uid == ::geteuid() && status.st_ctim.tv_sec + kTemporaryAgeSeconds < now)
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
