#include "raster/rgba_image.h"

#include "raster/icon_parts.h"

#include <algorithm>

namespace pimoko {

RgbaImage::RgbaImage(int width, int height, Rgba fill)
    : width_(std::max(width, 0))
    , height_(std::max(height, 0))
    , pixels_(std::size_t(width_) * std::size_t(height_), fill)
{
}

bool RgbaImage::isOpaque() const
{
    return std::all_of(pixels_.begin(), pixels_.end(), [](Rgba p) { return p.a == 255; });
}

RgbaImage opaqueRgbaImage(const PixelBuffer& picture)
{
    RgbaImage image(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            image.setPixel(x, y, opaqueRgba(picture.pixel(x, y)));
    return image;
}

RgbaImage rgbaImageWithTransparentCorner(const PixelBuffer& picture)
{
    const Color transparent = transparentColorOf(picture);
    RgbaImage image(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const Color c = picture.pixel(x, y);
            image.setPixel(x, y, c == transparent ? kClear : opaqueRgba(c));
        }
    return image;
}

} // namespace pimoko
