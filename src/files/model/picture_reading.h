#pragma once

#include "files/model/file_names.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
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

// The bytes of a whole regular file, read into memory (a file that changes
// while it is read cannot take the program down); throws FileError with
// cannotOpenText. A pipe or device is refused before it is waited on.
std::vector<std::uint8_t> readWholeFile(const std::string& path);

// A picture read for the open command: a bitmap at its own size and
// format, or an icon, cursor or program icon drawn on the white 32 x 32
// canvas.
struct OpenedPicture {
    PixelBuffer picture;
    PictureKind kind = PictureKind::Unknown;
};

// Reads the file as its extension says. A kind the editor does not open and
// a picture larger than 64 pixels a side are refusals (a bitmap's size is
// judged from its headers, before its pixels are decoded); a file that
// cannot be read or holds no valid picture throws FileError with the text
// to show.
std::variant<OpenedPicture, OpenRefusal> readPictureFile(const std::string& path);

} // namespace pimoko
