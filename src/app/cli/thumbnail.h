#pragma once

#include "app/cli/command_line.h"

#include <iosfwd>

namespace pimoko {

// Thumbnails of the files the editor opens, for file managers: the
// picture of an icon, cursor, program or bitmap file fitted into a square.

inline constexpr int kMinThumbnailSide = 16;
inline constexpr int kMaxThumbnailSide = 1024;

// What --thumbnail makes its picture from, with its alpha:
//   .ico, .cur (either header type): the image chooseThumbnailImage picks
//     for SIZE among every image of the file, read whole up to
//     kMaxIconFileSize;
//   .exe: the same among the images of the program's first icon group, read
//     by its headers, directories and those images alone (together at most
//     kMaxIconFileSize), whatever the program's size; a program without an
//     icon is refused, so that the file manager keeps its own picture;
//   .bmp: the bitmap as the editor opens it, every pixel opaque, within the
//     editor's own limits.
// A name with none of these extensions is read by its first bytes
// (pictureKindOfContent), and a PNG file's signature gives the PNG picture
// itself, up to kMaxThumbnailSide a side.
//
// --thumbnail INPUT OUTPUT.png SIZE (kMinThumbnailSide to
// kMaxThumbnailSide): that picture fitted into SIZE x SIZE (fitThumbnail)
// and written as an RGBA PNG file. Nothing is written unless the input
// gives a picture.
int runThumbnail(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

} // namespace pimoko
