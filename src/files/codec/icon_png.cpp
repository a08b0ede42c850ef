#include "files/codec/icon_png.h"

#include "files/codec/file_error.h"
#include "files/codec/png_file.h"
#include "files/codec/system_reason.h"

#include <algorithm>
#include <array>
#include <new>

namespace pimoko {

bool hasPngSignature(std::span<const std::uint8_t> data)
{
    static constexpr std::array<std::uint8_t, 8> signature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return data.size() >= signature.size() && std::equal(signature.begin(), signature.end(), data.begin());
}

IconImage decodePngIconImage(std::span<const std::uint8_t> data)
{
    RgbaImage picture;
    try {
        picture = readPngFile(data, kMaxIconSide);
    } catch (const FileError& error) {
        // Memory running out is the reader's to report, as for a bitmap image.
        if (error.what() == fileProblemText(FileProblem::OutOfMemory))
            throw std::bad_alloc();
        throw FileError(kInvalidIconText);
    }
    IconImage image;
    image.width = picture.width();
    image.height = picture.height();
    image.bitCount = 32;
    const std::size_t pixelCount = picture.pixels().size();
    image.colors.resize(pixelCount);
    image.andMask.assign(pixelCount, 0);
    image.alpha.resize(pixelCount);
    for (std::size_t i = 0; i < pixelCount; ++i) {
        const Rgba p = picture.pixels()[i];
        image.colors[i] = rgb(p.r, p.g, p.b);
        image.alpha[i] = p.a;
    }
    return image;
}

} // namespace pimoko
