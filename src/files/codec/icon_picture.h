#pragma once

#include "files/codec/icon_file.h"
#include "raster/pixel_buffer.h"

namespace pimoko {

// The picture opening an icon file places in the document: the chosen
// image drawn on white.

// The image drawn at its own size at the top-left corner of a white
// kLargeIconSide square and cut off beyond it. Without alpha a pixel becomes
// (white AND mask) XOR colour, so a masked black pixel shows white and a
// masked coloured one inverts the white; with alpha the colour is blended
// over white: (colour * a + 255 * (255 - a) + 127) / 255 per component.
PixelBuffer drawIconOnWhite(const IconImage& image);

// The picture opening an icon or icon-layout cursor file places in the
// document: the chosen entry at its directory size (a 0 byte means 256) on
// the white large-icon square. Header type 0 gives the generic application
// icon; type 2 or more, a count of 0, a cut directory and a chosen entry that
// cannot be decoded are refused with FileError(kInvalidIconText). Entries
// other than the chosen one are not looked at.
PixelBuffer readIconPicture(std::span<const std::uint8_t> file);

} // namespace pimoko
