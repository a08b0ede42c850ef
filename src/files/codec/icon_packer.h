#pragma once

#include "raster/point.h"
#include "raster/rgba_image.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pimoko {

// Packing pictures with alpha into one icon or cursor file, each image in
// the smallest form that keeps every pixel of it.

inline constexpr int kMaxPackedImages = 64;
inline constexpr int kMaxPackedSide = 256;

// How one image is stored, by the first rule that fits:
//   Png:      a side of kMaxPackedSide: a PNG image, 8-bit RGBA;
//   Indexed4: alpha only 0 or 255 and every visible colour one of the 16
//             standard colours: 4 bits with the standard colour table and
//             the 1-bit AND mask, exactly as the editor saves an icon;
//   Indexed8: alpha only 0 or 255 and at most 256 colours, black counted
//             when any pixel is transparent: 8 bits with a table of just
//             those colours in ascending 0x00BBGGRR order and the AND mask;
//   Bgra32:   anything else: 32-bit BGRA with an AND mask of the pixels
//             whose alpha is 0.
// A fully transparent pixel is stored as transparent black in every form:
// it has no colour to keep.
enum class IconStorage { Indexed4, Indexed8, Bgra32, Png };

IconStorage chooseIconStorage(const RgbaImage& image);

// The bit depth the storage writes: 4, 8, 32 and 32.
int storageBits(IconStorage storage);

// Every colour the image stores, ascending: a fully transparent pixel
// counts as black.
std::vector<Color> storedColors(const RgbaImage& image);

// The data of one image in the storage: as packIconFile stores it, or at 4
// and 8 bits with `table` for its colour table (each pixel the index of its
// nearest colour there) when one is given. A PNG image is encoded afresh.
std::vector<std::uint8_t> iconImageData(const RgbaImage& image, IconStorage storage, std::span<const Color> table = {});

// The bytes of an icon file (type 1) holding the images in the order given,
// or of a cursor file (type 2) when a hot spot is given: then every entry
// carries it in its planes and bit-count words. Directory entries: width
// and height (256 as 0); colour count 4, planes 0 and bits 0 for a 4-bit
// image, as the editor's icon writer has it, colour count 0, planes 1 and
// the storage's bits for the others. Image data follow the directory in the
// same order.
//
// An image stored as PNG is the PNG file it was read from, when one is
// given at its index in sourcePngs and showsPixelsAsRead(file,
// kMaxIconSide) holds, so that the icon readers' own check of its chunks
// accepts it: its bytes are the image exactly and need not be compressed
// again. (Colours of fully transparent pixels then stay as they are: in a
// PNG image, unlike a bitmap with a mask, they show nowhere.) Otherwise its
// pixels are encoded afresh.
//
// Refused with FileError, in words naming the image (counted from 1): no
// image, more than kMaxPackedImages, an image without pixels or with a side
// above kMaxPackedSide, two images of the same width, height and storage
// bits, and a hot spot outside an image; and a file larger than the icon
// readers take (kMaxIconFileSize): "アイコンが大きすぎます（N バイト、M バイトまで）".
std::vector<std::uint8_t> packIconFile(std::span<const RgbaImage> images,
                                       std::optional<Point> cursorHotspot = std::nullopt,
                                       std::span<const std::vector<std::uint8_t>> sourcePngs = {});

// The icon file (type 1) with one more image, stored as packIconFile
// stores it: in place of the first image of the same stored width, height
// and bits (a PNG image counts 32), else after the others. Every other
// image keeps its directory entry and its data byte for byte; the data
// follow the directory in its order. Refused with FileError: a file that is
// not an icon or holds an image that cannot be read (kInvalidIconText or
// the icon readers' own refusals), an image packIconFile refuses, one more
// image than kMaxPackedImages, and a result larger than kMaxIconFileSize.
std::vector<std::uint8_t> iconFileWithImage(std::span<const std::uint8_t> file, const RgbaImage& image,
                                            std::span<const std::uint8_t> sourcePng = {});

} // namespace pimoko
