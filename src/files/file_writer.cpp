#include "files/file_writer.h"

#include "files/codec/file_error.h"
#include "files/model/file_descriptor.h"
#include "files/codec/system_reason.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pimoko {

namespace {

// A failure on the way: the system's error number, or else the program's
// own reason; the path joins it where the whole write is given up.
struct Failure {
    int error = 0;
    std::string reason;
};

[[noreturn]] void fail(int error) { throw Failure{error, {}}; }

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write goes to.
struct Target {
    std::string path;                   // the name the system found, no link in it
    std::optional<struct stat> earlier; // the file that is replaced
    bool madeHere = false;              // made empty through a link to a missing file
};

// The mode of a plain create: the umask and the folder's default ACL apply.
constexpr mode_t kNewFileMode = 0666;

// The path of what `fd` was opened on, as the system resolved it.
std::string pathOpened(int fd, const std::string& given)
{
    // The system makes the name in one page, which PATH_MAX bytes hold.
    char name[PATH_MAX];
    const ssize_t length = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), name, sizeof name);
    if (length > 0)
        return std::string(name, std::size_t(length));
    // Without /proc, the C library's walk of the name just opened.
    if (::realpath(given.c_str(), name) == nullptr)
        fail(errno);
    return name;
}

// The path's links are followed by opening it, so that the system applies
// its own rules to them (fs.protected_symlinks among them) for the window
// and the command line alike.
Target targetOf(const std::string& path, bool noFollow)
{
    FileDescriptor fd(::open(path.c_str(), O_PATH | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0)));
    int error = errno;
    bool made = false;
    struct stat status {};
    if (fd.get() < 0 && error == ENOENT && ::lstat(path.c_str(), &status) == 0) {
        // The name is there, what it names is not: a link to a missing file.
        // The system creates the file where the link leads, and the write
        // then takes the place of that empty file.
        fd = FileDescriptor(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, kNewFileMode));
        error = errno;
        made = true;
    }
    if (fd.get() < 0) {
        if (error == ENOENT && !made)
            return {path, std::nullopt};
        fail(error);
    }
    if (::fstat(fd.get(), &status) != 0)
        fail(errno);
    // O_PATH opens a link itself rather than refusing it.
    if (S_ISLNK(status.st_mode))
        fail(ELOOP);
    Target target{pathOpened(fd.get(), path), status};
    // The name found must still be the file opened: a file removed in the
    // meantime resolves to "NAME (deleted)", which may name another file.
    // Anything but a file (a pipe resolves to "pipe:[N]") is refused later.
    struct stat named {};
    if (S_ISREG(status.st_mode) && target.path.starts_with('/')) {
        if (::stat(target.path.c_str(), &named) != 0)
            fail(errno);
        if (named.st_dev != status.st_dev || named.st_ino != status.st_ino)
            fail(ENOENT);
    }
    // Someone else's file, made between the two opens, is replaced as any other.
    if (made && S_ISREG(status.st_mode) && status.st_size == 0) {
        target.earlier.reset();
        target.madeHere = true;
    }
    return target;
}

// A new file of a name no one else uses, in `folder`, made as a plain
// create makes it with that mode.
int createTemporary(const std::string& folder, mode_t mode, std::string& name)
{
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    static std::uint64_t count = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t mixed = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count())
                              ^ (std::uint64_t(::getpid()) << 40) ^ (++count * 0x9E3779B97F4A7C15u);
        name = folder + "/.pimoko-";
        for (int i = 0; i < 6; ++i, mixed /= 62)
            name += kDigits[mixed % 62];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
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

// The temporary takes the name unless the name is taken, in one step. A
// file system that cannot rename so (EINVAL) gets a hard link of that name,
// which is as much one step, and the temporary's name goes.
void placeWithoutReplacing(const std::string& temporary, const std::string& target)
{
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return;
    if (errno != EINVAL && errno != ENOSYS)
        fail(errno);
    if (::link(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        // A call retried over the network may report the name taken by
        // its own first try: then the target is the temporary itself.
        struct stat made {};
        struct stat named {};
        if (error != EEXIST || ::lstat(temporary.c_str(), &made) != 0 || made.st_nlink != 2
            || ::lstat(target.c_str(), &named) != 0 || named.st_dev != made.st_dev || named.st_ino != made.st_ino)
            fail(error);
    }
    ::unlink(temporary.c_str());
}

void writeTarget(const Target& target, std::span<const std::uint8_t> bytes, WriteOptions options)
{
    const std::optional<struct stat>& earlier = target.earlier;
    if (earlier) {
        if (S_ISDIR(earlier->st_mode))
            fail(EISDIR);
        // A rename would put a plain file in place of a device or a pipe.
        if (!S_ISREG(earlier->st_mode))
            throw Failure{0, fileProblemText(FileProblem::NotRegularFile)};
        if (::access(target.path.c_str(), W_OK) != 0)
            fail(errno);
    }
    // A replacement holds what the earlier file held: no one else may open
    // it before it has the earlier file's mode.
    std::string temporary;
    FileDescriptor fd(
        createTemporary(folderOf(target.path), earlier || options.ownerOnly ? 0600 : kNewFileMode, temporary));
    const bool synced = earlier || options.syncNewFile;
    try {
        if (earlier && !options.ownerOnly) {
            // The owner can be given away by root alone; the group by anyone
            // in it. Where neither is allowed the file is the writer's own.
            if (::fchown(fd.get(), earlier->st_uid, earlier->st_gid) != 0)
                (void)!::fchown(fd.get(), uid_t(-1), earlier->st_gid);
            if (::fchmod(fd.get(), earlier->st_mode & 07777) != 0)
                fail(errno);
        }
        writeAll(fd.get(), bytes);
        // A synced file must not become an empty one after a crash: its
        // bytes reach the disk before the rename makes them the file.
        if (synced && ::fsync(fd.get()) != 0)
            fail(errno);
        // Some file systems tell of a full disk only here.
        if (::close(fd.release()) != 0)
            fail(errno);
        if (options.neverReplace)
            placeWithoutReplacing(temporary, target.path);
        else if (::rename(temporary.c_str(), target.path.c_str()) != 0)
            fail(errno);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    if (synced) {
        // The rename itself on the disk. The new file is in place by now,
        // so a folder that cannot be synced is not told as a failure.
        const FileDescriptor folder(::open(folderOf(target.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.get() >= 0)
            ::fsync(folder.get());
    }
}

} // namespace

void writeFileWhole(const std::string& path, std::span<const std::uint8_t> bytes, WriteOptions options)
{
    try {
        // A name that must not be replaced is not followed anywhere either.
        const Target target = options.neverReplace ? Target{path, std::nullopt} : targetOf(path, options.noFollow);
        try {
            writeTarget(target, bytes, options);
        } catch (...) {
            if (target.madeHere)
                ::unlink(target.path.c_str());
            throw;
        }
    } catch (const Failure& failure) {
        if (failure.error != 0)
            throw FileError(FileAction::Creating, path, failure.error);
        throw FileError(FileAction::Creating, path, failure.reason);
    }
}

} // namespace pimoko
