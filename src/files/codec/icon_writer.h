#pragma once

#include "files/codec/icon_file_writer.h"
#include "files/codec/row_stride.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace pimoko {

// Sides of the icons WriteIconData writes.
inline constexpr int kMinWrittenIconSide = 1;
inline constexpr int kMaxWrittenIconSide = 64;

// The colours of the icon file WriteIconData writes, and its size in bytes.
inline constexpr std::uint32_t kIconColorCount = 16;
constexpr std::uint32_t iconFileSize(int width, int height)
{
    return kIconFileHeaderSize + kIconDirEntrySize + kIconInfoHeaderSize + 4 * kIconColorCount
        + std::uint32_t((bitmapRowStride(width, 4) + bitmapRowStride(width, 1)) * std::uint64_t(height));
}
static_assert(iconFileSize(32, 32) == 766);

// Palette index of the standard colour nearest to c: the smallest squared
// distance over red, green and blue, the lower index on a tie.
int nearestStandardColorIndex(Color c);

// The bytes of a one-image icon file made from the two parts of an icon
// (see raster/icon_parts.h), the one-image 4-bit case of iconFileBytes:
//   6-byte header (type 1, one image), one 16-byte directory entry (width
//   and height, colour count 4, planes 0, bits 0, data size, offset 22),
//   a 40-byte bitmap info header (height doubled, 4 bits, 16 colours),
//   the 16 standard colours as the colour table, the 4-bit colour rows and
//   the 1-bit mask rows, both bottom-up and padded to 4 bytes.
// Each OR-part pixel is stored as nearestStandardColorIndex of its colour;
// a mask bit is 1 (transparent) where the AND-part pixel is exactly white
// and 0 elsewhere. Both parts must have the same size, each side from
// kMinWrittenIconSide to kMaxWrittenIconSide; anything else throws
// std::invalid_argument, as it is the caller's mistake, not the file's.
std::vector<std::uint8_t> WriteIconData(const PixelBuffer& andPart, const PixelBuffer& orPart);

} // namespace pimoko
