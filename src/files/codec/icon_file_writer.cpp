#include "files/codec/icon_file_writer.h"

#include "files/codec/file_error.h"
#include "files/codec/little_endian_writer.h"
#include "files/codec/row_stride.h"

namespace pimoko {

std::vector<std::uint8_t> iconFileBytes(int type, std::span<const IconFileImage> images)
{
    std::uint64_t size = kIconFileHeaderSize + kIconDirEntrySize * std::uint64_t(images.size());
    for (const IconFileImage& image : images)
        size += image.data.size();
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(size));
    LittleEndianWriter put(out);
    put.u16(0);  // reserved
    put.u16(std::uint32_t(type));
    put.u16(std::uint32_t(images.size()));
    std::uint32_t offset = kIconFileHeaderSize + kIconDirEntrySize * std::uint32_t(images.size());
    for (const IconFileImage& image : images) {
        put.u8(std::uint32_t(image.width));
        put.u8(std::uint32_t(image.height));
        put.u16(std::uint32_t(image.colorCount));
        put.u16(std::uint32_t(image.planes));
        put.u16(std::uint32_t(image.bitCount));
        put.u32(std::uint32_t(image.data.size()));
        put.u32(offset);
        offset += std::uint32_t(image.data.size());
    }
    for (const IconFileImage& image : images)
        out.insert(out.end(), image.data.begin(), image.data.end());
    return out;
}

std::vector<IconFileImage> storedIconImages(std::span<const std::uint8_t> file, const IconDirectory& directory)
{
    std::vector<IconFileImage> images;
    images.reserve(directory.entries.size());
    for (const IconDirEntry& entry : directory.entries) {
        if (entry.dataOffset > file.size() || entry.dataSize > file.size() - entry.dataOffset)
            throw FileError(kInvalidIconText);
        const auto data = file.subspan(entry.dataOffset, entry.dataSize);
        images.push_back({entry.width, entry.height, entry.colorCount, entry.planes, entry.bitCount,
                          {data.begin(), data.end()}});
    }
    return images;
}

std::vector<std::uint8_t> iconBitmapData(int width, int height, int bits, std::span<const Color> table,
                                         const std::function<std::uint32_t(int x, int y)>& value,
                                         const std::function<bool(int x, int y)>& masked)
{
    const auto colorStride = std::size_t(bitmapRowStride(width, bits));
    const auto maskStride = std::size_t(bitmapRowStride(width, 1));
    const std::size_t colorSize = colorStride * std::size_t(height);
    const std::size_t maskSize = maskStride * std::size_t(height);

    std::vector<std::uint8_t> out;
    out.reserve(kIconInfoHeaderSize + 4 * table.size() + colorSize + maskSize);
    LittleEndianWriter put(out);
    put.u32(kIconInfoHeaderSize);
    put.u32(std::uint32_t(width));
    put.u32(std::uint32_t(2 * height));
    put.u16(1);  // planes
    put.u16(std::uint32_t(bits));
    put.u32(0);  // uncompressed
    put.u32(std::uint32_t(colorSize));
    put.u32(0);  // horizontal resolution
    put.u32(0);  // vertical resolution
    put.u32(std::uint32_t(table.size()));
    put.u32(0);  // colours important
    for (Color c : table) {
        put.u8(std::uint32_t(blueOf(c)));
        put.u8(std::uint32_t(greenOf(c)));
        put.u8(std::uint32_t(redOf(c)));
        put.u8(0);
    }

    // Rows bottom-up; the padding bytes stay zero.
    std::size_t at = out.size();
    out.resize(out.size() + colorSize + maskSize, 0);
    for (int y = height - 1; y >= 0; --y, at += colorStride) {
        std::uint8_t* row = &out[at];
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, y);
            switch (bits) {
            case 4:
                row[x / 2] |= std::uint8_t(v << (x % 2 == 0 ? 4 : 0));
                break;
            case 8:
                row[x] = std::uint8_t(v);
                break;
            default:
                row[4 * x] = std::uint8_t(v);
                row[4 * x + 1] = std::uint8_t(v >> 8);
                row[4 * x + 2] = std::uint8_t(v >> 16);
                row[4 * x + 3] = std::uint8_t(v >> 24);
                break;
            }
        }
    }
    for (int y = height - 1; y >= 0; --y, at += maskStride) {
        for (int x = 0; x < width; ++x)
            if (masked(x, y))
                out[at + std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
    }
    return out;
}

} // namespace pimoko
