#pragma once

#include "raster/pixel_buffer.h"

namespace pimoko {

// The plain stretch copy of a whole image onto a width x height buffer:
// no smoothing and no colour averaging. Each axis is mapped on its own,
// with S source and D destination pixels along it:
//
// - enlarging (D >= S): destination pixel u repeats source pixel
//   u * S div D, so at a whole multiple every source pixel becomes a block
//   of D / S pixels, and otherwise the blocks differ by one pixel;
// - reducing (D < S): destination pixel u combines every source pixel x
//   with x * D div S = u (at least one, as D < S), so at a whole divisor
//   each block of S / D pixels becomes one.
//
// A destination pixel takes the bitwise AND of the colour values of all the
// source pixels its column and row range cover, so darker colours win: white
// with red gives red, red with blue gives black. At the same size the copy
// is exact. The result is a true-colour buffer; a target without pixels
// gives an empty buffer, and an empty source a white one.
PixelBuffer stretchImage(const PixelBuffer& source, int width, int height);

} // namespace pimoko
