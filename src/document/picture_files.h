#pragma once

#include "files/model/picture_reading.h"

#include <QString>

#include <variant>

namespace pimoko {

// The open command's reading for the window, in Qt's strings: see
// files/model/picture_reading.h.
std::variant<OpenedPicture, OpenRefusal> readPictureFile(const QString& fileName);
QString refusalText(OpenRefusal refusal);

} // namespace pimoko
