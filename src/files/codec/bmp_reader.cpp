#include "files/codec/bmp_reader.h"

#include "files/codec/bounded_bytes.h"
#include "files/codec/file_error.h"
#include "files/codec/row_stride.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <vector>

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
    throw FileError(kInvalidBitmapText);
}

using ByteReader = BoundedBytes<refuse>;

// One colour channel of a 16- or 32-bit pixel: where it lies and how its
// value is scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t m = 0)
        : mask(m)
        , shift(m == 0 ? 0 : std::countr_zero(m))
        , bits(std::popcount(m))
    {
    }

    int read(std::uint32_t pixel) const
    {
        const std::uint64_t value = (pixel & mask) >> shift;
        if (bits == 8)
            return int(value);
        if (bits == 0)
            return 0;
        const std::uint64_t top = (std::uint64_t(1) << bits) - 1;
        return int((value * 255 * 2 + top) / (top * 2));  // round(value * 255 / top)
    }
};

bool isOneRun(std::uint32_t mask)
{
    if (mask == 0)
        return false;
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

// Everything the headers say, checked, with where the parts of the file lie.
struct Layout {
    BitmapInfo info;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    std::uint64_t paletteOffset = 0;
    std::uint64_t paletteEntries = 0;  // as stated; only the first 2^bits are used
    int paletteEntrySize = 4;
    std::uint64_t pixelOffset = 0;
    std::uint64_t pixelBytes = 0;  // the image size stated, else up to the end of the file
};

// Bytes of one row without its padding.
std::uint64_t rowBytes(int width, int bits)
{
    return (std::uint64_t(width) * std::uint64_t(bits) + 7) / 8;
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

Layout readLayout(std::span<const std::uint8_t> bytes)
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
    if (!rle) {
        // Every row must be present; the last one may lack its padding.
        const std::uint64_t stride = bitmapRowStride(info.width, bits);
        file.slice(layout.pixelOffset, stride * std::uint64_t(info.height - 1) + rowBytes(info.width, bits));
    }
    return layout;
}

// The colour table, as many entries as the depth can index (black beyond
// the stated ones), and how many of them the file states.
struct ColorTable {
    std::vector<Color> colors;
    std::size_t stated = 0;
};

ColorTable readColorTable(std::span<const std::uint8_t> bytes, const Layout& layout)
{
    const ByteReader file(bytes);
    ColorTable table;
    const std::size_t capacity = std::size_t(1) << layout.info.bitsPerPixel;
    table.stated = std::size_t(std::min<std::uint64_t>(layout.paletteEntries, capacity));
    table.colors.assign(capacity, kBlack);
    const auto entries = file.slice(layout.paletteOffset, table.stated * std::size_t(layout.paletteEntrySize));
    for (std::size_t i = 0; i < table.stated; ++i) {
        const std::uint8_t* e = entries.data() + i * std::size_t(layout.paletteEntrySize);
        table.colors[i] = rgb(e[2], e[1], e[0]);
    }
    return table;
}

// Decodes RLE8 or RLE4 data into palette indices, top row first. Skipped
// pixels stay 0. Refuses runs past a row or the last row, a delta beyond the
// picture, and data that ends before its end-of-bitmap code.
void decodeRle(std::span<const std::uint8_t> data, const BitmapInfo& info, std::vector<std::uint8_t>& indices)
{
    const bool four = info.compression == BitmapCompression::Rle4;
    const std::int64_t width = info.width;
    const std::int64_t height = info.height;
    std::int64_t x = 0;
    std::int64_t y = 0;  // counted from the bottom row
    std::size_t i = 0;
    const auto take = [&](std::size_t count) {
        if (count > data.size() - i)
            refuse();
        const std::uint8_t* p = data.data() + i;
        i += count;
        return p;
    };
    const auto startRun = [&](std::int64_t count) {
        if (y >= height || count > width - x)
            refuse();
        return indices.data() + std::size_t(height - 1 - y) * std::size_t(width) + std::size_t(x);
    };
    for (;;) {
        const std::uint8_t* pair = take(2);
        const int count = pair[0];
        const int code = pair[1];
        if (count > 0) {
            std::uint8_t* out = startRun(count);
            for (int k = 0; k < count; ++k)
                out[k] = four ? std::uint8_t(k % 2 == 0 ? code >> 4 : code & 0x0F) : std::uint8_t(code);
            x += count;
        } else if (code == 0) {  // end of line
            if (y >= height)
                refuse();
            x = 0;
            ++y;
        } else if (code == 1) {  // end of bitmap
            return;
        } else if (code == 2) {  // delta
            const std::uint8_t* d = take(2);
            x += d[0];
            y += d[1];
            if (x > width || y > height)
                refuse();
        } else {  // absolute run of `code` pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? std::size_t(code + 1) / 2 : std::size_t(code);
            const std::uint8_t* in = take(bytes + (bytes & 1));
            std::uint8_t* out = startRun(code);
            for (int k = 0; k < code; ++k)
                out[k] = four ? std::uint8_t(k % 2 == 0 ? in[k / 2] >> 4 : in[k / 2] & 0x0F) : in[k];
            x += code;
        }
    }
}

// Reads the indices of uncompressed 1-, 4- or 8-bit rows, top row first.
void readIndexRows(std::span<const std::uint8_t> bytes, const Layout& layout, std::vector<std::uint8_t>& indices)
{
    const BitmapInfo& info = layout.info;
    const int bits = info.bitsPerPixel;
    const std::uint64_t stride = bitmapRowStride(info.width, bits);
    const unsigned valueMask = (1u << bits) - 1u;
    for (int r = 0; r < info.height; ++r) {
        const std::uint8_t* in = bytes.data() + layout.pixelOffset + stride * std::uint64_t(r);
        const int y = info.topDown ? r : info.height - 1 - r;
        std::uint8_t* out = indices.data() + std::size_t(y) * std::size_t(info.width);
        if (bits == 8) {
            std::copy(in, in + info.width, out);
            continue;
        }
        for (int x = 0; x < info.width; ++x) {
            const std::size_t bit = std::size_t(x) * std::size_t(bits);
            const unsigned shift = unsigned(8 - bits) - unsigned(bit % 8);
            out[x] = std::uint8_t((in[bit / 8] >> shift) & valueMask);
        }
    }
}

PixelBuffer readIndexed(std::span<const std::uint8_t> bytes, const Layout& layout)
{
    const BitmapInfo& info = layout.info;
    ColorTable table = readColorTable(bytes, layout);
    std::vector<std::uint8_t> indices(std::size_t(info.width) * std::size_t(info.height), 0);
    if (info.compression == BitmapCompression::None)
        readIndexRows(bytes, layout, indices);
    else
        decodeRle(bytes.subspan(std::size_t(layout.pixelOffset), std::size_t(layout.pixelBytes)), info, indices);

    // Indices beyond the stated table read as black, which the palette then
    // holds so that the buffer's format can store every pixel.
    const std::size_t highest = *std::max_element(indices.begin(), indices.end());
    std::vector<Color> palette(table.colors.begin(),
                               table.colors.begin() + std::ptrdiff_t(std::max(table.stated, highest + 1)));
    const Color first = palette[0];
    PixelBuffer image(info.width, info.height, first, PixelFormat::indexed(info.bitsPerPixel, std::move(palette)));
    Color* out = image.data();
    for (std::uint8_t index : indices)
        *out++ = table.colors[index];
    return image;
}

PixelBuffer readDirect(std::span<const std::uint8_t> bytes, const Layout& layout)
{
    const BitmapInfo& info = layout.info;
    const int bits = info.bitsPerPixel;
    PixelFormat format = bits == 24 ? PixelFormat::trueColor24() : PixelFormat::trueColor32();
    if (bits != 24) {
        format.bitsPerPixel = bits;
        format.redMask = layout.masks[0];
        format.greenMask = layout.masks[1];
        format.blueMask = layout.masks[2];
    }
    const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);
    PixelBuffer image(info.width, info.height, kBlack, std::move(format));
    const std::uint64_t stride = bitmapRowStride(info.width, bits);
    for (int r = 0; r < info.height; ++r) {
        const std::uint8_t* in = bytes.data() + layout.pixelOffset + stride * std::uint64_t(r);
        Color* out = image.row(info.topDown ? r : info.height - 1 - r);
        if (bits == 24) {
            for (int x = 0; x < info.width; ++x, in += 3)
                out[x] = rgb(in[2], in[1], in[0]);
        } else if (bits == 16) {
            for (int x = 0; x < info.width; ++x, in += 2) {
                const std::uint32_t v = std::uint32_t(in[0]) | (std::uint32_t(in[1]) << 8);
                out[x] = rgb(red.read(v), green.read(v), blue.read(v));
            }
        } else {
            for (int x = 0; x < info.width; ++x, in += 4) {
                const std::uint32_t v = std::uint32_t(in[0]) | (std::uint32_t(in[1]) << 8)
                    | (std::uint32_t(in[2]) << 16) | (std::uint32_t(in[3]) << 24);
                out[x] = rgb(red.read(v), green.read(v), blue.read(v));
            }
        }
    }
    return image;
}

} // namespace

BitmapInfo readBitmapHeaders(std::span<const std::uint8_t> fileStart)
{
    return readHeaderFields(ByteReader(fileStart)).layout.info;
}

BitmapInfo readBitmapInfo(std::span<const std::uint8_t> file)
{
    return readLayout(file).info;
}

PixelBuffer readBitmapFile(std::span<const std::uint8_t> file)
{
    const Layout layout = readLayout(file);
    if (layout.info.bitsPerPixel <= 8)
        return readIndexed(file, layout);
    return readDirect(file, layout);
}

} // namespace pimoko
