#pragma once

#include "raster/rgba_image.h"

namespace pimoko {

// Rescaling of pictures with alpha, for thumbnails and enlarged copies.

// Every pixel becomes a factor x factor block of itself (factor >= 1), so
// pixel art stays sharp.
RgbaImage enlargeByBlocks(const RgbaImage& image, int factor);

// The picture reduced to width x height (each from 1 to the picture's own
// side) by area average: each new pixel is the mean of the part of the
// picture it covers, a partly covered pixel counting by the part covered.
// Colours are weighted by their alpha (averaged premultiplied), so a
// transparent pixel lends no colour to its neighbours; alpha and colour are
// rounded to the nearest value, and a pixel left fully transparent is kClear.
RgbaImage shrinkByAreaAverage(const RgbaImage& image, int width, int height);

// The most a thumbnail enlarges a small picture: four times a side.
inline constexpr int kMaxThumbnailEnlargement = 4;

// The size of the picture fitThumbnail makes: its proportions kept within a
// size x size square. A picture whose larger side exceeds size is reduced
// until that side is size (the other side rounded to the nearest pixel, at
// least 1); a smaller one is enlarged by the largest whole factor, at most
// kMaxThumbnailEnlargement, that keeps it within the square.
struct ThumbnailSize {
    int width = 0;
    int height = 0;
    friend bool operator==(ThumbnailSize, ThumbnailSize) = default;
};
ThumbnailSize thumbnailSize(int width, int height, int size);

// The picture at thumbnailSize: shrinkByAreaAverage when reduced,
// enlargeByBlocks when enlarged, itself otherwise; an empty picture, or a
// size below 1, gives an empty one.
RgbaImage fitThumbnail(const RgbaImage& image, int size);

} // namespace pimoko
