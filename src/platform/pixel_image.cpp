#include "platform/pixel_image.h"

namespace pimoko {

QImage toOpaqueImage(const PixelBuffer& buffer, QRect area)
{
    area &= QRect(0, 0, buffer.width(), buffer.height());
    if (area.isEmpty())
        return {};
    QImage image(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        const Color* source = buffer.row(area.top() + y) + area.left();
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            const Color c = source[x];
            target[x] = qRgb(redOf(c), greenOf(c), blueOf(c));
        }
    }
    return image;
}

} // namespace pimoko
