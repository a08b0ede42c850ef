#pragma once

#include "raster/color.h"
#include "raster/pixel_buffer.h"

namespace pimoko {

// Gives colour k to the region of pixels that have exactly the colour of pixel
// (x, y) and are joined to it through up, down, left and right neighbours;
// pixels touching only at corners do not join. Colours are compared as the
// buffer stores them, so when the buffer stores k as the region's own colour
// (k itself, or its nearest palette entry) nothing changes. A start point
// outside the buffer changes nothing. Works without recursion, so any region
// size is safe.
void floodFill(PixelBuffer& buffer, int x, int y, Color k);

} // namespace pimoko
