#pragma once

#include "files/model/file_names.h"
#include "raster/pixel_buffer.h"

#include <QString>

#include <variant>

namespace pimoko {

// A picture read for the open command: a bitmap at its own size and format,
// or an icon, cursor or program icon drawn on the white 32 x 32 canvas.
struct OpenedPicture {
    PixelBuffer picture;
    PictureKind kind = PictureKind::Unknown;
};

// What the open command refuses itself, each with its own message.
enum class OpenRefusal { Format, Size };

// The refusal's text for the plain message box.
QString refusalText(OpenRefusal refusal);

// Reads the file as its extension says. A kind the editor does not open and
// a picture larger than 64 pixels a side are refusals (a bitmap's size is
// judged from its headers, before its pixels are decoded); a file that
// cannot be read or holds no valid picture throws FileError with the text
// to show.
std::variant<OpenedPicture, OpenRefusal> readPictureFile(const QString& fileName);

// The text for a file that cannot be opened for reading.
QString cannotOpenText(const QString& path, const QString& reason);

} // namespace pimoko
