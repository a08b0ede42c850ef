#include "files/codec/icon_file.h"

#include "files/codec/bounded_bytes.h"
#include "files/codec/file_error.h"
#include "files/codec/row_stride.h"
#include "files/codec/generic_app_icon.h"
#include "files/codec/icon_png.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace pimoko {

namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;  // BI_RGB

[[noreturn]] void refuse()
{
    throw FileError(kInvalidIconText);
}

using ByteReader = BoundedBytes<refuse>;


// Value of pixel x in a stored row of 1, 4 or 8 bits per pixel; the leftmost
// pixel sits in the high bits of the first byte.
unsigned indexAt(std::span<const std::uint8_t> row, int x, int bits)
{
    const std::size_t bit = std::size_t(x) * std::size_t(bits);
    const unsigned byte = row[bit / 8];
    const unsigned shift = unsigned(8 - bits) - unsigned(bit % 8);
    return (byte >> shift) & ((1u << bits) - 1u);
}

// How far a side is from the wanted one, and whether it is no worse than the
// best's on that axis.
bool sideNoWorse(int side, int bestSide)
{
    return std::abs(side - kLargeIconSide) <= std::abs(bestSide - kLargeIconSide)
        && (side <= kLargeIconSide || side <= bestSide);
}

// A colour word of 0 counts as unlimited.
std::uint32_t colorRank(int colorWord)
{
    return colorWord == 0 ? 0x10000u : std::uint32_t(colorWord);
}

std::uint8_t overWhite(int component, int alpha)
{
    return std::uint8_t((component * alpha + 255 * (255 - alpha) + 127) / 255);
}

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

IconImage decodeIconImage(std::span<const std::uint8_t> file, const IconDirEntry& entry)
{
    // Every later read stays inside the entry's own data.
    const ByteReader data(ByteReader(file).slice(entry.dataOffset, entry.dataSize));
    if (hasPngSignature(data.slice(0, data.size())))
        refuse();

    const std::uint32_t headerSize = data.u32(0);
    if (headerSize < kInfoHeaderSize)
        refuse();
    const std::int32_t storedWidth = data.i32(4);
    const std::int32_t storedHeight = data.i32(8);  // XOR rows and AND rows together
    const int planes = data.u16(12);
    const int bits = data.u16(14);
    const std::uint32_t compression = data.u32(16);
    const std::uint32_t colorsUsed = data.u32(32);

    if (storedWidth < 1 || storedWidth > kMaxIconSide)
        refuse();
    if (storedHeight < 2 || storedHeight > 2 * kMaxIconSide || storedHeight % 2 != 0)
        refuse();
    if (planes != 1 || compression != kUncompressed)
        refuse();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        refuse();

    IconImage image;
    image.width = storedWidth;
    image.height = storedHeight / 2;
    image.bitCount = bits;

    std::uint64_t at = headerSize;
    if (bits <= 8) {
        const std::uint32_t maxColors = 1u << bits;
        if (colorsUsed > maxColors)
            refuse();
        const std::uint32_t tableSize = colorsUsed == 0 ? maxColors : colorsUsed;
        const auto table = data.slice(at, std::uint64_t(tableSize) * 4);
        image.palette.reserve(tableSize);
        for (std::uint32_t i = 0; i < tableSize; ++i)
            image.palette.push_back(rgb(table[4 * i + 2], table[4 * i + 1], table[4 * i]));
        at += std::uint64_t(tableSize) * 4;
    }

    const std::uint64_t xorStride = bitmapRowStride(image.width, bits);
    const std::uint64_t andStride = bitmapRowStride(image.width, 1);
    const std::uint64_t rows = std::uint64_t(image.height);
    const auto xorBits = data.slice(at, xorStride * rows);
    const auto andBits = data.slice(at + xorStride * rows, andStride * rows);

    const std::size_t pixelCount = std::size_t(image.width) * std::size_t(image.height);
    image.colors.resize(pixelCount);
    image.andMask.resize(pixelCount);
    std::vector<std::uint8_t> alpha(bits == 32 ? pixelCount : 0);
    bool anyAlpha = false;

    for (int y = 0; y < image.height; ++y) {
        const std::size_t storedRow = std::size_t(image.height - 1 - y);  // rows are bottom-up
        const auto xorRow = xorBits.subspan(storedRow * xorStride, xorStride);
        const auto andRow = andBits.subspan(storedRow * andStride, andStride);
        for (int x = 0; x < image.width; ++x) {
            const std::size_t i = image.index(x, y);
            switch (bits) {
            case 24:
            case 32: {
                const std::size_t step = std::size_t(bits / 8);
                const std::size_t p = std::size_t(x) * step;
                image.colors[i] = rgb(xorRow[p + 2], xorRow[p + 1], xorRow[p]);
                if (bits == 32) {
                    alpha[i] = xorRow[p + 3];
                    anyAlpha = anyAlpha || alpha[i] != 0;
                }
                break;
            }
            default: {
                const unsigned colorIndex = indexAt(xorRow, x, bits);
                // An index past a short colour table has no colour to show.
                if (colorIndex >= image.palette.size())
                    refuse();
                image.colors[i] = image.palette[colorIndex];
                break;
            }
            }
            image.andMask[i] = std::uint8_t(indexAt(andRow, x, 1));
        }
    }
    if (anyAlpha)
        image.alpha = std::move(alpha);
    return image;
}

