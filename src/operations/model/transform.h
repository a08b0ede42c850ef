#pragma once

#include "raster/pixel_buffer.h"

namespace pimoko {

// The three whole-image turns, numbered by their command codes.
enum class TransformMode {
    RotateRight = 90,       // clockwise by 90 degrees: the top-left pixel goes to the top-right corner
    MirrorLeftRight = 99,   // columns reversed
    MirrorTopBottom = 188,  // rows reversed
};

// The image turned or mirrored, built pixel by pixel into a new buffer.
// Rotating a W x H image gives an H x W one (pixel (x, y) lands on
// (H - 1 - y, x)); mirroring keeps the size. The result has the source's
// pixel format and the stored colours unchanged.
PixelBuffer TransformImage(const PixelBuffer& image, TransformMode mode);

} // namespace pimoko
