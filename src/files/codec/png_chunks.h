#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace pimoko {

// PNG files read chunk by chunk, without libpng and without a pixel decoded:
// for files passed on byte for byte.

struct PngSize {
    int width = 0;
    int height = 0;
};

// The size its header states, from the signature and IHDR's first bytes
// alone, nothing checked beyond them; nothing when they are not there.
std::optional<PngSize> statedPngSize(std::span<const std::uint8_t> file);

// The size of a PNG file checked whole: the signature; an IHDR first, with
// sides up to maxSide, a bit depth its colour type allows, compression and
// filter method 0 and interlace 0 or 1; every chunk within the file, named
// in letters, with its CRC right; a palette before the image data of a
// palette image; the image data in one run; no critical chunk but IHDR,
// PLTE, IDAT and IEND; and IEND, after which nothing is read. Damage done to
// a file after it was written fails a CRC; what is not checked is whether
// the compressed image data inflate to the picture, as only decoding tells.
// Refused with FileError: a side above maxSide with pngTooLargeText,
// anything else with kInvalidPngText (png_file.h).
PngSize checkPngChunks(std::span<const std::uint8_t> file, int maxSide);

// Whether the file can stand in an icon for the picture readPngFile gives,
// byte for byte: the readers' own check, checkPngChunks(file, maxSide),
// accepts it, nothing follows its IEND chunk, and every reader shows exactly
// the pixels readPngFile gives: a PNG of 8-bit RGBA, not interlaced, whose
// chunks are IHDR, IDAT, IEND and only those that leave the pixels alone
// (text, time, pixel size, background colour, and sRGB stated by an sRGB
// chunk or by sRGB's own gamma and chromaticities). Any other gamma or
// colour space, a colour profile and anything unknown say no, and so does
// anything checkPngChunks refuses, a wrong CRC in any chunk included.
bool showsPixelsAsRead(std::span<const std::uint8_t> file, int maxSide);

// Whether showsPixelsAsRead(file, maxSide) holds and the image data inflate
// to the picture exactly: one zlib stream, its checksum right, of one
// filter byte (0 to 4) and width x 4 bytes for each row, nothing more. That
// is all a reader needs to show the file, found without a pixel unfiltered
// and without libpng: the stream is inflated through a small buffer, never
// held whole.
bool inflatesToPixelsAsRead(std::span<const std::uint8_t> file, int maxSide);

} // namespace pimoko
