#pragma once

#include "files/codec/file_error.h"
#include "files/codec/icon_file.h"
#include "files/codec/png_signature.h"

#include <cstdint>
#include <new>
#include <span>

namespace pimoko {

// PNG-compressed images inside icon files, read with libpng.

// Runs read, which reads a PNG image inside an icon, and translates its
// failure the one way every icon reader has it: memory running out becomes
// std::bad_alloc, for the reader to report as for a bitmap image; any other
// FileError becomes FileError(kInvalidIconText).
template <typename Read>
auto readingIconPng(Read read) -> decltype(read())
{
    try {
        return read();
    } catch (const OutOfMemoryError&) {
        throw std::bad_alloc();
    } catch (const FileError&) {
        throw FileError(kInvalidIconText);
    }
}

// Decodes PNG data of any colour type and bit depth to 8-bit colours with an
// alpha value per pixel (255 where the file has no transparency), at the
// size the PNG header states. Gamma and colour-space chunks are not applied.
// Sides beyond kMaxIconSide and anything libpng cannot read are refused as
// readingIconPng has it. The result's bitCount is 32 and its AND mask is
// all 0: the alpha values alone decide.
IconImage decodePngIconImage(std::span<const std::uint8_t> data);

} // namespace pimoko
