#pragma once

#include "files/codec/byte_source.h"
#include "raster/color.h"
#include "raster/point.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pimoko {

// Reading of the icon layout shared by .ico and .cur files: a 6-byte header,
// a directory of 16-byte entries, and per entry a headerless device-independent
// bitmap holding the colour (XOR) pixels followed by the 1-bit AND mask.
//
// Every reader here works on the bytes of a whole file, checks each offset,
// size and count before using it, and throws FileError with the text
// kInvalidIconText for anything it cannot read.

inline constexpr const char* kInvalidIconText = "アイコンイメージが不正です";

// Values of the header's type word.
inline constexpr int kIconFileType = 1;
inline constexpr int kCursorFileType = 2;

// Largest width or height of a stored image that is decoded at all.
inline constexpr int kMaxIconSide = 256;

// Largest icon or cursor file read into memory, and largest image data of a
// program's icon read: a 256 x 256 image takes 264 KiB as a 32-bit bitmap and
// rarely 1 MiB as a PNG, so a file holding the usual set of sizes stays far
// below 4 MiB.
inline constexpr std::uint64_t kMaxIconFileSize = std::uint64_t(4) << 20;

// The large-icon size: the side of the white square an icon is drawn on, and
// the size an icon is chosen for.
inline constexpr int kLargeIconSide = 32;

// The 6-byte header: reserved word, type word, count word (little-endian).
struct IconHeader {
    int reserved = 0;
    int type = 0;
    int count = 0;
};

// One 16-byte directory entry, fields as stored.
struct IconDirEntry {
    int width = 0;       // width byte; 0 stays 0
    int height = 0;      // height byte; 0 stays 0
    int colorCount = 0;  // colour-count byte with the following reserved byte as high byte
    int planes = 0;      // in cursor files: hot spot x
    int bitCount = 0;    // in cursor files: hot spot y
    std::uint32_t dataSize = 0;
    std::uint32_t dataOffset = 0;
};

// The header and all directory entries of a file.
struct IconDirectory {
    int reserved = 0;
    int type = 0;
    std::vector<IconDirEntry> entries;

    bool isCursor() const { return type == kCursorFileType; }
    // The hot spot of entries[index]: its planes and bit-count words in a
    // cursor file, (0, 0) in any other file. index must be valid.
    Point hotspot(std::size_t index) const;
};

// One decoded image, top row first, at the size its bitmap header states.
struct IconImage {
    int width = 0;
    int height = 0;
    int bitCount = 0;                   // 1, 4, 8, 24 or 32 as stored
    std::vector<Color> palette;         // the colour table of 1-, 4- and 8-bit images
    std::vector<Color> colors;          // width x height XOR colours, 0x00BBGGRR
    std::vector<std::uint8_t> andMask;  // width x height, 1 = transparent
    // width x height alpha values of a PNG image or of a 32-bit image whose
    // alpha bytes are not all zero; empty otherwise (the AND mask alone then
    // decides).
    std::vector<std::uint8_t> alpha;

    bool hasAlpha() const { return !alpha.empty(); }
    std::size_t index(int x, int y) const { return std::size_t(y) * std::size_t(width) + std::size_t(x); }
    Color color(int x, int y) const { return colors[index(x, y)]; }
    bool isMasked(int x, int y) const { return andMask[index(x, y)] != 0; }
};

// Reads the 6-byte header only, without judging type or count, so that a
// caller can decide what a type it does not read means.
IconHeader readIconHeader(std::span<const std::uint8_t> file);

// Reads the header and the directory. Refuses a file shorter than its
// directory and a count of 0; the type is reported, not judged. The source
// form reads those bytes alone, however large the file.
IconDirectory readIconDirectory(std::span<const std::uint8_t> file);
IconDirectory readIconDirectory(const ByteSource& file);

// How an entry's image is stored, from the first bytes of its data alone:
// a PNG (bits: bit depth times channels of its header, 0 when its header is
// cut short or names no colour type), a bitmap (the bit count of its header,
// 0 when cut short), or missing when the entry's data does not lie within
// the file. Reads at most 26 bytes; never throws FileError of its own.
struct IconImageStorage {
    enum class Kind { Missing, Bitmap, Png };
    Kind kind = Kind::Missing;
    int bits = 0;
};
IconImageStorage readIconImageStorage(const ByteSource& file, const IconDirEntry& entry);

// The side a width or height byte stands for when an image is drawn: 0 means
// 256. (The entry choice takes the byte as it is.)
constexpr int entrySide(int sideByte) { return sideByte == 0 ? 256 : sideByte; }

} // namespace pimoko
