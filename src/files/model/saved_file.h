#pragma once

#include "raster/pixel_buffer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pimoko {

// What a picture is saved as, for the window's save commands and the
// command line alike. The kinds are in the order of the save dialog's
// filters.
enum class SaveKind { Icon = 1, Bitmap = 2 };

// The kind a file of that name is saved as: an icon for ".ico", a bitmap
// for ".bmp" (ASCII letters in any case); nothing for any other name.
std::optional<SaveKind> savedKindFor(const std::string& fileName);

// The name save-as writes for a name chosen under a filter: a name that
// ends in ".ico" or ".bmp" keeps it and is saved as that kind; any other
// name gets the filter's extension added ("abc" and "abc.png" under the
// icon filter become "abc.ico" and "abc.png.ico"), a name ending in a dot
// without a second one ("abc." becomes "abc.ico"). The kind written is
// then always savedKindFor of the result.
std::string saveAsFileName(const std::string& chosenName, SaveKind filter);

// Save-as writes icons of 32 x 32 only; bitmaps of any size.
constexpr bool saveAsAccepts(SaveKind kind, int width, int height)
{
    return kind != SaveKind::Icon || (width == 32 && height == 32);
}

// The bytes of the file: the icon made from the image's AND and OR parts
// by the transparent-colour rule (at any size the icon layout takes), or
// the bitmap in the image's own pixel format.
std::vector<std::uint8_t> savedFileBytes(const PixelBuffer& image, SaveKind kind);

} // namespace pimoko
