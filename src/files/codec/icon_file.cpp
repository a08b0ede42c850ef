#include "files/codec/icon_file.h"

#include "files/codec/bounded_bytes.h"
#include "files/codec/file_error.h"
#include "files/codec/png_signature.h"

#include <algorithm>

namespace pimoko {

namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;

[[noreturn]] void refuse()
{
    throw FileError(kInvalidIconText);
}

using ByteReader = BoundedBytes<refuse>;

} // namespace

Point IconDirectory::hotspot(std::size_t index) const
{
    if (!isCursor())
        return {};
    return {entries.at(index).planes, entries.at(index).bitCount};
}

IconHeader readIconHeader(std::span<const std::uint8_t> file)
{
    const ByteReader reader(file);
    IconHeader header;
    header.reserved = reader.u16(0);
    header.type = reader.u16(2);
    header.count = reader.u16(4);
    return header;
}

IconDirectory readIconDirectory(std::span<const std::uint8_t> file)
{
    return readIconDirectory(SpanSource(file));
}

IconDirectory readIconDirectory(const ByteSource& file)
{
    const IconHeader header = readIconHeader(fetchBytes<refuse>(file, 0, kHeaderSize));
    if (header.count == 0)
        refuse();
    // The whole directory must be present before any entry is looked at.
    const std::vector<std::uint8_t> entries =
        fetchBytes<refuse>(file, kHeaderSize, std::uint64_t(header.count) * kEntrySize);
    const ByteReader reader(entries);

    IconDirectory directory;
    directory.reserved = header.reserved;
    directory.type = header.type;
    directory.entries.reserve(std::size_t(header.count));
    for (int i = 0; i < header.count; ++i) {
        const std::uint64_t at = std::uint64_t(i) * kEntrySize;
        IconDirEntry entry;
        entry.width = reader.u8(at);
        entry.height = reader.u8(at + 1);
        entry.colorCount = reader.u16(at + 2);
        entry.planes = reader.u16(at + 4);
        entry.bitCount = reader.u16(at + 6);
        entry.dataSize = reader.u32(at + 8);
        entry.dataOffset = reader.u32(at + 12);
        directory.entries.push_back(entry);
    }
    return directory;
}

IconImageStorage readIconImageStorage(const ByteSource& file, const IconDirEntry& entry)
{
    constexpr std::uint64_t kPngHeaderEnd = 26;     // signature, IHDR length and name, ..., bit depth, colour type
    constexpr std::uint64_t kBitmapHeaderEnd = 16;  // header size, width, height, planes, bit count
    if (entry.dataOffset > file.size() || entry.dataSize > file.size() - entry.dataOffset)
        return {};
    std::vector<std::uint8_t> start(std::size_t(std::min<std::uint64_t>(entry.dataSize, kPngHeaderEnd)));
    file.readAt(entry.dataOffset, start);
    if (hasPngSignature(start)) {
        if (start.size() < kPngHeaderEnd)
            return {IconImageStorage::Kind::Png, 0};
        static constexpr int channels[] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
        const int type = start[25];
        return {IconImageStorage::Kind::Png, type < 7 ? start[24] * channels[type] : 0};
    }
    if (start.size() < kBitmapHeaderEnd)
        return {IconImageStorage::Kind::Bitmap, 0};
    return {IconImageStorage::Kind::Bitmap, ByteReader(start).u16(14)};
}

} // namespace pimoko
