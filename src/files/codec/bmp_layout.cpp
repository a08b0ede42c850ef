#include "files/codec/bmp_layout.h"

#include "files/codec/row_stride.h"

#include <bit>
#include <limits>

namespace pimoko {

namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kOs2HeaderSize = 64;
// Info headers from this size on hold the red, green and blue masks, and
// from the next the alpha mask, after the first 40 bytes.
constexpr std::uint32_t kHeaderWithMasks = 52;
constexpr std::uint32_t kHeaderWithAlphaMask = 56;

[[noreturn]] void refuse()
{
    refuseBitmap();
}

using ByteReader = BitmapBytes;

bool isOneRun(std::uint32_t mask)
{
    if (mask == 0)
        return false;
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

BitmapCompression compressionOf(std::uint32_t value, int bits, std::uint32_t headerSize)
{
    const bool masked = bits == 16 || bits == 32;
    switch (value) {
    case 0:
        return BitmapCompression::None;
    case 1:
        if (bits == 8)
            return BitmapCompression::Rle8;
        break;
    case 2:
        if (bits == 4)
            return BitmapCompression::Rle4;
        break;
    case 3:  // in the 64-byte OS/2 header this value is Huffman coding
        if (masked && headerSize != kOs2HeaderSize)
            return BitmapCompression::BitFields;
        break;
    case 6:
        if (masked && headerSize != kOs2HeaderSize)
            return BitmapCompression::AlphaBitFields;
        break;
    default:
        break;
    }
    refuse();
}

void readMasks(const ByteReader& file, Layout& layout, std::uint64_t& afterHeader)
{
    BitmapInfo& info = layout.info;
    const std::uint64_t header = kFileHeaderSize;
    switch (info.compression) {
    case BitmapCompression::BitFields:
    case BitmapCompression::AlphaBitFields: {
        const bool alpha = info.compression == BitmapCompression::AlphaBitFields;
        if (std::uint32_t(info.headerSize) < kHeaderWithMasks) {
            // The masks follow the header, before any colour table.
            const int count = alpha ? 4 : 3;
            for (int i = 0; i < count; ++i)
                layout.masks[i] = file.u32(afterHeader + 4 * std::uint64_t(i));
            afterHeader += 4 * std::uint64_t(count);
        } else {
            for (int i = 0; i < 3; ++i)
                layout.masks[i] = file.u32(header + kInfoHeaderSize + 4 * std::uint64_t(i));
            if (std::uint32_t(info.headerSize) >= kHeaderWithAlphaMask)
                layout.masks[3] = file.u32(header + kHeaderWithMasks);
        }
        break;
    }
    default:
        if (info.bitsPerPixel == 16) {
            layout.masks[0] = 0x7C00;
            layout.masks[1] = 0x03E0;
            layout.masks[2] = 0x001F;
        } else if (info.bitsPerPixel == 32) {
            layout.masks[0] = 0x00FF0000;
            layout.masks[1] = 0x0000FF00;
            layout.masks[2] = 0x000000FF;
        }
        return;
    }

    const std::uint32_t limit = info.bitsPerPixel == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    std::uint32_t seen = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t m = layout.masks[i];
        const bool optional = i == 3;
        if ((m == 0 && !optional) || (m != 0 && !isOneRun(m)) || (m & seen) || (m & ~limit))
            refuse();
        seen |= m;
    }
}

// What the file header and the first fields of the info header say, checked
// on their own: only the first 14 + 40 bytes are looked at, so a file's
// first bytes are enough. The sides are not capped here.
struct HeaderFields {
    Layout layout;
    std::uint32_t colorsUsed = 0;
    std::uint32_t imageSize = 0;
};

HeaderFields readHeaderFields(const ByteReader& file)
{
    const auto magic = file.slice(0, 2);
    if (magic[0] != 'B' || magic[1] != 'M')
        refuse();
    HeaderFields fields;
    Layout& layout = fields.layout;
    BitmapInfo& info = layout.info;
    layout.pixelOffset = file.u32(10);
    const std::uint32_t headerSize = file.u32(kFileHeaderSize);
    const std::uint64_t at = kFileHeaderSize;

    std::int64_t width = 0;
    std::int64_t height = 0;
    int planes = 0;
    std::uint32_t compression = 0;
    if (headerSize == kCoreHeaderSize) {
        width = file.u16(at + 4);
        height = file.u16(at + 6);
        planes = file.u16(at + 8);
        info.bitsPerPixel = file.u16(at + 10);
        layout.paletteEntrySize = 3;
    } else if (headerSize >= kInfoHeaderSize) {
        // Longer headers begin with the same 40 bytes; the rest is read
        // where it holds masks.
        width = std::int32_t(file.u32(at + 4));
        height = std::int32_t(file.u32(at + 8));
        planes = file.u16(at + 12);
        info.bitsPerPixel = file.u16(at + 14);
        compression = file.u32(at + 16);
        fields.imageSize = file.u32(at + 20);
        fields.colorsUsed = file.u32(at + 32);
    } else {
        refuse();
    }
    if (headerSize > std::uint32_t(std::numeric_limits<int>::max()))
        refuse();
    info.headerSize = int(headerSize);

    const int bits = info.bitsPerPixel;
    if (planes != 1)
        refuse();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        refuse();
    info.compression = compressionOf(compression, bits, headerSize);

    info.topDown = height < 0;
    height = height < 0 ? -height : height;
    if (width < 1 || height < 1 || height > std::numeric_limits<int>::max())
        refuse();
    info.width = int(width);
    info.height = int(height);
    const bool rle = info.compression == BitmapCompression::Rle8 || info.compression == BitmapCompression::Rle4;
    if (rle && info.topDown)
        refuse();
    return fields;
}

// The header's bytes after the first 40, and the profile they point to.
// A profile is kept only where it lies wholly after the pixels, or wholly
// between the colour table and the pixels (`gapStart` to the pixels): one
// over the headers or pixels would carry them into the saved file, which
// puts the profile after the pixels. Any other is not kept, and not refused.
void keepHeaderTail(const ByteReader& file, Layout& layout, std::uint64_t gapStart, std::uint64_t pixelEnd)
{
    const std::uint32_t headerSize = std::uint32_t(layout.info.headerSize);
    if (headerSize != kHeaderWithMasks && headerSize != kHeaderWithAlphaMask && headerSize != 108
        && headerSize != kProfileHeaderSize)
        return;
    const std::uint64_t at = kFileHeaderSize;
    layout.headerTail = file.slice(at + kInfoHeaderSize, headerSize - kInfoHeaderSize);
    if (headerSize != kProfileHeaderSize)
        return;
    const std::uint32_t space = file.u32(at + kColorSpaceField);
    const std::uint64_t offset = file.u32(at + kProfileOffsetField);
    const std::uint64_t size = file.u32(at + kProfileSizeField);
    const auto within = [&](std::uint64_t from, std::uint64_t to) {
        return at + offset >= from && at + offset <= to && size <= to - (at + offset);
    };
    if ((space == kProfileEmbedded || space == kProfileLinked)
        && (within(pixelEnd, file.size()) || within(gapStart, layout.pixelOffset)))
        layout.colorProfile = file.slice(at + offset, size);
}

} // namespace

