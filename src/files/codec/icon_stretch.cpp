#include "files/codec/icon_stretch.h"

namespace pimoko {

IconImage stretchIconImage(const IconImage& image, int width, int height)
{
    if (image.width == width && image.height == height)
        return image;
    IconImage result;
    result.width = width;
    result.height = height;
    result.bitCount = image.bitCount;
    result.palette = image.palette;
    const std::size_t pixelCount = std::size_t(width) * std::size_t(height);
    result.colors.resize(pixelCount);
    result.andMask.resize(pixelCount);
    if (image.hasAlpha())
        result.alpha.resize(pixelCount);
    for (int y = 0; y < height; ++y) {
        const int sy = int(std::int64_t(y) * image.height / height);
        for (int x = 0; x < width; ++x) {
            const int sx = int(std::int64_t(x) * image.width / width);
            const std::size_t from = image.index(sx, sy);
            const std::size_t to = result.index(x, y);
            result.colors[to] = image.colors[from];
            result.andMask[to] = image.andMask[from];
            if (image.hasAlpha())
                result.alpha[to] = image.alpha[from];
        }
    }
    return result;
}

} // namespace pimoko
