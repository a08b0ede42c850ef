#include "files/model/readable_file.h"

#include "files/codec/file_error.h"
#include "files/codec/system_reason.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pimoko {

ReadableFile::ReadableFile(const std::string& path) : path_(path)
{
    // Judged before opening, so that opening a pipe, device or socket can
    // neither wait nor act on it; a missing file is left to the open below,
    // which gives the system's reason.
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        fail(fileProblemText(FileProblem::NotRegularFile));
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0)
        fail(errno);
    if (!S_ISREG(status.st_mode))
        fail(fileProblemText(FileProblem::NotRegularFile));
    fd_ = std::move(fd);
    size_ = std::uint64_t(status.st_size);
    const auto nanoseconds = [](const timespec& t) { return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
    stamp_ = {std::uint64_t(status.st_dev), std::uint64_t(status.st_ino), size_, nanoseconds(status.st_mtim),
              nanoseconds(status.st_ctim)};
}

void ReadableFile::readAt(std::uint64_t offset, std::span<std::uint8_t> into) const
{
    const bool inBlock = offset >= blockStart_ && offset - blockStart_ <= block_.size()
        && into.size() <= block_.size() - (offset - blockStart_);
    if (!inBlock && into.size() <= kReadAhead && offset <= size_ && into.size() <= size_ - offset) {
        block_.resize(std::size_t(std::min(kReadAhead, size_ - offset)));
        blockStart_ = offset;
        readFully(offset, block_);
    } else if (!inBlock) {
        readFully(offset, into);
        return;
    }
    if (!into.empty())
        std::memcpy(into.data(), block_.data() + (offset - blockStart_), into.size());
}

void ReadableFile::readFully(std::uint64_t offset, std::span<std::uint8_t> into) const
{
    std::size_t done = 0;
    while (done < into.size()) {
        const ssize_t got = ::pread(fd_.get(), into.data() + done, into.size() - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail(errno);
        if (got == 0)
            fail(fileProblemText(FileProblem::ChangedWhileRead));
        done += std::size_t(got);
    }
}

std::vector<std::uint8_t> ReadableFile::readAll(std::uint64_t maxSize) const
{
    if (size_ > maxSize)
        fail(fileProblemText(FileProblem::TooLarge));
    return readingWithinMemory(path_, [this] {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size_));
        readFully(0, bytes);
        return bytes;
    });
}

void ReadableFile::fail(const std::string& reason) const
{
    throw FileError(FileAction::Opening, path_, reason);
}

void ReadableFile::fail(int errorNumber) const
{
    throw FileError(FileAction::Opening, path_, errorNumber);
}

void refuseForMemory(const std::string& path)
{
    throw FileError(FileAction::Opening, path, fileProblemText(FileProblem::OutOfMemory));
}

std::vector<std::uint8_t> readWholeFile(const std::string& path, WholeFile kind)
{
    return readingWithinMemory(path, [&] { return ReadableFile(path).readAll(kind); });
}

} // namespace pimoko