Layout readBitmapLayout(std::span<const std::uint8_t> bytes)
{
    const ByteReader file(bytes);
    HeaderFields fields = readHeaderFields(file);
    Layout& layout = fields.layout;
    const BitmapInfo& info = layout.info;
    const int bits = info.bitsPerPixel;
    const std::uint64_t at = kFileHeaderSize;
    const std::uint64_t headerSize = std::uint64_t(info.headerSize);
    file.require(at, headerSize);
    if (info.width > kMaxBitmapSide || info.height > kMaxBitmapSide
        || std::int64_t(info.width) * info.height > kMaxBitmapPixels)
        refuse();
    const bool rle = info.compression == BitmapCompression::Rle8 || info.compression == BitmapCompression::Rle4;

    std::uint64_t afterHeader = at + headerSize;
    readMasks(file, layout, afterHeader);

    // The colour table the header states must be in the file, also where
    // only part of it is used or the depth needs none.
    layout.paletteOffset = afterHeader;
    if (fields.colorsUsed != 0)
        layout.paletteEntries = fields.colorsUsed;
    else if (bits <= 8)
        layout.paletteEntries = std::uint64_t(1) << bits;
    file.slice(layout.paletteOffset, layout.paletteEntries * std::uint64_t(layout.paletteEntrySize));

    // Pixels may not start inside the headers. A stated image size beyond
    // the end of the file means the file is cut short.
    if (layout.pixelOffset < at + headerSize || layout.pixelOffset > file.size())
        refuse();
    layout.pixelBytes = file.size() - layout.pixelOffset;
    if (fields.imageSize != 0) {
        file.slice(layout.pixelOffset, fields.imageSize);
        layout.pixelBytes = fields.imageSize;
    }
    std::uint64_t pixelEnd = layout.pixelOffset + layout.pixelBytes;
    if (!rle) {
        // Every row must be present; the last one may lack its padding.
        const std::uint64_t stride = bitmapRowStride(info.width, bits);
        const std::uint64_t rows = stride * std::uint64_t(info.height - 1) + rowBytes(info.width, bits);
        file.slice(layout.pixelOffset, rows);
        pixelEnd = layout.pixelOffset + rows;
    }
    keepHeaderTail(file, layout, layout.paletteOffset + layout.paletteEntries * std::uint64_t(layout.paletteEntrySize),
                   pixelEnd);
    return layout;
}

BitmapInfo readBitmapHeaders(std::span<const std::uint8_t> fileStart)
{
    return readHeaderFields(ByteReader(fileStart)).layout.info;
}

BitmapInfo readBitmapInfo(std::span<const std::uint8_t> file)
{
    return readBitmapLayout(file).info;
}

} // namespace pimoko
