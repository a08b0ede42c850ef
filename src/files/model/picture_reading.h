#pragma once

#include "files/model/file_names.h"
#include "files/model/icon_holdings.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace pimoko {

// Reading a picture file as the open command does, for the window and for
// the command line alike; plain C++ on the system's file calls.

// What the open command refuses itself, each with its own message.
enum class OpenRefusal { Format, Size };
std::string openRefusalText(OpenRefusal refusal);

// A picture read for the open command: a bitmap at its own size and
// format, or an icon, cursor or program icon drawn on the white 32 x 32
// canvas.
struct OpenedPicture {
    PixelBuffer picture;
    PictureKind kind = PictureKind::Unknown;
    // For an icon file: what saving over it would lose (see icon_holdings.h).
    std::optional<IconHoldings> beyondSave;
};

// Reads the file as its extension says. A kind the editor does not open and
// a picture larger than 64 pixels a side are refusals (a bitmap's size is
// judged from its headers, before its pixels are decoded); a file that
// cannot be read or holds no valid picture throws FileError with the text
// to show, and nothing else escapes, not even a failed allocation.
//
// What is read (caps from readingCap, readable_file.h): a bitmap whole up to
// its cap (a larger one only as far as its headers, which may still give the
// size refusal; otherwise it is too large); an icon or cursor file whole; a
// program by its headers, resource directories and chosen image alone,
// whatever its size.
std::variant<OpenedPicture, OpenRefusal> readPictureFile(const std::string& path);
// The same for a file read as `kind` whatever its name says (Unknown is
// the format refusal).
std::variant<OpenedPicture, OpenRefusal> readPictureFileAs(const std::string& path, PictureKind kind);

// What a file's first bytes say it is, for a name whose extension says
// nothing: an icon directory (reserved 0, type 1) an icon, type 2 a cursor,
// "MZ" a program, "BM" a bitmap; anything else, a PNG file included, Unknown.
PictureKind pictureKindOfContent(std::span<const std::uint8_t> fileStart);

} // namespace pimoko
