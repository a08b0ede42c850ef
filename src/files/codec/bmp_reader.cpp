#include "files/codec/bmp_reader.h"

#include "files/codec/bmp_layout.h"
#include "files/codec/row_stride.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <vector>

namespace pimoko {

namespace {

[[noreturn]] void refuse()
{
    refuseBitmap();
}

using ByteReader = BitmapBytes;

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

// The format with the header bytes a save writes again.
PixelFormat withHeader(PixelFormat format, const Layout& layout)
{
    format.headerTail.assign(layout.headerTail.begin(), layout.headerTail.end());
    format.colorProfile.assign(layout.colorProfile.begin(), layout.colorProfile.end());
    return format;
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
    PixelBuffer image(info.width, info.height, first,
                      withHeader(PixelFormat::indexed(info.bitsPerPixel, std::move(palette)), layout));
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
        format.alphaMask = layout.masks[3];
    }
    const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]), alpha(layout.masks[3]);
    PixelBuffer image(info.width, info.height, kBlack, withHeader(std::move(format), layout));
    const std::uint64_t stride = bitmapRowStride(info.width, bits);
    for (int r = 0; r < info.height; ++r) {
        const std::uint8_t* in = bytes.data() + layout.pixelOffset + stride * std::uint64_t(r);
        const int y = info.topDown ? r : info.height - 1 - r;
        Color* out = image.row(y);
        if (bits == 24) {
            for (int x = 0; x < info.width; ++x, in += 3)
                out[x] = rgb(in[2], in[1], in[0]);
        } else if (bits == 16) {
            for (int x = 0; x < info.width; ++x, in += 2) {
                const std::uint32_t v = std::uint32_t(in[0]) | (std::uint32_t(in[1]) << 8);
                out[x] = rgb(red.read(v), green.read(v), blue.read(v));
                image.setAlpha(x, y, std::uint8_t(alpha.read(v)));
            }
        } else {
            for (int x = 0; x < info.width; ++x, in += 4) {
                const std::uint32_t v = std::uint32_t(in[0]) | (std::uint32_t(in[1]) << 8)
                    | (std::uint32_t(in[2]) << 16) | (std::uint32_t(in[3]) << 24);
                out[x] = rgb(red.read(v), green.read(v), blue.read(v));
                image.setAlpha(x, y, std::uint8_t(alpha.read(v)));
            }
        }
    }
    return image;
}

} // namespace

PixelBuffer readBitmapFile(std::span<const std::uint8_t> file)
{
    const Layout layout = readBitmapLayout(file);
    if (layout.info.bitsPerPixel <= 8)
        return readIndexed(file, layout);
    return readDirect(file, layout);
}

} // namespace pimoko
