#pragma once

#include "files/codec/bmp_reader.h"
#include "files/codec/bounded_bytes.h"
#include "files/codec/file_error.h"

#include <cstdint>
#include <span>

namespace pimoko {

// What a bitmap file's headers say, shared by the reader of its headers
// (bmp_layout.cpp) and the reader of its pixels (bmp_reader.cpp).

[[noreturn]] inline void refuseBitmap()
{
    throw FileError(kInvalidBitmapText);
}

using BitmapBytes = BoundedBytes<refuseBitmap>;

// Everything the headers say, checked, with where the parts of the file lie.
struct Layout {
    BitmapInfo info;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    std::uint64_t paletteOffset = 0;
    std::uint64_t paletteEntries = 0;  // as stated; only the first 2^bits are used
    int paletteEntrySize = 4;
    std::uint64_t pixelOffset = 0;
    std::uint64_t pixelBytes = 0;  // the image size stated, else up to the end of the file
    // The info header after its first 40 bytes, for the 52-, 56-, 108- and
    // 124-byte headers a save writes again, and the colour profile a
    // 124-byte header embeds or links, when it lies within the file.
    std::span<const std::uint8_t> headerTail;
    std::span<const std::uint8_t> colorProfile;
};

// Where the 124-byte header's colour space and profile fields lie, counted
// from the start of the info header.
inline constexpr std::uint64_t kColorSpaceField = 56;
inline constexpr std::uint64_t kProfileOffsetField = 112;
inline constexpr std::uint64_t kProfileSizeField = 116;
inline constexpr std::uint32_t kProfileHeaderSize = 124;
// The colour space values of a profile in the file and of a profile's file name.
inline constexpr std::uint32_t kProfileEmbedded = 0x4D424544;  // 'MBED'
inline constexpr std::uint32_t kProfileLinked = 0x4C494E4B;    // 'LINK'

// Bytes of one row without its padding.
inline std::uint64_t rowBytes(int width, int bits)
{
    return (std::uint64_t(width) * std::uint64_t(bits) + 7) / 8;
}

// The layout of a whole bitmap file, every part of it checked to lie within
// the file; anything else is refused with FileError(kInvalidBitmapText).
Layout readBitmapLayout(std::span<const std::uint8_t> bytes);

} // namespace pimoko
