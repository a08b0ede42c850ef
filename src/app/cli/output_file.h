#pragma once

#include "raster/pixel_buffer.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pimoko {

// The bytes the save command writes for a file of that name: an icon for
// ".ico" (at any size), a bitmap in the image's own format for ".bmp";
// empty for any other extension.
std::vector<std::uint8_t> savedFileBytes(const PixelBuffer& image, const std::string& outputPath);

// Writes through a new file beside the target that replaces it when all is
// written; throws FileError ("ファイル "<path>". <reason> を作成できません")
// and leaves the target as it was on any failure. Unlike the window's save it
// does not wait for the disk (no fsync), so that a batch of conversions runs
// at the speed of the other tools.
void replaceFileWhole(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace pimoko
