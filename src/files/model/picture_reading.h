#pragma once

#include "files/model/file_names.h"
#include "files/model/icon_holdings.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pimoko {

// Reading a picture file as the open command does, for the window and for
// the command line alike; plain C++ on the system's file calls.

// What the open command refuses itself, each with its own message.
enum class OpenRefusal { Format, Size };
std::string openRefusalText(OpenRefusal refusal);

// "ファイル "<path>". <reason> は開けません" and "… を作成できません".
std::string cannotOpenText(const std::string& path, const std::string& reason);
std::string cannotCreateText(const std::string& path, const std::string& reason);

// Largest bitmap file read: a 64 x 64 picture takes 16 KiB at 32 bits, and
// the largest headers, masks and 256-colour table add about 1 KiB; 1 MiB
// leaves room for colour tables that state more entries, gaps before the
// pixels and an embedded colour profile, and is still read in a moment.
inline constexpr std::uint64_t kMaxBitmapFileSize = std::uint64_t(1) << 20;

// The bytes of a whole regular file, read into memory (a file that changes
// while it is read cannot take the program down); throws FileError with
// cannotOpenText: for anything but a regular file, refused before it is
// waited on (see ReadableFile), for a file larger than maxSize, refused as
// too large before it is read, and for a file that cannot be held in memory.
std::vector<std::uint8_t> readWholeFile(const std::string& path,
                                        std::uint64_t maxSize = std::numeric_limits<std::uint64_t>::max());

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
// What is read: a bitmap whole up to kMaxBitmapFileSize (a larger one only
// as far as its headers, which may still give the size refusal; otherwise
// it is too large); an icon or cursor file whole up to kMaxIconFileSize; a
// program by its headers, resource directories and chosen image alone,
// whatever its size.
std::variant<OpenedPicture, OpenRefusal> readPictureFile(const std::string& path);

} // namespace pimoko
