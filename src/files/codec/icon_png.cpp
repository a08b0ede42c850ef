#include "files/codec/icon_png.h"

#include "files/codec/png_file.h"

namespace pimoko {

IconImage decodePngIconImage(std::span<const std::uint8_t> data)
{
    const RgbaImage picture = readingIconPng([&] { return readPngFile(data, kMaxIconSide); });
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
