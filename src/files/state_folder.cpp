#include "files/state_folder.h"

#include "files/codec/file_error.h"
#include "files/file_writer.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pimoko {

namespace {

// A state file is a line or two.
constexpr std::uint64_t kMaxStateFileSize = 16 << 10;

} // namespace

bool makePrivateFolder(const std::string& path)
{
    // Walked down from the start through the opened folders; a missing one
    // is made only inside a folder of the effective user's own, so that a
    // run as another user (root with the user's HOME) never takes over the
    // folders above the state folder. O_PATH: a folder that may be passed
    // through but not listed (a home folder's parent of mode 0711) does.
    FileDescriptor folder(::open(path.starts_with('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    std::size_t start = 0;
    while (folder.get() >= 0 && start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".")
            continue;
        FileDescriptor next(::openat(folder.get(), name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (next.get() < 0 && errno == ENOENT) {
            struct stat status {};
            if (::fstat(folder.get(), &status) != 0)
                return false;
            if (status.st_uid != ::geteuid()) {
                errno = EPERM;
                return false;
            }
            if (::mkdirat(folder.get(), name.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
            next = FileDescriptor(::openat(folder.get(), name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        }
        folder = std::move(next);
    }
    return folder.get() >= 0;
}

FileDescriptor openOwnFolder(const std::string& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0)
        return FileDescriptor(-1);
    if (status.st_uid != ::geteuid() || (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        errno = EPERM;
        return FileDescriptor(-1);
    }
    return fd;
}

FileDescriptor openInFolder(int folderFd, const std::string& name, int flags)
{
    return FileDescriptor(::openat(folderFd, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
}

std::optional<std::vector<std::uint8_t>> readOwnFile(int folderFd, const std::string& name, std::uint64_t maxSize)
{
    const FileDescriptor fd = openInFolder(folderFd, name, O_RDONLY);
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)
        || status.st_uid != ::geteuid() || std::uint64_t(status.st_size) > maxSize)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(std::size_t(status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        done += std::size_t(got);
    }
    return bytes;
}

std::optional<std::string> readStateFile(const std::string& folder, const std::string& name)
{
    const FileDescriptor fd = openOwnFolder(folder);
    if (fd.get() < 0)
        return std::nullopt;
    const std::optional<std::vector<std::uint8_t>> bytes = readOwnFile(fd.get(), name, kMaxStateFileSize);
    if (!bytes)
        return std::nullopt;
    return std::string(bytes->begin(), bytes->end());
}

void writeStateFile(const std::string& folder, const std::string& name, std::string_view text)
{
    if (folder.empty() || !makePrivateFolder(folder) || openOwnFolder(folder).get() < 0)
        return;
    WriteOptions options;
    options.noFollow = true;
    options.ownerOnly = true;
    try {
        writeFileWhole(folder + '/' + name,
                       std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), options);
    } catch (const FileError&) {
        // The state is only a help: without it the program does as if it had none.
    }
}

void removeStateFile(const std::string& folder, const std::string& name)
{
    const FileDescriptor fd = openOwnFolder(folder);
    if (fd.get() >= 0)
        ::unlinkat(fd.get(), name.c_str(), 0);
}

} // namespace pimoko
