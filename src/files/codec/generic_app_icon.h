#pragma once

#include "raster/pixel_buffer.h"

namespace pimoko {

// The generic application icon: a plain window with a blue title bar, shown
// for a program file without an icon of its own and for an icon file whose
// header says so (type 0).

// The icon drawn on the white large-icon square, 32 x 32: its transparent
// pixels are white.
PixelBuffer genericAppIconPicture();

} // namespace pimoko
