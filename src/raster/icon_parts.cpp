#include "raster/icon_parts.h"

namespace pimoko {

namespace {

// Makes `buffer` a 32-bit width x height buffer; its pixels are all rewritten
// by the caller, so old contents may stay.
void prepare(PixelBuffer& buffer, int width, int height)
{
    if (buffer.width() != width || buffer.height() != height || buffer.format() != PixelFormat::trueColor32())
        buffer = PixelBuffer(width, height, kBlack);
}

} // namespace

IconParts makeIconParts(const PixelBuffer& image)
{
    IconParts parts;
    makeIconParts(image, parts.andPart, parts.orPart);
    return parts;
}

void makeIconParts(const PixelBuffer& image, PixelBuffer& andPart, PixelBuffer& orPart)
{
    const int width = image.width();
    const int height = image.height();
    prepare(andPart, width, height);
    prepare(orPart, width, height);
    const Color transparent = transparentColorOf(image);
    for (int y = 0; y < height; ++y) {
        const Color* source = image.row(y);
        Color* andRow = andPart.row(y);
        Color* orRow = orPart.row(y);
        for (int x = 0; x < width; ++x) {
            const bool clear = source[x] == transparent;
            andRow[x] = clear ? kWhite : kBlack;
            orRow[x] = clear ? kBlack : source[x];
        }
    }
}

} // namespace pimoko
