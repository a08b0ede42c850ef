#pragma once

#include "app/cli/command_line.h"
#include "files/codec/icon_file.h"
#include "raster/point.h"
#include "raster/rgba_image.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pimoko {

// "X,Y": two whole numbers; nullopt for anything else.
std::optional<Point> parseHotspot(std::string_view text);

// The picture --pack takes from a file: a .png with its own alpha, up to
// kMaxPackedSide a side; a .bmp, .ico, .cur or .exe as the open command
// places it, every pixel of the top-left pixel's colour transparent, as the
// save command makes an icon. A PNG file of kMaxPackedSide a side that can
// stand in the icon as it is (see inflatesToPixelsAsRead) is not decoded:
// pngBytes gets its bytes and its picture is transparent, as the icon takes
// its own bytes; any other leaves pngBytes empty. Throws FileError, its text
// naming the file.
RgbaImage readPackInput(const std::string& path, std::vector<std::uint8_t>& pngBytes);

// --pack OUTPUT INPUT...: one icon (a cursor with --hotspot) of the inputs'
// pictures in the order given, each stored as packIconFile chooses.
int runPack(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

} // namespace pimoko
