#pragma once

#include "raster/color.h"
#include "raster/pixel_buffer.h"

namespace pimoko {

// The two parts an icon is made of, by the transparent-colour rule: every
// pixel equal to the image's top-left pixel is transparent.
//   AND part: 0xFFFFFF where transparent, 0x000000 elsewhere.
//   OR part:  the image's colour, 0x000000 where transparent.
// Both are true-colour (32-bit) buffers of the image's size, whatever the
// image's own pixel format. These are the AND and OR previews of the editor
// and what an icon file is written from.
struct IconParts {
    PixelBuffer andPart;
    PixelBuffer orPart;
};

// The transparent colour: the top-left pixel's, white for an empty image.
inline Color transparentColorOf(const PixelBuffer& image) { return image.isEmpty() ? kWhite : image.pixel(0, 0); }

IconParts makeIconParts(const PixelBuffer& image);

// The same into existing buffers, reusing their storage when they already
// are true-colour buffers of the image's size.
void makeIconParts(const PixelBuffer& image, PixelBuffer& andPart, PixelBuffer& orPart);

} // namespace pimoko
