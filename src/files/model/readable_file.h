#pragma once

#include "files/codec/byte_source.h"
#include "files/model/file_descriptor.h"

#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace pimoko {

// A regular file open for reading, read whole or a part at a time. Opening
// never waits: anything but a regular file (a folder, pipe, device or
// socket) is refused before it is opened, and opened without blocking in
// case it changed in between. Every failure throws FileError with
// cannotOpenText and the reason in the user's words.
class ReadableFile final : public ByteSource {
public:
    explicit ReadableFile(const std::string& path);

    // The size the file had when it was opened.
    std::uint64_t size() const override { return size_; }
    // The bytes at offset; a file that has since shrunk below them is
    // refused as changed while it was read. Small parts are served from a
    // block read ahead, so that the many small headers and directories of a
    // program cost a few system calls.
    void readAt(std::uint64_t offset, std::span<std::uint8_t> into) const override;
    // The whole file, refused as too large above maxSize before anything is
    // read or allocated.
    std::vector<std::uint8_t> readAll(std::uint64_t maxSize = std::numeric_limits<std::uint64_t>::max()) const;

    // Throws FileError(cannotOpenText(path, reason)).
    [[noreturn]] void fail(const std::string& reason) const;

private:
    static constexpr std::uint64_t kReadAhead = 16 << 10;

    void readFully(std::uint64_t offset, std::span<std::uint8_t> into) const;

    std::string path_;
    FileDescriptor fd_{-1};
    std::uint64_t size_ = 0;
    mutable std::vector<std::uint8_t> block_;  // the file's bytes from blockStart_ on
    mutable std::uint64_t blockStart_ = 0;
};

// Throws FileError(cannotOpenText(path, ...)) for a file whose contents
// could not be held in memory.
[[noreturn]] void refuseForMemory(const std::string& path);

// Runs read(), turning a failed allocation into FileError with the open
// error text: every caller that reads a file meets FileError only.
template <typename Read>
auto readingWithinMemory(const std::string& path, Read read) -> decltype(read())
{
    try {
        return read();
    } catch (const std::bad_alloc&) {
        refuseForMemory(path);
    } catch (const std::length_error&) {
        refuseForMemory(path);
    }
}

} // namespace pimoko
