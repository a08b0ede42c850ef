#pragma once

#include "files/codec/icon_file.h"

#include <QCursor>
#include <QImage>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace pimoko {

// Stand-in for loading a cursor file into a tool cursor slot: reads a .cur
// (or .ico) file in the icon layout and makes a QCursor from its first image,
// with the hot spot of its directory entry (0, 0 for icon files). A missing,
// unreadable or malformed file, anything but a regular file (refused before
// it could be waited on) and a file above kMaxIconFileSize give
// std::nullopt without any message; the caller then shows the default
// arrow. Needs a QGuiApplication.
std::optional<QCursor> loadCursorFile(const QString& path);

// Where a tool cursor file of that name is read from: the working directory
// first, then the program's own folder, then the installed data folder (the
// data folder beside the program's, then "pimoko" in each XDG data folder).
// The first place that has it as a regular file wins; the working
// directory's path when none has, so that loading it then fails as a missing
// file does.
QString findToolCursorFile(const QString& name);
// The same for a program lying in programFolder.
QString findToolCursorFile(const QString& name, const QString& programFolder);

// The same from the bytes of a whole file.
std::optional<QCursor> cursorFromBytes(std::span<const std::uint8_t> file);

// One decoded image as an ARGB32 picture. Where there is alpha, it decides;
// otherwise AND = 0 shows the XOR colour and AND = 1 with XOR colour 0 is
// transparent. AND = 1 with a nonzero XOR colour inverts the screen, which a
// QCursor cannot do: those pixels are drawn opaque black, which reads like
// the inversion on the light canvas the tools are used on.
QImage cursorImage(const IconImage& image);

} // namespace pimoko
