#include "files/codec/icon_writer.h"

#include "files/codec/little_endian_writer.h"
#include "files/codec/row_stride.h"
#include "raster/standard_colors.h"

#include <stdexcept>

namespace pimoko {

namespace {

static_assert(kIconColorCount == kStandardColors.size());

void checkParts(const PixelBuffer& andPart, const PixelBuffer& orPart)
{
    if (andPart.width() != orPart.width() || andPart.height() != orPart.height())
        throw std::invalid_argument("icon parts of different sizes");
    const auto fits = [](int side) { return side >= kMinWrittenIconSide && side <= kMaxWrittenIconSide; };
    if (!fits(orPart.width()) || !fits(orPart.height()))
        throw std::invalid_argument("icon size out of range");
}

} // namespace

void putIconImageHeader(std::vector<std::uint8_t>& out, int width, int height, int bits, std::uint32_t colorSize,
                        std::span<const Color> table)
{
    LittleEndianWriter put(out);
    put.u32(kIconInfoHeaderSize);
    put.u32(std::uint32_t(width));
    put.u32(std::uint32_t(2 * height));
    put.u16(1);  // planes
    put.u16(std::uint32_t(bits));
    put.u32(0);  // uncompressed
    put.u32(colorSize);
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
}

int nearestStandardColorIndex(Color c)
{
    static const PixelFormat table = PixelFormat::indexed(4, {kStandardColors.begin(), kStandardColors.end()});
    return table.nearestIndex(c);
}

std::vector<std::uint8_t> WriteIconData(const PixelBuffer& andPart, const PixelBuffer& orPart)
{
    checkParts(andPart, orPart);
    const int width = orPart.width();
    const int height = orPart.height();
    const auto colorStride = std::size_t(bitmapRowStride(width, 4));
    const auto maskStride = std::size_t(bitmapRowStride(width, 1));
    const auto colorSize = std::uint32_t(colorStride * std::size_t(height));
    const auto maskSize = std::uint32_t(maskStride * std::size_t(height));
    const std::uint32_t imageOffset = kIconFileHeaderSize + kIconDirEntrySize;
    const std::uint32_t imageSize = iconFileSize(width, height) - imageOffset;

    std::vector<std::uint8_t> out;
    out.reserve(iconFileSize(width, height));
    LittleEndianWriter put(out);

    put.u16(0);  // reserved
    put.u16(1);  // icon
    put.u16(1);  // one image

    put.u8(std::uint32_t(width));
    put.u8(std::uint32_t(height));
    put.u8(4);  // colour count: planes times bits of the colour part
    put.u8(0);
    put.u16(0);  // planes
    put.u16(0);  // bits per pixel
    put.u32(imageSize);
    put.u32(imageOffset);

    putIconImageHeader(out, width, height, 4, colorSize, kStandardColors);

    // Rows bottom-up; the padding bytes stay zero.
    std::size_t at = out.size();
    out.resize(out.size() + colorSize + maskSize, 0);
    for (int y = height - 1; y >= 0; --y, at += colorStride) {
        const Color* row = orPart.row(y);
        for (int x = 0; x < width; ++x) {
            const auto index = std::uint8_t(nearestStandardColorIndex(row[x]));
            out[at + std::size_t(x / 2)] |= (x % 2 == 0) ? std::uint8_t(index << 4) : index;
        }
    }
    for (int y = height - 1; y >= 0; --y, at += maskStride) {
        const Color* row = andPart.row(y);
        for (int x = 0; x < width; ++x) {
            if (row[x] == kWhite)
                out[at + std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        }
    }
    return out;
}

} // namespace pimoko
