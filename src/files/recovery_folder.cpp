#include "files/recovery_folder.h"

#include "files/codec/file_error.h"
#include "files/file_writer.h"
#include "files/model/picture_reading.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pimoko {

namespace {

const std::string kCopySuffix = ".bmp";
const std::string kLockSuffix = ".lock";

// Makes the folder and any missing folder above it, each private to the
// user. True when the folder is there.
bool makeFolder(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return S_ISDIR(status.st_mode);
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !makeFolder(path.substr(0, slash)))
        return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// Whether the open file is the regular file the path names now: a lock file
// that another editor removed after it was opened locks nothing.
bool isFileAt(int fd, const std::string& path)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && S_ISREG(open.st_mode)
        && open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool lockWithoutWaiting(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

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
    ::unlink(copyPath_.c_str());
    ::unlink(lockPath_.c_str());
}

bool RecoveryFolder::takeLock()
{
    if (lock_.get() >= 0)
        return true;
    if (folder_.empty() || !makeFolder(folder_))
        return false;
    // A name met by chance (another run of the same process number that
    // drew the same random number) costs this one write; the next takes
    // another name.
    const std::string stem = folder_ + '/' + editorId();
    FileDescriptor lock(::open((stem + kLockSuffix).c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (lock.get() < 0)
        return false;
    if (!lockWithoutWaiting(lock.get())) {
        ::unlink((stem + kLockSuffix).c_str());
        return false;
    }
    lock_ = std::move(lock);
    lockPath_ = stem + kLockSuffix;
    copyPath_ = stem + kCopySuffix;
    return true;
}

bool RecoveryFolder::writeCopy(std::span<const std::uint8_t> bytes)
{
    if (!takeLock())
        return false;
    try {
        writeFileWhole(copyPath_, bytes);
        return true;
    } catch (const FileError&) {
        return false;
    }
}

void RecoveryFolder::syncCopy() const
{
    if (copyPath_.empty())
        return;
    for (const std::string& path : {copyPath_, folder_}) {
        const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (fd.get() >= 0)
            ::fsync(fd.get());
    }
}

void RecoveryFolder::removeCopy()
{
    if (!copyPath_.empty())
        ::unlink(copyPath_.c_str());
}

std::vector<LeftCopy> RecoveryFolder::leftCopies() const
{
    std::vector<LeftCopy> left;
    if (folder_.empty())
        return left;
    std::vector<std::string> stems;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder_, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() <= kCopySuffix.size() || !name.ends_with(kCopySuffix))
            continue;
        const std::string stem = folder_ + '/' + name.substr(0, name.size() - kCopySuffix.size());
        if (stem + kCopySuffix != copyPath_)
            stems.push_back(stem);
    }
    for (const std::string& stem : stems) {
        if (std::optional<LeftCopy> copy = takeLeftCopy(stem))
            left.push_back(std::move(*copy));
    }
    std::stable_sort(left.begin(), left.end(),
                     [](const LeftCopy& a, const LeftCopy& b) { return a.copy.writtenAt > b.copy.writtenAt; });
    return left;
}

std::optional<LeftCopy> RecoveryFolder::takeLeftCopy(const std::string& stem) const
{
    LeftCopy left{{}, stem + kCopySuffix, stem + kLockSuffix};
    // Links, folders, pipes and devices are not opened at all, nor is a
    // file too large to be a copy.
    struct stat status {};
    if (::lstat(left.copyPath.c_str(), &status) != 0 || !S_ISREG(status.st_mode)
        || std::uint64_t(status.st_size) > kMaxRecoveryCopySize)
        return std::nullopt;
    left.lock = FileDescriptor(
        ::open(left.lockPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    if (left.lock.get() < 0 || !lockWithoutWaiting(left.lock.get()) || !isFileAt(left.lock.get(), left.lockPath))
        return std::nullopt;
    try {
        std::optional<RecoveryCopy> copy = readRecoveryCopy(readWholeFile(left.copyPath, WholeFile::RecoveryCopy));
        if (!copy)
            return std::nullopt;
        left.copy = std::move(*copy);
    } catch (const FileError&) {
        return std::nullopt;
    }
    return left;
}

void RecoveryFolder::discard(LeftCopy left)
{
    ::unlink(left.copyPath.c_str());
    ::unlink(left.lockPath.c_str());
}

} // namespace pimoko
