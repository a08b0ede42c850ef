#pragma once

#include "app/cli/command_line.h"
#include "files/codec/icon_images.h"

#include <iosfwd>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pimoko {

// The pictures --unpack writes from a file, in order: every image of an
// icon or cursor file (.ico, .cur, read whole up to kMaxIconFileSize) and
// of a program's first icon group (.exe, read by its headers and each
// member's data alone), each with its alpha as stored; a bitmap's (.bmp)
// one picture as the open command reads it, opaque, with its own bits per
// pixel. Throws FileError; refuses as too large a file whose images number
// more than kMaxDecodedImages or whose data together (counted once for
// each image) exceed kMaxIconFileSize.
std::vector<DecodedIconImage> readUnpackInput(const std::string& path);

// The names of the files written for the images: "<stem>-<W>x<H>-<bits>.png",
// the stem being the input's file name without its extension. A name met
// again in the same file gets "-2" before ".png" the second time, "-3" the
// third, and so on.
std::vector<std::string> unpackedNames(const std::string& input, std::span<const DecodedIconImage> images);

// --unpack FOLDER INPUT [--force]: each picture as a PNG file with alpha in
// FOLDER, each written whole. A file of one of the names that exists
// already (a folder even with --force) means nothing is written at all;
// without --force a name taken while the files are written is not
// replaced either.
int runUnpack(const CommandLine& commandLine, std::ostream& out, std::ostream& err);

} // namespace pimoko
