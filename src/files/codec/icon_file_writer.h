#pragma once

#include "files/codec/icon_file.h"
#include "raster/color.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace pimoko {

// The one writer of icon and cursor files: the window's icon and --pack
// both write through it.

// The parts of an icon file, in bytes.
inline constexpr std::uint32_t kIconFileHeaderSize = 6;
inline constexpr std::uint32_t kIconDirEntrySize = 16;
inline constexpr std::uint32_t kIconInfoHeaderSize = 40;

// One image of an icon file: the fields of its directory entry and its data.
struct IconFileImage {
    int width = 0;       // written as a byte: 256 as 0
    int height = 0;
    int colorCount = 0;  // the colour-count byte, the reserved byte after it as its high byte
    int planes = 0;      // in a cursor file: hot spot x
    int bitCount = 0;    // in a cursor file: hot spot y
    std::vector<std::uint8_t> data;
};

// The bytes of an icon file of the given header type (1 icon, 2 cursor):
// the 6-byte header, one 16-byte directory entry per image, then the
// images' data in the same order.
std::vector<std::uint8_t> iconFileBytes(int type, std::span<const IconFileImage> images);

// The images of an icon file as it holds them: each entry's fields and its
// data byte for byte, in the directory's order, for writing the file again
// with iconFileBytes (only the data offsets change). An entry whose data do
// not lie within the file is refused with FileError(kInvalidIconText).
std::vector<IconFileImage> storedIconImages(std::span<const std::uint8_t> file, const IconDirectory& directory);

// The data of one bitmap image of an icon: the 40-byte bitmap info header
// (height doubled for the mask, uncompressed, no resolution, the table's
// size as colours used), the colour table as blue, green, red, 0, the
// colour rows of `bits` bits a pixel (4, 8 or 32) and the 1-bit AND rows,
// both bottom-up and padded to 4 bytes. value(x, y) is a pixel's table
// index at 4 and 8 bits and its 0xAARRGGBB at 32 bits (stored as blue,
// green, red, alpha); masked(x, y) sets its mask bit (1, transparent).
std::vector<std::uint8_t> iconBitmapData(int width, int height, int bits, std::span<const Color> table,
                                         const std::function<std::uint32_t(int x, int y)>& value,
                                         const std::function<bool(int x, int y)>& masked);

} // namespace pimoko
