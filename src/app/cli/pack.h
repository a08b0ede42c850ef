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

// Largest PNG file --pack reads: a 256 x 256 picture at 16 bits a channel
// takes 512 KiB before compression, and a colour profile or text chunks
// rarely add more than a few hundred KiB; the cap of an icon file leaves
// room for both and is still read in a moment.
inline constexpr std::uint64_t kMaxPngFileSize = kMaxIconFileSize;

// "X,Y": two whole numbers; nullopt for anything else.
std::optional<Point> parseHotspot(std::string_view text);

// The picture --pack takes from a file: a .png with its own alpha, up to
// kMaxPackedSide a side; a .bmp, .ico, .cur or .exe as the open command
// places it, every pixel of the top-left pixel's colour transparent, as the
// save command makes an icon; pngBytes gets a PNG file's bytes. Throws
// FileError, its text naming the file.
RgbaImage readPackInput(const std::string& path, std::vector<std::uint8_t>& pngBytes);

// --pack OUTPUT INPUT...: one icon (a cursor with --hotspot) of the inputs'
// pictures in the order given, each stored as packIconFile chooses.
int runPack(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

} // namespace pimoko