std::size_t chooseIconEntry(const IconDirectory& directory)
{
    std::size_t best = 0;
    for (std::size_t i = 1; i < directory.entries.size(); ++i) {
        const IconDirEntry& entry = directory.entries[i];
        const IconDirEntry& current = directory.entries[best];
        if (colorRank(entry.colorCount) >= colorRank(current.colorCount) && sideNoWorse(entry.width, current.width)
            && sideNoWorse(entry.height, current.height))
            best = i;
    }
    return best;
}

IconImage stretchIconImage(const IconImage& image, int width, int height)
{
    if (image.width == width && image.height == height)
        return image;
    IconImage result;
    result.width = width;
    result.height = height;
    result.bitCount = image.bitCount;
    result.palette = image.palette;
    const std::size_t pixelCount = std::size_t(width) * std::size_t(height);
    result.colors.resize(pixelCount);
    result.andMask.resize(pixelCount);
    if (image.hasAlpha())
        result.alpha.resize(pixelCount);
    for (int y = 0; y < height; ++y) {
        const int sy = int(std::int64_t(y) * image.height / height);
        for (int x = 0; x < width; ++x) {
            const int sx = int(std::int64_t(x) * image.width / width);
            const std::size_t from = image.index(sx, sy);
            const std::size_t to = result.index(x, y);
            result.colors[to] = image.colors[from];
            result.andMask[to] = image.andMask[from];
            if (image.hasAlpha())
                result.alpha[to] = image.alpha[from];
        }
    }
    return result;
}

IconImage decodeIconEntry(std::span<const std::uint8_t> file, const IconDirEntry& entry, int width, int height)
{
    const auto data = ByteReader(file).slice(entry.dataOffset, entry.dataSize);
    IconImage image = hasPngSignature(data) ? decodePngIconImage(data) : decodeIconImage(file, entry);
    return stretchIconImage(image, width, height);
}

PixelBuffer drawIconOnWhite(const IconImage& image)
{
    PixelBuffer canvas(kLargeIconSide, kLargeIconSide, kWhite);
    const int width = std::min(image.width, kLargeIconSide);
    const int height = std::min(image.height, kLargeIconSide);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Color c = image.color(x, y);
            if (image.hasAlpha()) {
                const int a = image.alpha[image.index(x, y)];
                canvas.setPixel(x, y, rgb(overWhite(redOf(c), a), overWhite(greenOf(c), a), overWhite(blueOf(c), a)));
            } else {
                const Color under = image.isMasked(x, y) ? kWhite : kBlack;
                canvas.setPixel(x, y, (under ^ c) & 0xFFFFFF);
            }
        }
    }
    return canvas;
}

PixelBuffer readIconPicture(std::span<const std::uint8_t> file)
{
    const IconHeader header = readIconHeader(file);
    if (header.type >= kCursorFileType)
        refuse();
    if (header.type == 0)
        return genericAppIconPicture();
    const IconDirectory directory = readIconDirectory(file);
    const IconDirEntry& entry = directory.entries[chooseIconEntry(directory)];
    return drawIconOnWhite(decodeIconEntry(file, entry, entrySide(entry.width), entrySide(entry.height)));
}

} // namespace pimoko
