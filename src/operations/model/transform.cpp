#include "operations/model/transform.h"

namespace pimoko {

PixelBuffer TransformImage(const PixelBuffer& image, TransformMode mode)
{
    const int w = image.width();
    const int h = image.height();
    if (image.isEmpty())
        return PixelBuffer(0, 0, kWhite, image.format());

    const bool rotate = mode == TransformMode::RotateRight;
    PixelBuffer result(rotate ? h : w, rotate ? w : h, kWhite, image.format());
    // Stored colours are copied through the rows, not re-stored through
    // setPixel, so an indexed or 16-bit image keeps exactly what it held.
    for (int y = 0; y < h; ++y) {
        const Color* source = image.row(y);
        for (int x = 0; x < w; ++x) {
            const int tx = mode == TransformMode::RotateRight ? h - 1 - y
                : mode == TransformMode::MirrorLeftRight                 ? w - 1 - x
                                                                          : x;
            const int ty = mode == TransformMode::RotateRight ? x
                : mode == TransformMode::MirrorTopBottom     ? h - 1 - y
                                                              : y;
            result.row(ty)[tx] = source[x];
            result.setAlpha(tx, ty, image.alpha(x, y));
        }
    }
    return result;
}

} // namespace pimoko
