#pragma once

#include "files/codec/icon_file.h"

#include <cstdint>
#include <span>

namespace pimoko {

// PNG-compressed images inside icon files, read with libpng.

// Whether data begins with the 8-byte PNG signature.
bool hasPngSignature(std::span<const std::uint8_t> data);

// Decodes PNG data of any colour type and bit depth to 8-bit colours with an
// alpha value per pixel (255 where the file has no transparency), at the
// size the PNG header states. Gamma and colour-space chunks are not applied.
// Sides beyond kMaxIconSide and anything libpng cannot read are refused with
// FileError(kInvalidIconText). The result's bitCount is 32 and its AND mask
// is all 0: the alpha values alone decide.
IconImage decodePngIconImage(std::span<const std::uint8_t> data);

} // namespace pimoko
