#pragma once

#include "files/codec/icon_file.h"

namespace pimoko {

// The pixels of one image of an icon file.

// Decodes the image that entry's data offset and size point at: a bitmap
// info header of 40 bytes or more (height twice the image height, one plane,
// uncompressed), the colour table for 1, 4 and 8 bits, the XOR rows, then the
// AND rows, all rows bottom-up and padded to 4 bytes. PNG-compressed images
// (decodeIconEntry reads those), the 12-byte core header, other bit depths
// and sides outside 1..kMaxIconSide are refused. The result has the stored
// bitmap's size even where the entry states another one.
IconImage decodeIconImage(std::span<const std::uint8_t> file, const IconDirEntry& entry);

// The image that entry points at, bitmap or PNG, stretched (nearest pixel) to
// width x height when its stored size differs.
IconImage decodeIconEntry(std::span<const std::uint8_t> file, const IconDirEntry& entry, int width, int height);

} // namespace pimoko
