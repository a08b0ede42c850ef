#pragma once

#include "files/codec/icon_file.h"

namespace pimoko {

// Stretching an icon image to the size its directory entry states.

// Nearest-pixel stretch of colours, AND mask and alpha to width x height
// (each at least 1): target pixel x takes source pixel x * source width / width.
IconImage stretchIconImage(const IconImage& image, int width, int height);

} // namespace pimoko
