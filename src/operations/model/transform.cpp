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
            switch (mode) {
            case TransformMode::RotateRight: result.row(x)[h - 1 - y] = source[x]; break;
            case TransformMode::MirrorLeftRight: result.row(y)[w - 1 - x] = source[x]; break;
            case TransformMode::MirrorTopBottom: result.row(h - 1 - y)[x] = source[x]; break;
            }
        }
    }
    return result;
}

} // namespace pimoko
