#pragma once

#include "files/codec/byte_source.h"
#include "files/codec/icon_file.h"
#include "files/model/file_descriptor.h"

#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace pimoko {

// What a file is read whole as; each kind has its cap below.
enum class WholeFile { Bitmap, IconLayout, Png, RecoveryCopy };

// The most bytes read of a file of each kind: the one table every reader
// of whole files takes its cap from. A larger file is refused as too large
// before anything of it is read or allocated.
constexpr std::uint64_t readingCap(WholeFile kind)
{
    switch (kind) {
    case WholeFile::Bitmap:
        // A 64 x 64 picture takes 16 KiB at 32 bits, and the largest headers,
        // masks and 256-colour table add about 1 KiB; 1 MiB leaves room for
        // colour tables that state more entries, gaps before the pixels and
        // an embedded colour profile, and is still read in a moment.
        return std::uint64_t(1) << 20;
    case WholeFile::IconLayout:
        // An icon or cursor file: see kMaxIconFileSize.
        return kMaxIconFileSize;
    case WholeFile::Png:
        // A PNG file --pack reads: a 256 x 256 picture at 16 bits a channel
        // takes 512 KiB before compression, and a colour profile or text
        // chunks rarely add more than a few hundred KiB; the cap of an icon
        // file leaves room for both and is still read in a moment.
        return kMaxIconFileSize;
    case WholeFile::RecoveryCopy:
        // The picture as the bitmap save writes it, which keeps a colour
        // profile read with the bitmap: up to a bitmap's cap, then a file
        // name of at most 4 KiB and the 32-byte trailer (recovery_copy.h).
        // Anything larger is not a copy.
        return readingCap(WholeFile::Bitmap) + 4096 + 32;
    }
    return 0;
}

// Which file a path led to and how it stood when it was opened: its device
// and inode, size and modification and change times. Two equal stamps are
// the same file, not written to in between (as far as the file system's
// clock tells).
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds
    std::int64_t changed = 0;   // nanoseconds
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// A regular file open for reading, read whole or a part at a time. Opening
// never waits: anything but a regular file (a folder, pipe, device or
// socket) is refused before it is opened, and opened without blocking in
// case it changed in between. Every failure throws FileError of opening
// the file, with the reason in the user's words.
class ReadableFile final : public ByteSource {
public:
    explicit ReadableFile(const std::string& path);

    // The size the file had when it was opened.
    std::uint64_t size() const override { return size_; }
    // The file as it stood when it was opened.
    const FileStamp& stamp() const { return stamp_; }
    // The bytes at offset; a file that has since shrunk below them is
    // refused as changed while it was read. Small parts are served from a
    // block read ahead, so that the many small headers and directories of a
    // program cost a few system calls.
    void readAt(std::uint64_t offset, std::span<std::uint8_t> into) const override;
    // The whole file, refused as too large above maxSize, or the kind's
    // readingCap, before anything is read or allocated.
    std::vector<std::uint8_t> readAll(std::uint64_t maxSize = std::numeric_limits<std::uint64_t>::max()) const;
    std::vector<std::uint8_t> readAll(WholeFile kind) const { return readAll(readingCap(kind)); }

    // Throws FileError of opening the file, for the reason given or the
    // system's error number.
    [[noreturn]] void fail(const std::string& reason) const;
    [[noreturn]] void fail(int errorNumber) const;

private:
    static constexpr std::uint64_t kReadAhead = 16 << 10;

    void readFully(std::uint64_t offset, std::span<std::uint8_t> into) const;

    std::string path_;
    FileDescriptor fd_{-1};
    std::uint64_t size_ = 0;
    FileStamp stamp_;
    mutable std::vector<std::uint8_t> block_;  // the file's bytes from blockStart_ on
    mutable std::uint64_t blockStart_ = 0;
};

// Throws FileError of opening the file for one whose contents could not be
// held in memory.
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

// The bytes of a whole regular file of that kind, read into memory (a file
// that changes while it is read cannot take the program down); throws
// FileError with cannotOpenText: for anything but a regular file, refused
// before it is waited on, for a file above the kind's readingCap, refused as
// too large before it is read, and for a file that cannot be held in memory.
std::vector<std::uint8_t> readWholeFile(const std::string& path, WholeFile kind);

} // namespace pimoko
