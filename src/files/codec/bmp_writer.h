#pragma once

#include "raster/pixel_buffer.h"

#include <cstdint>
#include <vector>

namespace pimoko {

// The bytes of an uncompressed bitmap file of the image in its own pixel
// format: the 14-byte file header ("BM", file size, two zero words, offset
// of the pixels), a bitmap info header (40 bytes, or the longer header the
// format kept from its file: its bytes after the first 40 as kept, the
// masks set to the format's), then
//   1, 4, 8 bits: the format's palette as the colour table (colours used =
//                 palette size; an empty palette is written as one black
//                 entry), each pixel as the palette index of its colour;
//   16 bits 5-5-5, 24 bits, 32 bits with 8-bit channels at red 0xFF0000,
//                 green 0xFF00, blue 0xFF and no alpha: no colour table,
//                 plain BI_RGB;
//   other 16- and 32-bit masks, or an alpha mask: BI_BITFIELDS, the masks
//                 inside a longer header, else the red, green and blue
//                 masks as three 32-bit words after the 40-byte header (with
//                 the alpha mask as a fourth, BI_ALPHABITFIELDS); each pixel's
//                 alpha (PixelBuffer::alpha) in the alpha mask;
// and the pixel rows bottom-up, each padded to a multiple of 4 bytes, and
// after them the colour profile a kept 124-byte header embeds or links, its
// offset and size fields set to where it now lies.
// A 32 x 32 image in the default 32-bit format gives 54 + 4 x 32 x 32 bytes.
//
// Throws std::invalid_argument for an empty image, a bit depth other than
// 1, 4, 8, 16, 24 or 32, a palette longer than the depth can index, a
// channel mask of a 16- or 32-bit format that is empty, not one run of bits
// or overlaps another (an alpha mask may be empty), an alpha mask at another
// depth, and a file that would not fit in 4 GiB: all of these
// are mistakes of the caller, none can come from the buffers the program makes.
std::vector<std::uint8_t> bitmapFileBytes(const PixelBuffer& image);

} // namespace pimoko
