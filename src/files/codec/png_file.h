#pragma once

#include "raster/pixel_buffer.h"
#include "raster/rgba_image.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pimoko {

// Whole PNG files, read and written in memory with libpng.

inline constexpr const char* kInvalidPngText = "PNGイメージが不正です";

// "PNGイメージが大きすぎます（W x H、M x M まで）": a picture wider or
// taller than the reader's cap.
std::string pngTooLargeText(int width, int height, int maxSide);

// The picture of a PNG file: every colour type (grey, grey with alpha,
// palette, RGB, RGBA), 1, 2, 4, 8 and 16 bits a sample, tRNS transparency,
// interlaced or not; 16-bit samples are scaled to 8 bits with rounding.
// Without alpha or tRNS every pixel is opaque; the colours of transparent
// pixels are kept as stored. Gamma and colour-space chunks are not applied:
// every ancillary chunk but tRNS (text, colour profiles, suggested palettes,
// unknown chunks) is passed over without being read into memory, so that a
// file costs about its pixels, whatever else it carries.
//
// Refusals, with FileError: a width or height above maxSide, before any
// pixel is decoded (pngTooLargeText); memory running out
// (fileProblemText(FileProblem::OutOfMemory)); anything else libpng cannot
// read, a cut or damaged file included (kInvalidPngText). Hostile bytes
// cannot read past the span, and nothing leaks when libpng gives up.
RgbaImage readPngFile(std::span<const std::uint8_t> file, int maxSide);

// Which channels pngFileBytes stores.
enum class PngChannels {
    Rgb,   // colour type 2: the alpha of the picture is dropped
    Rgba,  // colour type 6: straight alpha, as the picture holds it
};

// The bytes of a PNG file of the picture: 8 bits a sample, not interlaced,
// no chunks but IHDR, IDAT and IEND, so the same picture always gives the
// same bytes. Compressed for speed: zlib's level 3 with the Up filter on
// every row takes a third to a fifth of the work of zlib's default level
// with libpng's choice of filter per row, for a 256 x 256 picture of noise
// or gradients files 10 to 20 % larger (a drawing of a few colours stays a
// few KiB). The picture must not be empty
// (std::invalid_argument, the caller's mistake); memory running out throws
// FileError(fileProblemText(FileProblem::OutOfMemory)).
std::vector<std::uint8_t> pngFileBytes(const RgbaImage& image, PngChannels channels = PngChannels::Rgba);

// The picture as an opaque RGB PNG file, as above.
std::vector<std::uint8_t> pngFileBytes(const PixelBuffer& picture);

} // namespace pimoko
