#include "files/file_writer.h"

#include "files/codec/file_error.h"
#include "files/model/file_descriptor.h"
#include "files/model/picture_reading.h"
#include "files/codec/system_reason.h"

#include <cerrno>
#include <chrono>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pimoko {

namespace {

// A failure on the way, with the reason the user is shown; the path is
// put in front of it where the whole write is given up.
struct Failure {
    std::string reason;
};

[[noreturn]] void fail(int error) { throw Failure{systemReasonText(error)}; }

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file the path finally names, its symbolic links followed one by one:
// a link whose file is missing names the file to create.
std::string finalTarget(std::string path)
{
    // As many links in a row as the system itself follows.
    for (int links = 0; links <= 40; ++links) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) {
            if (errno == ENOENT)
                return path;
            fail(errno);
        }
        if (!S_ISLNK(status.st_mode))
            return path;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length < 0)
            fail(errno);
        if (std::size_t(length) == sizeof target)
            fail(ENAMETOOLONG);
        const std::string next(target, std::size_t(length));
        path = next.starts_with('/') ? next : folderOf(path) + '/' + next;
    }
    fail(ELOOP);
}

// A new file of a name no one else uses, in `folder`, with the mode a plain
// create gives (the umask and the folder's default ACL apply).
int createTemporary(const std::string& folder, std::string& name)
{
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    static std::uint64_t count = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t mixed = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count())
                              ^ (std::uint64_t(::getpid()) << 40) ^ (++count * 0x9E3779B97F4A7C15u);
        name = folder + "/.pimoko-";
        for (int i = 0; i < 6; ++i, mixed /= 62)
            name += kDigits[mixed % 62];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST)
            fail(errno);
    }
    fail(EEXIST);
}

void writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail(written < 0 ? errno : ENOSPC);
        bytes = bytes.subspan(std::size_t(written));
    }
}

void replaceWhole(const std::string& target, std::span<const std::uint8_t> bytes)
{
    struct stat earlier {};
    const bool replacing = ::stat(target.c_str(), &earlier) == 0;
    if (!replacing && errno != ENOENT)
        fail(errno);
    if (replacing) {
        if (S_ISDIR(earlier.st_mode))
            fail(EISDIR);
        // A rename would put a plain file in place of a device or a pipe.
        if (!S_ISREG(earlier.st_mode))
            throw Failure{fileProblemText(FileProblem::NotRegularFile)};
        if (::access(target.c_str(), W_OK) != 0)
            fail(errno);
    }
    std::string temporary;
    FileDescriptor fd(createTemporary(folderOf(target), temporary));
    try {
        if (replacing) {
            // The owner can be given away by root alone; the group by anyone
            // in it. Where neither is allowed the file is the writer's own.
            if (::fchown(fd.get(), earlier.st_uid, earlier.st_gid) != 0)
                (void)!::fchown(fd.get(), uid_t(-1), earlier.st_gid);
            if (::fchmod(fd.get(), earlier.st_mode & 07777) != 0)
                fail(errno);
        }
        writeAll(fd.get(), bytes);
        // A replaced file must not become an empty one after a crash: its
        // bytes reach the disk before the rename makes them the file.
        if (replacing && ::fsync(fd.get()) != 0)
            fail(errno);
        // Some file systems tell of a full disk only here.
        if (::close(fd.release()) != 0)
            fail(errno);
        if (::rename(temporary.c_str(), target.c_str()) != 0)
            fail(errno);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    if (replacing) {
        // The rename itself on the disk. The new file is in place by now,
        // so a folder that cannot be synced is not told as a failure.
        const FileDescriptor folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() >= 0)
            ::fsync(folder.get());
    }
}

void createWhole(const std::string& target, std::span<const std::uint8_t> bytes)
{
    std::string temporary;
    FileDescriptor fd(createTemporary(folderOf(target), temporary));
    try {
        writeAll(fd.get(), bytes);
        if (::close(fd.release()) != 0)
            fail(errno);
        // A link is made only where no name is: the no-replace rename.
        if (::link(temporary.c_str(), target.c_str()) != 0)
            fail(errno);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    ::unlink(temporary.c_str());
}

} // namespace

void writeNewFileWhole(const std::string& path, std::span<const std::uint8_t> bytes)
{
    try {
        createWhole(path, bytes);
    } catch (const Failure& failure) {
        throw FileError(cannotCreateText(path, failure.reason));
    }
}

void writeFileWhole(const std::string& path, std::span<const std::uint8_t> bytes)
{
    try {
        replaceWhole(finalTarget(path), bytes);
    } catch (const Failure& failure) {
        throw FileError(cannotCreateText(path, failure.reason));
    }
}

} // namespace pimoko
