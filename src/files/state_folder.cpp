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
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return S_ISDIR(status.st_mode);
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !makePrivateFolder(path.substr(0, slash)))
        return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

FileDescriptor openOwnFolder(const std::string& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || status.st_uid != ::geteuid()
        || (status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return FileDescriptor(-1);
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
