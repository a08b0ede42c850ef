#pragma once

#include "raster/pixel_buffer.h"

#include <cstdint>
#include <span>

namespace pimoko {

// Reading of Windows bitmap files (".bmp") from the bytes of a whole file.
//
// Read: the "BM" file header; the 12-byte core header (3-byte colour table
// entries) and info headers of 40 bytes or more (the fields of the 40-byte
// header, and the masks of a 52- or 56-byte and longer one; the 64-byte OS/2
// header's own fields are not used); one plane; 1, 4, 8, 16, 24 and 32 bits per
// pixel; uncompressed rows bottom-up or top-down; RLE8 and RLE4 (bottom-up
// only); channel masks for 16 and 32 bits (BI_BITFIELDS, masks after a header
// shorter than 52 bytes or inside a longer one, and BI_ALPHABITFIELDS). The
// pixel-data offset of the file header is honoured; an image size in the info
// header must lie within the file and bounds the RLE data; the file-size and
// resolution fields are not used.
//
// Decisions where files leave room:
// - Indices beyond a short colour table read as black; the palette is then
//   lengthened with black entries up to the highest index used, so that the
//   buffer holds only colours its format can store.
// - Pixels that RLE data skips (delta, early end of line or of bitmap) keep
//   colour table entry 0.
// - Masks with no bit for red, green or blue are refused (one bmpsuite file
//   tries it), as the bitmap writer cannot write them.
// - A 16- or 32-bit channel of n bits with value v reads as round(v * 255 /
//   (2^n - 1)); wider channels are scaled down the same way, the alpha of an
//   alpha mask too. The colours read as stored, whatever their alpha; the
//   alpha is kept beside them (PixelBuffer::alpha) for a save.
// - The info header after its first 40 bytes (52-, 56-, 108- and 124-byte
//   headers) and a colour profile the 124-byte header places in the file are
//   kept in the format, so a save writes them again.
// - The top byte of 32-bit BI_RGB pixels and the top bit of 16-bit BI_RGB
//   pixels are ignored.
//
// Anything else throws FileError with kInvalidBitmapText: a missing "BM", a
// header size other than 12 or 40 and more, a header longer than the file,
// planes other than 1, another depth or compression, masks that are empty, not
// one run of bits, overlapping or beyond the pixel, a width below 1, a height
// of 0, a side above kMaxBitmapSide or more than kMaxBitmapPixels pixels, a
// stated colour table or image size beyond the end of the file, a pixel offset
// inside the headers or past the end, uncompressed rows beyond the end (the
// last row may lack its padding), and RLE data that runs past a row, past the
// last row or off the end of its data before its end-of-bitmap code.

inline constexpr const char* kInvalidBitmapText = "ビットマップイメージが不正です";

// Caps checked before anything is allocated: no side above 32768 pixels and
// at most 16 Mi pixels in all (64 MiB of colours).
inline constexpr int kMaxBitmapSide = 32768;
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t(1) << 24;

enum class BitmapCompression {
    None,            // BI_RGB
    Rle8,            // BI_RLE8
    Rle4,            // BI_RLE4
    BitFields,       // BI_BITFIELDS
    AlphaBitFields,  // BI_ALPHABITFIELDS
};

// What the headers say, after every header check has passed.
struct BitmapInfo {
    int width = 0;   // 1..kMaxBitmapSide (readBitmapHeaders: any positive)
    int height = 0;  // the same, positive also for top-down files
    int bitsPerPixel = 0;
    BitmapCompression compression = BitmapCompression::None;
    bool topDown = false;  // rows stored top row first
    int headerSize = 0;    // size of the info header in bytes
};

// Checks the file header and the first 40 bytes of the info header (the
// sides, planes, depth and compression) and nothing after them, so that a
// file's first 54 bytes are enough: a caller judges the size of a picture in
// a file it will not read whole. The sides are not capped.
BitmapInfo readBitmapHeaders(std::span<const std::uint8_t> fileStart);

// Checks the file and info headers, the masks, the colour table's extent and,
// for uncompressed files, that every row is present; decodes no pixel. A
// caller can refuse a size here before anything is allocated.
BitmapInfo readBitmapInfo(std::span<const std::uint8_t> file);

// Decodes the picture, top row first, in the file's own pixel format: its bit
// depth and colour table for 1, 4 and 8 bits, its channel masks for 16 and 32.
PixelBuffer readBitmapFile(std::span<const std::uint8_t> file);

} // namespace pimoko
