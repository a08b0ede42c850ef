#pragma once

#include "raster/color.h"

#include <cstdint>
#include <vector>

namespace pimoko {

// How a bitmap stores its pixels: the bit depth, the colour table of an
// indexed bitmap, and the channel masks of a 16- or 32-bit one. A buffer
// remembers the format of the file it came from so that colours written into
// it are limited to what that format can hold, and a save can write the same
// format again.
struct PixelFormat {
    int bitsPerPixel = 32;                 // 1, 4, 8, 16, 24 or 32
    std::vector<Color> palette;            // indexed formats: 2^bits entries at most
    std::uint32_t redMask = 0x00FF0000;    // 16 and 32 bits: where each channel lies
    std::uint32_t greenMask = 0x0000FF00;  // in the stored pixel value
    std::uint32_t blueMask = 0x000000FF;
    std::uint32_t alphaMask = 0;           // 16 and 32 bits: 0 when the pixels hold no alpha
    // A bitmap file's info header after its first 40 bytes (the masks, colour
    // space, end points, gamma and rendering intent of the longer headers),
    // and the colour profile a 124-byte header points to, kept as read so a
    // save writes the same header again. Empty for the 40-byte header and
    // for pictures the program makes.
    std::vector<std::uint8_t> headerTail;
    std::vector<std::uint8_t> colorProfile;

    static PixelFormat trueColor32();
    static PixelFormat trueColor24();
    static PixelFormat rgb555();
    static PixelFormat rgb565();
    static PixelFormat indexed(int bitsPerPixel, std::vector<Color> palette);

    bool isIndexed() const { return bitsPerPixel <= 8; }
    // True when every colour is stored exactly as written.
    bool holdsEveryColor() const;

    // The colour this format actually stores when c is written: the nearest
    // palette entry (the first one on a tie) for indexed formats, c itself for
    // 24 bits; for 16 and 32 bits each channel is cut to its mask's top bits
    // and read back scaled to 0..255 (a 5-bit 31 reads as 255, not 248), as
    // the bitmap reader expands it.
    Color storable(Color c) const;
    // Palette index of the entry nearest to c (indexed formats only).
    int nearestIndex(Color c) const;

    bool operator==(const PixelFormat&) const = default;
};

} // namespace pimoko
