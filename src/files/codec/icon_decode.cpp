#include "files/codec/icon_decode.h"

#include "files/codec/bounded_bytes.h"
#include "files/codec/file_error.h"
#include "files/codec/icon_png.h"
#include "files/codec/icon_stretch.h"
#include "files/codec/row_stride.h"

#include <utility>

namespace pimoko {

namespace {

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

} // namespace

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

IconImage decodeIconEntry(std::span<const std::uint8_t> file, const IconDirEntry& entry, int width, int height)
{
    const auto data = ByteReader(file).slice(entry.dataOffset, entry.dataSize);
    IconImage image = hasPngSignature(data) ? decodePngIconImage(data) : decodeIconImage(file, entry);
    return stretchIconImage(image, width, height);
}

} // namespace pimoko
